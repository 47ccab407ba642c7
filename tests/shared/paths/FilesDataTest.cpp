// The known-files catalogue: registration, the program's own files, file kinds and texts,
// and the logged copy, move and delete of single files.
#include "Qel.Os.FileOps.h"
#include "Qel.Os.Process.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelLogCapture.h"
#include "QelTestChild.h"
#include "QelTestFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t cNobody = 65534;

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

enum TLockKind { lkFlockExclusive, lkFlockShared, lkOfdWrite, lkPosixRead };

// Another process that holds a lock on a file until the holder is destroyed.
class TLockHolder {
public:
  TLockHolder(const QString& aFileName, TLockKind aKind) {
    int lReady[2];
    int lRelease[2];
    if (pipe(lReady) != 0 || pipe(lRelease) != 0)
      return;
    const QByteArray lName = QFile::encodeName(aFileName);
    FPid = fork();
    if (FPid == 0) {
      close(lReady[0]);
      close(lRelease[1]);
      const int lFd = open(lName.constData(), O_RDWR);
      struct flock lLock {};
      lLock.l_whence = SEEK_SET;
      bool lLocked = false;
      switch (aKind) {
      case lkFlockExclusive:
        lLocked = flock(lFd, LOCK_EX) == 0;
        break;
      case lkFlockShared:
        lLocked = flock(lFd, LOCK_SH) == 0;
        break;
      case lkOfdWrite:
        lLock.l_type = F_WRLCK;
        lLocked = fcntl(lFd, F_OFD_SETLK, &lLock) == 0;
        break;
      case lkPosixRead:
        lLock.l_type = F_RDLCK;
        lLocked = fcntl(lFd, F_SETLK, &lLock) == 0;
        break;
      }
      if (lLocked && write(lReady[1], "L", 1) == 1) {
        char c;
        while (read(lRelease[0], &c, 1) > 0) {
        }
      }
      _exit(0);
    }
    close(lReady[1]);
    close(lRelease[0]);
    FRelease = lRelease[1];
    char c = 0;
    FLocked = read(lReady[0], &c, 1) == 1;
    close(lReady[0]);
  }
  ~TLockHolder() { Release(); }
  bool Locked() const { return FLocked; }
  void Release() {
    if (FRelease >= 0)
      close(FRelease);
    FRelease = -1;
    if (FPid > 0)
      waitpid(FPid, nullptr, 0);
    FPid = -1;
  }

private:
  pid_t FPid = -1;
  int FRelease = -1;
  bool FLocked = false;
};

// The immutable attribute on a file: it can be neither deleted nor renamed, by root neither.
class TImmutableFile {
public:
  explicit TImmutableFile(const QString& aFileName) : FName(QFile::encodeName(aFileName)) {
    FOK = SetFlag(true);
  }
  ~TImmutableFile() {
    if (FOK)
      SetFlag(false);
  }
  bool OK() const { return FOK; }

private:
  bool SetFlag(bool aOn) {
    const int lFd = open(FName.constData(), O_RDONLY);
    int lFlags = 0;
    bool lResult = lFd >= 0 && ioctl(lFd, FS_IOC_GETFLAGS, &lFlags) == 0;
    lFlags = aOn ? (lFlags | FS_IMMUTABLE_FL) : (lFlags & ~FS_IMMUTABLE_FL);
    lResult = lResult && ioctl(lFd, FS_IOC_SETFLAGS, &lFlags) == 0;
    if (lFd >= 0)
      close(lFd);
    return lResult;
  }
  QByteArray FName;
  bool FOK = false;
};

// FileCopy between two entries of no catalogue (for copies run in a child process).
bool CopyEntries(const QString& aSrcName, const QString& aDstName) {
  TFileData lSrc;
  lSrc.Build(nullptr, aSrcName);
  TFileData lDst;
  lDst.Build(nullptr, aDstName);
  return lSrc.FileCopy(&lDst);
}

class FilesData : public ::testing::Test {
protected:
  // A failed deletion sets files aside through the process-wide service of this folder.
  void TearDown() override { TPathsAndFiles::FinalizeInstance(); }

  QString Write(const QString& aRelative, const QByteArray& aContent) const {
    return FFolder.WriteFile(aRelative, aContent);
  }
  TFileData* Entry(const QString& aRelative, const QByteArray& aContent) {
    return FFiles.Add(Write(aRelative, aContent), false, false);
  }
  TFileData* Forced(const QString& aRelative) {
    return FFiles.Add(FFolder.Root() + aRelative, true, false);
  }

  TTestProgramFolder FFolder;
  TLogCapture FLog;
  TPathDataList FPaths{FFolder.ProgramFile()};
  TFileDataList FFiles{FFolder.ProgramFile(), nullptr, &FPaths};
};

// --- registration ---------------------------------------------------------------------------

TEST_F(FilesData, MissingFileIsRegisteredOnlyWhenForcedAndItsFolderIsCreated) {
  const QString lName = FFolder.Root() + QStringLiteral("Docs/New/x.txt");
  EXPECT_EQ(FFiles.Add(lName, false, false), nullptr);
  TFileData* lEntry = FFiles.Add(lName, true, false);
  ASSERT_NE(lEntry, nullptr);
  EXPECT_EQ(lEntry->FileName(), lName);
  EXPECT_FALSE(lEntry->GetExists());
  EXPECT_TRUE(QFileInfo(FFolder.Root() + QStringLiteral("Docs/New")).isDir());
  ASSERT_NE(lEntry->Path(), nullptr);
  EXPECT_EQ(lEntry->Path()->Path(), FFolder.Root() + QStringLiteral("Docs/New/"));
  // Known now: found without force.
  EXPECT_EQ(FFiles.Add(lName, false, false), lEntry);
}

