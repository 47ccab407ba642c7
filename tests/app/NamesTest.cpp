// The names of one extraction row: the copy's name with the document's ID, the source name,
// and the names that are refused.
#include "Qel.Lintrel.Names.h"

#include <gtest/gtest.h>

namespace {

TEST(LintrelNames, TargetNameCarriesTheID) {
  const struct {
    const char* FileName;
    const char* ID;
    const char* Name;
  } cCases[] = {
      {"Brief.docx", "17", "Brief_17.docx"},
      {"Brief", "17", "Brief_17"},
      {"Archiv.2023\\Brief", "17", "Archiv.2023/Brief_17"},
      {"Archiv.2023/Brief.pdf", "4", "Archiv.2023/Brief_4.pdf"},
      {"Bericht.final.docx", "9", "Bericht.final_9.docx"},
      {".profile", "3", "_3.profile"},
      {"Größe Übersicht.txt", " 12 ", "Größe Übersicht_12.txt"},
      {"a..b.txt", "1", "a..b_1.txt"},
  };
  for (const auto& c : cCases) {
    QString lName, lError;
    ASSERT_TRUE(TLintrelNames::TargetName(QString::fromUtf8(c.FileName), QString::fromUtf8(c.ID),
                                          lName, lError))
        << c.FileName << ": " << lError.toStdString();
    EXPECT_EQ(lName, QString::fromUtf8(c.Name)) << c.FileName;
  }
}

TEST(LintrelNames, TargetNamesLeavingTheDestinationOrEmptyAreRefused) {
  const struct {
    const char* FileName;
    const char* ID;
  } cCases[] = {
      {"/etc/passwd", "1"},
      {"\\Windows\\win.ini", "1"},
      {"../outside.txt", "1"},
      {"a/../../b.txt", "1"},
      {"Archiv\\..\\..\\x", "1"},
      {"", "1"},
      {"   ", "1"},
      {"Ordner/", "1"},
      {"Brief.docx", ""},
  };
  for (const auto& c : cCases) {
    QString lName = QStringLiteral("stale"), lError;
    EXPECT_FALSE(TLintrelNames::TargetName(QString::fromUtf8(c.FileName), QString::fromUtf8(c.ID),
                                           lName, lError))
        << c.FileName;
    EXPECT_TRUE(lName.isEmpty()) << c.FileName;
    EXPECT_FALSE(lError.isEmpty()) << c.FileName;
  }
  // A NUL would cut the name short at the file system: "a.b" is another document's file.
  QString lName, lError;
  EXPECT_FALSE(TLintrelNames::TargetName(QString::fromUtf8("a.b\0c.txt", 9), QStringLiteral("17"),
                                         lName, lError));
  EXPECT_TRUE(lError.contains(QStringLiteral("NUL")));
}

TEST(LintrelNames, SourceNameAppendsThePathName) {
  QString lName, lError;
  ASSERT_TRUE(TLintrelNames::SourceName(QStringLiteral("/docs/"),
                                        QStringLiteral("2023\\Brief.docx"), lName, lError));
  EXPECT_EQ(lName, QStringLiteral("/docs/2023/Brief.docx"));
  EXPECT_FALSE(TLintrelNames::SourceName(QStringLiteral("/docs/"), QString(), lName, lError));
  EXPECT_TRUE(lName.isEmpty());
  EXPECT_FALSE(lError.isEmpty());
  EXPECT_FALSE(TLintrelNames::SourceName(QStringLiteral("/docs/"),
                                         QString::fromUtf8("a.b\0c.txt", 9), lName, lError));
  EXPECT_TRUE(lName.isEmpty());
}

} // namespace
