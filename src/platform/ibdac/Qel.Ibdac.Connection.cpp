#include "Qel.Ibdac.Connection.h"

#include "Qel.Ibdac.Internal.h"
#include "Qel.Ibdac.Query.h"

#include <ibase.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

using namespace Firebird;
using namespace Ibdac;

namespace {

// The connections that hold an attachment. A program that ends through exit() (a library
// that gives up, the window system gone) would leave them to Firebird's own exit handler,
// which can spin forever with an embedded attachment still open: they are detached first.
std::mutex& AttachedLock() {
  static auto* lLock = new std::mutex;
  return *lLock;
}
std::vector<TIBCConnection*>& Attached() {
  static auto* lList = new std::vector<TIBCConnection*>;
  return *lList;
}

void DetachAllAtExit() {
  std::vector<TIBCConnection*> lOpen;
  {
    const std::lock_guard lLock(AttachedLock());
    lOpen = Attached();
  }
  for (TIBCConnection* lConnection : lOpen) {
    try {
      lConnection->Close();
    } catch (...) {
    }
  }
}

void AddAttached(TIBCConnection* aConnection) {
  // Registered after Firebird's client library has set up its own exit handler, so that it
  // runs before that one.
  static const bool lRegistered = std::atexit(DetachAllAtExit) == 0;
  (void)lRegistered;
  const std::lock_guard lLock(AttachedLock());
  if (std::find(Attached().begin(), Attached().end(), aConnection) == Attached().end())
    Attached().push_back(aConnection);
}

void RemoveAttached(TIBCConnection* aConnection) {
  const std::lock_guard lLock(AttachedLock());
  std::erase(Attached(), aConnection);
}

template <typename T> void Erase(std::vector<T*>& aList, const void* aItem) {
  aList.erase(std::remove(aList.begin(), aList.end(), aItem), aList.end());
}

// Attach parameters that may also come through Params, by their name there.
struct RDpbName {
  const char* Name;
  unsigned char Tag;
  bool IsNumber;
};

constexpr RDpbName cDpbNames[] = {
    {"user_name", isc_dpb_user_name, false},    {"password", isc_dpb_password, false},
    {"role", isc_dpb_sql_role_name, false},     {"sql_role_name", isc_dpb_sql_role_name, false},
    {"lc_ctype", isc_dpb_lc_ctype, false},      {"connect_timeout", isc_dpb_connect_timeout, true},
    {"sql_dialect", isc_dpb_sql_dialect, true},
};

const RDpbName* FindDpbName(const QString& aName) {
  for (const RDpbName& lEntry : cDpbNames)
    if (aName.compare(QLatin1String(lEntry.Name), Qt::CaseInsensitive) == 0)
      return &lEntry;
  return nullptr;
}

// Collects the attach parameters; a later value of the same tag replaces an earlier one.
class TDpb {
public:
  void Text(unsigned char aTag, const QString& aValue) { Set(aTag, aValue, false); }
  void Number(unsigned char aTag, int aValue) { Set(aTag, QString::number(aValue), true); }
  void Set(unsigned char aTag, const QString& aValue, bool aIsNumber) {
    std::erase_if(FItems, [&](const TItem& i) { return i.Tag == aTag; });
    FItems.push_back({aTag, aValue, aIsNumber});
  }
  QByteArray Build() const {
    return Call([&](ThrowStatusWrapper* s) {
      TRef<IXpbBuilder> lBuilder(Util()->getXpbBuilder(s, IXpbBuilder::DPB, nullptr, 0));
      for (const TItem& i : FItems) {
        if (i.IsNumber)
          lBuilder->insertInt(s, i.Tag, i.Value.toInt());
        else
          lBuilder->insertString(s, i.Tag, i.Value.toUtf8().constData());
      }
      return QByteArray(reinterpret_cast<const char*>(lBuilder->getBuffer(s)),
                        static_cast<qsizetype>(lBuilder->getBufferLength(s)));
    });
  }

private:
  struct TItem {
    unsigned char Tag;
    QString Value;
    bool IsNumber;
  };
  std::vector<TItem> FItems;
};

} // namespace

TIBCConnection::TIBCConnection(TComponent* aOwner)
    : TComponent(aOwner), FImpl(std::make_unique<TImpl>()) {
  FDefaultTransaction = std::make_unique<TIBCTransaction>(nullptr);
  FDefaultTransaction->SetDefaultConnection(this);
}

TIBCConnection::~TIBCConnection() {
  Close();
  RemoveAttached(this);
  // Owned queries and transactions go while this connection is still whole: they unregister.
  DestroyComponents();
  FDefaultTransaction.reset();
}

QString TIBCConnection::ConnectString() const {
  if (FServer.isEmpty())
    return FDatabase;
  return FServer + u':' + FDatabase;
}

bool TIBCConnection::Connected() const {
  return static_cast<bool>(FImpl->Attachment);
}

void TIBCConnection::SetConnected(bool aValue) {
  if (aValue == Connected())
    return;
  if (aValue)
    DoConnect();
  else
    DoDisconnect();
}

TIBCQuery* TIBCConnection::DataSets(int aIndex) const {
  if (aIndex < 0 || aIndex >= DataSetCount())
    throw ERangeError(QStringLiteral("Data set index out of bounds (%1)").arg(aIndex));
  return FDataSets[static_cast<size_t>(aIndex)];
}