TEST_F(FilesData, NamesAreKeyedByTheFileSystemRule) {
  TFileData* lUpper = Entry(QStringLiteral("Docs/Brief.txt"), "a");
  TFileData* lLower = Entry(QStringLiteral("Docs/brief.txt"), "b");
  ASSERT_NE(lUpper, nullptr);
  ASSERT_NE(lLower, nullptr);
  EXPECT_NE(lUpper, lLower);
  EXPECT_EQ(FFiles.FindByFileName(lUpper->FileName()), lUpper);
  // The required flag follows the last registration.
  EXPECT_EQ(FFiles.Add(lUpper->FileName(), false, true), lUpper);
  EXPECT_TRUE(lUpper->Required());
  EXPECT_EQ(FFiles.Add(lUpper->FileName(), false, false), lUpper);
  EXPECT_FALSE(lUpper->Required());
}

TEST_F(FilesData, NameWithoutFilePartIsNoFile) {
  for (const QString& lName : {QString(), QStringLiteral("   "), FFolder.Root() + u'/',
                               FFolder.Root() + QStringLiteral("Docs/ ")}) {
    SCOPED_TRACE(lName.toStdString());
    EXPECT_EQ(FFiles.Add(lName, true, false), nullptr);
  }
}

TEST_F(FilesData, PathAndNameFormsPlaceTheFile) {
  const TPathData* lData = FPaths.GetPath(ptData);
  const QString lDocs = FFolder.Root() + QStringLiteral("Docs/");
  EXPECT_EQ(FFiles.Add(lData, QStringLiteral("a.txt"), true, false)->FileName(),
            lData->Path() + QStringLiteral("a.txt"));
  // A name with a folder contributes only its last element.
  EXPECT_EQ(FFiles.Add(lData, lDocs + QStringLiteral("b.txt"), true, false)->FileName(),
            lData->Path() + QStringLiteral("b.txt"));
  // Without a folder the name's own folder is used.
  EXPECT_EQ(FFiles.Add(QString(), lDocs + QStringLiteral("c.txt"), true, false)->FileName(),
            lDocs + QStringLiteral("c.txt"));
  EXPECT_EQ(
      FFiles.Add(FFolder.Root() + QStringLiteral("Docs"), QStringLiteral("d.txt"), true, false)
          ->FileName(),
      lDocs + QStringLiteral("d.txt"));
}

TEST_F(FilesData, CatalogueBoundToTheBackupFolderPlacesEveryFileThere) {
  TPathData* lBackup = FPaths.GetPath(ptBackup);
  TFileDataList lBackups(FFolder.ProgramFile(), lBackup, &FPaths);
  const QString lDoc = Write(QStringLiteral("Docs/a.txt"), "a");
  TFileData* lEntry = lBackups.Add(lDoc, true, false);
  ASSERT_NE(lEntry, nullptr);
  EXPECT_EQ(lEntry->FileName(), lBackup->Path() + QStringLiteral("a.txt"));
  EXPECT_EQ(lEntry->Path(), lBackup);
  EXPECT_TRUE(lEntry->GetIsBackup());
  EXPECT_EQ(
      lBackups.Add(FFolder.Root() + QStringLiteral("Other/"), QStringLiteral("b.txt"), true, false)
          ->FileName(),
      lBackup->Path() + QStringLiteral("b.txt"));
  // Not forced, a name that is neither registered nor in the Backup folder is none.
  EXPECT_EQ(lBackups.Add(Write(QStringLiteral("Docs/c.txt"), "c"), false, false), nullptr);
}

TEST_F(FilesData, KindsFollowTheExtensionWithoutRegardToCase) {
  const struct {
    const char* File;
    const char* Name;
    const char* Ext;
    bool Log, Database, Text, Binary;
  } cCases[] = {
      {"app.LOG", "app", ".LOG", true, false, true, false},
      {"0000000001.trc", "0000000001", ".trc", true, false, false, false},
      {"Data.FDB", "Data", ".FDB", false, true, false, false},
      {"list.json", "list", ".json", false, false, true, false},
      {"page.Html", "page", ".Html", false, false, true, false},
      {"tool.exe", "tool", ".exe", false, false, false, true},
      {"lib.DLL", "lib", ".DLL", false, false, false, true},
      {"backup.tar.gz", "backup.tar", ".gz", false, false, false, false},
      {"Makefile", "Makefile", "", false, false, false, false},
      {"dotted.d/plain", "plain", "", false, false, false, false},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.File);
    TFileData lEntry;
    lEntry.Build(nullptr, FFolder.Root() + QString::fromUtf8(c.File));
    EXPECT_EQ(lEntry.Name(), QString::fromUtf8(c.Name));
    EXPECT_EQ(lEntry.Ext(), QString::fromUtf8(c.Ext));
    EXPECT_EQ(lEntry.GetNameWithExt(), ExtractFileName(lEntry.FileName()));
    EXPECT_EQ(lEntry.IsLog(), c.Log);
    EXPECT_EQ(lEntry.IsDatabase(), c.Database);
    EXPECT_EQ(lEntry.IsText(), c.Text);
    EXPECT_EQ(lEntry.IsBinary(), c.Binary);
  }
}

