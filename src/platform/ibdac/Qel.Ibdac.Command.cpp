#include "Qel.Ibdac.Command.h"

#include "Qel.Ibdac.Internal.h"

using namespace Firebird;
using namespace Ibdac;

TIBCCommand::TIBCCommand(TComponent* aOwner)
    : TComponent(aOwner), FImpl(std::make_unique<TImpl>()) {
  FSQL.OnChange = [this] { SQLChanged(); };
}

TIBCCommand::~TIBCCommand() {
  FSQL.OnChange = nullptr;
  try {
    ReleaseHandles(false);
  } catch (const std::exception&) {
    ReleaseHandles(true);
  }
  SetTransaction(nullptr);
  SetConnection(nullptr);
}

void TIBCCommand::SetConnection(TIBCConnection* aConnection) {
  if (aConnection == FConnection)
    return;
  if (FConnection) {
    ReleaseHandles(!FConnection->Connected());
    FConnection->UnregisterCommand(this);
  }
  FConnection = aConnection;
  if (FConnection)
    FConnection->RegisterCommand(this);
}

void TIBCCommand::SetTransaction(TIBCTransaction* aTransaction) {
  if (aTransaction == FTransaction)
    return;
  if (FTransaction) {
    if (FImpl->RunningIn == FTransaction)
      TransactionEnding();
    RemoveFreeNotification(FTransaction);
  }
  FTransaction = aTransaction;
  if (FTransaction)
    FreeNotification(FTransaction);
}

void TIBCCommand::SetParamCheck(bool aValue) {
  if (aValue == FParamCheck)
    return;
  FParamCheck = aValue;
  SQLChanged();
}

QString TIBCCommand::FinalSQL() const {
  return FImpl->Parsed.Sql;
}

TIBCTransaction* TIBCCommand::UsedTransaction() const {
  if (FTransaction)
    return FTransaction;
  return FConnection ? FConnection->DefaultTransaction() : nullptr;
}

bool TIBCCommand::Prepared() const {
  return static_cast<bool>(FImpl->Statement);
}

TIBCConnection* TIBCCommand::CheckConnection() const {
  if (!FConnection)
    throw EDatabaseError(
        QStringLiteral("%1: no connection").arg(Name().isEmpty() ? ClassName() : Name()));
  return FConnection;
}

void TIBCCommand::CheckLost(const EIBCError& aError) const {
  if (aError.IsConnectionLost() && FConnection)
    FConnection->ConnectionLost();
}

namespace {

// Connects when needed and returns the command's transaction, started when it was not.
TIBCTransaction* BeginWork(TIBCConnection* aConnection, TIBCTransaction* aTransaction,
                           bool& aStarted) {
  if (!aConnection->Connected())
    aConnection->Connect();
  if (!aTransaction->DefaultConnection())
    aTransaction->SetDefaultConnection(aConnection);
  else if (aTransaction->DefaultConnection() != aConnection)
    throw EDatabaseError(QStringLiteral("The transaction belongs to another connection"));
  aStarted = !aTransaction->Active();
  if (aStarted) {
    aTransaction->StartTransaction();
    aTransaction->Impl().Implicit = true;
  }
  return aTransaction;
}

} // namespace

void TIBCCommand::Prepare() {
  if (Prepared())
    return;
  TIBCConnection* lConnection = CheckConnection();
  bool lStarted = false;
  TIBCTransaction* lTransaction = BeginWork(lConnection, UsedTransaction(), lStarted);
  if (!FImpl->ParsedValid)
    ParseSQL();
  if (FImpl->Parsed.Sql.trimmed().isEmpty())
    throw EDatabaseError(QStringLiteral("No SQL statement given"));
  const QByteArray lSql = ToUtf8(FImpl->Parsed.Sql);
  IAttachment* lAttachment = lConnection->Impl().Attachment.get();
  ITransaction* lHandle = lTransaction->Impl().Handle.get();
  try {
    Call([&](ThrowStatusWrapper* s) {
      FImpl->Statement.Reset(lAttachment->prepare(
          s, lHandle, static_cast<unsigned>(lSql.size()), lSql.constData(),
          static_cast<unsigned>(lConnection->SQLDialect()), IStatement::PREPARE_PREFETCH_METADATA));
      FImpl->InMeta.Reset(FImpl->Statement->getInputMetadata(s));
      FImpl->OutMeta.Reset(FImpl->Statement->getOutputMetadata(s));
      FImpl->OutLength = FImpl->OutMeta->getMessageLength(s);
      FImpl->HasCursor = (FImpl->Statement->getFlags(s) & IStatement::FLAG_HAS_CURSOR) != 0;
    });
    FImpl->Outputs = DescribeColumns(FImpl->OutMeta.get());
  } catch (const EIBCError& e) {
    FImpl->Statement.Reset();
    CheckLost(e);
    throw;
  }
}

