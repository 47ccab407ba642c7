#include "Qel.Ibdac.Transaction.h"

#include "Qel.Ibdac.Internal.h"

#include <ibase.h>

using namespace Firebird;
using namespace Ibdac;

namespace {

// Read committed with record versions: readers see committed data and are never blocked;
// no wait: a conflicting update fails at once instead of hanging.
constexpr unsigned char cTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                  isc_tpb_rec_version, isc_tpb_nowait};

// Runs aStep; a lost attachment is reported to the connection before the error goes on.
template <typename F> void Guarded(TIBCConnection* aConnection, F&& aStep) {
  try {
    aStep();
  } catch (const EIBCError& e) {
    if (e.IsConnectionLost() && aConnection)
      aConnection->ConnectionLost();
    throw;
  }
}

} // namespace

TIBCTransaction::TIBCTransaction(TComponent* aOwner)
    : TComponent(aOwner), FImpl(std::make_unique<TImpl>()) {}

TIBCTransaction::~TIBCTransaction() {
  try {
    if (Active())
      Rollback();
  } catch (const std::exception&) {
    DropHandle();
  }
  SetDefaultConnection(nullptr);
}

void TIBCTransaction::SetDefaultConnection(TIBCConnection* aConnection) {
  if (aConnection == FDefaultConnection)
    return;
  if (Active())
    throw EDatabaseError(QStringLiteral("Cannot change the connection of an active transaction"));
  if (FDefaultConnection)
    FDefaultConnection->UnregisterTransaction(this);
  FDefaultConnection = aConnection;
  if (FDefaultConnection)
    FDefaultConnection->RegisterTransaction(this);
}

bool TIBCTransaction::Active() const {
  return static_cast<bool>(FImpl->Handle);
}

void TIBCTransaction::StartTransaction() {
  if (Active())
    throw EDatabaseError(QStringLiteral("Transaction is already active"));
  if (!FDefaultConnection)
    throw EDatabaseError(QStringLiteral("Transaction has no connection"));
  if (!FDefaultConnection->Connected())
    throw EDatabaseError(QStringLiteral("Connection is not open"));
  IAttachment* lAttachment = FDefaultConnection->Impl().Attachment.get();
  Guarded(FDefaultConnection, [&] {
    FImpl->Handle.Reset(Call([&](ThrowStatusWrapper* s) {
      return lAttachment->startTransaction(s, sizeof(cTpb), cTpb);
    }));
  });
  FImpl->Implicit = false;
}

void TIBCTransaction::CheckActive() const {
  if (!Active())
    throw EDatabaseError(QStringLiteral("Transaction is not active"));
}

void TIBCTransaction::Commit() {
  CheckActive();
  if (FDefaultConnection)
    FDefaultConnection->TransactionEnding(this);
  Guarded(FDefaultConnection,
          [&] { FImpl->Handle.End([](ITransaction* t, ThrowStatusWrapper* s) { t->commit(s); }); });
}

void TIBCTransaction::Rollback() {
  CheckActive();
  if (FDefaultConnection)
    FDefaultConnection->TransactionEnding(this);
  Guarded(FDefaultConnection, [&] {
    FImpl->Handle.End([](ITransaction* t, ThrowStatusWrapper* s) { t->rollback(s); });
  });
}

void TIBCTransaction::CommitRetaining() {
  CheckActive();
  Guarded(FDefaultConnection,
          [&] { Call([&](ThrowStatusWrapper* s) { FImpl->Handle->commitRetaining(s); }); });
}

void TIBCTransaction::RollbackRetaining() {
  CheckActive();
  Guarded(FDefaultConnection,
          [&] { Call([&](ThrowStatusWrapper* s) { FImpl->Handle->rollbackRetaining(s); }); });
}

void TIBCTransaction::DropHandle() {
  FImpl->Handle.Reset();
}

void TIBCTransaction::Notification(TComponent* aComponent, TOperation aOperation) {
  TComponent::Notification(aComponent, aOperation);
  if (aOperation == opRemove && aComponent == FDefaultConnection) {
    // The connection rolled back its transactions when it closed.
    DropHandle();
    FDefaultConnection = nullptr;
  }
}
