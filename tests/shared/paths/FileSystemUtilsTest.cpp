// File listing, file-name time stamps, size texts and version resources.
#include "Qel.Os.Process.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "QelLogCapture.h"
#include "QelTestFolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileSystemUtils : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* lName :
         {"a.log", "b.trc", "c.txt", "Sub/d.log", "Sub/Deeper/e.trc", "Other/f.log", "my file.txt"})
      FFolder.WriteFile(QStringLiteral("Files/") + QString::fromUtf8(lName), "x");
  }
  QString Dir() const { return FFolder.Root() + QStringLiteral("Files/"); }
  QStringList Relative(const QStringList& aFiles) const {
    QStringList lResult;
    for (const QString& f : aFiles)
      lResult << f.mid(Dir().size());
    return lResult;
  }
  TTestProgramFolder FFolder;
};

TEST_F(FileSystemUtils, FindFilesSplitsMasksAndListsPatternByPattern) {
  const struct {
    const char* Mask;
    QStringList Expected;
  } cCases[] = {
      {"*.log;*.trc", {"a.log", "b.trc"}},  {"*.log *.trc", {"a.log", "b.trc"}},
      {"*.trc;*.log", {"b.trc", "a.log"}},  {"*.log;a.*", {"a.log", "a.log"}},
      {"\"my file.txt\"", {"my file.txt"}}, {"*.none", {}},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Mask);
    QStringList lFiles;
    EXPECT_TRUE(TFileSystemUtils::FindFiles(Dir(), QString::fromUtf8(c.Mask), lFiles));
    EXPECT_EQ(Relative(lFiles), c.Expected);
  }
}

TEST_F(FileSystemUtils, FindFilesWithSubFoldersListsTheFolderItselfFirst) {
  QStringList lFiles;
  ASSERT_TRUE(TFileSystemUtils::FindFiles(Dir(), QStringLiteral("*.log;*.trc"), lFiles, true));
  const QStringList lRelative = Relative(lFiles);
  ASSERT_EQ(lRelative.size(), 5);
  EXPECT_EQ(lRelative.mid(0, 2), (QStringList{"a.log", "b.trc"}));
  EXPECT_TRUE(lRelative.contains("Sub/d.log"));
  EXPECT_TRUE(lRelative.contains("Sub/Deeper/e.trc"));
  EXPECT_TRUE(lRelative.contains("Other/f.log"));
  // A sub-folder's own files come before those of its sub-folders.
  EXPECT_LT(lRelative.indexOf("Sub/d.log"), lRelative.indexOf("Sub/Deeper/e.trc"));
}

TEST_F(FileSystemUtils, FindFilesDoesNotWalkIntoLinksToFoldersNorListSpecialFiles) {
  // Two links back up: walking into them would never end.
  ASSERT_EQ(::symlink("..", QFile::encodeName(Dir() + QStringLiteral("Sub/up")).constData()), 0);
  ASSERT_EQ(::symlink(".", QFile::encodeName(Dir() + QStringLiteral("Sub/here")).constData()), 0);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Dir() + QStringLiteral("Sub/pipe.log")).constData(), 0600),
            0);
  ASSERT_EQ(::symlink("a.log", QFile::encodeName(Dir() + QStringLiteral("link.log")).constData()),
            0);
  QStringList lFiles;
  ASSERT_TRUE(TFileSystemUtils::FindFiles(Dir(), QStringLiteral("*.log"), lFiles, true));
  QStringList lRelative = Relative(lFiles);
  lRelative.sort();
  EXPECT_EQ(lRelative, (QStringList{"Other/f.log", "Sub/d.log", "a.log", "link.log"}));
}

TEST_F(FileSystemUtils, ListingAMissingFolderGivesFalseAndAnEmptyList) {
  QStringList lFiles{"stale"};
  EXPECT_FALSE(
      TFileSystemUtils::FindFiles(Dir() + QStringLiteral("missing"), QStringLiteral("*"), lFiles));
  EXPECT_TRUE(lFiles.isEmpty());
  lFiles = QStringList{"stale"};
  EXPECT_FALSE(TFileSystemUtils::FindFiles(QString(), QStringLiteral("*"), lFiles));
  EXPECT_TRUE(lFiles.isEmpty());
  QStringList lDirs{"stale"};
  EXPECT_FALSE(TFileSystemUtils::FindDirectories(Dir() + QStringLiteral("a.log"),
                                                 QStringLiteral("*"), lDirs));
  EXPECT_TRUE(lDirs.isEmpty());
}

