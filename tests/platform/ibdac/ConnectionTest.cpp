// Connecting through the embedded engine and through a server address, the bounded attach,
// and the bookkeeping of the queries and transactions of a connection.
#include "Qel.Ibdac.Connection.h"
#include "Qel.Ibdac.Error.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.Transaction.h"
#include "QelTestDatabase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(IbdacConnection, ConnectStringNamesServerAndPort) {
  const struct {
    const char* Server;
    const char* Database;
    const char* Expected;
  } cCases[] = {
      {"", "/data/main.fdb", "/data/main.fdb"},
      {"localhost", "/data/main.fdb", "localhost:/data/main.fdb"},
      {"127.0.0.1/3051", "/data/main.fdb", "127.0.0.1/3051:/data/main.fdb"},
      {"srv01", "alias", "srv01:alias"},
  };
  for (const auto& c : cCases) {
    TIBCConnection lConnection(nullptr);
    lConnection.SetServer(QString::fromUtf8(c.Server));
    lConnection.SetDatabase(QString::fromUtf8(c.Database));
    EXPECT_EQ(lConnection.ConnectString(), QString::fromUtf8(c.Expected));
  }
}

TEST(IbdacConnection, EmbeddedConnectAndClose) {
  TTestDatabase lDb;
  TIBCConnection lConnection(nullptr);
  EXPECT_EQ(lConnection.SQLDialect(), 3);
  EXPECT_EQ(lConnection.Options().Charset, QStringLiteral("UTF8"));
  EXPECT_EQ(lConnection.ConnectTimeout(), TIBCConnection::cDefaultConnectTimeout);
  lConnection.SetDatabase(lDb.FileName());
  lConnection.SetUsername(QStringLiteral("SYSDBA"));
  lConnection.Options().Role = QStringLiteral("lumo"); // an unknown role is accepted
  lConnection.SetConnected(true);
  ASSERT_TRUE(lConnection.Connected());

  TIBCQuery lQuery(nullptr);
  lQuery.SetConnection(&lConnection);
  lQuery.SQL().SetText(QStringLiteral(
      "SELECT CURRENT_USER, RDB$GET_CONTEXT('SYSTEM', 'NETWORK_PROTOCOL'), "
      "(SELECT RDB$CHARACTER_SET_NAME FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = "
      "CURRENT_CONNECTION) FROM RDB$DATABASE"));
  lQuery.Open();
  EXPECT_EQ(lQuery.Fields(0)->AsString(), QStringLiteral("SYSDBA"));
  EXPECT_TRUE(lQuery.Fields(1)->IsNull()) << "embedded, no network protocol";
  EXPECT_EQ(lQuery.Fields(2)->AsString(), QStringLiteral("UTF8"));

  lConnection.Close();
  EXPECT_FALSE(lConnection.Connected());
  EXPECT_FALSE(lQuery.Active()) << "closing the connection closes its queries";
  lConnection.Connect(); // and it opens again
  EXPECT_TRUE(lConnection.Connected());
}

TEST(IbdacConnection, FailedAttachRaisesFirebirdsMessage) {
  TTestDatabase lDb;
  const struct {
    QString Database;
    QString Params;
    const char* MessagePart;
  } cCases[] = {
      {lDb.Folder() + QStringLiteral("/missing.fdb"), QString(), "missing.fdb"},
      {lDb.FileName(), QStringLiteral("no_such_param=1"), "no_such_param"},
      {QString(), QString(), "No database"},
  };
  for (const auto& c : cCases) {
    TIBCConnection lConnection(nullptr);
    lConnection.SetDatabase(c.Database);
    lConnection.Params().SetText(c.Params);
    try {
      lConnection.Connect();
      ADD_FAILURE() << "connected to " << c.Database.toStdString();
    } catch (const EDatabaseError& e) {
      EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.MessagePart)))
          << e.Message().toStdString();
    }
    EXPECT_FALSE(lConnection.Connected());
  }
}

TEST(IbdacConnection, ClosedLoopbackPortFailsQuickly) {
  const int lPort = ClosedLoopbackPort();
  ASSERT_GT(lPort, 0);
  TIBCConnection lConnection(nullptr);
  lConnection.SetServer(QStringLiteral("127.0.0.1/%1").arg(lPort));
  lConnection.SetDatabase(QStringLiteral("/x.fdb"));
  lConnection.SetUsername(QStringLiteral("SYSDBA"));
  lConnection.SetPassword(QStringLiteral("masterkey"));
  const auto lStart = std::chrono::steady_clock::now();
  try {
    lConnection.SetConnected(true);
    ADD_FAILURE() << "connected to a closed port";
  } catch (const EIBCError& e) {
    EXPECT_TRUE(e.Message().contains(QStringLiteral("127.0.0.1"))) << e.Message().toStdString();
    EXPECT_NE(e.ErrorCode(), 0);
  }
  EXPECT_FALSE(lConnection.Connected());
  EXPECT_LT(std::chrono::steady_clock::now() - lStart, std::chrono::seconds(5));
}

TEST(IbdacConnection, DataSetsFollowTheirQueries) {
  TTestDatabase lDb;
  auto lConnection = lDb.Connect();
  auto* lOwned = new TIBCQuery(lConnection.get()); // freed by the connection
  lOwned->SetConnection(lConnection.get());
  auto lOwn = std::make_unique<TIBCQuery>(nullptr);
  lOwn->SetConnection(lConnection.get());
  auto* lTransaction = new TIBCTransaction(lOwned);
  lTransaction->SetDefaultConnection(lConnection.get());
  lOwned->SetTransaction(lTransaction);
  ASSERT_EQ(lConnection->DataSetCount(), 2);
  EXPECT_EQ(lConnection->DataSets(0), lOwned);
  EXPECT_EQ(lConnection->DataSets(1), lOwn.get());
  EXPECT_EQ(lConnection->ComponentCount(), 1);

  lOwned->SQL().SetText(QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
  lOwned->Open();
  EXPECT_TRUE(lTransaction->Active());

  lOwn.reset();
  ASSERT_EQ(lConnection->DataSetCount(), 1);
  EXPECT_EQ(lConnection->DataSets(0), lOwned);

  auto lOutside = std::make_unique<TIBCQuery>(nullptr);
  lOutside->SetConnection(lConnection.get());
  lConnection.reset(); // frees the owned query and its transaction (rolled back)
  EXPECT_EQ(lOutside->Connection(), nullptr);
  EXPECT_THROW(lOutside->Open(), EDatabaseError);
}

} // namespace

namespace {

// A program that ends through exit() with an attachment still open (the window system gone,
// a library giving up) ends at once instead of spinning in the engine's shutdown.
TEST(IbdacConnection, ExitWithAnOpenAttachmentEnds) {
  const TTestDatabase lDb;
  const pid_t lChild = fork();
  ASSERT_GE(lChild, 0);
  if (lChild == 0) {
    auto* lConnection = new TIBCConnection(nullptr); // left open on purpose
    lConnection->SetDatabase(lDb.FileName());
    lConnection->SetUsername(QStringLiteral("SYSDBA"));
    lConnection->SetConnected(true);
    std::exit(lConnection->Connected() ? 7 : 8);
  }
  int lStatus = 0;
  pid_t lDone = 0;
  const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((lDone = waitpid(lChild, &lStatus, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < lDeadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (lDone == 0) {
    kill(lChild, SIGKILL);
    waitpid(lChild, &lStatus, 0);
  }
  EXPECT_EQ(lDone, lChild) << "the process did not end";
  EXPECT_TRUE(WIFEXITED(lStatus) && WEXITSTATUS(lStatus) == 7);
}

} // namespace