TEST_F(FilesData, FileByNameAndExtensionComparesByTheFileSystemRule) {
  TFileData* lTool = Forced(QStringLiteral("Prog/Bin/Tool.exe"));
  Forced(QStringLiteral("Prog/Bin/ssl.dll"));
  EXPECT_EQ(FFiles.GetExeByName(QStringLiteral("Tool")), lTool);
  EXPECT_EQ(FFiles.GetExeByName(QStringLiteral("tool")), nullptr);
  EXPECT_EQ(FFiles.GetFileByNameExt(QStringLiteral("Tool"), QStringLiteral(".EXE")), nullptr);
  EXPECT_EQ(FFiles.GetDllByName(QStringLiteral("Tool")), nullptr);
  EXPECT_NE(FFiles.GetDllByName(QStringLiteral("ssl")), nullptr);
}

TEST_F(FilesData, FindFilesRegistersTheMatches) {
  Write(QStringLiteral("Docs/a.log"), "a");
  Write(QStringLiteral("Docs/b.trc"), "b");
  Write(QStringLiteral("Docs/c.txt"), "c");
  std::vector<TFileData*> lFiles;
  ASSERT_TRUE(FFiles.FindFiles(FFolder.Root() + QStringLiteral("Docs"),
                               QStringLiteral("*.log;*.trc"), lFiles));
  ASSERT_EQ(lFiles.size(), 2u);
  EXPECT_EQ(lFiles[0]->GetNameWithExt(), QStringLiteral("a.log"));
  EXPECT_EQ(lFiles[1]->GetNameWithExt(), QStringLiteral("b.trc"));
  EXPECT_EQ(FFiles.FindByFileName(lFiles[0]->FileName()), lFiles[0]);
  EXPECT_EQ(FFiles.FindByFileName(FFolder.Root() + QStringLiteral("Docs/c.txt")), nullptr);
  EXPECT_FALSE(
      FFiles.FindFiles(FFolder.Root() + QStringLiteral("None"), QStringLiteral("*"), lFiles));
  EXPECT_TRUE(lFiles.empty());
}

// --- the program's own files ----------------------------------------------------------------

TEST_F(FilesData, InitRegistersTheProgramsOwnFiles) {
  FFiles.Init();
  const QString lMain = FFolder.Main();
  const QString lPid = QString::number(GetCurrentProcessId());
  EXPECT_EQ(FFiles.ApplicationExe()->FileName(), FFolder.ProgramFile());
  EXPECT_TRUE(FFiles.ApplicationExe()->Required());
  EXPECT_EQ(FFiles.ApplicationIni()->FileName(), lMain + QStringLiteral("Data/Qel_Test.ini"));
  EXPECT_EQ(FFiles.ApplicationLog()->FileName(),
            lMain + QStringLiteral("Log/Qel_Test_PID") + lPid + QStringLiteral(".log"));
  EXPECT_EQ(FFiles.ApplicationLogHeapStatus()->FileName(),
            lMain + QStringLiteral("Log/Qel_Test_PID") + lPid + QStringLiteral(".hs"));
  EXPECT_EQ(FFiles.Lng(), nullptr);
  EXPECT_EQ(FFiles.NeededModifyConst(), nullptr);
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("'Language file' found as 'app.lng'")));
  // No shared configuration file: the program's own INI file, which need not exist.
  EXPECT_EQ(FFiles.AppIni(), FFiles.ApplicationIni());
  TFileData* lBackupService = FFiles.GetExeByName(QStringLiteral("srv_qel_backup"));
  ASSERT_NE(lBackupService, nullptr);
  EXPECT_EQ(lBackupService->FileName(), lMain + QStringLiteral("Bin/srv_qel_backup.exe"));
  EXPECT_TRUE(lBackupService->Required());
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("File '") + lBackupService->FileName() +
                                         QStringLiteral("' does NOT exist!")));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("All required files existing")));
}

TEST_F(FilesData, RequiredFilesAllPresentAreReportedAsSuccess) {
  FFiles.Init();
  for (TFileData* lEntry : FFiles)
    if (lEntry->Required())
      FFolder.WriteFile(lEntry->FileName().mid(FFolder.Root().size()), "x");
  FLog.Clear();
  EXPECT_TRUE(FFiles.CheckRequiredFiles());
  EXPECT_TRUE(FLog.Contains(ltSuccess, QStringLiteral("All required files existing")));
  EXPECT_FALSE(FLog.Contains(ltError, QStringLiteral("does NOT exist")));
}

