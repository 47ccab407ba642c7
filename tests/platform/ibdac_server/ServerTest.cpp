// Connecting through a Firebird server: a private server of the test's own (own root
// folder, free loopback port, own security database with a test user), stopped at the end.
#include "Qel.Ibdac.Connection.h"
#include "Qel.Ibdac.Error.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"
#include "Qel.Ibdac.Transaction.h"

#include "QelPrivateServer.h"

#include <gtest/gtest.h>

namespace {

TEST(IbdacServer, ConnectsThroughAPrivateServer) {
  TPrivateServer lServer;
  ASSERT_GT(lServer.Port(), 0);
  ASSERT_TRUE(lServer.Start());
  ASSERT_TRUE(lServer.CreateDatabase(lServer.DatabaseFile()));

  TIBCConnection lConnection(nullptr);
  lConnection.SetServer(QStringLiteral("localhost/%1").arg(lServer.Port()));
  lConnection.SetDatabase(lServer.DatabaseFile());
  lConnection.SetUsername(QStringLiteral("TESTER"));
  lConnection.SetPassword(QStringLiteral("wrong"));
  try {
    lConnection.Connect();
    ADD_FAILURE() << "a wrong password was accepted";
  } catch (const EIBCError& e) {
    EXPECT_TRUE(e.Message().contains(QStringLiteral("password"), Qt::CaseInsensitive))
        << e.Message().toStdString();
  }
  EXPECT_FALSE(lConnection.Connected());

  lConnection.SetPassword(QStringLiteral("secret"));
  lConnection.SetAutoCommit(false);
  lConnection.Connect();
  ASSERT_TRUE(lConnection.Connected());

  TIBCTransaction lTransaction(nullptr);
  lTransaction.SetDefaultConnection(&lConnection);
  TIBCSQL lSql(nullptr);
  lSql.SetConnection(&lConnection);
  lSql.SetTransaction(&lTransaction);
  lSql.SQL().SetText(
      QStringLiteral("CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, s VARCHAR(20))"));
  lSql.Execute();
  lTransaction.Commit();
  lSql.SQL().SetText(QStringLiteral("INSERT INTO t VALUES (:id, :s)"));
  lSql.ParamByName(QStringLiteral("id"))->SetAsInteger(1);
  lSql.ParamByName(QStringLiteral("s"))->SetAsString(QStringLiteral("Grüße"));
  lSql.Execute();
  lTransaction.Commit();

  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(&lConnection);
  lQuery.SetFetchAll(true);
  lQuery.SQL().SetText(QStringLiteral(
      "SELECT s, CURRENT_USER, RDB$GET_CONTEXT('SYSTEM', 'NETWORK_PROTOCOL') FROM t"));
  lQuery.Open();
  EXPECT_EQ(lQuery.RecordCount(), 1);
  EXPECT_EQ(lQuery.Fields(0)->AsString(), QStringLiteral("Grüße"));
  EXPECT_EQ(lQuery.Fields(1)->AsString(), QStringLiteral("TESTER"));
  EXPECT_TRUE(lQuery.Fields(2)->AsString().startsWith(QStringLiteral("TCP")));
  lConnection.Close();

  // A server that went away: the next statement fails and the connection counts as closed.
  lConnection.Connect();
  lServer.Stop();
  lQuery.Close();
  try {
    lQuery.Open();
    ADD_FAILURE() << "opened without a server";
  } catch (const EIBCError& e) {
    EXPECT_TRUE(e.IsConnectionLost()) << e.ErrorCode() << " " << e.Message().toStdString();
  }
  EXPECT_FALSE(lConnection.Connected());
}

} // namespace
