// The paths-and-files service: its instance, the logged copy, move and delete, setting files
// aside, temporary files, the list of set-aside files, opening files and finding files.
#include "Qel.Os.ShellOpen.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Json.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelLogCapture.h"
#include "QelTestChild.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

// Log texts as the logger keeps them: double quotes become apostrophes.
QString Logged(const QString& aText) {
  return QString(aText).replace(u'"', u'\'');
}

class PathsAndFiles : public ::testing::Test {
protected:
  void SetUp() override { TPathsAndFiles::FinalizeInstance(); }
  void TearDown() override {
    TPathsAndFiles::FinalizeInstance();
    SetShellOpenProgramOverride(std::nullopt);
  }

  QString Write(const QString& aRelative, const QByteArray& aContent) const {
    return FFolder.WriteFile(aRelative, aContent);
  }
  QString Main(const QString& aRelative) const { return FFolder.Main() + aRelative; }
  TPathsAndFiles* Service() const { return TPathsAndFiles::Instance(); }

  TTestProgramFolder FFolder;
  TLogCapture FLog;
};

TEST_F(PathsAndFiles, InstanceIsBuiltOnceForTheRunningProgram) {
  TPathsAndFiles* lService = Service();
  EXPECT_EQ(Service(), lService);
  EXPECT_EQ(lService->FileLst()->ApplicationExe()->FileName(), FFolder.ProgramFile());
  EXPECT_EQ(lService->PathLst()->Main().Path(), FFolder.Main());
  EXPECT_EQ(lService->FileLst()->PathLst(), lService->PathLst());
  EXPECT_EQ(lService->BackupLst()->OnlyThisPath(), lService->PathLst()->GetPath(ptBackup));
  EXPECT_EQ(lService->PseudoDeleteFileName()->FileName(),
            Main(QStringLiteral("Data/TPathsAndFiles.PseudoDeletedLst.json")));
  EXPECT_TRUE(lService->PseudoDeletedLst().isEmpty());
  EXPECT_TRUE(QFileInfo(Main(QStringLiteral("Backup"))).isDir());

  // A private service is not the process-wide one.
  TPathsAndFiles lPrivate(FFolder.ProgramFile());
  EXPECT_NE(&lPrivate, Service());
  EXPECT_NE(lPrivate.FileLst(), lService->FileLst());
}

TEST_F(PathsAndFiles, CopyOntoAnExistingFileSetsItAsideFirst) {
  SetNowOverride(EncodeDateTime(2026, 1, 5, 14, 3, 59, 120));
  const QString lSrc = Write(QStringLiteral("Docs/Brief.docx"), "new letter");
  const QString lDst = Write(QStringLiteral("Out/Brief_17.docx"), "old letter");
  const QString lAside =
      FFolder.Root() + QStringLiteral("Out/Brief_17_2026_01_05_14_03_59_120.docx");
  Service();
  FLog.Clear();
  ASSERT_TRUE(TPathsAndFiles::CopyFile(lSrc, lDst));
  EXPECT_EQ(ReadAll(lDst), QByteArray("new letter"));
  EXPECT_EQ(ReadAll(lAside), QByteArray("old letter"));
  EXPECT_NE(Service()->FileLst()->FindByFileName(lAside), nullptr);

  const QString lQuoted = Logged(QStringLiteral("\"%1\" to \"%2\"").arg(lSrc, lDst));
  EXPECT_TRUE(FLog.Contains(ltSuccess,
                            Logged(QStringLiteral("Rename \"%1\" to \"%2\"").arg(lDst, lAside))));
  EXPECT_TRUE(FLog.Contains(ltInformation, QStringLiteral("Copied 10B of 10B")));
  EXPECT_TRUE(FLog.Contains(ltSuccess, lQuoted));
  EXPECT_TRUE(FLog.Contains(ltInformation, QStringLiteral("Copied file ") + lQuoted));
  // In the order of the work.
  std::vector<QString> lTexts;
  for (const TLoggingData& lRecord : FLog.Records())
    lTexts.push_back(lRecord.FText);
  const auto lIndexOf = [&](const QString& aPart) {
    for (size_t i = 0; i < lTexts.size(); ++i)
      if (lTexts[i].contains(aPart))
        return static_cast<int>(i);
    return -1;
  };
  EXPECT_LT(lIndexOf(QStringLiteral("Rename ")), lIndexOf(QStringLiteral("Copied 10B")));
  EXPECT_LT(lIndexOf(QStringLiteral("Copied 10B")), lIndexOf(QStringLiteral("Copied file")));
}

