#pragma once
// An explicit Firebird transaction on one connection (read committed, record versions,
// no wait). Queries and statements may share it. A transaction still active when it is
// freed is rolled back.

#include "Qel.Rtl.Classes.h"

#include <memory>

class TIBCConnection;

class TIBCTransaction : public TComponent {
  QEL_CLASS("Qel.Ibdac.Transaction", TIBCTransaction)

public:
  explicit TIBCTransaction(TComponent* aOwner);
  ~TIBCTransaction() override;

  TIBCConnection* DefaultConnection() const { return FDefaultConnection; }
  // Raises EDatabaseError while the transaction is active.
  void SetDefaultConnection(TIBCConnection* aConnection);

  bool Active() const;
  // Raises EDatabaseError without a connected DefaultConnection or when already active.
  void StartTransaction();
  // Both raise EDatabaseError when the transaction is not active. Cursors that run in the
  // transaction close; rows already fetched stay readable.
  void Commit();
  void Rollback();
  // End the work but keep the transaction (and its cursors) going.
  void CommitRetaining();
  void RollbackRetaining();

  struct TImpl;
  TImpl& Impl() const { return *FImpl; }
  // The connection lost its attachment: the handle is dropped without a server call.
  void DropHandle();

protected:
  void Notification(TComponent* aComponent, TOperation aOperation) override;

private:
  void CheckActive() const;

  TIBCConnection* FDefaultConnection = nullptr;
  std::unique_ptr<TImpl> FImpl;
};
