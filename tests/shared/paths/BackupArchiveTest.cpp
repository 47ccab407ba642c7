// Backup copies in the Backup folder, restoring them, and archived states of files in the
// dated archive folder.
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelLogCapture.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

void Append(const QString& aFileName, const QByteArray& aData) {
  QFile lFile(aFileName);
  ASSERT_TRUE(lFile.open(QIODevice::Append));
  lFile.write(aData);
}

QString Logged(const QString& aText) {
  return QString(aText).replace(u'"', u'\'');
}

class BackupArchive : public ::testing::Test {
protected:
  void SetUp() override {
    TPathsAndFiles::FinalizeInstance();
    SetNowOverride(EncodeDateTime(2026, 1, 5, 14, 3, 59, 120));
  }
  void TearDown() override { TPathsAndFiles::FinalizeInstance(); }

  QString Write(const QString& aRelative, const QByteArray& aContent) const {
    return FFolder.WriteFile(aRelative, aContent);
  }
  QString Main(const QString& aRelative) const { return FFolder.Main() + aRelative; }
  QString ArchiveFolder() const { return Main(QStringLiteral("Archive/2026/01/05/")); }
  // The archive name of a file as it is now, for an index.
  QString ArchiveName(const QString& aFileName, const QString& aIndex) const {
    TFileData* lEntry = TPathsAndFiles::AddFile(aFileName, false, false);
    return ArchiveFolder() + lEntry->Name() + QStringLiteral("_CREATEDT_") +
           TFileSystemUtils::TimestampToFileName(lEntry->GetCreatedDateTime()) +
           QStringLiteral("_IX") + aIndex + lEntry->Ext();
  }
  QStringList ArchivedFiles() const { return QDir(ArchiveFolder()).entryList(QDir::Files); }
  // Blocks today's archive folder: a file stands where the folder must be created.
  void BlockArchiveFolder() const {
    QDir().rmdir(ExcludeTrailingPathDelimiter(ArchiveFolder()));
    Write(QStringLiteral("Prog/Archive/2026/01/05"), "a file, not a folder");
  }

  TTestProgramFolder FFolder;
  TLogCapture FLog;
};

// --- archive --------------------------------------------------------------------------------

TEST_F(BackupArchive, ArchiveNameCarriesCreationTimeAndIndex) {
  const QString lLog = Write(QStringLiteral("Prog/Log/app.log"), "log lines");
  const QDateTime lBefore = QDateTime::currentDateTime();
  const QString lExpected = ArchiveName(lLog, QStringLiteral("00000"));
  // The creation time is the file's own, not the pinned clock.
  const TDateTime lCreated = TPathsAndFiles::AddFile(lLog, false, false)->GetCreatedDateTime();
  EXPECT_LE(std::abs(ToQDateTime(lCreated).secsTo(lBefore)), 60);
  EXPECT_TRUE(lExpected.contains(QStringLiteral("/app_CREATEDT_")));
  EXPECT_TRUE(lExpected.endsWith(QStringLiteral("_IX00000.log")));

  TFileData* lArchive = nullptr;
  ASSERT_TRUE(TPathsAndFiles::ArchiveFile(lLog, lArchive, 0));
  ASSERT_NE(lArchive, nullptr);
  EXPECT_EQ(lArchive->FileName(), lExpected);
  EXPECT_EQ(ReadAll(lExpected), QByteArray("log lines"));
  EXPECT_FALSE(QFileInfo::exists(lLog));
  EXPECT_TRUE(FLog.Contains(
      ltInformation, Logged(QStringLiteral("Archive file \"%1\" to \"%2\"").arg(lLog, lExpected))));
  // A file that is not there is not archived.
  EXPECT_FALSE(TPathsAndFiles::ArchiveFile(lLog));
}

