#pragma once
// The logged Firebird components every database call of the framework goes through:
// connections opened with one fixed set of connection settings, queries and statements that
// always run inside a started transaction (reconnecting a closed connection first) and whose
// opening and executing is timed and logged with their SQL and parameter values.

#include "Qel.Ibdac.Connection.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Ibdac.SQL.h"
#include "Qel.Ibdac.Transaction.h"

#include <QString>
#include <functional>

class TQelIBCConnection : public TIBCConnection {
  QEL_CLASS("Qel.Shared.IBC", TQelIBCConnection)

public:
  // The role used when Open is given none.
  static inline const QString cDefaultRole = QStringLiteral("lumo");

  explicit TQelIBCConnection(TComponent* aOwner);
  // Closes the queries attached to the connection, then the connection.
  ~TQelIBCConnection() override;

  // Applies the connection settings (no auto-commit, dialect 3, the role or "lumo", UTF8,
  // no further parameters) and connects with the Server, Database, Username and Password
  // set before. A failed connect is logged, never raised. True when connected.
  bool Open(const QString& aRole) { return Open(*this, aRole); }
  // The same for any connection component (logged with aCon as sender).
  static bool Open(TIBCConnection& aCon, const QString& aRole);
};

class TQelIBCQuery : public TIBCQuery {
  QEL_CLASS("Qel.Shared.IBC", TQelIBCQuery)

public:
  // A connection as owner becomes the query's connection.
  explicit TQelIBCQuery(TComponent* aOwner);
  // Rolls back the query's own transaction when it is still active; a transaction the
  // caller supplied is left alone.
  ~TQelIBCQuery() override;

protected:
  void InternalOpen() override;
  void InternalExecute(int aIters, int aOffset) override;
};

class TQelIBCSql : public TIBCSQL {
  QEL_CLASS("Qel.Shared.IBC", TQelIBCSql)

public:
  explicit TQelIBCSql(TComponent* aOwner);
  ~TQelIBCSql() override;

  void Execute() override;
};

// A transaction that takes its connection from its owner: the owner itself when it is a
// connection, the owner's connection when it is a query or a statement.
class TQelIBCTransaction : public TIBCTransaction {
  QEL_CLASS("Qel.Shared.IBC", TQelIBCTransaction)

public:
  explicit TQelIBCTransaction(TComponent* aOwner);
};

class TQelIBCUtils {
public:
  // Attempts and the pause after each attempt of InitTransaction's reconnect loop.
  static constexpr int cConnectAttempts = 100;
  static constexpr int cConnectPauseMs = 125;

  // Makes sure aCon is connected (up to cConnectAttempts tries, each followed by the pause)
  // and returns a started transaction: aTrans, or a new one owned by aSender. Without
  // sender or connection an ltExcept entry "Transaction will NOT be created!" (which raises).
  static TIBCTransaction* InitTransaction(TComponent* aSender, TIBCConnection* aCon,
                                          TIBCTransaction* aTrans);
  // The SQL lines of a query or statement, then (when it has parameters) an empty line,
  // "<PARAMS>" and a line name:value per parameter; each line ended by CR LF. Empty for any
  // other object.
  static QString ObjectToStr(const TObject* aObject);

  // The pause of the reconnect loop; tests shorten it. Returns the previous one.
  static std::function<void(int aMilliseconds)>
  SetPause(std::function<void(int aMilliseconds)> aPause);

  // The common frame of the logged operations: a transaction for aCommand, then aStep; an
  // error is logged with the command's SQL and parameters and raised again as a new
  // exception; otherwise the run time is logged with aCount's answer.
  static void RunLogged(TIBCCommand* aCommand, const QString& aMethod,
                        const std::function<void()>& aStep, const std::function<int64_t()>& aCount);

private:
  static void Pause(int aMilliseconds);
};
