// Connecting through a Firebird server: a private server of the test's own (own root
// folder, free loopback port, own security database with a test user), stopped at the end.
#include "Qel.Ibdac.Connection.h"
#include "Qel.Ibdac.Error.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"
#include "Qel.Ibdac.Transaction.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

const QString cFirebirdHome = QStringLiteral("/usr/lib/x86_64-linux-gnu/firebird/3.0");
const QString cSecurityTemplate = QStringLiteral("/var/lib/firebird/3.0/system/security3.fdb");

int FreeLoopbackPort() {
  const int lSocket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in lAddress{};
  lAddress.sin_family = AF_INET;
  lAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t lLength = sizeof lAddress;
  int lPort = 0;
  if (::bind(lSocket, reinterpret_cast<sockaddr*>(&lAddress), sizeof lAddress) == 0 &&
      ::getsockname(lSocket, reinterpret_cast<sockaddr*>(&lAddress), &lLength) == 0)
    lPort = ntohs(lAddress.sin_port);
  ::close(lSocket);
  return lPort;
}

bool PortAnswers(int aPort) {
  const int lSocket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in lAddress{};
  lAddress.sin_family = AF_INET;
  lAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  lAddress.sin_port = htons(static_cast<uint16_t>(aPort));
  const bool lAnswers =
      ::connect(lSocket, reinterpret_cast<sockaddr*>(&lAddress), sizeof lAddress) == 0;
  ::close(lSocket);
  return lAnswers;
}

// The private server; everything it needs lives in its own temporary root folder.
class TPrivateServer {
public:
  TPrivateServer() : FPort(FreeLoopbackPort()) {}
  ~TPrivateServer() { Stop(); }

  bool Start() {
    const QString lRoot = FRoot.path();
    for (const char* lName :
         {"UDF", "firebird.msg", "intl", "lib", "plugins", "plugins.conf", "fbtrace.conf"})
      QFile::link(cFirebirdHome + u'/' + QLatin1String(lName), lRoot + u'/' + QLatin1String(lName));
    Write(QStringLiteral("databases.conf"), QByteArray());
    Write(QStringLiteral("firebird.conf"),
          QStringLiteral("RemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\n"
                         "SecurityDatabase = %2/security3.fdb\nAuthServer = Srp, Legacy_Auth\n"
                         "AuthClient = Srp, Legacy_Auth\nUserManager = Srp\n")
              .arg(FPort)
              .arg(lRoot)
              .toUtf8());
    if (!QFile::copy(cSecurityTemplate, lRoot + QStringLiteral("/security3.fdb")))
      return false;
    QFile::setPermissions(lRoot + QStringLiteral("/security3.fdb"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!Isql({QStringLiteral("-user"), QStringLiteral("SYSDBA"),
               lRoot + QStringLiteral("/security3.fdb")},
              "CREATE USER TESTER PASSWORD 'secret' USING PLUGIN Srp; "
              "GRANT CREATE DATABASE TO USER TESTER; COMMIT;"))
      return false;
    FServer.setProcessEnvironment(Environment());
    FServer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FServer.start(QStringLiteral("/usr/sbin/firebird"), {});
    if (!FServer.waitForStarted(5000))
      return false;
    const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < lDeadline) {
      if (PortAnswers(FPort))
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  void Stop() {
    if (FServer.state() == QProcess::NotRunning)
      return;
    FServer.terminate(); // takes a few seconds to end
    if (!FServer.waitForFinished(20000)) {
      FServer.kill();
      FServer.waitForFinished(5000);
    }
  }

  int Port() const { return FPort; }
  QString DatabaseFile() const { return FRoot.path() + QStringLiteral("/srv.fdb"); }

  // A database created through the server by the test user, who then owns it.
  bool CreateDatabase() const {
    const QString lScript =
        QStringLiteral("CREATE DATABASE '127.0.0.1/%1:%2' USER 'TESTER' PASSWORD 'secret' "
                       "DEFAULT CHARACTER SET UTF8;")
            .arg(FPort)
            .arg(DatabaseFile());
    return Isql({}, lScript.toUtf8());
  }

private:
  QProcessEnvironment Environment() const {
    QProcessEnvironment lEnvironment = QProcessEnvironment::systemEnvironment();
    lEnvironment.insert(QStringLiteral("FIREBIRD"), FRoot.path());
    return lEnvironment;
  }

  void Write(const QString& aName, const QByteArray& aContent) const {
    QFile lFile(FRoot.path() + u'/' + aName);
    if (lFile.open(QIODevice::WriteOnly))
      lFile.write(aContent);
  }

  bool Isql(const QStringList& aArguments, const QByteArray& aScript) const {
    QProcess lIsql;
    lIsql.setProcessEnvironment(Environment());
    lIsql.setProcessChannelMode(QProcess::MergedChannels);
    lIsql.start(QStringLiteral("isql-fb"), QStringList{QStringLiteral("-q")} + aArguments);
    lIsql.write(aScript + "\n");
    lIsql.closeWriteChannel();
    const bool lDone = lIsql.waitForFinished(20000);
    const QByteArray lOutput = lIsql.readAll();
    if (!lDone || lIsql.exitCode() != 0 || lOutput.contains("Statement failed")) {
      ADD_FAILURE() << "isql-fb: " << lOutput.toStdString();
      return false;
    }
    return true;
  }

  QTemporaryDir FRoot;
  int FPort;
  QProcess FServer;
};

TEST(IbdacServer, ConnectsThroughAPrivateServer) {
  TPrivateServer lServer;
  ASSERT_GT(lServer.Port(), 0);
  ASSERT_TRUE(lServer.Start());
  ASSERT_TRUE(lServer.CreateDatabase());

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