TEST_F(PathsAndFiles, CopyIntoTheBackupFolderReplacesTheOldFile) {
  const QString lSrc = Write(QStringLiteral("Docs/x.ini"), "new");
  const QString lDst = Write(QStringLiteral("Prog/Backup/x.ini"), "old");
  ASSERT_TRUE(TPathsAndFiles::CopyFile(lSrc, lDst));
  EXPECT_EQ(ReadAll(lDst), QByteArray("new"));
  EXPECT_EQ(QDir(Main(QStringLiteral("Backup"))).entryList(QDir::Files),
            QStringList{QStringLiteral("x.ini")});
  EXPECT_FALSE(FLog.Contains(ltSuccess, QStringLiteral("Rename ")));
}

TEST_F(PathsAndFiles, CopyOfAMissingSourceFailsQuietly) {
  Service();
  FLog.Clear();
  const QString lDst = FFolder.Root() + QStringLiteral("New/Folder/x.txt");
  EXPECT_FALSE(TPathsAndFiles::CopyFile(FFolder.Root() + QStringLiteral("none.txt"), lDst));
  EXPECT_TRUE(QFileInfo(FFolder.Root() + QStringLiteral("New/Folder")).isDir());
  EXPECT_FALSE(QFileInfo::exists(lDst));
  for (const TLoggingData& lRecord : FLog.Records())
    EXPECT_EQ(lRecord.FTyp, ltRunTime) << lRecord.FText.toStdString();
}

TEST_F(PathsAndFiles, CopyDoesNotOverwriteADestinationItCouldNotSetAside) {
  SetNowOverride(EncodeDateTime(2026, 1, 5, 14, 3, 59, 120));
  const QString lSrc = Write(QStringLiteral("Docs/a.txt"), "new");
  const QString lDst = Write(QStringLiteral("Out/a.txt"), "only copy of the old text");
  // The name the destination would be set aside under is taken.
  const QString lTaken = Write(QStringLiteral("Out/a_2026_01_05_14_03_59_120.txt"), "other");
  EXPECT_FALSE(TPathsAndFiles::CopyFile(lSrc, lDst));
  EXPECT_EQ(ReadAll(lDst), QByteArray("only copy of the old text"));
  EXPECT_EQ(ReadAll(lTaken), QByteArray("other"));
  EXPECT_TRUE(
      FLog.Contains(ltError, Logged(QStringLiteral("Rename \"%1\" to \"%2\"").arg(lDst, lTaken))));
  EXPECT_TRUE(
      FLog.Contains(ltError, Logged(QStringLiteral("Unable to set \"%1\" aside").arg(lDst))));
  EXPECT_FALSE(FLog.Contains(ltInformation, QStringLiteral("Copied file")));
}

TEST_F(PathsAndFiles, DestinationThatCannotBeWrittenFailsAndKeepsTheOldFile) {
  SetNowOverride(EncodeDateTime(2026, 1, 5, 14, 3, 59, 120));
  const QByteArray lLarge(100000, 'n');
  const QString lSrc = Write(QStringLiteral("Docs/a.bin"), lLarge);
  Service();

  // A folder where the destination file should be.
  const QString lFolder = FFolder.Root() + QStringLiteral("Out/folder.bin");
  ASSERT_TRUE(QDir().mkpath(lFolder));
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::CopyFile(lSrc, lFolder));
  EXPECT_TRUE(QFileInfo(lFolder).isDir());
  EXPECT_TRUE(FLog.Contains(ltError, QString()));

  // A full disk, simulated by a file size limit in a child: the first block goes through,
  // the second fails. The old destination lies set aside, whole.
  const QString lDst = Write(QStringLiteral("Out/a.bin"), "old content");
  const QString lAside = FFolder.Root() + QStringLiteral("Out/a_2026_01_05_14_03_59_120.bin");
  const int lCode = RunInChild([&] {
    if (!LimitFileSize(30000))
      return 98;
    TLogCapture lLog;
    if (TPathsAndFiles::CopyFile(lSrc, lDst))
      return 1;
    return lLog.Contains(ltError, Logged(lDst)) ? 0 : 2;
  });
  EXPECT_EQ(lCode, 0) << "1: the copy reported success, 2: no error entry";
  EXPECT_EQ(ReadAll(lAside), QByteArray("old content"));
  EXPECT_NE(ReadAll(lDst), lLarge);
  EXPECT_EQ(ReadAll(lSrc), lLarge);
}

