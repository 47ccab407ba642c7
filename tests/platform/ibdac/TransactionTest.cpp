// Explicit transactions: what a second connection sees after commit and rollback, a
// transaction shared by a query and a statement, and one owned by its query.
#include "Qel.Ibdac.Error.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"
#include "Qel.Ibdac.Transaction.h"
#include "QelTestDatabase.h"

#include <gtest/gtest.h>

namespace {

const QString cSchema =
    QStringLiteral("CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, v VARCHAR(10));\n");

QString Count(const TTestDatabase& aDb) {
  return aDb.Scalar(QStringLiteral("SELECT COUNT(*) FROM t"));
}

TEST(IbdacTransaction, CommitShowsRollbackDropsTheWork) {
  TTestDatabase lDb(cSchema);
  auto lConnection = lDb.Connect(false);
  TIBCTransaction lTransaction(nullptr);
  lTransaction.SetDefaultConnection(lConnection.get());
  TIBCSQL lInsert(nullptr);
  lInsert.SetConnection(lConnection.get());
  lInsert.SetTransaction(&lTransaction);
  lInsert.SQL().SetText(QStringLiteral("INSERT INTO t VALUES (:id, 'x')"));

  const struct {
    bool Commit;
    const char* Seen;
  } cCases[] = {{false, "0"}, {true, "1"}};
  int lId = 0;
  for (const auto& c : cCases) {
    lTransaction.StartTransaction();
    EXPECT_THROW(lTransaction.StartTransaction(), EDatabaseError);
    lInsert.ParamByName(QStringLiteral("id"))->SetAsInteger(++lId);
    lInsert.Execute();
    EXPECT_TRUE(lTransaction.Active());
    EXPECT_EQ(Count(lDb), QStringLiteral("0")) << "nothing seen before the end";
    if (c.Commit)
      lTransaction.Commit();
    else
      lTransaction.Rollback();
    EXPECT_FALSE(lTransaction.Active());
    EXPECT_EQ(Count(lDb), QString::fromUtf8(c.Seen));
  }
  EXPECT_THROW(lTransaction.Commit(), EDatabaseError);
  EXPECT_THROW(lTransaction.Rollback(), EDatabaseError);
}

TEST(IbdacTransaction, AutoCommitOffLeavesTheDefaultTransactionOpen) {
  TTestDatabase lDb(cSchema);
  for (const bool lAutoCommit : {true, false}) {
    auto lConnection = lDb.Connect(lAutoCommit);
    TIBCSQL lInsert(nullptr);
    lInsert.SetConnection(lConnection.get());
    lInsert.SQL().SetText(
        QStringLiteral("INSERT INTO t VALUES (%1, 'x')").arg(lAutoCommit ? 1 : 2));
    lInsert.Execute();
    EXPECT_EQ(lConnection->DefaultTransaction()->Active(), !lAutoCommit);
    lConnection->Close(); // rolls back what was not committed
  }
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT LIST(id) FROM t")), QStringLiteral("1"));
}

TEST(IbdacTransaction, AutoCommitCommitsEveryStatementWhoeverStartedTheTransaction) {
  // Each way leaves the default transaction running before the insert: a query, a prepared
  // statement, a statement that failed.
  enum TBefore { bfQuery, bfPrepare, bfFailure };
  for (const TBefore lBefore : {bfQuery, bfPrepare, bfFailure}) {
    SCOPED_TRACE(static_cast<int>(lBefore));
    TTestDatabase lDb(cSchema + QStringLiteral("INSERT INTO t VALUES (1, 'a');\n"));
    auto lConnection = lDb.Connect(true);
    TIBCQuery lQuery(nullptr);
    lQuery.SetConnection(lConnection.get());
    lQuery.SQL().SetText(QStringLiteral("SELECT v FROM t"));
    TIBCSQL lInsert(nullptr);
    lInsert.SetConnection(lConnection.get());
    lInsert.SQL().SetText(QStringLiteral("INSERT INTO t VALUES (2, 'b')"));
    if (lBefore == bfQuery)
      lQuery.Open(); // left open: its cursor goes on after the commit
    if (lBefore == bfPrepare)
      lInsert.Prepare();
    if (lBefore == bfFailure) {
      TIBCSQL lBad(nullptr);
      lBad.SetConnection(lConnection.get());
      lBad.SQL().SetText(QStringLiteral("INSERT INTO t VALUES (1, 'duplicate')"));
      EXPECT_THROW(lBad.Execute(), EIBCError);
    }
    lInsert.Execute();
    if (lBefore == bfQuery) {
      EXPECT_TRUE(lQuery.Active());
      EXPECT_EQ(lQuery.FieldByName(QStringLiteral("V"))->AsString(), QStringLiteral("a"));
    }
    lConnection->Close();
    EXPECT_EQ(Count(lDb), QStringLiteral("2"));
  }
}

TEST(IbdacTransaction, SharedByQueryAndStatement) {
  TTestDatabase lDb(cSchema + QStringLiteral("INSERT INTO t VALUES (1, 'a');\n"));
  auto lConnection = lDb.Connect(false);
  TIBCTransaction lTransaction(lConnection.get());
  lTransaction.SetDefaultConnection(lConnection.get());
  TIBCSQL lUpdate(nullptr);
  lUpdate.SetConnection(lConnection.get());
  lUpdate.SetTransaction(&lTransaction);
  lUpdate.SQL().SetText(QStringLiteral("UPDATE t SET v = :v"));
  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(lConnection.get());
  lQuery.SetTransaction(&lTransaction);
  lQuery.SQL().SetText(QStringLiteral("SELECT v FROM t"));

  lUpdate.ParamByName(QStringLiteral("v"))->SetAsString(QStringLiteral("b"));
  lUpdate.Execute(); // starts the transaction
  lQuery.Open();
  EXPECT_EQ(lQuery.Fields(0)->AsString(), QStringLiteral("b")) << "the query sees its own work";
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT v FROM t")), QStringLiteral("a"));
  lTransaction.Commit();
  EXPECT_TRUE(lQuery.Active()) << "fetched rows stay readable";
  EXPECT_EQ(lQuery.Fields(0)->AsString(), QStringLiteral("b"));
  EXPECT_EQ(lDb.Scalar(QStringLiteral("SELECT v FROM t")), QStringLiteral("b"));
}

TEST(IbdacTransaction, OwnedByItsQueryAndRolledBackWithIt) {
  TTestDatabase lDb(cSchema);
  auto lConnection = lDb.Connect(false);
  auto lQuery = std::make_unique<TIBCQuery>(lConnection.get());
  lQuery->SetConnection(lConnection.get());
  auto* lTransaction = new TIBCTransaction(lQuery.get());
  lTransaction->SetDefaultConnection(lConnection.get());
  lQuery->SetTransaction(lTransaction);
  lQuery->SQL().SetText(QStringLiteral("INSERT INTO t VALUES (1, 'x')"));
  lQuery->Execute();
  EXPECT_TRUE(lTransaction->Active());
  EXPECT_THROW(lTransaction->SetDefaultConnection(nullptr), EDatabaseError);
  lQuery.reset(); // frees the transaction, which rolls back
  EXPECT_EQ(lConnection->ComponentCount(), 0);
  EXPECT_EQ(Count(lDb), QStringLiteral("0"));

  // A transaction freed while a query reads in it leaves the query with its rows.
  TIBCQuery lReader(nullptr);
  lReader.SetConnection(lConnection.get());
  {
    TIBCTransaction lShort(nullptr);
    lShort.SetDefaultConnection(lConnection.get());
    lReader.SetTransaction(&lShort);
    lReader.SQL().SetText(QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
    lReader.Open();
  }
  EXPECT_EQ(lReader.Transaction(), nullptr);
  EXPECT_EQ(lReader.Fields(0)->AsInteger(), 1);
}

} // namespace