TEST_F(BackupArchive, ArchivingAgainMovesTheIndexOnOrFindsTheFileArchivedAlready) {
  const QString lLog = Write(QStringLiteral("Prog/Log/app.log"), "first state");
  const QString lIx0 = ArchiveName(lLog, QStringLiteral("00000"));
  ASSERT_TRUE(TPathsAndFiles::ArchiveFile(lLog));
  // The same file again (a rename keeps its creation time), with a copy of it archived.
  ASSERT_TRUE(QFile::rename(lIx0, lLog));
  ASSERT_TRUE(QFile::copy(lLog, lIx0));
  ASSERT_EQ(ArchiveName(lLog, QStringLiteral("00000")), lIx0);
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::ArchiveFile(lLog));
  EXPECT_TRUE(QFileInfo::exists(lLog));
  EXPECT_TRUE(
      FLog.Contains(ltWarning, Logged(QStringLiteral("File already archived \"%1\"").arg(lLog))));

  // Changed (another size): the next index.
  Append(lLog, " and more");
  TFileData* lArchive = nullptr;
  ASSERT_TRUE(TPathsAndFiles::ArchiveFile(lLog, lArchive, 0));
  EXPECT_EQ(lArchive->FileName(),
            QString(lIx0).replace(QStringLiteral("_IX00000.log"), QStringLiteral("_IX00001.log")));
  EXPECT_EQ(ReadAll(lArchive->FileName()), QByteArray("first state and more"));
  EXPECT_EQ(ReadAll(lIx0), QByteArray("first state"));
  EXPECT_FALSE(QFileInfo::exists(lLog));
  EXPECT_EQ(ArchivedFiles().size(), 2);
}

TEST_F(BackupArchive, ArchiveOfAProgramCarriesItsVersion) {
  const QString lTool = Main(QStringLiteral("Bin/tool"));
  ASSERT_TRUE(QFile::copy(QStringLiteral("/proc/self/exe"), lTool));
  TFileData* lArchive = nullptr;
  ASSERT_TRUE(TPathsAndFiles::ArchiveFile(lTool, lArchive, 0));
  EXPECT_TRUE(lArchive->GetNameWithExt().endsWith(QStringLiteral("_VERS_") + QEL_TEST_VERSION +
                                                  QStringLiteral("_IX00000")))
      << lArchive->FileName().toStdString();
}

TEST_F(BackupArchive, FailedMoveIsNoArchiveAndTheBackupIsKept) {
  const QString lFile = Write(QStringLiteral("Docs/x.ini"), "state");
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  const QString lBackup = Main(QStringLiteral("Backup/x.ini"));
  BlockArchiveFolder();
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::ArchiveFile(lFile));
  EXPECT_TRUE(QFileInfo::exists(lFile));
  EXPECT_TRUE(FLog.Contains(ltError, Logged(QStringLiteral("Archive file \"%1\"").arg(lFile))));
  // Deleting the backup "after archiving it" must not lose it.
  EXPECT_FALSE(TPathsAndFiles::DeleteBackup(lFile, true));
  EXPECT_EQ(ReadAll(lBackup), QByteArray("state"));
}

TEST_F(BackupArchive, ArchiveAllArchivesEachFileOnce) {
  const QString lA = Write(QStringLiteral("Prog/Log/a.log"), "a");
  const QString lB = Write(QStringLiteral("Prog/Log/b.log"), "b");
  TPathsAndFiles::AddFile(lA, false, false);
  TPathsAndFiles::AddFile(lB, false, false);
  EXPECT_EQ(TPathsAndFiles::ArchiveAll(), 2);
  QStringList lArchived = ArchivedFiles();
  ASSERT_EQ(lArchived.size(), 2) << lArchived.join(u' ').toStdString();
  for (const QString& lName : lArchived)
    EXPECT_EQ(lName.count(QStringLiteral("_CREATEDT_")), 1) << lName.toStdString();
}

// --- backup ---------------------------------------------------------------------------------

TEST_F(BackupArchive, SecondBackupArchivesTheFirst) {
  const QString lFile = Write(QStringLiteral("Prog/Data/x.ini"), "version 1");
  const QString lBackup = Main(QStringLiteral("Backup/x.ini"));
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  EXPECT_EQ(ReadAll(lBackup), QByteArray("version 1"));
  EXPECT_EQ(ReadAll(lFile), QByteArray("version 1"));
  EXPECT_TRUE(
      FLog.Contains(ltSuccess, Logged(QStringLiteral("\"%1\" to \"%2\"").arg(lFile, lBackup))));
  EXPECT_TRUE(ArchivedFiles().isEmpty());

  Write(QStringLiteral("Prog/Data/x.ini"), "version 2 is longer");
  const QString lArchive = ArchiveName(lBackup, QStringLiteral("00000"));
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  EXPECT_EQ(ReadAll(lBackup), QByteArray("version 2 is longer"));
  EXPECT_EQ(ReadAll(lArchive), QByteArray("version 1"));
  // The backup replaced in the Backup folder is not set aside beside it.
  EXPECT_EQ(QDir(Main(QStringLiteral("Backup"))).entryList(QDir::Files),
            QStringList{QStringLiteral("x.ini")});
}