TEST_F(PathsAndFiles, NamesDifferingInCaseAreDifferentFiles) {
  const QString lUpper = Write(QStringLiteral("Docs/Brief.txt"), "upper");
  const QString lLower = Write(QStringLiteral("Docs/brief.txt"), "lower");
  ASSERT_TRUE(TPathsAndFiles::CopyFile(lUpper, FFolder.Root() + QStringLiteral("Out/Brief_1.txt")));
  ASSERT_TRUE(TPathsAndFiles::CopyFile(lLower, FFolder.Root() + QStringLiteral("Out/brief_1.txt")));
  EXPECT_EQ(ReadAll(FFolder.Root() + QStringLiteral("Out/Brief_1.txt")), QByteArray("upper"));
  EXPECT_EQ(ReadAll(FFolder.Root() + QStringLiteral("Out/brief_1.txt")), QByteArray("lower"));
  EXPECT_EQ(QDir(FFolder.Root() + QStringLiteral("Out")).entryList(QDir::Files).size(), 2);
}

TEST_F(PathsAndFiles, CopyOntoItselfKeepsTheFile) {
  const QString lFile = Write(QStringLiteral("Docs/a.txt"), "content");
  EXPECT_FALSE(TPathsAndFiles::CopyFile(lFile, lFile));
  EXPECT_EQ(ReadAll(lFile), QByteArray("content"));
  EXPECT_EQ(QDir(FFolder.Root() + QStringLiteral("Docs")).entryList(QDir::Files),
            QStringList{QStringLiteral("a.txt")});
}

TEST_F(PathsAndFiles, SetAsideTwiceInOneMillisecondKeepsTheFirst) {
  SetNowOverride(EncodeDateTime(2026, 1, 5, 14, 3, 59, 120));
  const QString lName = Write(QStringLiteral("Out/Brief_17.docx"), "first");
  const QString lAside =
      FFolder.Root() + QStringLiteral("Out/Brief_17_2026_01_05_14_03_59_120.docx");
  TFileData* lEntry = TPathsAndFiles::AddFile(lName, false, false);
  ASSERT_TRUE(TPathsAndFiles::PseudoDeleteFile(lEntry));
  EXPECT_FALSE(lEntry->GetExists());
  Write(QStringLiteral("Out/Brief_17.docx"), "second");
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::PseudoDeleteFile(lEntry));
  EXPECT_EQ(ReadAll(lAside), QByteArray("first"));
  EXPECT_EQ(ReadAll(lName), QByteArray("second"));
  EXPECT_TRUE(
      FLog.Contains(ltError, Logged(QStringLiteral("Rename \"%1\" to \"%2\"").arg(lName, lAside))));
  // The set-aside file is not a pseudo-deleted one.
  EXPECT_TRUE(Service()->PseudoDeletedLst().isEmpty());
}

TEST_F(PathsAndFiles, OnlyExistingFilesOutsideTheBackupFolderAreSetAside) {
  TFileData* lBackup =
      TPathsAndFiles::AddFile(Write(QStringLiteral("Prog/Backup/x.ini"), "x"), false, false);
  TFileData* lMissing =
      TPathsAndFiles::AddFile(FFolder.Root() + QStringLiteral("none.txt"), true, false);
  for (TFileData* lEntry : {lBackup, lMissing, static_cast<TFileData*>(nullptr)})
    EXPECT_FALSE(TPathsAndFiles::PseudoDeleteFile(lEntry));
  EXPECT_TRUE(lBackup->GetExists());
  EXPECT_EQ(QDir(Main(QStringLiteral("Backup"))).entryList(QDir::Files).size(), 1);
}

