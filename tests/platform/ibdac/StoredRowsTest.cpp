// Fetched rows are kept with the actual length of their text rather than the declared one:
// text at its full declared length (also in multi-byte UTF-8), padded CHAR values, NULLs
// between values, many rows of varying width, rows read after their transaction ended, and
// keys of text columns written back exactly as they came.
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"
#include "Qel.Ibdac.Transaction.h"
#include "QelTestDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString cFull = QString(10, QChar(u'\u65e5'));                      // 3 bytes each
const QString cEmoji = QString::fromUtf8("\xf0\x9f\x98\x80").repeated(3); // 4 bytes each

const QString cTextSchema =
    QStringLiteral("CREATE TABLE texts (id INTEGER NOT NULL PRIMARY KEY, v VARCHAR(10), c CHAR(4), "
                   "e VARCHAR(3), n INTEGER, o CHAR(3) CHARACTER SET OCTETS);\n"
                   "INSERT INTO texts VALUES (1, '%1', '%2', '%3', 1, 'ab ');\n"
                   "INSERT INTO texts VALUES (2, NULL, 'x', NULL, NULL, NULL);\n"
                   "INSERT INTO texts VALUES (3, '', ' a', 'abc', 3, 'xyz');\n"
                   "INSERT INTO texts VALUES (4, 'kurz', NULL, '', NULL, NULL);\n")
        .arg(cFull, QString::fromUtf8("\xc3\xa4\xe6\x97\xa5z") + u'\u00e4', cEmoji);

TEST(IbdacStoredRows, TextAtItsLimitPaddingAndNullsBetweenValues) {
  TTestDatabase lDb(cTextSchema);
  auto lConnection = lDb.Connect(false);
  TIBCTransaction lTransaction(nullptr);
  lTransaction.SetDefaultConnection(lConnection.get());
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SetTransaction(&lTransaction);
  lQuery.SetFetchAll(true);
  lQuery.SQL().SetText(QStringLiteral("SELECT id, v, c, e, n, o FROM texts ORDER BY id"));
  lQuery.Open();
  const TVariant lNull = TVariant::Null();
  const QString lChar = QString::fromUtf8("\xc3\xa4\xe6\x97\xa5z") + u'\u00e4';
  const std::vector<std::vector<TVariant>> cRows = {
      {int32_t(1), cFull, lChar, cEmoji, int32_t(1), QStringLiteral("ab")},
      {int32_t(2), lNull, QStringLiteral("x"), lNull, lNull, lNull},
      {int32_t(3), QString(), QStringLiteral(" a"), QStringLiteral("abc"), int32_t(3),
       QStringLiteral("xyz")},
      {int32_t(4), QStringLiteral("kurz"), lNull, QString(), lNull, lNull},
  };
  const auto lCheck = [&](const char* aWhen) {
    ASSERT_EQ(lQuery.RecordCount(), 4) << aWhen;
    lQuery.First();
    for (const auto& lRow : cRows) {
      ASSERT_FALSE(lQuery.Eof()) << aWhen;
      for (size_t i = 0; i < lRow.size(); ++i)
        EXPECT_EQ(lQuery.Fields(static_cast<int>(i))->AsVariant(), lRow[i])
            << aWhen << " row " << lQuery.RecNo() << " column " << i;
      lQuery.Next();
    }
    EXPECT_TRUE(lQuery.Eof()) << aWhen;
  };
  lCheck("while the transaction runs");
  EXPECT_FALSE(lQuery.FieldByName(QStringLiteral("V"))->IsNull()) << "empty text is no NULL";
  lTransaction.Commit();
  ASSERT_TRUE(lQuery.Active());
  lCheck("after the transaction ended");
}

TEST(IbdacStoredRows, ManyRowsOfVaryingWidthKeepTheirValues) {
  TTestDatabase lDb;
  auto lConnection = lDb.Connect();
  constexpr int cCount = 3000;
  for (const bool lFetchAll : {true, false}) {
    TIBCQuery lQuery(nullptr);
    lQuery.SetConnection(lConnection.get());
    lQuery.SetParamCheck(false); // the block's own variables
    lQuery.SetFetchAll(lFetchAll);
    lQuery.SQL().SetText(
        QStringLiteral("EXECUTE BLOCK RETURNS (i INTEGER, s VARCHAR(1000), t TIMESTAMP) AS "
                       "BEGIN i = 0; WHILE (i < %1) DO BEGIN "
                       "s = IIF(MOD(i, 7) = 3, NULL, RPAD('', MOD(i * 37, 1001), '\u00e4')); "
                       "t = IIF(MOD(i, 5) = 1, NULL, DATEADD(i MINUTE TO TIMESTAMP "
                       "'2024-01-01 00:00:00')); SUSPEND; i = i + 1; END END")
            .arg(cCount));
    lQuery.Open();
    int lRows = 0;
    for (; !lQuery.Eof(); lQuery.Next())
      ++lRows;
    ASSERT_EQ(lRows, cCount);
    // Read once everything is fetched: the first rows are still intact.
    lQuery.First();
    for (int i = 0; i < cCount; ++i, lQuery.Next()) {
      ASSERT_EQ(lQuery.Fields(0)->AsInteger(), i);
      const TVariant lText = lQuery.Fields(1)->AsVariant();
      if (i % 7 == 3)
        EXPECT_TRUE(lText.IsNull()) << i;
      else
        EXPECT_EQ(lText, TVariant(QString((i * 37) % 1001, QChar(u'\u00e4')))) << i;
      if (i % 5 == 1)
        EXPECT_TRUE(lQuery.Fields(2)->IsNull()) << i;
      else
        EXPECT_EQ(lQuery.Fields(2)->AsDateTime(),
                  EncodeDateTime(2024, 1, 1, 0, 0, 0, 0) + TDateTime::FromMSecs(i * 60000LL))
            << i;
    }
  }
}

// Keys of CHAR and full-length VARCHAR columns go back byte for byte, padding included.
TEST(IbdacStoredRows, TextKeysFindTheirRowOnPost) {
  TTestDatabase lDb(
      QStringLiteral("CREATE TABLE tk (k CHAR(6) NOT NULL, w VARCHAR(3) NOT NULL, v VARCHAR(10), "
                     "PRIMARY KEY (k, w));\n"
                     "INSERT INTO tk VALUES ('ab', '%1', 'old');\n"
                     "INSERT INTO tk VALUES ('ab', 'x', 'old');\n")
          .arg(cEmoji));
  auto lConnection = lDb.Connect(false);
  TIBCTransaction lTransaction(nullptr);
  lTransaction.SetDefaultConnection(lConnection.get());
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SetTransaction(&lTransaction);
  lQuery.SQL().SetText(QStringLiteral("SELECT v, k, w FROM tk ORDER BY w DESC"));
  lQuery.Open();
  ASSERT_EQ(lQuery.FieldByName(QStringLiteral("w"))->AsString(), cEmoji);
  lQuery.Edit();
  lQuery.FieldByName(QStringLiteral("v"))->SetAsString(QStringLiteral("new"));
  lQuery.Post();
  lTransaction.Commit();
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT LIST(v, ',') FROM (SELECT v FROM tk ORDER BY w)")),
            QStringLiteral("old,new"));
}

} // namespace