TEST(FilesDataInit, ConfigurationFileIsTheFirstFoundInBinDataCommon) {
  const struct {
    std::vector<const char*> Present;
    const char* Expected; // relative to the root; nullptr: the program's own INI file
  } cCases[] = {
      {{}, nullptr},
      {{"Common/Kestrova/qel_lumo/qel_lumo.ini"}, "Common/Kestrova/qel_lumo/qel_lumo.ini"},
      {{"Prog/Data/app.ini", "Common/Kestrova/qel_lumo/app.ini"}, "Prog/Data/app.ini"},
      {{"Prog/Bin/app.ini", "Prog/Data/app.ini"}, "Prog/Bin/app.ini"},
      // Every app.ini comes before every qel_lumo.ini.
      {{"Prog/Bin/qel_lumo.ini", "Common/Kestrova/qel_lumo/app.ini"},
       "Common/Kestrova/qel_lumo/app.ini"},
  };
  for (const auto& c : cCases) {
    TTestProgramFolder lFolder;
    for (const char* lFile : c.Present)
      lFolder.WriteFile(QString::fromUtf8(lFile), "[Main]\n");
    SCOPED_TRACE(c.Present.empty() ? "none" : c.Present.front());
    TPathDataList lPaths(lFolder.ProgramFile());
    TFileDataList lFiles(lFolder.ProgramFile(), nullptr, &lPaths);
    lFiles.Init();
    ASSERT_NE(lFiles.AppIni(), nullptr);
    if (c.Expected)
      EXPECT_EQ(lFiles.AppIni()->FileName(), lFolder.Root() + QString::fromUtf8(c.Expected));
    else
      EXPECT_EQ(lFiles.AppIni(), lFiles.ApplicationIni());
  }
}

TEST_F(FilesData, TraceAndTemporaryNamesAreFreshNames) {
  SetNowOverride(EncodeDateTime(2026, 1, 5, 14, 3, 59, 120));
  TFileData* lFirst = FFiles.GetApplicationLogTrace();
  EXPECT_EQ(lFirst->FileName(), FFolder.Main() + QStringLiteral("Log/2026/01/05/0000000000.trc"));
  EXPECT_EQ(FFiles.GetApplicationLogTrace(), lFirst) << "not written yet: still free";
  Write(lFirst->FileName().mid(FFolder.Root().size()), "trace");
  EXPECT_EQ(FFiles.GetApplicationLogTrace()->GetNameWithExt(), QStringLiteral("0000000001.trc"));

  TFileData* lTmp1 = FFiles.GetTempFileName(QStringLiteral(".xml"));
  TFileData* lTmp2 = FFiles.GetTempFileName(QStringLiteral(".xml"));
  EXPECT_NE(lTmp1, lTmp2);
  for (const TFileData* lTmp : {lTmp1, lTmp2}) {
    EXPECT_EQ(lTmp->Path(), FPaths.GetPath(ptTmp));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{32}\\.xml$"),
                                   QRegularExpression::CaseInsensitiveOption)
                    .match(lTmp->GetNameWithExt())
                    .hasMatch())
        << lTmp->GetNameWithExt().toStdString();
    EXPECT_FALSE(lTmp->GetExists());
    EXPECT_TRUE(FLog.Contains(ltInformation,
                              QStringLiteral("Registered TempFile '") + lTmp->FileName() + u'\''));
  }
}

// --- properties -----------------------------------------------------------------------------

TEST_F(FilesData, AsTextListsLabelAndValuePerElement) {
  TFileData* lEntry = Entry(QStringLiteral("Docs;2026/note \"v2\".txt"), "12345");
  ASSERT_NE(lEntry, nullptr);
  const QStringList lLines = lEntry->AsText(QChar()).split(u'\n');
  ASSERT_EQ(lLines.size(), 9) << lEntry->AsText(QChar()).toStdString();
  const char* const cLabels[] = {
      "Created:", "Modified:", "Size:", "Binary:", "Text:", "Path:", "Name:", "Ext:", "InUse:"};
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(lLines[i].startsWith(QLatin1String(cLabels[i]))) << lLines[i].toStdString();
  EXPECT_EQ(lLines[2], QStringLiteral("Size:5B"));
  EXPECT_EQ(lLines[3], QStringLiteral("Binary:False"));
  EXPECT_EQ(lLines[4], QStringLiteral("Text:True"));
  EXPECT_EQ(lLines[5], QStringLiteral("Path:") + FFolder.Root() + QStringLiteral("Docs;2026/"));
  EXPECT_EQ(lLines[6], QStringLiteral("Name:note \"v2\""));
  EXPECT_EQ(lLines[8], QStringLiteral("InUse:False"));

  // One line: only the elements holding the delimiter or a quote are quoted.
  const QString lOneLine = lEntry->AsText(u';');
  EXPECT_FALSE(lOneLine.contains(u'\n'));
  EXPECT_TRUE(lOneLine.contains(QStringLiteral(";Size:5B;Binary:False;Text:True;\"Path:")));
  EXPECT_TRUE(lOneLine.contains(QStringLiteral(";\"Name:note \"\"v2\"\"\";Ext:.txt;InUse:False")));
  EXPECT_EQ(FromDelimitedText(lOneLine, u';', u'"', true), lLines);

  TFileData lMissing;
  lMissing.Build(nullptr, FFolder.Root() + QStringLiteral("none.txt"));
  EXPECT_EQ(lMissing.AsText(QChar()), QString());
}