TEST_F(BackupArchive, FormerBackupThatCannotBeArchivedIsNotReplaced) {
  const QString lFile = Write(QStringLiteral("Prog/Data/x.ini"), "version 1");
  const QString lBackup = Main(QStringLiteral("Backup/x.ini"));
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  Write(QStringLiteral("Prog/Data/x.ini"), "version 2");
  BlockArchiveFolder();
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::BackupFile(lFile));
  EXPECT_EQ(ReadAll(lBackup), QByteArray("version 1"));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("Unable to archive the former backup")));
  EXPECT_TRUE(
      FLog.Contains(ltError, Logged(QStringLiteral("\"%1\" to \"%2\"").arg(lFile, lBackup))));
}

TEST_F(BackupArchive, BackupRefusesDatabasesAndFilesInTheBackupFolder) {
  const QString lDatabase = Write(QStringLiteral("Prog/Data/app.FDB"), "db");
  const QString lInBackup = Write(QStringLiteral("Prog/Backup/old.ini"), "old");
  const QString lFile = Write(QStringLiteral("Prog/Data/x.ini"), "x");
  EXPECT_FALSE(TPathsAndFiles::BackupFile(lDatabase));
  EXPECT_TRUE(FLog.Contains(
      ltWarning,
      Logged(QStringLiteral("Source \"%1\" Database and should not be copied.").arg(lDatabase))));
  EXPECT_FALSE(QFileInfo::exists(Main(QStringLiteral("Backup/app.FDB"))));
  EXPECT_FALSE(TPathsAndFiles::BackupFile(lInBackup));
  EXPECT_TRUE(FLog.Contains(
      ltError, Logged(QStringLiteral("Source \"%1\" is in the Backup-Directory!").arg(lInBackup))));
  // A target given outside the Backup folder is refused, not copied there.
  const QString lOutside = FFolder.Root() + QStringLiteral("Elsewhere/x.ini");
  TPathsAndFiles::AddFile(lOutside, true, false);
  Write(QStringLiteral("Prog/Backup/x.ini"), "registered");
  EXPECT_FALSE(TPathsAndFiles::BackupFile(lFile, lOutside));
  EXPECT_TRUE(FLog.Contains(
      ltError,
      Logged(QStringLiteral("Target \"%1\" is not in the Backup-Directory!").arg(lOutside))));
  EXPECT_FALSE(QFileInfo::exists(lOutside));
  // Nothing at all for a missing source.
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::BackupFile(FFolder.Root() + QStringLiteral("none.ini")));
  EXPECT_FALSE(TPathsAndFiles::BackupFile(static_cast<const TFileData*>(nullptr)));
  EXPECT_EQ(FLog.Count(ltError), 0);
}

TEST_F(BackupArchive, BackupAllRefusesTheBackupsItMakes) {
  const QString lA = Write(QStringLiteral("Prog/Data/a.ini"), "a");
  const QString lB = Write(QStringLiteral("Prog/Data/b.txt"), "b");
  TPathsAndFiles::AddFile(lA, false, false);
  TPathsAndFiles::AddFile(lB, false, false);
  FLog.Clear();
  // The program file and the configuration files of the catalogue do not exist here.
  EXPECT_EQ(TPathsAndFiles::BackupAll(), 2);
  EXPECT_EQ(ReadAll(Main(QStringLiteral("Backup/a.ini"))), QByteArray("a"));
  EXPECT_EQ(ReadAll(Main(QStringLiteral("Backup/b.txt"))), QByteArray("b"));
  for (const char* lName : {"Backup/a.ini", "Backup/b.txt"})
    EXPECT_TRUE(
        FLog.Contains(ltError, Logged(QStringLiteral("Source \"%1\" is in the Backup-Directory!")
                                          .arg(Main(QString::fromUtf8(lName))))));
}

TEST_F(BackupArchive, BackupFileOfAnUnknownFileIsNone) {
  EXPECT_EQ(TPathsAndFiles::Instance()->GetBackupFile(FFolder.Root() + QStringLiteral("none.ini")),
            nullptr);
  EXPECT_TRUE(FLog.Contains(ltWarning, QStringLiteral("Unable to build backup-file from")));
}

