#pragma once
// What a query and a statement share: connection, transaction, SQL with named parameters,
// preparing and executing, rows affected.
//
// A command without a transaction of its own runs in its connection's default transaction.
// A transaction that is not active is started by the first open, prepare or execute; with the
// connection's AutoCommit on, a statement without rows that runs in a transaction started that
// way is committed right after it (retaining the transaction while cursors are open in it).

#include "Qel.Ibdac.Params.h"
#include "Qel.Rtl.Classes.h"

#include <functional>
#include <memory>

class TIBCConnection;
class TIBCTransaction;

class TIBCCommand : public TComponent {
  QEL_CLASS("Qel.Ibdac.Command", TIBCCommand)

public:
  explicit TIBCCommand(TComponent* aOwner);
  ~TIBCCommand() override;

  TIBCConnection* Connection() const { return FConnection; }
  void SetConnection(TIBCConnection* aConnection);
  TIBCTransaction* Transaction() const { return FTransaction; }
  void SetTransaction(TIBCTransaction* aTransaction);

  // Changing the SQL closes and unprepares the command and rebuilds Params (values of
  // parameters whose names stay are kept).
  TStrings& SQL() { return FSQL; }
  const TStrings& SQL() const { return FSQL; }
  TIBCParams& Params() { return FParams; }
  const TIBCParams& Params() const { return FParams; }
  int ParamCount() const { return FParams.Count(); }
  // Raises EDatabaseError when there is no such parameter.
  TIBCParam* ParamByName(const QString& aName) const { return FParams.ParamByName(aName); }
  TIBCParam* FindParam(const QString& aName) const { return FParams.FindParam(aName); }
  // Whether ":name" markers are recognised (switch off for PSQL bodies with variables).
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool aValue);
  // The SQL Firebird gets ('?' markers).
  QString FinalSQL() const;

  // Rows inserted, updated or deleted by the last execute.
  int64_t RowsAffected() const { return FRowsAffected; }

  bool Prepared() const;
  void Prepare();
  void UnPrepare();

  struct TImpl;
  TImpl& Impl() const { return *FImpl; }
  // The connection closes or lost its attachment; aGone: without talking to the server.
  virtual void ReleaseHandles(bool aGone);
  // The transaction the command runs in ends: an open cursor closes.
  virtual void TransactionEnding();
  // The transaction this command uses (its own or the connection's default), or nullptr.
  TIBCTransaction* UsedTransaction() const;

protected:
  void Notification(TComponent* aComponent, TOperation aOperation) override;
  // Called after the SQL or ParamCheck changed (a query closes first).
  virtual void SQLChanged();
  // Connects, starts the transaction when needed, prepares, binds the parameters and runs
  // the statement; a statement with a cursor is left open for fetching. True when the
  // statement has a cursor. For a statement without cursor, aRowRead reads its output row
  // before an automatic commit ends the transaction.
  bool ExecuteStatement(const std::function<void()>& aRowRead = {});
  // Raises EDatabaseError without a connection.
  TIBCConnection* CheckConnection() const;
  // A lost attachment is reported to the connection (the error itself goes on).
  void CheckLost(const class EIBCError& aError) const;

private:
  void ParseSQL();

  TIBCConnection* FConnection = nullptr;
  TIBCTransaction* FTransaction = nullptr;
  TStringList FSQL;
  TIBCParams FParams;
  bool FParamCheck = true;
  int64_t FRowsAffected = 0;
  std::unique_ptr<TImpl> FImpl;
};