TEST_F(PathsAndFiles, BackupPathComparesTheFolderPart) {
  const struct {
    const char* Name;
    bool Expected;
  } cCases[] = {
      {"Backup/x.ini", true},      {"Backup/", true},       {"Backup", false},
      {"Backup/Sub/x.ini", false}, {"backup/x.ini", false}, {"Data/x.ini", false},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(TPathsAndFiles::IsBackupPath(Main(QString::fromUtf8(c.Name))), c.Expected);
  }
}

TEST_F(PathsAndFiles, MoveNeverReplacesAnExistingFile) {
  const QString lSrc = Write(QStringLiteral("Docs/a.txt"), "new");
  const QString lDst = Write(QStringLiteral("Out/a.txt"), "old");
  EXPECT_FALSE(TPathsAndFiles::MoveFile(lSrc, lDst));
  EXPECT_EQ(ReadAll(lSrc), QByteArray("new"));
  EXPECT_EQ(ReadAll(lDst), QByteArray("old"));
  const QString lFree = FFolder.Root() + QStringLiteral("Moved/a.txt");
  EXPECT_TRUE(TPathsAndFiles::MoveFile(lSrc, lFree));
  EXPECT_EQ(ReadAll(lFree), QByteArray("new"));
  EXPECT_FALSE(QFileInfo::exists(lSrc));
  EXPECT_FALSE(TPathsAndFiles::MoveFile(FFolder.Root() + QStringLiteral("none.txt"), lDst));
}

TEST_F(PathsAndFiles, DeleteKeepsABackupCopy) {
  const QString lFile = Write(QStringLiteral("Docs/x.ini"), "settings");
  ASSERT_TRUE(TPathsAndFiles::DeleteFile(lFile));
  EXPECT_FALSE(QFileInfo::exists(lFile));
  EXPECT_EQ(ReadAll(Main(QStringLiteral("Backup/x.ini"))), QByteArray("settings"));
  EXPECT_TRUE(FLog.Contains(ltSuccess, lFile));
  EXPECT_FALSE(TPathsAndFiles::DeleteFile(FFolder.Root() + QStringLiteral("none.txt")));
}

TEST_F(PathsAndFiles, TemporaryFilesAreFreshAndDeletedAtTheEnd) {
  TFileData* lFirst = TPathsAndFiles::GetTempFile(QStringLiteral(".xml"));
  TFileData* lSecond = TPathsAndFiles::GetTempFile(QStringLiteral(".xml"));
  ASSERT_NE(lFirst, nullptr);
  ASSERT_NE(lSecond, nullptr);
  EXPECT_NE(lFirst->FileName(), lSecond->FileName());
  const QStringList lNames{lFirst->FileName(), lSecond->FileName()};
  EXPECT_EQ(Service()->TmpLst(), lNames);
  for (const QString& lName : lNames) {
    EXPECT_EQ(ExtractFilePath(lName), Main(QStringLiteral("Tmp/")));
    EXPECT_TRUE(lName.endsWith(QStringLiteral(".xml")));
    EXPECT_FALSE(QFileInfo::exists(lName)) << "the caller writes the file";
    Write(lName.mid(FFolder.Root().size()), "<x/>");
  }
  const QString lOther = Write(QStringLiteral("Prog/Tmp/not-registered.xml"), "<y/>");
  TPathsAndFiles::FinalizeInstance();
  for (const QString& lName : lNames)
    EXPECT_FALSE(QFileInfo::exists(lName)) << lName.toStdString();
  EXPECT_TRUE(QFileInfo::exists(lOther));
}

TEST_F(PathsAndFiles, PseudoDeletedListSurvivesTheRun) {
  const QString lKnown = Write(QStringLiteral("Docs/set-aside.txt"), "x");
  const QString lGone = FFolder.Root() + QStringLiteral("Docs/gone.txt");
  const QStringList lList{lKnown, lGone};
  const QString lListFile = Write(QStringLiteral("Prog/Data/TPathsAndFiles.PseudoDeletedLst.json"),
                                  JsonFromStringList(lList).toUtf8());
  EXPECT_EQ(Service()->PseudoDeletedLst(), lList);
  Service()->CleanupPseudoDeleted();
  EXPECT_FALSE(QFileInfo::exists(lKnown));
  EXPECT_EQ(Service()->PseudoDeletedLst(), lList) << "the list itself stays";
  // Another program of the family adds a name meanwhile: the end of this run, which changed
  // nothing in the list, does not write its old copy over it.
  const QStringList lOthers = lList + QStringList{FFolder.Root() + QStringLiteral("Docs/new.txt")};
  Write(QStringLiteral("Prog/Data/TPathsAndFiles.PseudoDeletedLst.json"),
        JsonFromStringList(lOthers).toUtf8());
  TPathsAndFiles::FinalizeInstance();
  QStringList lSaved;
  ASSERT_TRUE(StringListFromJson(QString::fromUtf8(ReadAll(lListFile)), lSaved));
  EXPECT_EQ(lSaved, lOthers);
  // And read again by the next run.
  EXPECT_EQ(Service()->PseudoDeletedLst(), lOthers);
}

