#pragma once
// A connection to one Firebird database.
//
// With an empty Server the Database path opens through the embedded engine (no server
// process); with a server name it goes through that server: "server:path", or with a port
// in the name ("server/port") "server/port:path". The attach is bounded in time by
// ConnectTimeout. Closing the connection closes its queries and statements and rolls back
// the transactions still active on it.

#include "Qel.Rtl.Classes.h"

#include <QString>
#include <memory>
#include <vector>

class TIBCCommand;
class TIBCQuery;
class TIBCTransaction;

struct TIBCConnectionOptions {
  QString Role;
  // The character set of the attachment; strings are exchanged as UTF-8 with "UTF8".
  QString Charset = QStringLiteral("UTF8");
  bool UseUnicode = true;
};

class TIBCConnection : public TComponent {
  QEL_CLASS("Qel.Ibdac.Connection", TIBCConnection)

public:
  static constexpr int cDefaultConnectTimeout = 5;

  explicit TIBCConnection(TComponent* aOwner);
  ~TIBCConnection() override;

  const QString& Server() const { return FServer; }
  void SetServer(const QString& aValue) { FServer = aValue; }
  const QString& Database() const { return FDatabase; }
  void SetDatabase(const QString& aValue) { FDatabase = aValue; }
  const QString& Username() const { return FUsername; }
  void SetUsername(const QString& aValue) { FUsername = aValue; }
  const QString& Password() const { return FPassword; }
  void SetPassword(const QString& aValue) { FPassword = aValue; }
  bool AutoCommit() const { return FAutoCommit; }
  void SetAutoCommit(bool aValue) { FAutoCommit = aValue; }
  int SQLDialect() const { return FSQLDialect; }
  void SetSQLDialect(int aValue) { FSQLDialect = aValue; }
  // Seconds an attach may take before it fails; 0 leaves it to Firebird.
  int ConnectTimeout() const { return FConnectTimeout; }
  void SetConnectTimeout(int aValue) { FConnectTimeout = aValue; }
  TIBCConnectionOptions& Options() { return FOptions; }
  const TIBCConnectionOptions& Options() const { return FOptions; }
  // Further attach parameters as name=value lines: user_name, password, role (or
  // sql_role_name), lc_ctype, connect_timeout. Other names raise EDatabaseError on connect.
  TStrings& Params() { return FParams; }

  // The text Firebird gets as the database: path, "server:path" or "server/port:path".
  QString ConnectString() const;

  bool Connected() const;
  // Raises EIBCError (Firebird's message) when the attach fails.
  void SetConnected(bool aValue);
  void Connect() { SetConnected(true); }
  void Close() { SetConnected(false); }

  // The queries attached to this connection.
  int DataSetCount() const { return static_cast<int>(FDataSets.size()); }
  TIBCQuery* DataSets(int aIndex) const;
  // The transaction of queries and statements that were given none.
  TIBCTransaction* DefaultTransaction() const { return FDefaultTransaction.get(); }

  struct TImpl;
  TImpl& Impl() const { return *FImpl; }

  // Bookkeeping of the components that use this connection.
  void RegisterCommand(TIBCCommand* aCommand);
  void UnregisterCommand(TIBCCommand* aCommand);
  void RegisterTransaction(TIBCTransaction* aTransaction);
  void UnregisterTransaction(TIBCTransaction* aTransaction);
  // A transaction of this connection ends: the cursors that run in it close.
  void TransactionEnding(const TIBCTransaction* aTransaction);
  // Whether a command has a cursor open in the transaction.
  bool HasOpenCursorIn(const TIBCTransaction* aTransaction) const;
  // The attachment is gone (network error, server shut down): every handle is dropped
  // without talking to the server, and the connection counts as closed.
  void ConnectionLost();

protected:
  void Notification(TComponent* aComponent, TOperation aOperation) override;
  virtual void DoConnect();
  virtual void DoDisconnect();

private:
  QByteArray BuildDpb() const;

  QString FServer;
  QString FDatabase;
  QString FUsername;
  QString FPassword;
  bool FAutoCommit = true;
  int FSQLDialect = 3;
  int FConnectTimeout = cDefaultConnectTimeout;
  TIBCConnectionOptions FOptions;
  TStringList FParams;
  std::vector<TIBCCommand*> FCommands;
  std::vector<TIBCQuery*> FDataSets;
  std::vector<TIBCTransaction*> FTransactions;
  std::unique_ptr<TImpl> FImpl;
  std::unique_ptr<TIBCTransaction> FDefaultTransaction;
};
