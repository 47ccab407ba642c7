// Text, path and file helpers of the runtime.
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.SysUtils.h"
#include "QelTestFolder.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(SysUtils, CommaTextQuotesWhatNeedsIt) {
  const struct {
    QStringList Items;
    const char* Text;
  } cCases[] = {
      {{"a", "b"}, "a,b"},
      {{"my host", "21"}, "\"my host\",21"},
      {{"a,b", "say \"x\""}, "\"a,b\",\"say \"\"x\"\"\""},
      {{"tab\there", "nl\nx"}, "\"tab\there\",\"nl\nx\""},
      {{"it's"}, "it's"},
      {{}, ""},
  };
  for (const auto& c : cCases) {
    EXPECT_EQ(ToCommaText(c.Items), QString::fromUtf8(c.Text));
    if (!c.Items.isEmpty()) {
      EXPECT_EQ(FromCommaText(QString::fromUtf8(c.Text)), c.Items) << c.Text;
    }
  }
}

TEST(SysUtils, DelimitedTextSplitting) {
  EXPECT_EQ(FromDelimitedText(QStringLiteral("*.txt;*.log"), u';'),
            (QStringList{"*.txt", "*.log"}));
  EXPECT_EQ(FromDelimitedText(QStringLiteral("*.txt *.log"), u';'),
            (QStringList{"*.txt", "*.log"}));
  EXPECT_EQ(FromDelimitedText(QStringLiteral("\"a b\";c"), u';'), (QStringList{"a b", "c"}));
  EXPECT_EQ(FromDelimitedText(QStringLiteral("a b;c"), u';', u'"', true),
            (QStringList{"a b", "c"}));
  EXPECT_EQ(FromDelimitedText(QStringLiteral("a;"), u';', u'"', true), (QStringList{"a", ""}));
  EXPECT_TRUE(FromDelimitedText(QString(), u';').isEmpty());
}

TEST(SysUtils, TrimAndIntegers) {
  EXPECT_EQ(Trim(QStringLiteral("\t\r\n x \x01")), QStringLiteral("x"));
  int lValue = 0;
  EXPECT_TRUE(TryStrToInt(QStringLiteral(" 42"), lValue));
  EXPECT_EQ(lValue, 42);
  for (const char* lBad : {"", "42 ", "4 2", "x", "2147483648", "1.5"})
    EXPECT_FALSE(TryStrToInt(QString::fromUtf8(lBad), lValue)) << lBad;
  EXPECT_TRUE(IsInteger(QStringLiteral("-7")));
}

TEST(SysUtils, GuidTexts) {
  const QString lBraced = NewGuidText();
  EXPECT_TRUE(
      QRegularExpression(
          QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"))
          .match(lBraced)
          .hasMatch())
      << lBraced.toStdString();
  const QString lHex = NewGuidHex();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{32}$")).match(lHex).hasMatch())
      << lHex.toStdString();
  EXPECT_NE(NewGuidHex(), lHex);
}

TEST(SysUtils, PathParts) {
  const struct {
    const char* Name;
    const char* Path;
    const char* File;
    const char* Ext;
    const char* Drive;
  } cCases[] = {
      {"/data/Archiv.2023/Brief", "/data/Archiv.2023/", "Brief", "", "/"},
      {"/data/Brief.docx", "/data/", "Brief.docx", ".docx", "/"},
      {"Brief.tar.gz", "", "Brief.tar.gz", ".gz", ""},
      {"/", "/", "", "", "/"},
      {"rel/dir/", "rel/dir/", "", "", ""},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Name);
    const QString lName = QString::fromUtf8(c.Name);
    EXPECT_EQ(ExtractFilePath(lName), QString::fromUtf8(c.Path));
    EXPECT_EQ(ExtractFileName(lName), QString::fromUtf8(c.File));
    EXPECT_EQ(ExtractFileExt(lName), QString::fromUtf8(c.Ext));
    EXPECT_EQ(ExtractFileDrive(lName), QString::fromUtf8(c.Drive));
  }
  EXPECT_EQ(ChangeFileExt(QStringLiteral("/a.b/app"), QStringLiteral(".log")),
            QStringLiteral("/a.b/app.log"));
  EXPECT_EQ(ChangeFileExt(QStringLiteral("/a/app.exe"), QStringLiteral("_PID1.log")),
            QStringLiteral("/a/app_PID1.log"));
  EXPECT_EQ(ExtractFileDir(QStringLiteral("/a/b/c.txt")), QStringLiteral("/a/b"));
  EXPECT_EQ(ExtractFileDir(QStringLiteral("/c.txt")), QStringLiteral("/"));
  EXPECT_EQ(IncludeTrailingPathDelimiter(QStringLiteral("/a")), QStringLiteral("/a/"));
  EXPECT_EQ(IncludeTrailingPathDelimiter(QStringLiteral("/a/")), QStringLiteral("/a/"));
  EXPECT_EQ(ExcludeTrailingPathDelimiter(QStringLiteral("/a/")), QStringLiteral("/a"));
}

