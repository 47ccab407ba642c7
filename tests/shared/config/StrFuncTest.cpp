// Text helpers.
#include "Qel.Rtl.DateTime.h"
#include "Qel.Shared.StrFunc.h"

#include <gtest/gtest.h>

namespace {

TEST(StrFunc, Explode) {
  const struct {
    const char* Text;
    const char* Border;
    QStringList Parts;
  } cCases[] = {
      {"x,y,", ",", {"x", "y", ""}},
      {"a", ";", {"a"}},
      {"", ";", {}},
      {"a;;b", ";", {"a", "", "b"}},
      {"aXXbXXc", "XX", {"a", "b", "c"}},
      {"aXb", "x", {"aXb"}},
      {"abc", "", {"abc"}},
      {";", ";", {"", ""}},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Text);
    QStringList lParts;
    EXPECT_EQ(TQelStringFunctions::Explode(lParts, QString::fromUtf8(c.Border),
                                           QString::fromUtf8(c.Text)),
              c.Parts.size());
    EXPECT_EQ(lParts, c.Parts);
  }
}

TEST(StrFunc, Normalize) {
  EXPECT_EQ(TQelStringFunctions::Normalize(QStringLiteral("  Groß-Müller_Äpfel  ")),
            QStringLiteral("grossmuelleraepfel"));
  EXPECT_EQ(TQelStringFunctions::Normalize(QStringLiteral("Ö Ü ä")), QStringLiteral("oeueae"));
  EXPECT_EQ(TQelStringFunctions::Normalize(QString()), QString());
}

TEST(StrFunc, AddMemoToMemo) {
  SetNowOverride(EncodeDateTime(2026, 1, 5, 10, 0, 0, 0));
  EXPECT_EQ(TQelStringFunctions::AddMemoToMemo(QStringLiteral("Called back on Monday"),
                                               QStringLiteral("called  back")),
            QStringLiteral("Called back on Monday"));
  EXPECT_EQ(TQelStringFunctions::AddMemoToMemo(QString(), QStringLiteral("  first note ")),
            QStringLiteral("first note"));
  EXPECT_EQ(
      TQelStringFunctions::AddMemoToMemo(QStringLiteral(" old "), QStringLiteral("new    note")),
      QStringLiteral("old\r\n<05.01.26>\r\nnew  note"));
  EXPECT_EQ(TQelStringFunctions::AddMemoToMemo(QStringLiteral("old"), QStringLiteral("   ")),
            QStringLiteral("old"));
  // Trimmed as the runtime trims: every control character, no other kind of blank.
  EXPECT_EQ(TQelStringFunctions::AddMemoToMemo(QStringLiteral("abc\x01"), QStringLiteral("\x1b"
                                                                                         "abc")),
            QStringLiteral("abc"));
  SetNowOverride(std::nullopt);
}

} // namespace
