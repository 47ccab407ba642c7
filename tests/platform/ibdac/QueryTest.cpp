// Reading rows: value types in both directions, fetching all rows, walking them, rows
// affected, Firebird's messages for bad SQL, and the hooks descendants wrap.
#include "Qel.Ibdac.Error.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"
#include "Qel.Ibdac.Transaction.h"
#include "Qel.Rtl.Exceptions.h"
#include "QelTestDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString cTypesSchema =
    QStringLiteral("CREATE TABLE vals (id INTEGER NOT NULL PRIMARY KEY, s VARCHAR(100), c CHAR(5), "
                   "i INTEGER, big BIGINT, n NUMERIC(15,2), f DOUBLE PRECISION, d DATE, t TIME, "
                   "ts TIMESTAMP, memo BLOB SUB_TYPE TEXT, ok BOOLEAN);\n");

TEST(IbdacQuery, ValuesRoundTrip) {
  TTestDatabase lDb(cTypesSchema);
  auto lConnection = lDb.Connect();
  const TDateTime lStamp = EncodeDateTime(2026, 1, 5, 14, 7, 9, 123);
  const QString lText = QStringLiteral("Grüße, Жук, 日本 \u20ac");
  const QString lLong = QString(5000, QChar(u'\u00e4'));
  const struct {
    const char* Column;
    TVariant In;
    TVariant Out;
  } cCases[] = {
      {"s", lText, lText},
      {"s", QStringLiteral("it's; DROP TABLE vals"), QStringLiteral("it's; DROP TABLE vals")},
      {"c", QStringLiteral("ab"), QStringLiteral("ab")},
      {"i", int32_t(-42), int32_t(-42)},
      {"i", QStringLiteral("17"), int32_t(17)},
      {"big", int64_t(9000000000123), int64_t(9000000000123)},
      {"n", 1234.56, 1234.56},
      {"n", int32_t(7), 7.0},
      {"f", 0.1, 0.1},
      {"d", lStamp, EncodeDate(2026, 1, 5)},
      {"t", lStamp, EncodeTime(14, 7, 9, 123)},
      {"ts", lStamp, lStamp},
      {"ts", EncodeDate(1850, 2, 28), EncodeDate(1850, 2, 28)},
      {"memo", lLong, lLong},
      {"ok", true, true},
      {"s", TVariant::Null(), TVariant::Null()},
      {"ts", TVariant(), TVariant::Null()},
  };
  TIBCSQL lInsert(nullptr);
  lInsert.SetConnection(lConnection.get());
  TIBCQuery lRead(nullptr);
  lRead.SetConnection(lConnection.get());
  int lId = 0;
  for (const auto& c : cCases) {
    ++lId;
    lInsert.SQL().SetText(
        QStringLiteral("INSERT INTO vals (id, %1) VALUES (:id, :value)").arg(c.Column));
    lInsert.ParamByName(QStringLiteral("id"))->SetAsInteger(lId);
    lInsert.ParamByName(QStringLiteral("value"))->SetValue(c.In);
    lInsert.Execute();
    EXPECT_EQ(lInsert.RowsAffected(), 1);
    lRead.SQL().SetText(QStringLiteral("SELECT %1 FROM vals WHERE id = :id").arg(c.Column));
    lRead.ParamByName(QStringLiteral("ID"))->SetAsInteger(lId);
    lRead.Open();
    const TVariant lOut = lRead.FieldByName(QString::fromUtf8(c.Column).toUpper())->AsVariant();
    EXPECT_EQ(lOut, c.Out) << c.Column << " " << lOut.AsString().toStdString() << " <> "
                           << c.Out.AsString().toStdString();
    lRead.Close();
  }
}

TEST(IbdacQuery, FieldsByNameAndIndexAndConversions) {
  TTestDatabase lDb(cTypesSchema +
                    QStringLiteral("INSERT INTO vals (id, s, i, d, memo) VALUES (1, '12', "
                                   "NULL, '2026-03-01', 'long text');\n"));
  auto lConnection = lDb.Connect();
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SQL().SetText(QStringLiteral("SELECT id AS \"Key\", s, i, d, memo FROM vals"));
  lQuery.Open();
  ASSERT_EQ(lQuery.FieldCount(), 5);
  EXPECT_EQ(lQuery.Fields(0)->FieldName(), QStringLiteral("Key"));
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("KEY")), lQuery.Fields(0));
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("s"))->AsInteger(), 12);
  EXPECT_TRUE(lQuery.FieldByName(QStringLiteral("I"))->IsNull());
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("i"))->AsInteger(), 0);
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("i"))->AsString(), QString());
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("d"))->AsDateTime(), EncodeDate(2026, 3, 1));
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("d"))->DataType(), ftDate);
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("memo"))->DataType(), ftMemo);
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("memo"))->AsString(), QStringLiteral("long text"));
  EXPECT_THROW(lQuery.FieldByName(QStringLiteral("memo"))->AsDateTime(), EConvertError);
  EXPECT_THROW(lQuery.FieldByName(QStringLiteral("nope")), EDatabaseError);
  EXPECT_THROW(lQuery.Fields(5), ERangeError);
  EXPECT_THROW(lQuery.Fields(1)->SetAsString(QStringLiteral("x")), EDatabaseError)
      << "writing needs edit mode";
}

