#include "QelPrivateServer.h"

#include "QelTestDatabase.h"

#include <QFile>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {
const QString cFirebirdHome = QStringLiteral("/usr/lib/x86_64-linux-gnu/firebird/3.0");
const QString cSecurityTemplate = QStringLiteral("/var/lib/firebird/3.0/system/security3.fdb");
} // namespace

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

TPrivateServer::TPrivateServer() : FPort(ClosedLoopbackPort()) {}

TPrivateServer::~TPrivateServer() {
  Stop();
}

QString TPrivateServer::ServerName() const {
  return QStringLiteral("localhost/%1").arg(FPort);
}

QString TPrivateServer::DatabaseFile(const QString& aName) const {
  return FRoot.path() + u'/' + aName;
}

bool TPrivateServer::Prepare() {
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
  return Isql(
      {QStringLiteral("-user"), QStringLiteral("SYSDBA"), lRoot + QStringLiteral("/security3.fdb")},
      "CREATE USER TESTER PASSWORD 'secret' USING PLUGIN Srp; "
      "GRANT CREATE DATABASE TO USER TESTER; COMMIT;");
}

bool TPrivateServer::Start() {
  if (FPort <= 0 || (!FPrepared && !(FPrepared = Prepare())))
    return false;
  FServer.setProcessEnvironment(Environment());
  FServer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  FServer.start(QStringLiteral("/usr/sbin/firebird"), {});
  if (!FServer.waitForStarted(5000))
    return false;
  FPid = FServer.processId();
  const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < lDeadline) {
    if (PortAnswers(FPort))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

void TPrivateServer::Stop() {
  if (FServer.state() == QProcess::NotRunning)
    return;
  FServer.terminate(); // takes a few seconds to end
  if (!FServer.waitForFinished(20000)) {
    FServer.kill();
    FServer.waitForFinished(5000);
  }
}

void TPrivateServer::Kill() const {
  if (FPid > 0)
    ::kill(static_cast<pid_t>(FPid), SIGKILL);
}

bool TPrivateServer::CreateDatabase(const QString& aFileName) const {
  const QString lScript =
      QStringLiteral("CREATE DATABASE '127.0.0.1/%1:%2' USER 'TESTER' PASSWORD 'secret' "
                     "DEFAULT CHARACTER SET UTF8;")
          .arg(FPort)
          .arg(aFileName);
  return Isql({}, lScript.toUtf8());
}

QProcessEnvironment TPrivateServer::Environment() const {
  QProcessEnvironment lEnvironment = QProcessEnvironment::systemEnvironment();
  lEnvironment.insert(QStringLiteral("FIREBIRD"), FRoot.path());
  return lEnvironment;
}

void TPrivateServer::Write(const QString& aName, const QByteArray& aContent) const {
  QFile lFile(FRoot.path() + u'/' + aName);
  if (lFile.open(QIODevice::WriteOnly))
    lFile.write(aContent);
}

bool TPrivateServer::Isql(const QStringList& aArguments, const QByteArray& aScript) const {
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