void TIBCCommand::UnPrepare() {
  ReleaseHandles(FConnection == nullptr || !FConnection->Connected());
}

void TIBCCommand::ReleaseHandles(bool aGone) {
  TImpl& i = *FImpl;
  if (aGone) {
    i.Cursor.Reset();
    i.Statement.Reset();
  } else {
    i.Cursor.End([](IResultSet* c, ThrowStatusWrapper* s) { c->close(s); });
    i.Statement.End([](IStatement* st, ThrowStatusWrapper* s) { st->free(s); });
  }
  i.InMeta.Reset();
  i.OutMeta.Reset();
  i.Outputs.clear();
  i.OutLength = 0;
  i.HasCursor = false;
  i.Input = TInputMessage();
  i.RunningIn = nullptr;
}

void TIBCCommand::TransactionEnding() {
  try {
    FImpl->Cursor.End([](IResultSet* c, ThrowStatusWrapper* s) { c->close(s); });
  } catch (const std::exception&) {
    // The cursor ends with its transaction anyway.
  }
  FImpl->RunningIn = nullptr;
}

bool TIBCCommand::ExecuteStatement(const std::function<void()>& aRowRead) {
  TIBCConnection* lConnection = CheckConnection();
  bool lStarted = false;
  TIBCTransaction* lTransaction = BeginWork(lConnection, UsedTransaction(), lStarted);
  Prepare();
  TImpl& i = *FImpl;
  IAttachment* lAttachment = lConnection->Impl().Attachment.get();
  ITransaction* lHandle = lTransaction->Impl().Handle.get();
  try {
    std::vector<TBindValue> lValues;
    for (const TIBCParam* lParam : FParams.ForMarkers(i.Parsed.Markers))
      lValues.push_back({lParam->Value()});
    i.Input.Build(lAttachment, lHandle, i.InMeta.get(), lValues);
    IMessageMetadata* lInMeta = i.Input.Metadata() ? i.Input.Metadata() : i.InMeta.get();
    FRowsAffected = 0;
    if (i.HasCursor) {
      i.Cursor.Reset(Call([&](ThrowStatusWrapper* s) {
        return i.Statement->openCursor(s, lHandle, lInMeta, i.Input.Buffer(), i.OutMeta.get(), 0);
      }));
      i.RunningIn = lTransaction;
      return true;
    }
    i.SingletonRow.assign(i.OutLength, 0);
    Call([&](ThrowStatusWrapper* s) {
      i.Statement->execute(s, lHandle, lInMeta, i.Input.Buffer(), i.OutMeta.get(),
                           i.SingletonRow.empty() ? nullptr : i.SingletonRow.data());
      FRowsAffected = static_cast<int64_t>(i.Statement->getAffectedRecords(s));
    });
    i.RunningIn = lTransaction;
  } catch (const EIBCError& e) {
    CheckLost(e);
    throw;
  }
  // The row is read (its blobs too) while its transaction is still there.
  if (aRowRead)
    aRowRead();
  if (lConnection->AutoCommit() && lTransaction->Impl().Implicit) {
    // What the statement changed is committed at once, also in a transaction an earlier
    // statement or a query started; cursors open in it go on reading (commit retaining).
    if (lConnection->HasOpenCursorIn(lTransaction))
      lTransaction->CommitRetaining();
    else
      lTransaction->Commit();
  }
  return false;
}

void TIBCCommand::ParseSQL() {
  FImpl->Parsed = ParseSqlParams(FSQL.Text(), FParamCheck);
  FImpl->ParsedValid = true;
  FParams.Rebuild(FImpl->Parsed.Markers);
}

void TIBCCommand::SQLChanged() {
  try {
    ReleaseHandles(FConnection == nullptr || !FConnection->Connected());
  } catch (const std::exception&) {
    ReleaseHandles(true);
  }
  ParseSQL();
}

void TIBCCommand::Notification(TComponent* aComponent, TOperation aOperation) {
  TComponent::Notification(aComponent, aOperation);
  if (aOperation != opRemove)
    return;
  if (aComponent == FTransaction) {
    if (FImpl->RunningIn == FTransaction)
      TransactionEnding();
    FTransaction = nullptr;
  }
  if (aComponent == FConnection) {
    // The connection closed everything before it went.
    ReleaseHandles(true);
    FConnection = nullptr;
  }
}