TEST_F(PathsAndFiles, AFifoInPlaceOfThePseudoDeletedListIsNotWaitedFor) {
  ASSERT_TRUE(ForceDirectories(Main(QStringLiteral("Data"))));
  ASSERT_EQ(
      ::mkfifo(QFile::encodeName(Main(QStringLiteral("Data/TPathsAndFiles.PseudoDeletedLst.json")))
                   .constData(),
               0600),
      0);
  // In a child with an alarm: opening a FIFO for reading would wait for a writer forever.
  const int lCode = RunInChild([&] {
    alarm(10);
    return Service()->PseudoDeletedLst().isEmpty() ? 0 : 1;
  });
  EXPECT_EQ(lCode, 0);
}

TEST_F(PathsAndFiles, DeleteKeepsAFileWhoseBackupCouldNotBeMade) {
  const QString lFile = Write(QStringLiteral("Prog/Data/x.ini"), "version 1");
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  Write(QStringLiteral("Prog/Data/x.ini"), "version 2");
  // The former backup cannot be archived (a file stands where today's archive folder goes),
  // so the backup of version 2 is refused: deleting it would lose it.
  SetNowOverride(EncodeDateTime(2026, 1, 5, 14, 3, 59, 120));
  Write(QStringLiteral("Prog/Archive/2026/01/05"), "a file, not a folder");
  EXPECT_FALSE(TPathsAndFiles::DeleteFile(lFile));
  SetNowOverride(std::nullopt);
  EXPECT_EQ(ReadAll(lFile), QByteArray("version 2"));
  EXPECT_EQ(ReadAll(Main(QStringLiteral("Backup/x.ini"))), QByteArray("version 1"));
  EXPECT_TRUE(FLog.Contains(ltError, Logged(QStringLiteral("File \"%1\" not deleted").arg(lFile))));
}

TEST_F(PathsAndFiles, EmptyPseudoDeletedListWritesNoFile) {
  Service();
  TPathsAndFiles::FinalizeInstance();
  EXPECT_FALSE(
      QFileInfo::exists(Main(QStringLiteral("Data/TPathsAndFiles.PseudoDeletedLst.json"))));
}

TEST_F(PathsAndFiles, UnreadablePseudoDeletedListStartsEmpty) {
  for (const QByteArray& lGarbage : {QByteArray("not json at all {"),
                                     QByteArray("{\"an\": \"object\"}"), QByteArray("[1, 2]")}) {
    SCOPED_TRACE(lGarbage.toStdString());
    const QString lListFile =
        Write(QStringLiteral("Prog/Data/TPathsAndFiles.PseudoDeletedLst.json"), lGarbage);
    FLog.Clear();
    TPathsAndFiles* lService = Service();
    ASSERT_NE(lService, nullptr);
    EXPECT_TRUE(lService->PseudoDeletedLst().isEmpty());
    EXPECT_NE(lService->FileLst()->ApplicationExe(), nullptr);
    EXPECT_TRUE(FLog.Contains(ltWarning, QStringLiteral("Unable to read the list")));
    TPathsAndFiles::FinalizeInstance();
    EXPECT_EQ(ReadAll(lListFile), lGarbage) << "another program's file is left alone";
  }
}