QByteArray TIBCConnection::BuildDpb() const {
  TDpb lDpb;
  if (!FUsername.isEmpty())
    lDpb.Text(isc_dpb_user_name, FUsername);
  if (!FPassword.isEmpty())
    lDpb.Text(isc_dpb_password, FPassword);
  if (!FOptions.Role.isEmpty())
    lDpb.Text(isc_dpb_sql_role_name, FOptions.Role);
  if (!FOptions.Charset.isEmpty())
    lDpb.Text(isc_dpb_lc_ctype, FOptions.Charset);
  lDpb.Number(isc_dpb_sql_dialect, FSQLDialect);
  if (FConnectTimeout > 0)
    lDpb.Number(isc_dpb_connect_timeout, FConnectTimeout);
  for (const QString& lLine : FParams.Lines()) {
    const qsizetype lEq = lLine.indexOf(u'=');
    const QString lName = lLine.left(lEq < 0 ? lLine.size() : lEq).trimmed();
    if (lName.isEmpty())
      continue;
    const RDpbName* lEntry = FindDpbName(lName);
    if (!lEntry)
      throw EDatabaseError(QStringLiteral("Unknown connection parameter '%1'").arg(lName));
    lDpb.Set(lEntry->Tag, lEq < 0 ? QString() : lLine.mid(lEq + 1).trimmed(), lEntry->IsNumber);
  }
  return lDpb.Build();
}

void TIBCConnection::DoConnect() {
  if (FDatabase.isEmpty())
    throw EDatabaseError(QStringLiteral("No database given"));
  const QByteArray lDpb = BuildDpb();
  const QByteArray lTarget = ConnectString().toUtf8();
  TRef<IProvider> lProvider(Master()->getDispatcher());
  FImpl->Attachment.Reset(Call([&](ThrowStatusWrapper* s) {
    return lProvider->attachDatabase(s, lTarget.constData(), static_cast<unsigned>(lDpb.size()),
                                     reinterpret_cast<const unsigned char*>(lDpb.constData()));
  }));
  AddAttached(this);
}

void TIBCConnection::DoDisconnect() {
  // Closing must leave the connection closed whatever the server says, so errors of the
  // single steps are dropped; a dead attachment is only released.
  for (TIBCCommand* lCommand : std::vector<TIBCCommand*>(FCommands)) {
    try {
      lCommand->ReleaseHandles(false);
    } catch (const std::exception&) {
      lCommand->ReleaseHandles(true);
    }
  }
  for (TIBCTransaction* lTransaction : std::vector<TIBCTransaction*>(FTransactions)) {
    try {
      if (lTransaction->Active())
        lTransaction->Rollback();
    } catch (const std::exception&) {
      lTransaction->DropHandle();
    }
  }
  try {
    FImpl->Attachment.End([](IAttachment* a, ThrowStatusWrapper* s) { a->detach(s); });
  } catch (const std::exception&) {
  }
  RemoveAttached(this);
}

void TIBCConnection::ConnectionLost() {
  for (TIBCCommand* lCommand : FCommands)
    lCommand->ReleaseHandles(true);
  for (TIBCTransaction* lTransaction : FTransactions)
    lTransaction->DropHandle();
  FImpl->Attachment.Reset();
  RemoveAttached(this);
}

void TIBCConnection::RegisterCommand(TIBCCommand* aCommand) {
  if (std::find(FCommands.begin(), FCommands.end(), aCommand) != FCommands.end())
    return;
  FCommands.push_back(aCommand);
  if (auto* lQuery = dynamic_cast<TIBCQuery*>(aCommand))
    FDataSets.push_back(lQuery);
  FreeNotification(aCommand);
}

void TIBCConnection::UnregisterCommand(TIBCCommand* aCommand) {
  Erase(FCommands, aCommand);
  Erase(FDataSets, aCommand);
  RemoveFreeNotification(aCommand);
}

void TIBCConnection::RegisterTransaction(TIBCTransaction* aTransaction) {
  if (std::find(FTransactions.begin(), FTransactions.end(), aTransaction) != FTransactions.end())
    return;
  FTransactions.push_back(aTransaction);
  FreeNotification(aTransaction);
}

void TIBCConnection::UnregisterTransaction(TIBCTransaction* aTransaction) {
  Erase(FTransactions, aTransaction);
  RemoveFreeNotification(aTransaction);
}

void TIBCConnection::TransactionEnding(const TIBCTransaction* aTransaction) {
  for (TIBCCommand* lCommand : FCommands)
    if (lCommand->Impl().RunningIn == aTransaction)
      lCommand->TransactionEnding();
}

bool TIBCConnection::HasOpenCursorIn(const TIBCTransaction* aTransaction) const {
  return std::any_of(FCommands.begin(), FCommands.end(), [&](TIBCCommand* aCommand) {
    return aCommand->Impl().RunningIn == aTransaction && aCommand->Impl().Cursor;
  });
}

void TIBCConnection::Notification(TComponent* aComponent, TOperation aOperation) {
  TComponent::Notification(aComponent, aOperation);
  if (aOperation != opRemove)
    return;
  // A component being freed is no longer a command or transaction: compare addresses only.
  Erase(FCommands, aComponent);
  Erase(FDataSets, aComponent);
  Erase(FTransactions, aComponent);
}