// 250 rows: more than one network/fetch batch, few enough to stay fast.
const QString cRowsSchema =
    QStringLiteral("CREATE TABLE rows_t (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(20));\n"
                   "EXECUTE BLOCK AS DECLARE i INTEGER = 1; BEGIN WHILE (i <= 250) DO BEGIN "
                   "INSERT INTO rows_t VALUES (:i, 'row ' || :i); i = i + 1; END END;\n");

TEST(IbdacQuery, FetchAllCountsEveryRowAndWalksThem) {
  TTestDatabase lDb;
  {
    auto lConnection = lDb.Connect();
    TIBCSQL lSql(nullptr);
    lSql.SetConnection(lConnection.get());
    lSql.SetParamCheck(false); // the block's own variables
    lSql.SQL().SetText(cRowsSchema.section(u'\n', 0, 0));
    lSql.Execute();
    lSql.SQL().SetText(cRowsSchema.section(u'\n', 1, 1));
    lSql.Execute();
  }
  auto lConnection = lDb.Connect();
  for (const bool lFetchAll : {true, false}) {
    TIBCQuery lQuery(lConnection.get());
    lQuery.SetConnection(lConnection.get());
    lQuery.SetFetchAll(lFetchAll);
    lQuery.SQL().SetText(
        QStringLiteral("SELECT id, name FROM rows_t WHERE id > :from ORDER BY id"));
    lQuery.ParamByName(QStringLiteral("from"))->SetAsInteger(0);
    lQuery.Open();
    EXPECT_EQ(lQuery.RecordCount(), lFetchAll ? 250 : 1);
    int lRows = 0;
    int lSum = 0;
    while (!lQuery.Eof()) {
      ++lRows;
      lSum += lQuery.FieldByName(QStringLiteral("ID"))->AsInteger();
      EXPECT_EQ(lQuery.Fields(1)->AsString(), QStringLiteral("row %1").arg(lRows));
      lQuery.Next();
    }
    EXPECT_EQ(lRows, 250);
    EXPECT_EQ(lSum, 250 * 251 / 2);
    EXPECT_EQ(lQuery.RecordCount(), 250);
    lQuery.Next(); // past the end stays there
    EXPECT_TRUE(lQuery.Eof());
    lQuery.First();
    EXPECT_EQ(lQuery.Fields(0)->AsInteger(), 1);
  }
  TIBCQuery lEmpty(nullptr);
  lEmpty.SetConnection(lConnection.get());
  lEmpty.SetFetchAll(true);
  lEmpty.SQL().SetText(QStringLiteral("SELECT id FROM rows_t WHERE id < 0"));
  lEmpty.Open();
  EXPECT_TRUE(lEmpty.Eof());
  EXPECT_EQ(lEmpty.RecordCount(), 0);
  EXPECT_TRUE(lEmpty.Fields(0)->IsNull());
}

TEST(IbdacQuery, RowsAffectedAndExecuteOfAQuery) {
  TTestDatabase lDb(QStringLiteral("CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, v INTEGER);\n"
                                   "CREATE SEQUENCE g;\n"));
  auto lConnection = lDb.Connect();
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SQL().SetText(QStringLiteral("INSERT INTO t VALUES (NEXT VALUE FOR g, :v) RETURNING id"));
  for (int i = 0; i < 3; ++i) {
    lQuery.ParamByName(QStringLiteral("v"))->SetAsInteger(i % 2);
    lQuery.Execute();
    EXPECT_EQ(lQuery.RowsAffected(), 1);
    EXPECT_EQ(lQuery.FieldByName(QStringLiteral("id"))->AsInteger(), i + 1) << "RETURNING row";
  }
  TIBCSQL lUpdate(nullptr);
  lUpdate.SetConnection(lConnection.get());
  lUpdate.SQL().SetText(QStringLiteral("UPDATE t SET v = v + 10 WHERE v = :v"));
  const struct {
    int V;
    int64_t Rows;
  } cCases[] = {{0, 2}, {1, 1}, {5, 0}};
  for (const auto& c : cCases) {
    lUpdate.ParamByName(QStringLiteral("v"))->SetAsInteger(c.V);
    lUpdate.Execute();
    EXPECT_EQ(lUpdate.RowsAffected(), c.Rows) << c.V;
  }
  lQuery.SQL().SetText(QStringLiteral("DELETE FROM t"));
  EXPECT_THROW(lQuery.Open(), EDatabaseError) << "no rows to open";
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT COUNT(*) FROM t")), QStringLiteral("3"))
      << "a refused Open does not run the statement";
  lQuery.Execute();
  EXPECT_EQ(lQuery.RowsAffected(), 3);
  EXPECT_FALSE(lQuery.Active());
}