TEST_F(FilesData, VersionComesFromTheResourceOrTheName) {
  // The test program carries the build's version note.
  TFileData lSelf;
  lSelf.Build(nullptr, QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
  EXPECT_EQ(lSelf.GetVersion().GetAsString(), QStringLiteral(QEL_TEST_VERSION));
  EXPECT_TRUE(lSelf.AsText(QChar()).endsWith(QStringLiteral("\nVersion:") + QEL_TEST_VERSION));

  TFileData* lTool = Entry(QStringLiteral("Docs/Tool_7.txt"), "text");
  EXPECT_FALSE(lTool->GetVersion().FHasData);
  lTool->SetVersionFromFilename(true);
  EXPECT_EQ(lTool->Action(), daUpdate);
  EXPECT_EQ(lTool->GetVersion().GetAsString(), QStringLiteral("7.35535.35535.35535"));
  TFileData* lReport = Entry(QStringLiteral("Docs/report_20231201.txt"), "text");
  lReport->SetVersionFromFilename(true);
  EXPECT_FALSE(lReport->GetVersion().FHasData);
}

TEST_F(FilesData, CreationTimeSurvivesChangesOfTheFile) {
  TFileData* lEntry = Entry(QStringLiteral("Docs/a.txt"), "a");
  struct statx lStatx {};
  ASSERT_EQ(
      statx(AT_FDCWD, QFile::encodeName(lEntry->FileName()).constData(), 0, STATX_BTIME, &lStatx),
      0);
  if (!(lStatx.stx_mask & STATX_BTIME))
    GTEST_SKIP() << "the file system records no creation time";
  const TDateTime lCreated = lEntry->GetCreatedDateTime();
  EXPECT_EQ(lCreated.MSecs(),
            FromQDateTime(QDateTime::fromMSecsSinceEpoch(lStatx.stx_btime.tv_sec * 1000 +
                                                         lStatx.stx_btime.tv_nsec / 1000000))
                .MSecs());
  // A change of the permission bits moves the change time, not the creation time.
  ASSERT_EQ(chmod(QFile::encodeName(lEntry->FileName()).constData(), 0600), 0);
  EXPECT_EQ(lEntry->GetCreatedDateTime(), lCreated);

  TFileData lMissing;
  lMissing.Build(nullptr, FFolder.Root() + QStringLiteral("none.txt"));
  EXPECT_EQ(lMissing.GetCreatedDateTime(), TDateTime());
  EXPECT_EQ(lMissing.GetSizeByte(), 0u);
}

TEST_F(FilesData, IsSelfComparesWithTheRunningProgramByTheFileSystemRule) {
  EXPECT_TRUE(FFiles.ApplicationExe()->IsSelf());
  TFileData lOtherCase;
  lOtherCase.Build(nullptr, FFolder.ProgramFile().toUpper());
  EXPECT_FALSE(lOtherCase.IsSelf());
}

TEST_F(FilesData, FileHeldLockedByAnotherHolderIsInUse) {
  TFileData* lEntry = Entry(QStringLiteral("Docs/locked.txt"), "data");
  EXPECT_FALSE(lEntry->GetInUse());
  const struct {
    TLockKind Kind;
    const char* Name;
  } cCases[] = {{lkFlockExclusive, "flock exclusive"},
                {lkFlockShared, "flock shared"},
                {lkOfdWrite, "open file description lock"},
                {lkPosixRead, "record lock"}};
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Name);
    TLockHolder lHolder(lEntry->FileName(), c.Kind);
    ASSERT_TRUE(lHolder.Locked());
    EXPECT_TRUE(lEntry->GetInUse());
    EXPECT_TRUE(lEntry->AsText(u';').endsWith(QStringLiteral("InUse:True")));
    lHolder.Release();
    EXPECT_FALSE(lEntry->GetInUse());
  }
  // A lock of this very process through another open counts as well.
  const int lFd = open(QFile::encodeName(lEntry->FileName()).constData(), O_RDONLY);
  ASSERT_EQ(flock(lFd, LOCK_EX), 0);
  EXPECT_TRUE(lEntry->GetInUse());
  close(lFd);
  EXPECT_FALSE(lEntry->GetInUse());
}

// --- copy ---------------------------------------------------------------------------------------

TEST_F(FilesData, CopyOntoAnExistingDestinationNeedsOverwrite) {
  const struct {
    bool DstExists;
    bool Overwrite;
    bool Result;
    QByteArray DstAfter;
  } cCases[] = {
      {false, false, true, "source"},
      {true, false, false, "old"},
      {true, true, true, "source"},
  };
  int i = 0;
  for (const auto& c : cCases) {
    SCOPED_TRACE(i);
    TFileData* lSrc = Entry(QStringLiteral("Docs/src%1.txt").arg(i), "source");
    const QString lDstName = FFolder.Root() + QStringLiteral("Out/dst%1.txt").arg(i++);
    if (c.DstExists)
      Write(lDstName.mid(FFolder.Root().size()), "old");
    TFileData* lDst = FFiles.Add(lDstName, true, false);
    FLog.Clear();
    EXPECT_EQ(lSrc->FileCopy(lDst, c.Overwrite), c.Result);
    EXPECT_EQ(ReadAll(lDstName), c.DstAfter);
    EXPECT_EQ(ReadAll(lSrc->FileName()), QByteArray("source"));
    const QString lClosing = u'\'' + lSrc->FileName() + QStringLiteral("' to '") + lDstName + u'\'';
    EXPECT_TRUE(FLog.Contains(c.Result ? ltSuccess : ltError, lClosing));
  }
}

