#include "Qel.Shared.IBC.h"

#include "Qel.Rtl.Classes.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.Logging.Statistic.h"
#include "Qel.Shared.Logging.h"

#include <chrono>
#include <thread>

namespace {

std::function<void(int)>& PauseFunction() {
  static std::function<void(int)> lPause = [](int aMilliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(aMilliseconds));
  };
  return lPause;
}

} // namespace

// --- TQelIBCConnection ---------------------------------------------------------------------

TQelIBCConnection::TQelIBCConnection(TComponent* aOwner) : TIBCConnection(aOwner) {
  TLoggingStatisticList::Inc(this);
}

TQelIBCConnection::~TQelIBCConnection() {
  try {
    for (int i = 0; i < DataSetCount(); ++i)
      if (TIBCQuery* lDataSet = DataSets(i))
        lDataSet->Close();
    Close();
  } catch (const std::exception& e) {
    TLogging::Add(this, QStringLiteral("Destroy"), e, false);
  }
  TLoggingStatisticList::Dec(this);
}

bool TQelIBCConnection::Open(TIBCConnection& aCon, const QString& aRole) {
  const uint64_t lTick = GetTickCount64();
  const QString lRole = aRole.isEmpty() ? cDefaultRole : aRole;
  const QString lMethod =
      TLoggingUtils::BuildMethodName(QStringLiteral("Open"), QStringList{lRole});
  try {
    aCon.SetConnected(false);
    aCon.SetAutoCommit(false);
    aCon.SetSQLDialect(3);
    aCon.Options().Role = lRole;
    aCon.Options().Charset = QStringLiteral("UTF8");
    aCon.Options().UseUnicode = true;
    aCon.Params().Clear();
    aCon.SetConnected(true);
  } catch (const std::exception& e) {
    TLogging::Add(&aCon, lMethod, e, false);
  }
  const bool lResult = aCon.Connected();
  TLogging::SuccessError(lResult, QStringLiteral("Connected"), &aCon, lMethod);
  TLogging::AddRunTime(&aCon, lMethod, lTick, 1);
  return lResult;
}

// --- TQelIBCQuery --------------------------------------------------------------------------

namespace {

// A statement made with a connection as its owner works on that connection; it is counted.
void CommandCreated(TIBCCommand* aCommand, TComponent* aOwner) {
  if (auto* lConnection = dynamic_cast<TIBCConnection*>(aOwner))
    aCommand->SetConnection(lConnection);
  TLoggingStatisticList::Inc(aCommand);
}

// A statement that goes rolls back the transaction it owns and still holds active; a
// transaction the caller supplied is left alone.
void CommandDestroying(TIBCCommand* aCommand) {
  TIBCTransaction* lTransaction = aCommand->Transaction();
  try {
    if (lTransaction && lTransaction->Owner() == aCommand && lTransaction->Active())
      lTransaction->Rollback();
  } catch (const std::exception& e) {
    TLogging::Add(aCommand, QStringLiteral("Destroy"), e, false);
  }
  TLoggingStatisticList::Dec(aCommand);
}

} // namespace

TQelIBCQuery::TQelIBCQuery(TComponent* aOwner) : TIBCQuery(aOwner) {
  CommandCreated(this, aOwner);
}

TQelIBCQuery::~TQelIBCQuery() {
  CommandDestroying(this);
}

void TQelIBCQuery::InternalOpen() {
  TQelIBCUtils::RunLogged(
      this, QStringLiteral("InternalOpen"), [this] { DoInternalOpen(); },
      [this] { return RecordCount(); });
}

void TQelIBCQuery::InternalExecute(int aIters, int aOffset) {
  TQelIBCUtils::RunLogged(
      this, QStringLiteral("InternalExecute"), [&] { DoInternalExecute(aIters, aOffset); },
      [this] { return RecordCount(); });
}

// --- TQelIBCSql ----------------------------------------------------------------------------

TQelIBCSql::TQelIBCSql(TComponent* aOwner) : TIBCSQL(aOwner) {
  CommandCreated(this, aOwner);
}