TEST_F(PathsAndFiles, OpenFileMapsTheOpenersFailures) {
  const QString lDoc = Write(QStringLiteral("Docs/letter.odt"), "doc");
  const QString lMarker = FFolder.Root() + QStringLiteral("opened.txt");
  const struct {
    int ExitCode;
    bool Result;
    const char* Text;
  } cCases[] = {
      {0, true, nullptr},
      {3, false, "No application is associated with this file type."},
      {4, false, "General failure while executing ShellExecute."},
      {5, false, "Access denied."},
      // The file exists, so "not found" from the opener is no missing file.
      {2, false, "General failure while executing ShellExecute."},
      {1, false, "General failure while executing ShellExecute."},
  };
  const QString lMethod = Logged(QStringLiteral("OpenFile(") + lDoc + u')');
  Service();
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.ExitCode);
    const QString lOpener =
        Write(QStringLiteral("opener.sh"),
              QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\npwd >> '%1'\nexit %2\n")
                  .arg(lMarker)
                  .arg(c.ExitCode)
                  .toUtf8());
    ASSERT_EQ(chmod(QFile::encodeName(lOpener).constData(), 0755), 0);
    SetShellOpenProgramOverride(lOpener);
    QFile::remove(lMarker);
    FLog.Clear();
    EXPECT_EQ(TPathsAndFiles::OpenFile(lDoc), c.Result);
    // The opener got the file, in the file's folder.
    EXPECT_EQ(ReadAll(lMarker),
              (lDoc + u'\n' + FFolder.Root() + QStringLiteral("Docs") + u'\n').toUtf8());
    if (c.Text) {
      EXPECT_TRUE(FLog.Contains(ltError, QString::fromUtf8(c.Text)));
      EXPECT_TRUE(FLog.Contains(ltError, lDoc));
    } else {
      EXPECT_TRUE(FLog.Contains(ltSuccess, lDoc));
      EXPECT_EQ(FLog.Count(ltError), 0);
    }
    for (const TLoggingData& lRecord : FLog.Records())
      EXPECT_TRUE(lRecord.FSender.contains(lMethod)) << lRecord.FSender.toStdString();
  }

  // An opener that is not there, and a file that is not there.
  SetShellOpenProgramOverride(FFolder.Root() + QStringLiteral("no-such-opener"));
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::OpenFile(lDoc));
  EXPECT_TRUE(
      FLog.Contains(ltError, QStringLiteral("General failure while executing ShellExecute.")));
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::OpenFile(FFolder.Root() + QStringLiteral("none.odt")));
  EXPECT_FALSE(TPathsAndFiles::OpenFile(QString()));
  EXPECT_FALSE(FLog.Contains(ltError, QStringLiteral("ShellExecute")));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("none.odt")));
}

TEST_F(PathsAndFiles, OpenerReportingAMissingFileGivesFileNotFound) {
  const QString lOpener = Write(QStringLiteral("opener.sh"), "#!/bin/sh\nexit 2\n");
  ASSERT_EQ(chmod(QFile::encodeName(lOpener).constData(), 0755), 0);
  SetShellOpenProgramOverride(lOpener);
  EXPECT_EQ(ShellOpenFile(FFolder.Root() + QStringLiteral("vanished.odt"), FFolder.Root()), 2);
}

TEST_F(PathsAndFiles, FindFilesFillsEachFormOfResult) {
  const QString lDocs = FFolder.Root() + QStringLiteral("Docs");
  const QString lA = Write(QStringLiteral("Docs/a.log"), "a");
  Write(QStringLiteral("Docs/b.txt"), "b");
  Write(QStringLiteral("Docs/Sub/c.log"), "c");

  QStringList lList{QStringLiteral("stale")};
  ASSERT_TRUE(TPathsAndFiles::FindFiles(lDocs, QStringLiteral("*.log"), &lList));
  EXPECT_EQ(lList, QStringList{lA});
  EXPECT_NE(Service()->FileLst()->FindByFileName(lA), nullptr);
  std::vector<QString> lNames;
  ASSERT_TRUE(TPathsAndFiles::FindFiles(lDocs, QStringLiteral("*.log"), lNames));
  EXPECT_EQ(lNames, std::vector<QString>{lA});
  std::vector<TFileData*> lEntries;
  ASSERT_TRUE(TPathsAndFiles::FindFiles(lDocs, QStringLiteral("*.log"), lEntries));
  ASSERT_EQ(lEntries.size(), 1u);
  EXPECT_EQ(lEntries[0]->FileName(), lA);

  // A missing folder or no list: false, and the list is left as it was.
  lList = QStringList{QStringLiteral("kept")};
  EXPECT_FALSE(
      TPathsAndFiles::FindFiles(lDocs + QStringLiteral("/none"), QStringLiteral("*"), &lList));
  EXPECT_EQ(lList, QStringList{QStringLiteral("kept")});
  EXPECT_FALSE(
      TPathsAndFiles::FindFiles(lDocs, QStringLiteral("*"), static_cast<QStringList*>(nullptr)));

  QStringList lDirs{QStringLiteral("stale")};
  ASSERT_TRUE(TPathsAndFiles::FindDirectories(lDocs, QStringLiteral("*"), &lDirs));
  EXPECT_EQ(lDirs, QStringList{lDocs + QStringLiteral("/Sub")});
  std::vector<QString> lDirNames;
  ASSERT_TRUE(TPathsAndFiles::FindDirectories(lDocs, QStringLiteral("S*"), lDirNames));
  EXPECT_EQ(lDirNames, std::vector<QString>{lDocs + QStringLiteral("/Sub")});
  EXPECT_FALSE(TPathsAndFiles::FindDirectories(lDocs, QStringLiteral("*"),
                                               static_cast<QStringList*>(nullptr)));
}