TEST_F(FilesData, CopyGoesBlockByBlockAndLogsEachBlock) {
  QByteArray lContent(3 * 20482 + 5, '\0');
  for (int i = 0; i < lContent.size(); ++i)
    lContent[i] = static_cast<char>(i * 7);
  TFileData* lSrc = Entry(QStringLiteral("Docs/big.bin"), lContent);
  TFileData* lDst = Forced(QStringLiteral("Out/big.bin"));
  ASSERT_TRUE(lSrc->FileCopy(lDst));
  EXPECT_EQ(ReadAll(lDst->FileName()), lContent);
  EXPECT_EQ(FLog.Count(ltInformation, QStringLiteral("Copied ")), 4);
  EXPECT_TRUE(FLog.Contains(ltInformation, QStringLiteral("Copied 20kB of 60.01kB")));
  EXPECT_TRUE(FLog.Contains(ltInformation, QStringLiteral("Copied 60.01kB of 60.01kB")));

  // A file of many blocks: every byte arrives, every block reports once.
  QByteArray lLarge(200 * 20482 + 17, '\0');
  for (int i = 0; i < lLarge.size(); ++i)
    lLarge[i] = static_cast<char>((i * 7919) >> 5);
  TFileData* lLargeSrc = Entry(QStringLiteral("Docs/large.bin"), lLarge);
  TFileData* lLargeDst = Forced(QStringLiteral("Out/large.bin"));
  FLog.Clear();
  ASSERT_TRUE(lLargeSrc->FileCopy(lLargeDst));
  EXPECT_EQ(ReadAll(lLargeDst->FileName()), lLarge);
  EXPECT_EQ(FLog.Count(ltInformation, QStringLiteral("Copied ")), 201);
  EXPECT_EQ(FLog.Count(ltInformation, QStringLiteral("Copied 20kB of 3.91MB")), 1);
  EXPECT_EQ(FLog.Count(ltInformation, QStringLiteral("Copied 1.25MB of 3.91MB")), 1);

  // An empty source gives an empty destination and no progress line.
  TFileData* lEmpty = Entry(QStringLiteral("Docs/empty.txt"), "");
  TFileData* lEmptyDst = Forced(QStringLiteral("Out/empty.txt"));
  FLog.Clear();
  ASSERT_TRUE(lEmpty->FileCopy(lEmptyDst));
  EXPECT_TRUE(lEmptyDst->GetExists());
  EXPECT_EQ(lEmptyDst->GetSizeByte(), 0u);
  EXPECT_EQ(FLog.Count(ltInformation, QStringLiteral("Copied ")), 0);
}

TEST_F(FilesData, CopyAndMoveRefuseAMissingSourceOrDestination) {
  TFileData* lMissing = Forced(QStringLiteral("Docs/missing.txt"));
  TFileData* lSrc = Entry(QStringLiteral("Docs/a.txt"), "a");
  TFileData* lDst = Forced(QStringLiteral("Out/a.txt"));
  EXPECT_FALSE(lMissing->FileCopy(lDst));
  EXPECT_FALSE(lMissing->FileMove(lDst));
  EXPECT_EQ(FLog.Count(ltWarning, QStringLiteral("missing.txt' does NOT exist!")), 2);
  EXPECT_FALSE(lSrc->FileCopy(nullptr));
  EXPECT_FALSE(lSrc->FileMove(nullptr));
  EXPECT_EQ(FLog.Count(ltWarning, QStringLiteral("Destination for '") + lSrc->FileName() +
                                      QStringLiteral("' not set!")),
            2);
  EXPECT_FALSE(lDst->GetExists());
  EXPECT_TRUE(lSrc->GetExists());
}

TEST_F(FilesData, CopyOrMoveOntoTheSourcesOwnEntryKeepsTheFile) {
  TFileData* lSrc = Entry(QStringLiteral("Docs/self.txt"), "keep me");
  ASSERT_TRUE(ForceDirectories(FFolder.Root() + QStringLiteral("Other")));
  ASSERT_TRUE(QFile::link(FFolder.Root() + QStringLiteral("Docs"),
                          FFolder.Root() + QStringLiteral("DocsLink")));
  // The same entry through a link to its folder, or through "..": setting it aside or
  // deleting it would take the source away.
  TFileData* lViaFolderLink =
      FFiles.Add(FFolder.Root() + QStringLiteral("DocsLink/self.txt"), false, false);
  TFileData* lViaDots =
      FFiles.Add(FFolder.Root() + QStringLiteral("Other/../Docs/self.txt"), false, false);
  for (TFileData* lDst : {lSrc, lViaFolderLink, lViaDots}) {
    ASSERT_NE(lDst, nullptr);
    SCOPED_TRACE(lDst->FileName().toStdString());
    EXPECT_FALSE(lSrc->FileCopy(lDst, true));
    EXPECT_FALSE(lSrc->FileMove(lDst, true));
    EXPECT_EQ(ReadAll(lSrc->FileName()), QByteArray("keep me"));
  }
}

