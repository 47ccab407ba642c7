// Named parameters: found outside literals and comments, matched without regard to case,
// one parameter for a repeated name, bound at every place.
#include "Qel.Ibdac.Error.h"
#include "Qel.Ibdac.Params.h"
#include "Qel.Ibdac.Query.h"
#include "QelTestDatabase.h"

#include <gtest/gtest.h>

namespace {

TEST(IbdacParams, MarkersOutsideLiteralsAndComments) {
  const struct {
    const char* Sql;
    const char* Final;
    QStringList Markers;
  } cCases[] = {
      {"SELECT * FROM t WHERE a = :a AND b = :B",
       "SELECT * FROM t WHERE a = ? AND b = ?",
       {"a", "B"}},
      {"WHERE x >= :aDate OR y >= :ADATE", "WHERE x >= ? OR y >= ?", {"aDate", "ADATE"}},
      {"WHERE s = ':not' AND t = 'it''s :no' AND u = :yes",
       "WHERE s = ':not' AND t = 'it''s :no' AND u = ?",
       {"yes"}},
      {"SELECT \"col:x\" FROM t WHERE v = :v_1$", "SELECT \"col:x\" FROM t WHERE v = ?", {"v_1$"}},
      {"SELECT 1 -- :c1\nFROM t /* :c2 */ WHERE a = :a",
       "SELECT 1 -- :c1\nFROM t /* :c2 */ WHERE a = ?",
       {"a"}},
      {"WHERE a = ? AND b = :b", "WHERE a = ? AND b = ?", {"", "b"}},
      {"SELECT :1, a:b FROM t", "SELECT :1, a? FROM t", {"b"}},
      {"WHERE s = 'open literal :x", "WHERE s = 'open literal :x", {}},
  };
  for (const auto& c : cCases) {
    const TParsedSql lParsed = ParseSqlParams(QString::fromUtf8(c.Sql));
    EXPECT_EQ(lParsed.Sql, QString::fromUtf8(c.Final)) << c.Sql;
    EXPECT_EQ(lParsed.Markers, c.Markers) << c.Sql;
  }
  EXPECT_EQ(ParseSqlParams(QStringLiteral("a = :b"), false).Sql, QStringLiteral("a = :b"));
}

TEST(IbdacParams, OneParameterPerNameKeepsValuesAcrossSqlChanges) {
  TIBCQuery lQuery(nullptr);
  lQuery.SQL().SetText(QStringLiteral("SELECT :Id, :name, :ID FROM t WHERE x = ? AND y = ?"));
  ASSERT_EQ(lQuery.ParamCount(), 4);
  EXPECT_EQ(lQuery.Params().Items(0)->Name(), QStringLiteral("Id"));
  EXPECT_EQ(lQuery.ParamByName(QStringLiteral("id")), lQuery.Params().Items(0));
  EXPECT_THROW(lQuery.ParamByName(QStringLiteral("missing")), EDatabaseError);

  lQuery.ParamByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("kept"));
  lQuery.SQL().BeginUpdate();
  lQuery.SQL().Clear();
  lQuery.SQL().Add(QStringLiteral("SELECT :name"));
  lQuery.SQL().Add(QStringLiteral("FROM t"));
  EXPECT_EQ(lQuery.ParamCount(), 4) << "no change before EndUpdate";
  lQuery.SQL().EndUpdate();
  ASSERT_EQ(lQuery.ParamCount(), 1);
  EXPECT_EQ(lQuery.ParamByName(QStringLiteral("name"))->AsString(), QStringLiteral("kept"));
}

TEST(IbdacParams, RepeatedNameIsBoundEverywhere) {
  TTestDatabase lDb(QStringLiteral("CREATE TABLE t (a INTEGER, b INTEGER, s VARCHAR(20));\n"
                                   "INSERT INTO t VALUES (1, 1, ':a');\n"
                                   "INSERT INTO t VALUES (1, 2, 'x');\n"
                                   "INSERT INTO t VALUES (2, 2, 'y');\n"));
  auto lConnection = lDb.Connect();
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SQL().SetText(
      QStringLiteral("SELECT COUNT(*), MAX(s) FROM t WHERE a = :v AND b = :V -- AND s = :comment\n"
                     "AND s <> ':v'"));
  ASSERT_EQ(lQuery.ParamCount(), 1);
  const struct {
    int Value;
    int Count;
  } cCases[] = {{1, 1}, {2, 1}, {3, 0}};
  for (const auto& c : cCases) {
    lQuery.ParamByName(QStringLiteral("v"))->SetAsInteger(c.Value);
    lQuery.Open();
    EXPECT_EQ(lQuery.Fields(0)->AsInteger(), c.Count) << c.Value;
    lQuery.Close();
  }
}

} // namespace