TEST(IbdacQuery, ReturnedBlobIsReadBeforeTheAutomaticCommit) {
  TTestDatabase lDb(QStringLiteral("CREATE TABLE t (id INTEGER, memo BLOB SUB_TYPE TEXT);\n"));
  auto lConnection = lDb.Connect(true);
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SQL().SetText(QStringLiteral("INSERT INTO t VALUES (1, 'Grüße') RETURNING memo"));
  lQuery.Execute();
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("MEMO"))->AsString(), QStringLiteral("Grüße"));
  EXPECT_FALSE(lConnection->DefaultTransaction()->Active());
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT COUNT(*) FROM t")), QStringLiteral("1"));
}

TEST(IbdacQuery, TextWithoutCharacterSetReadsAsUtf8OrElseAsTheWindowsCodePage) {
  // Written by this port (UTF-8) and by a Windows program (its code page).
  TTestDatabase lDb(QStringLiteral(
      "CREATE TABLE t (id INTEGER, v VARCHAR(20) CHARACTER SET NONE);\n"
      "INSERT INTO t VALUES (1, CAST(x'C3A4' AS VARCHAR(20) CHARACTER SET NONE));\n"
      "INSERT INTO t VALUES (2, CAST(x'E480' AS VARCHAR(20) CHARACTER SET NONE));\n"));
  auto lConnection = lDb.Connect();
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SQL().SetText(QStringLiteral("SELECT v FROM t ORDER BY id"));
  lQuery.SetFetchAll(true);
  lQuery.Open();
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("V"))->AsString(), QStringLiteral("ä"));
  lQuery.Next();
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("V"))->AsString(), QStringLiteral("ä€"));
}

TEST(IbdacQuery, BadSqlRaisesFirebirdsMessage) {
  TTestDatabase lDb(QStringLiteral("CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY);\n"));
  auto lConnection = lDb.Connect();
  const struct {
    const char* Sql;
    const char* MessagePart;
  } cCases[] = {
      {"SELEC * FROM t", "Token unknown"},
      {"SELECT * FROM no_such_table", "NO_SUCH_TABLE"},
      {"INSERT INTO t VALUES (1)", ""}, // fine the first time
      {"INSERT INTO t VALUES (1)", "PRIMARY"},
      {"SELECT CAST('abc' AS INTEGER) FROM RDB$DATABASE", "conversion error"},
  };
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  for (const auto& c : cCases) {
    lQuery.SQL().SetText(QString::fromUtf8(c.Sql));
    if (!*c.MessagePart) {
      lQuery.Execute();
      continue;
    }
    try {
      lQuery.Execute();
      ADD_FAILURE() << c.Sql;
    } catch (const EIBCError& e) {
      EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.MessagePart)))
          << e.Message().toStdString();
      EXPECT_NE(e.ErrorCode(), 0);
    }
    EXPECT_TRUE(lConnection->Connected()) << "an SQL error keeps the connection";
  }
}

// Descendants wrap the hooks; the base work runs inside them.
class TTracingQuery : public TIBCQuery {
public:
  using TIBCQuery::TIBCQuery;
  QStringList Trace;

protected:
  void InternalOpen() override {
    Trace << QStringLiteral("open");
    DoInternalOpen();
    Trace << QStringLiteral("opened %1").arg(RecordCount());
  }
  void InternalExecute(int aIters, int aOffset) override {
    Trace << QStringLiteral("execute %1 %2").arg(aIters).arg(aOffset);
    TIBCQuery::InternalExecute(aIters, aOffset);
  }
};

class TTracingSQL : public TIBCSQL {
public:
  using TIBCSQL::TIBCSQL;
  QStringList Trace;
  void Execute() override {
    Trace << QStringLiteral("execute");
    DoExecute();
    Trace << QStringLiteral("rows %1").arg(RowsAffected());
  }
};

TEST(IbdacQuery, OpenAndExecuteGoThroughTheHooks) {
  TTestDatabase lDb(QStringLiteral("CREATE TABLE t (id INTEGER);\n"));
  auto lConnection = lDb.Connect();
  TTracingSQL lSql(nullptr);
  lSql.SetConnection(lConnection.get());
  lSql.SQL().SetText(QStringLiteral("INSERT INTO t VALUES (1)"));
  lSql.Execute();
  EXPECT_EQ(lSql.Trace, QStringList({"execute", "rows 1"}));

  TTracingQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SetFetchAll(true);
  lQuery.SQL().SetText(QStringLiteral("SELECT id FROM t"));
  lQuery.SetActive(true);
  lQuery.Close();
  lQuery.Execute();
  EXPECT_EQ(lQuery.Trace, QStringList({"open", "opened 1", "execute 1 0"}));
  EXPECT_TRUE(lQuery.Active());
  lQuery.Trace.clear();
  lQuery.Close();
  lQuery.Open();
  EXPECT_EQ(lQuery.Trace, QStringList({"open", "opened 1"}));
}

} // namespace