TEST_F(FilesData, CopyOntoALinkToTheSourceReplacesTheLinkOnly) {
  TFileData* lSrc = Entry(QStringLiteral("Docs/a.txt"), "original");
  const QString lSymlink = FFolder.Root() + QStringLiteral("Out/link.txt");
  const QString lHardLink = FFolder.Root() + QStringLiteral("Out/hard.txt");
  ASSERT_TRUE(ForceDirectories(FFolder.Root() + QStringLiteral("Out")));
  ASSERT_TRUE(QFile::link(lSrc->FileName(), lSymlink));
  ASSERT_EQ(::link(QFile::encodeName(lSrc->FileName()).constData(),
                   QFile::encodeName(lHardLink).constData()),
            0);
  for (const QString& lName : {lSymlink, lHardLink}) {
    SCOPED_TRACE(lName.toStdString());
    TFileData* lDst = FFiles.Add(lName, false, false);
    ASSERT_NE(lDst, nullptr);
    ASSERT_TRUE(lSrc->FileCopy(lDst, true));
    // The destination is a file of its own now; the source is untouched.
    EXPECT_FALSE(QFileInfo(lName).isSymLink());
    struct stat lDstInfo {};
    struct stat lSrcInfo {};
    ASSERT_EQ(::stat(QFile::encodeName(lName).constData(), &lDstInfo), 0);
    ASSERT_EQ(::stat(QFile::encodeName(lSrc->FileName()).constData(), &lSrcInfo), 0);
    EXPECT_NE(lDstInfo.st_ino, lSrcInfo.st_ino);
    EXPECT_EQ(ReadAll(lName), QByteArray("original"));
    EXPECT_EQ(ReadAll(lSrc->FileName()), QByteArray("original"));
  }
}

TEST_F(FilesData, OnlyRegularFilesAreCopied) {
  const QString lFifo = FFolder.Root() + QStringLiteral("Docs/fifo.pdf");
  ASSERT_TRUE(ForceDirectories(FFolder.Root() + QStringLiteral("Docs")));
  ASSERT_EQ(::mkfifo(QFile::encodeName(lFifo).constData(), 0600), 0);
  for (const QString& lName : {lFifo, QStringLiteral("/dev/zero")}) {
    SCOPED_TRACE(lName.toStdString());
    const QString lDstName = FFolder.Root() + QStringLiteral("Out/") + ExtractFileName(lName);
    // In a child with an alarm: a FIFO opened for reading would wait for a writer forever.
    const int lCode = RunInChild([&] {
      alarm(10);
      return CopyEntries(lName, lDstName) ? 1 : 0;
    });
    EXPECT_EQ(lCode, 0);
    EXPECT_FALSE(FileExists(lDstName));
  }
}

TEST_F(FilesData, ReadOnlySourceIsCopied) {
  const QString lSrcName = Write(QStringLiteral("Docs/readonly.txt"), "read only document");
  const QString lOut = FFolder.Root() + QStringLiteral("Out");
  ASSERT_TRUE(ForceDirectories(lOut));
  ASSERT_EQ(chmod(QFile::encodeName(lSrcName).constData(), 0444), 0);
  const bool lRoot = geteuid() == 0;
  if (lRoot) {
    // Root may open anything for writing: the copy runs as an unprivileged owner of the file,
    // for whom the read-only bits hold.
    ASSERT_EQ(chmod(QFile::encodeName(FFolder.Root()).constData(), 0755), 0);
    ASSERT_EQ(chown(QFile::encodeName(lSrcName).constData(), cNobody, cNobody), 0);
    ASSERT_EQ(chown(QFile::encodeName(lOut).constData(), cNobody, cNobody), 0);
  }
  const QString lDstName = lOut + QStringLiteral("/readonly.txt");
  const int lCode = RunInChild([&] {
    if (lRoot && (setgid(cNobody) != 0 || setuid(cNobody) != 0))
      return 98;
    return CopyEntries(lSrcName, lDstName) ? 0 : 1;
  });
  EXPECT_EQ(lCode, 0);
  EXPECT_EQ(ReadAll(lDstName), QByteArray("read only document"));
}

TEST_F(FilesData, CopyFailingMidwayLeavesNoDestination) {
  const QByteArray lContent(100000, 'x');
  const QString lSrcName = Write(QStringLiteral("Docs/large.bin"), lContent);
  const QString lDstName = FFolder.Root() + QStringLiteral("Out/large.bin");
  ASSERT_TRUE(ForceDirectories(ExtractFileDir(lDstName)));
  // In a child: the file size limit lets the first block through and stops the second.
  const int lCode = RunInChild([&] {
    if (!LimitFileSize(30000))
      return 98;
    TLogCapture lLog;
    if (CopyEntries(lSrcName, lDstName))
      return 1;
    if (FileExists(lDstName))
      return 2;
    if (!lLog.Contains(ltError, QStringLiteral("Unable to write")))
      return 3;
    if (!lLog.Contains(ltError, u'\'' + lSrcName + QStringLiteral("' to '") + lDstName + u'\''))
      return 4;
    return 0;
  });
  EXPECT_EQ(lCode, 0);
  EXPECT_FALSE(QFileInfo::exists(lDstName));
  EXPECT_EQ(ReadAll(lSrcName), lContent);
}

// --- move ---------------------------------------------------------------------------------------

