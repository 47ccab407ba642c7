// Edit, a field written with AsString, Post: the row goes back to its table inside the
// query's transaction, found by its primary key or by RDB$DB_KEY.
#include "Qel.Ibdac.Error.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.Transaction.h"
#include "QelTestDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString cSchema = QStringLiteral(
    "CREATE TABLE keyed (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(20), born DATE);\n"
    "CREATE TABLE loose (name VARCHAR(20), n INTEGER);\n"
    "CREATE TABLE pair (a INTEGER NOT NULL, b VARCHAR(5) NOT NULL, v VARCHAR(20), "
    "PRIMARY KEY (a, b));\n"
    "INSERT INTO keyed VALUES (1, 'one', '2000-01-01');\n"
    "INSERT INTO keyed VALUES (2, 'two', '2000-01-02');\n"
    "INSERT INTO loose VALUES ('same', 1);\n"
    "INSERT INTO loose VALUES ('same', 2);\n"
    "INSERT INTO pair VALUES (1, 'x', 'old');\n"
    "INSERT INTO pair VALUES (1, 'y', 'old');\n");

TEST(IbdacEditPost, WritesTheCurrentRowBackByItsKey) {
  TTestDatabase lDb(cSchema);
  const struct {
    const char* Select;
    const char* Field;
    const char* Check;
    const char* Expected;
  } cCases[] = {
      {"SELECT id, name FROM keyed ORDER BY id", "NAME",
       "SELECT LIST(name, ',') FROM (SELECT name FROM keyed ORDER BY id)", "one,Zwei"},
      {"SELECT k.name, k.id FROM keyed k ORDER BY k.id", "name",
       "SELECT LIST(name, ',') FROM (SELECT name FROM keyed ORDER BY id)", "one,Zwei"},
      {"SELECT n, name, RDB$DB_KEY FROM loose ORDER BY n", "name",
       "SELECT LIST(name, ',') FROM (SELECT name FROM loose ORDER BY n)", "same,Zwei"},
      {"SELECT b, a, v FROM pair ORDER BY b", "v",
       "SELECT LIST(v, ',') FROM (SELECT v FROM pair ORDER BY b)", "old,Zwei"},
  };
  for (const auto& c : cCases) {
    auto lConnection = lDb.Connect(false);
    TIBCTransaction lTransaction(nullptr);
    lTransaction.SetDefaultConnection(lConnection.get());
    TIBCQuery lQuery(nullptr);
    lQuery.SetConnection(lConnection.get());
    lQuery.SetTransaction(&lTransaction);
    lQuery.SetFetchAll(true);
    lQuery.SQL().SetText(QString::fromUtf8(c.Select));
    lQuery.Open();
    lQuery.Next();
    lQuery.Edit();
    lQuery.FieldByName(QString::fromUtf8(c.Field))->SetAsString(QStringLiteral("Zwei"));
    EXPECT_EQ(lQuery.FieldByName(QString::fromUtf8(c.Field))->AsString(), QStringLiteral("Zwei"));
    lQuery.Post();
    EXPECT_EQ(lQuery.State(), dsBrowse);
    EXPECT_EQ(lQuery.FieldByName(QString::fromUtf8(c.Field))->AsString(), QStringLiteral("Zwei"));
    lTransaction.Commit();
    EXPECT_EQ(lDb.Scalar(QString::fromUtf8(c.Check)), QString::fromUtf8(c.Expected)) << c.Select;
  }
}

TEST(IbdacEditPost, PostStaysInsideTheQuerysTransaction) {
  TTestDatabase lDb(cSchema);
  auto lConnection = lDb.Connect(false);
  TIBCTransaction lTransaction(nullptr);
  lTransaction.SetDefaultConnection(lConnection.get());
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SetTransaction(&lTransaction);
  lQuery.SQL().SetText(QStringLiteral("SELECT id, name, born FROM keyed WHERE id = 1"));
  lQuery.Open();
  lQuery.Edit();
  lQuery.FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("changed"));
  lQuery.FieldByName(QStringLiteral("born"))->SetAsString(QStringLiteral("2001-02-03"));
  lQuery.Post();
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT name FROM keyed WHERE id = 1")),
            QStringLiteral("one"));
  lQuery.Edit();
  lQuery.FieldByName(QStringLiteral("id"))->SetAsInteger(10); // the key itself may change
  lQuery.Post();
  lQuery.Edit();
  lQuery.FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("again"));
  lQuery.Post(); // found by the new key
  lTransaction.Rollback();
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT name || id FROM keyed WHERE id = 1")),
            QStringLiteral("one1"));
  EXPECT_EQ(lQuery.FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("again"));
}

TEST(IbdacEditPost, RowsWithoutKeyOrColumnsOfNoTableAreRefused) {
  TTestDatabase lDb(cSchema);
  auto lConnection = lDb.Connect(false);
  const struct {
    const char* Select;
    const char* Field;
    const char* MessagePart;
  } cCases[] = {
      {"SELECT name FROM keyed", "name", "primary key"},
      {"SELECT name, n FROM loose", "name", "RDB$DB_KEY"},
      {"SELECT id, UPPER(name) AS big FROM keyed", "big", "no table column"},
  };
  for (const auto& c : cCases) {
    TIBCQuery lQuery(nullptr);
    lQuery.SetConnection(lConnection.get());
    lQuery.SQL().SetText(QString::fromUtf8(c.Select));
    lQuery.Open();
    lQuery.Edit();
    lQuery.FieldByName(QString::fromUtf8(c.Field))->SetAsString(QStringLiteral("x"));
    try {
      lQuery.Post();
      ADD_FAILURE() << c.Select;
    } catch (const EDatabaseError& e) {
      EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.MessagePart)))
          << e.Message().toStdString();
    }
    EXPECT_EQ(lQuery.State(), dsEdit);
    lQuery.Cancel();
    EXPECT_NE(lQuery.FieldByName(QString::fromUtf8(c.Field))->AsString(), QStringLiteral("x"));
  }
}

} // namespace
