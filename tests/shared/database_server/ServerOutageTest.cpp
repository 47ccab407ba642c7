// The logged components through a private Firebird server: connecting as
// "localhost/<port>:<path>", and a server that dies while a statement runs: the error is
// logged with the statement's SQL and parameters, reaches the caller, and the next call
// reconnects once the server is back.
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.IBC.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelLogCapture.h"
#include "QelPrivateServer.h"
#include "QelTestDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// A query that runs until the server goes away.
const QStringList cEndlessQuery = {
    QStringLiteral("SELECT COUNT(*)"),
    QStringLiteral("FROM RDB$TYPES a, RDB$TYPES b, RDB$TYPES c, RDB$TYPES d"),
    QStringLiteral("WHERE a.RDB$TYPE_NAME <> :marker")};

TEST(DatabaseServer, AServerThatDiesDuringAQueryIsLoggedAndTheNextCallReconnects) {
  TPrivateServer lServer;
  ASSERT_TRUE(lServer.Start());
  const QString lFile = lServer.DatabaseFile();
  ASSERT_TRUE(lServer.CreateDatabase(lFile));

  // The configuration names the server and port in front of the path.
  const QTemporaryDir lDir;
  const QString lIni = lDir.path() + QStringLiteral("/app.ini");
  QFile lIniFile(lIni);
  ASSERT_TRUE(lIniFile.open(QIODevice::WriteOnly));
  lIniFile.write(
      QStringLiteral("[DB]\ndatabase=%1:%2\n").arg(lServer.ServerName(), lFile).toUtf8());
  lIniFile.close();
  const auto lConfig =
      TIniData::Create<TConfigDatabaseData>(TPathsAndFiles::AddFile(lIni, true, false));
  lConfig->SetUserName(TPrivateServer::UserName());
  lConfig->SetPassword(TPrivateServer::Password());
  ASSERT_EQ(lConfig->Server(), lServer.ServerName());
  ASSERT_TRUE(lConfig->Connected());

  TQelIBCConnection lConnection(nullptr);
  ASSERT_TRUE(lConfig->Connect(&lConnection));
  RunSqlScript(lConnection, AppSchemaScript());
  EXPECT_EQ(lConfig->Version(), 1);

  TQelIBCQuery lQuery(&lConnection);
  lQuery.SQL().AddStrings(cEndlessQuery);
  lQuery.ParamByName(QStringLiteral("marker"))->SetAsString(QStringLiteral("no such type"));
  TLogCapture lLog;
  std::thread lKiller([&lServer] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    lServer.Kill();
  });
  try {
    lQuery.Open();
    ADD_FAILURE() << "the query ended without its server";
  } catch (const Exception& e) {
    EXPECT_FALSE(e.Message().isEmpty());
  }
  lKiller.join();
  EXPECT_FALSE(lConnection.Connected());
  bool lLogged = false;
  for (const TLoggingData& lData : lLog.Records())
    lLogged |= lData.FTyp == ltError && lData.FSender.contains(QStringLiteral("InternalOpen")) &&
               lData.FTrace.contains(QStringLiteral("FROM RDB$TYPES a")) &&
               lData.FTrace.contains(QStringLiteral("<PARAMS>\r\nmarker:no such type"));
  EXPECT_TRUE(lLogged);

  // The server comes back; the next statement reconnects (the loop waits for it) and runs.
  lServer.Stop();
  ASSERT_TRUE(lServer.Start());
  TQelIBCQuery lNext(&lConnection);
  lNext.SQL().SetText(QStringLiteral("SELECT VERSION FROM MODIFY_DB"));
  lNext.Open();
  EXPECT_TRUE(lConnection.Connected());
  EXPECT_EQ(lNext.Fields(0)->AsInteger(), 1);
}

} // namespace
