#pragma once
// A private Firebird server for tests: its own root folder with its own configuration and
// security database (holding the test user TESTER / secret), listening on a free loopback
// port. It never touches the system's server; it is stopped when the object goes.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class TPrivateServer {
public:
  TPrivateServer();
  ~TPrivateServer();
  TPrivateServer(const TPrivateServer&) = delete;
  TPrivateServer& operator=(const TPrivateServer&) = delete;

  // Lays out the root folder (once) and starts the server; true when its port answers.
  bool Start();
  // Ends the server (SIGTERM, which takes a few seconds) and waits for it.
  void Stop();
  // Ends the server at once (SIGKILL), as a crash or a pulled cable would; safe to call from
  // another thread.
  void Kill() const;
  bool Running() const { return FServer.state() != QProcess::NotRunning; }

  int Port() const { return FPort; }
  // The server part of a connection: "localhost/<port>".
  QString ServerName() const;
  static QString UserName() { return QStringLiteral("TESTER"); }
  static QString Password() { return QStringLiteral("secret"); }
  // A database file in the server's root folder.
  QString DatabaseFile(const QString& aName = QStringLiteral("srv.fdb")) const;
  // A database created through the server by the test user, who then owns it.
  bool CreateDatabase(const QString& aFileName) const;

private:
  bool Prepare();
  QProcessEnvironment Environment() const;
  void Write(const QString& aName, const QByteArray& aContent) const;
  bool Isql(const QStringList& aArguments, const QByteArray& aScript) const;

  QTemporaryDir FRoot;
  int FPort;
  bool FPrepared = false;
  qint64 FPid = 0;
  QProcess FServer;
};

// Whether something listens on the loopback port.
bool PortAnswers(int aPort);