TEST_F(FileSystemUtils, FindDirectoriesMatchesDirectSubFoldersOnly) {
  QStringList lDirs;
  ASSERT_TRUE(TFileSystemUtils::FindDirectories(Dir(), QStringLiteral("S*"), lDirs));
  EXPECT_EQ(Relative(lDirs), QStringList{"Sub"});
  ASSERT_TRUE(TFileSystemUtils::FindDirectories(Dir(), QStringLiteral("*"), lDirs));
  lDirs.sort();
  EXPECT_EQ(Relative(lDirs), (QStringList{"Other", "Sub"}));
}

TEST(FileSystemUtilsText, TimestampToFileName) {
  const TDateTime lValue = EncodeDateTime(2026, 1, 5, 14, 3, 59, 120);
  EXPECT_EQ(TFileSystemUtils::TimestampToFileName(lValue),
            QStringLiteral("2026_01_05_14_03_59_120"));
  SetNowOverride(lValue);
  EXPECT_EQ(TFileSystemUtils::TimestampToFileName(), QStringLiteral("2026_01_05_14_03_59_120"));
  SetNowOverride(std::nullopt);
  EXPECT_EQ(
      TFileSystemUtils::DateTimeToFileName(QStringLiteral("dd.mm.yyyy, hh:nn; \"x\""), lValue),
      QStringLiteral("05_01_2026__14_03__x"));
}

TEST(FileSystemUtilsText, FileSizeToStr) {
  const struct {
    uint64_t Size;
    const char* Text;
  } cCases[] = {
      {0, "B"},
      {1, "1B"},
      {1023, "1023B"},
      {1024, "1kB"},
      {1536, "1.5kB"},
      {1025, "1kB"},
      {1024 * 1024 - 1, "1024kB"},
      {5242880, "5MB"},
      {13107200, "12.5MB"},
      {1099511627776ULL, "1TB"},
      {1125899906842624ULL * 1024, "1024PB"},
      {UINT64_MAX, "16384PB"},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(TFileSystemUtils::FileSizeToStr(c.Size), QString::fromUtf8(c.Text)) << c.Size;
}

TEST(FileSystemUtilsText, FileSizeToStrUsesTheDecimalSeparator) {
  SetFormatSettings(TFormatSettings::German());
  EXPECT_EQ(TFileSystemUtils::FileSizeToStr(1536), QStringLiteral("1,5kB"));
  SetFormatSettings(TFormatSettings::Invariant());
}

TEST_F(FileSystemUtils, FileSize) {
  const QString lFile = FFolder.WriteFile(QStringLiteral("sized.bin"), QByteArray(3000, 'x'));
  EXPECT_EQ(TFileSystemUtils::FileSize(lFile), 3000u);
  EXPECT_EQ(TFileSystemUtils::FileSize(lFile + QStringLiteral(".missing")), 0u);
  EXPECT_EQ(TFileSystemUtils::FileSize(Dir()), 0u);
}

TEST_F(FileSystemUtils, GetFileVersion) {
  TLogCapture lLog;
  TVersion lVersion = TVersion::FromString(QStringLiteral("9.9.9.9"));

  EXPECT_TRUE(TFileSystemUtils::GetFileVersion(Dir() + QStringLiteral("a.log"), lVersion));
  EXPECT_FALSE(lVersion.FHasData);

  lVersion = TVersion::FromString(QStringLiteral("9.9.9.9"));
  EXPECT_FALSE(TFileSystemUtils::GetFileVersion(Dir() + QStringLiteral("missing.exe"), lVersion));
  EXPECT_FALSE(lVersion.FHasData);
  EXPECT_FALSE(TFileSystemUtils::GetFileVersion(QString(), lVersion));

  // Our own programs carry the build's version.
  ASSERT_TRUE(TFileSystemUtils::GetFileVersion(QStringLiteral("/proc/self/exe"), lVersion));
  EXPECT_TRUE(lVersion.FHasData);
  EXPECT_EQ(lVersion.GetAsString(), QStringLiteral(QEL_TEST_VERSION));

  // A file that claims to be a program but is damaged: false, and the reason is logged.
  QByteArray lDamaged(0x40, '\0');
  lDamaged[0] = 'M';
  lDamaged[1] = 'Z';
  lDamaged[0x3C] = 0x7F; // the PE header would lie beyond the end of the file
  const QString lFile = FFolder.WriteFile(QStringLiteral("damaged.exe"), lDamaged);
  EXPECT_FALSE(TFileSystemUtils::GetFileVersion(lFile, lVersion));
  EXPECT_FALSE(lVersion.FHasData);
  EXPECT_TRUE(
      lLog.Contains(ltError, QStringLiteral("Unable to get VersionInfo '") + lFile + u'\''));
}

} // namespace