TQelIBCSql::~TQelIBCSql() {
  CommandDestroying(this);
}

void TQelIBCSql::Execute() {
  TQelIBCUtils::RunLogged(
      this, QStringLiteral("Execute"), [this] { DoExecute(); }, [this] { return RowsAffected(); });
}

// --- TQelIBCTransaction --------------------------------------------------------------------

TQelIBCTransaction::TQelIBCTransaction(TComponent* aOwner) : TIBCTransaction(aOwner) {
  if (auto* lConnection = dynamic_cast<TIBCConnection*>(aOwner))
    SetDefaultConnection(lConnection);
  else if (auto* lCommand = dynamic_cast<TIBCCommand*>(aOwner))
    SetDefaultConnection(lCommand->Connection());
}

// --- TQelIBCUtils --------------------------------------------------------------------------

TIBCTransaction* TQelIBCUtils::InitTransaction(TComponent* aSender, TIBCConnection* aCon,
                                               TIBCTransaction* aTrans) {
  const QString lMethod = QStringLiteral("InitTransaction");
  if (!aSender || !aCon) {
    TLogging::Add(nullptr, lMethod, QStringLiteral("Transaction will NOT be created!"), ltExcept);
    return aTrans;
  }
  for (int lAttempt = 0; !aCon->Connected() && lAttempt < cConnectAttempts; ++lAttempt) {
    try {
      aCon->Connect();
    } catch (const std::exception& e) {
      TLogging::Add(nullptr, lMethod, e, false);
    }
    Pause(cConnectPauseMs);
  }
  TIBCTransaction* lTransaction = aTrans;
  if (!lTransaction) {
    lTransaction = new TQelIBCTransaction(aSender); // owned and freed by aSender
    lTransaction->SetDefaultConnection(aCon);
  }
  if (!lTransaction->DefaultConnection())
    lTransaction->SetDefaultConnection(aCon);
  if (!lTransaction->Active())
    lTransaction->StartTransaction();
  return lTransaction;
}

QString TQelIBCUtils::ObjectToStr(const TObject* aObject) {
  const auto* lCommand = dynamic_cast<const TIBCCommand*>(aObject);
  if (!lCommand)
    return QString();
  TStringList lLines;
  lLines.AddStrings(lCommand->SQL().Lines());
  if (lCommand->ParamCount() > 0) {
    lLines.Add(QString());
    lLines.Add(QStringLiteral("<PARAMS>"));
    for (int i = 0; i < lCommand->ParamCount(); ++i) {
      const TIBCParam* lParam = lCommand->Params().Items(i);
      QString lValue;
      try {
        lValue = lParam->AsString();
      } catch (const Exception& e) {
        lValue = e.Message();
      } catch (const std::exception& e) {
        lValue = QString::fromUtf8(e.what());
      }
      lLines.Add(lParam->Name() + u':' + lValue);
    }
  }
  return lLines.Text();
}

std::function<void(int)> TQelIBCUtils::SetPause(std::function<void(int)> aPause) {
  std::function<void(int)> lPrevious = std::move(PauseFunction());
  PauseFunction() = std::move(aPause);
  return lPrevious;
}

void TQelIBCUtils::Pause(int aMilliseconds) {
  if (const auto& lPause = PauseFunction())
    lPause(aMilliseconds);
}

void TQelIBCUtils::RunLogged(TIBCCommand* aCommand, const QString& aMethod,
                             const std::function<void()>& aStep,
                             const std::function<int64_t()>& aCount) {
  const uint64_t lTick = GetTickCount64();
  aCommand->SetTransaction(
      InitTransaction(aCommand, aCommand->Connection(), aCommand->Transaction()));
  try {
    aStep();
  } catch (const std::exception& e) {
    TLogging::Add(aCommand, aMethod, e, true, ObjectToStr(aCommand));
  }
  TLogging::AddRunTime(aCommand, aMethod, lTick, static_cast<uint64_t>(aCount()),
                       ObjectToStr(aCommand));
}