TEST_F(FilesData, MoveNeverReplacesAnExistingFile) {
  TFileData* lSrc = Entry(QStringLiteral("Docs/a.txt"), "new");
  TFileData* lDst = Entry(QStringLiteral("Out/a.txt"), "old");
  EXPECT_FALSE(lSrc->FileMove(lDst));
  EXPECT_EQ(ReadAll(lSrc->FileName()), QByteArray("new"));
  EXPECT_EQ(ReadAll(lDst->FileName()), QByteArray("old"));
  EXPECT_TRUE(FLog.Contains(ltError, u'\'' + lSrc->FileName() + QStringLiteral("' to '")));

  // The platform's rename and move refuse on their own, whatever was checked before.
  for (const auto& lOperation : {RenameFileNoReplace, MoveFileNoReplace}) {
    QString lError;
    EXPECT_FALSE(lOperation(lSrc->FileName(), lDst->FileName(), lError));
    EXPECT_FALSE(lError.isEmpty());
    EXPECT_EQ(ReadAll(lSrc->FileName()), QByteArray("new"));
    EXPECT_EQ(ReadAll(lDst->FileName()), QByteArray("old"));
  }

  ASSERT_TRUE(lSrc->FileMove(lDst, true));
  EXPECT_FALSE(lSrc->GetExists());
  EXPECT_EQ(ReadAll(lDst->FileName()), QByteArray("new"));
  EXPECT_TRUE(FLog.Contains(ltSuccess, u'\'' + lSrc->FileName() + QStringLiteral("' to '") +
                                           lDst->FileName() + u'\''));
}

TEST_F(FilesData, MoveAcrossFileSystemsCopiesAndRemoves) {
  struct stat lTmp {};
  struct stat lShm {};
  if (stat(QFile::encodeName(FFolder.Root()).constData(), &lTmp) != 0 ||
      stat("/dev/shm", &lShm) != 0 || lTmp.st_dev == lShm.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  QTemporaryDir lOther(QStringLiteral("/dev/shm/qel-move-XXXXXX"));
  ASSERT_TRUE(lOther.isValid());
  TFileData* lSrc = Entry(QStringLiteral("Docs/a.txt"), "content");
  const QDateTime lModified = QFileInfo(lSrc->FileName()).lastModified();
  TFileData* lDst = FFiles.Add(lOther.path() + QStringLiteral("/a.txt"), true, false);
  ASSERT_TRUE(lSrc->FileMove(lDst));
  EXPECT_FALSE(lSrc->GetExists());
  EXPECT_EQ(ReadAll(lDst->FileName()), QByteArray("content"));
  EXPECT_EQ(QFileInfo(lDst->FileName()).lastModified(), lModified);
  // Across file systems too an existing file stays.
  TFileData* lNext = Entry(QStringLiteral("Docs/a.txt"), "second");
  QString lError;
  EXPECT_FALSE(MoveFileNoReplace(lNext->FileName(), lDst->FileName(), lError));
  EXPECT_EQ(ReadAll(lDst->FileName()), QByteArray("content"));
  EXPECT_TRUE(lNext->GetExists());
}

// --- delete
// ---------------------------------------------------------------------------------------

TEST_F(FilesData, DeleteOfAMissingFileSucceeds) {
  TFileData* lEntry = Forced(QStringLiteral("Docs/none.txt"));
  EXPECT_TRUE(lEntry->FileDelete());
  EXPECT_TRUE(FLog.Contains(ltSuccess, lEntry->FileName()));
  TFileData* lExisting = Entry(QStringLiteral("Docs/some.txt"), "x");
  EXPECT_TRUE(lExisting->FileDelete());
  EXPECT_FALSE(lExisting->GetExists());
}

TEST_F(FilesData, FileThatCanBeNeitherDeletedNorSetAsideIsAnError) {
  TFileData* lEntry = Entry(QStringLiteral("Docs/stuck.txt"), "x");
  TImmutableFile lStuck(lEntry->FileName());
  if (!lStuck.OK())
    GTEST_SKIP() << "the immutable attribute cannot be set here";
  EXPECT_FALSE(lEntry->FileDelete(false));
  EXPECT_TRUE(lEntry->GetExists());
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("Unable to delete")));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("Rename '") + lEntry->FileName()));
  EXPECT_THROW(lEntry->FileDelete(true), Exception);

  // The service's delete catches it and reports the failure.
  FLog.Clear();
  EXPECT_FALSE(TPathsAndFiles::DeleteFile(lEntry->FileName()));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("Unable to delete file '") +
                                         lEntry->FileName() + QStringLiteral("'!")));
  EXPECT_TRUE(lEntry->GetExists());
}

TEST_F(FilesData, StuckTemporaryFileDoesNotStopTheEnd) {
  TFileData* lStuck = TPathsAndFiles::GetTempFile(QStringLiteral(".tmp"));
  TFileData* lFree = TPathsAndFiles::GetTempFile(QStringLiteral(".tmp"));
  const QString lStuckName = lStuck->FileName();
  const QString lFreeName = lFree->FileName();
  Write(lStuckName.mid(FFolder.Root().size()), "stuck");
  Write(lFreeName.mid(FFolder.Root().size()), "free");
  TImmutableFile lImmutable(lStuckName);
  if (!lImmutable.OK())
    GTEST_SKIP() << "the immutable attribute cannot be set here";
  FLog.Clear();
  EXPECT_NO_THROW(TPathsAndFiles::FinalizeInstance());
  EXPECT_TRUE(QFileInfo::exists(lStuckName));
  EXPECT_FALSE(QFileInfo::exists(lFreeName));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("Unable to delete")));
}

} // namespace