TEST_F(PathsAndFiles, FileDataGivesTheEntryAndTheBackupEntry) {
  const QString lFile = Write(QStringLiteral("Docs/x.ini"), "x");
  TFileData* lData = nullptr;
  TFileData* lBck = nullptr;
  TPathsAndFiles::GetFileData(lFile, lData, lBck);
  ASSERT_NE(lData, nullptr);
  EXPECT_EQ(lData->FileName(), lFile);
  EXPECT_EQ(lBck, nullptr) << "no backup yet, and not forced";
  ASSERT_TRUE(TPathsAndFiles::BackupFile(lFile));
  TPathsAndFiles::GetFileData(lFile, lData, lBck);
  ASSERT_NE(lBck, nullptr);
  EXPECT_EQ(lBck->FileName(), Main(QStringLiteral("Backup/x.ini")));
  TPathsAndFiles::GetFileData(FFolder.Root() + QStringLiteral("none.txt"), lData, lBck);
  EXPECT_EQ(lData, nullptr);
  EXPECT_EQ(lBck, nullptr);
}

TEST_F(PathsAndFiles, ClassLevelOperationsFromTwoThreadsAreSerialised) {
  constexpr int cPerThread = 1000;
  const auto lWork = [] {
    for (int i = 0; i < cPerThread; ++i)
      TPathsAndFiles::GetTempFile(QStringLiteral(".tmp"));
  };
  std::thread lOther(lWork);
  lWork();
  lOther.join();
  const QStringList& lTmp = Service()->TmpLst();
  ASSERT_EQ(lTmp.size(), 2 * cPerThread);
  EXPECT_EQ(std::set<QString>(lTmp.begin(), lTmp.end()).size(), size_t(2 * cPerThread));
  for (const QString& lName : lTmp)
    EXPECT_NE(Service()->FileLst()->FindByFileName(lName), nullptr);
}

} // namespace

namespace {

TEST(PathsAndFilesCaption, NamesProgramDatabaseAndCustomer) {
  TTestProgramFolder lFolder(QStringLiteral("Qel_Caption"));
  TPathsAndFiles::FinalizeInstance();
  // A database that is not there (no server: nothing goes over the network).
  const QString lDatabase = lFolder.Root() + QStringLiteral("none.fdb");
  lFolder.WriteFile(QStringLiteral("Prog/Bin/app.ini"),
                    "[Database]\nDatabase=" + lDatabase.toUtf8() +
                        "\n[SKISCHULE]\nssName=Alpine\nssInitial=ALP\n");
  const QString lCaption = TPathsAndFiles::Instance()->GetApplicationCaption();
  EXPECT_TRUE(lCaption.startsWith(QStringLiteral("Qel_Caption () | ") + lDatabase + " ("))
      << lCaption.toStdString();
  EXPECT_TRUE(lCaption.endsWith(QStringLiteral(")] | Alpine [ALP]"))) << lCaption.toStdString();
  TPathsAndFiles::FinalizeInstance();
}

} // namespace