TEST(SysUtils, FileNamesFollowTheFileSystemRule) {
  EXPECT_TRUE(SameFileName(QStringLiteral("/a/Brief.docx"), QStringLiteral("/a/Brief.docx")));
  EXPECT_FALSE(SameFileName(QStringLiteral("/a/Brief.docx"), QStringLiteral("/a/brief.docx")));
}

TEST(SysUtils, MatchesMask) {
  const struct {
    const char* Name;
    const char* Mask;
    bool Match;
  } cCases[] = {
      {"a.log", "*.log", true},   {"a.LOG", "*.log", false},     {"a.log", "?.log", true},
      {"ab.log", "?.log", false}, {"noext", "*.*", true},        {".hidden", "*", true},
      {"a.log", "*", true},       {"a.log.bak", "*.log", false},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(MatchesMask(QString::fromUtf8(c.Name), QString::fromUtf8(c.Mask)), c.Match)
        << c.Name << " " << c.Mask;
}

TEST(SysUtils, FilesAndFolders) {
  TTestProgramFolder lFolder;
  const QString lFile = lFolder.WriteFile(QStringLiteral("x/y.txt"), "1");
  EXPECT_TRUE(FileExists(lFile));
  EXPECT_FALSE(FileExists(lFolder.Root() + QStringLiteral("x")));
  EXPECT_FALSE(FileExists(QString()));
  EXPECT_TRUE(DirectoryExists(lFolder.Root() + QStringLiteral("x")));
  EXPECT_FALSE(DirectoryExists(lFile));
  EXPECT_TRUE(ForceDirectories(lFolder.Root() + QStringLiteral("p/q/r")));
  EXPECT_FALSE(ForceDirectories(lFile + QStringLiteral("/below-a-file")));
  EXPECT_FALSE(ForceDirectories(QString()));
  // An existing folder, another way of writing it, and a file where the folder should be.
  EXPECT_TRUE(ForceDirectories(lFolder.Root() + QStringLiteral("p/q/r")));
  EXPECT_TRUE(ForceDirectories(lFolder.Root() + QStringLiteral("p//q/./s/")));
  EXPECT_TRUE(DirectoryExists(lFolder.Root() + QStringLiteral("p/q/s")));
  EXPECT_FALSE(ForceDirectories(lFile));
  // ".." after a link to a folder is the parent of the link's target, as the system sees it.
  ASSERT_TRUE(ForceDirectories(lFolder.Root() + QStringLiteral("a/b/c")));
  ASSERT_TRUE(QFile::link(lFolder.Root() + QStringLiteral("a/b/c"),
                          lFolder.Root() + QStringLiteral("lnk")));
  EXPECT_TRUE(ForceDirectories(lFolder.Root() + QStringLiteral("lnk/../new/deeper")));
  EXPECT_TRUE(DirectoryExists(lFolder.Root() + QStringLiteral("a/b/new/deeper")));
  // A NUL would cut the name short: no question about another file is answered.
  const QString lCut = lFile + QChar(u'\0') + QStringLiteral("x");
  EXPECT_FALSE(FileExists(lCut));
  EXPECT_EQ(RegularFileSize(lCut), -1);
  EXPECT_FALSE(
      ForceDirectories(lFolder.Root() + QStringLiteral("x") + QChar(u'\0') + QStringLiteral("/y")));
  EXPECT_EQ(RegularFileSize(lFile), 1);
  EXPECT_EQ(RegularFileSize(lFolder.Root() + QStringLiteral("x")), -1);
  EXPECT_EQ(RegularFileSize(lFile + QStringLiteral(".gone")), -1);
  QStringList lEntries = ListDirectory(lFolder.Root() + QStringLiteral("x"), true, true);
  EXPECT_EQ(lEntries, QStringList{"y.txt"});
  EXPECT_TRUE(ListDirectory(lFolder.Root() + QStringLiteral("x"), false, true).isEmpty());
}

} // namespace