// --- restore and delete ---------------------------------------------------------------------

TEST_F(BackupArchive, RestoreSetsTheCurrentFileAsideAndCopiesTheBackupBack) {
  const QString lFile = Write(QStringLiteral("Prog/Data/x.ini"), "good");
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  Write(QStringLiteral("Prog/Data/x.ini"), "broken");
  ASSERT_TRUE(TPathsAndFiles::RestoreFile(lFile));
  EXPECT_EQ(ReadAll(lFile), QByteArray("good"));
  EXPECT_EQ(ReadAll(Main(QStringLiteral("Data/x_2026_01_05_14_03_59_120.ini"))),
            QByteArray("broken"));
  EXPECT_EQ(ReadAll(Main(QStringLiteral("Backup/x.ini"))), QByteArray("good"));
  EXPECT_FALSE(TPathsAndFiles::RestoreFile(FFolder.Root() + QStringLiteral("none.ini")));
}

TEST_F(BackupArchive, RestoreChecksKindAndFolders) {
  const QString lLog = Write(QStringLiteral("Prog/Log/app.LOG"), "current");
  const QString lLogBackup = Write(QStringLiteral("Prog/Backup/app.LOG"), "old");
  const QString lIni = Write(QStringLiteral("Prog/Data/x.ini"), "current");
  const QString lIniBackup = Write(QStringLiteral("Prog/Backup/x.ini"), "old");
  const struct {
    QString Src, Dst;
    QString Warning;
  } cCases[] = {
      {lLogBackup, lLog, QStringLiteral("Log-Files will not be restored!")},
      {lIniBackup, lIniBackup,
       Logged(QStringLiteral("Target \"%1\" is in the Backup-Directory!").arg(lIniBackup))},
      {lIni, lIni,
       Logged(QStringLiteral("Source \"%1\" is not in the Backup-Directory!").arg(lIni))},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Warning.toStdString());
    FLog.Clear();
    EXPECT_FALSE(TPathsAndFiles::RestoreFile(c.Src, c.Dst));
    EXPECT_TRUE(FLog.Contains(ltWarning, c.Warning));
    EXPECT_TRUE(
        FLog.Contains(ltError, Logged(QStringLiteral("\"%1\" to \"%2\"").arg(c.Src, c.Dst))));
  }
  EXPECT_EQ(ReadAll(lLog), QByteArray("current"));
  EXPECT_EQ(ReadAll(lIni), QByteArray("current"));
  EXPECT_EQ(ReadAll(lIniBackup), QByteArray("old"));
}

TEST_F(BackupArchive, DeleteBackupWithAndWithoutArchive) {
  const QString lFile = Write(QStringLiteral("Prog/Data/x.ini"), "x");
  const QString lBackup = Main(QStringLiteral("Backup/x.ini"));
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  const QString lArchive = ArchiveName(lBackup, QStringLiteral("00000"));
  ASSERT_TRUE(TPathsAndFiles::DeleteBackup(lFile, true));
  EXPECT_FALSE(QFileInfo::exists(lBackup));
  EXPECT_EQ(ReadAll(lArchive), QByteArray("x"));

  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  ASSERT_TRUE(TPathsAndFiles::DeleteBackup(lFile, false));
  EXPECT_FALSE(QFileInfo::exists(lBackup));
  EXPECT_EQ(ArchivedFiles().size(), 1);
  EXPECT_TRUE(QFileInfo::exists(lFile));
  EXPECT_FALSE(TPathsAndFiles::DeleteBackup(FFolder.Root() + QStringLiteral("none.ini"), false));
}

TEST_F(BackupArchive, CleanupBackupsDeletesEveryBackup) {
  const QString lA = Write(QStringLiteral("Prog/Data/a.ini"), "a");
  const QString lB = Write(QStringLiteral("Prog/Data/b.ini"), "b");
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lA));
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lB));
  TPathsAndFiles::Instance()->CleanupBackups();
  EXPECT_TRUE(QDir(Main(QStringLiteral("Backup"))).entryList(QDir::Files).isEmpty());
  EXPECT_TRUE(QFileInfo::exists(lA));
  EXPECT_TRUE(QFileInfo::exists(lB));
}

} // namespace
