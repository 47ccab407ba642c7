#include "Qel.Shared.Logging.h"

#include "Qel.Os.Process.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.Utils.h"

#include <mutex>

namespace {

constexpr uint64_t cRunTimeThresholdMs = 16;
constexpr uint64_t cStillProcessingMs = 1000;

// Logger life cycle: one instance; none while it is being built or after shutdown began.
std::mutex gInstanceLock;
std::unique_ptr<TLogging> gInstance;
bool gInitializing = false;
bool gFinished = false;

QString QuoteTabField(const QString& aField) {
  return aField.contains(u'\t') ? u'"' + aField + u'"' : aField;
}

QString VarRecToText(const TVarRec& aParam) {
  if (aParam.IsText())
    return aParam.Text();
  switch (aParam.VType()) {
  case vtInteger:
  case vtInt64:
    return QString::number(aParam.AsInt64());
  case vtBoolean:
    return aParam.AsInt64() ? QStringLiteral("True") : QStringLiteral("False");
  case vtExtended:
    return FloatToStr(aParam.AsFloat());
  case vtObject:
    // A missing object is named, not dereferenced.
    return QStringLiteral("Object(%1)")
        .arg(aParam.Pointer() ? aParam.Text() : QStringLiteral("nil"));
  case vtClass:
    return QStringLiteral("Class(%1)").arg(aParam.Text());
  case vtInterface:
    return QStringLiteral("Interface");
  default:
    return QStringLiteral("Unsupported VType: %1").arg(static_cast<int>(aParam.VType()));
  }
}

} // namespace

// --- TLoggingData -----------------------------------------------------------------------

QString TLoggingData::GetSpaceUsedAsString() const {
  return TFileSystemUtils::FileSizeToStr(FSpaceUsed);
}

QString TLoggingData::GetAsString() const {
  if (FIsPrevious)
    return QString();
  int y, m, d, h, n, s, z;
  DecodeDate(FDateTime, y, m, d);
  DecodeTime(FDateTime, h, n, s, z);
  const QString lFields[] = {
      QString::asprintf("%.4d-%.2d-%.2dT%.2d:%.2d:%.2d.%.3dZ", y, m, d, h, n, s, z),
      QStringLiteral("[") + QString::asprintf("PID:%u;TID:%u", FProcessID, FThreadID) + u']',
      TLoggingUtils::LogTypToText(FTyp),
      FSender,
      FText,
      QStringLiteral("UsedMemory:") + GetSpaceUsedAsString(),
      FTraceFile,
  };
  QStringList lLine;
  for (const QString& lField : lFields)
    lLine << QuoteTabField(lField);
  return lLine.join(u'\t');
}

// --- TLoggingDataList -------------------------------------------------------------------

const TLoggingData& TLoggingDataList::Add(const TObject* aSender, const QString& aMethod,
                                          const QString& aText, const QString& aTrace,
                                          TLogTyp aTyp) {
  TLoggingData lData;
  lData.FSender = TLoggingUtils::SenderMethodToStr(aSender, aMethod);
  lData.FText = TLoggingUtils::CleanText(aText);
  lData.FProcessID = GetCurrentProcessId();
  lData.FThreadID = GetCurrentThreadId();
  lData.FTyp = aTyp;
  if (!FItems.empty()) {
    const TLoggingData& lLast = FItems.back();
    lData.FIsPrevious =
        lLast.FSender == lData.FSender && lLast.FProcessID == lData.FProcessID &&
        lLast.FThreadID == lData.FThreadID && lLast.FTyp == aTyp &&
        lLast.FText.compare(lData.FText, Qt::CaseInsensitive) == 0 &&
        (aTrace.isEmpty() || lLast.FTrace.compare(aTrace, Qt::CaseInsensitive) == 0);
  }
  lData.FDateTime = Now();
  lData.FSpaceUsed = ProcessMemoryPrivateUsage();
  lData.FTrace = aTrace;
  FItems.push_back(std::move(lData));
  return FItems.back();
}

void TLoggingDataList::AddContinuing() {
  if (FItems.empty())
    return;
  TLoggingData lData = FItems.back();
  lData.FDateTime = Now();
  lData.FText = QStringLiteral("continuing...");
  lData.FTrace.clear();
  FItems.push_back(std::move(lData));
}

void TLoggingDataList::DeleteFirst(qsizetype aCount) {
  const auto lCount = static_cast<size_t>(qBound<qsizetype>(0, aCount, Count()));
  FItems.erase(FItems.begin(), FItems.begin() + static_cast<std::ptrdiff_t>(lCount));
}

// --- TLoggingUtils ----------------------------------------------------------------------

QString TLoggingUtils::CleanText(const QString& aText) {
  // Most texts are clean already: hand them back shared, without a copy.
  const auto lNeedsCleaning = [](const QString& t) {
    for (qsizetype i = 0; i < t.size(); ++i) {
      const QChar c = t[i];
      if (c == u'\r' || c == u'\n' || c == u'"' ||
          (c == u' ' && i + 1 < t.size() && t[i + 1] == u' '))
        return true;
    }
    return false;
  };
  if (!lNeedsCleaning(aText))
    return aText;
  QString lText = aText;
  lText.replace(u'\r', u' ').replace(u'\n', u' ');
  lText.replace(QStringLiteral("  "), QStringLiteral(" "));
  lText.replace(u'"', u'\'');
  return lText;
}

QString TLoggingUtils::SenderMethodToStr(const TObject* aSender, const QString& aMethod) {
  QString lResult;
  if (aSender) {
    const QString lUnit = aSender->UnitName();
    const QString lClass = aSender->ClassName();
    lResult.reserve(lUnit.size() + lClass.size() + aMethod.size() + 5);
    lResult += u'[';
    lResult += lUnit;
    lResult += u'.';
    lResult += lClass;
    if (!aMethod.isEmpty())
      lResult += u'.';
  } else {
    lResult.reserve(aMethod.size() + 3);
    lResult += u'[';
  }
  lResult += aMethod;
  // Trimming: the label starts with "[" and the sender part holds no blanks.
  qsizetype lStart = 1;
  while (lStart < lResult.size() && lResult[lStart].isSpace())
    ++lStart;
  qsizetype lEnd = lResult.size();
  while (lEnd > lStart && lResult[lEnd - 1].isSpace())
    --lEnd;
  if (lEnd == lStart)
    return QString();
  if (lStart > 1 || lEnd < lResult.size())
    lResult = u'[' + QStringView(lResult).mid(lStart, lEnd - lStart).toString();
  lResult += QStringLiteral("] ");
  return CleanText(lResult);
}

QString TLoggingUtils::BuildMethodName(const QString& aMethod, const QStringList& aParams) {
  QString lResult = aMethod;
  if (!aParams.isEmpty())
    lResult += u'(' + ToCommaText(aParams) + u')';
  return lResult.replace(u'"', u'\'');
}

QString TLoggingUtils::BuildMethodName(const QString& aMethod, const TVarRecs& aParams) {
  QStringList lTexts;
  lTexts.reserve(static_cast<qsizetype>(aParams.size()));
  for (const TVarRec& lParam : aParams)
    lTexts << VarRecToText(lParam);
  return BuildMethodName(aMethod, lTexts);
}

QString TLoggingUtils::LogTypToText(TLogTyp aLogTyp) {
  const QString lCaption = LogTypCaption(aLogTyp);
  return lCaption.isEmpty() ? QString() : u'[' + lCaption + u']';
}

TLogTyp TLoggingUtils::LogTypFromText(const QString& aText) {
  const QString lText = aText.toUpper();
  for (int i = 0; i < cLogTypCount; ++i) {
    const QString lCaption = LogTypToText(static_cast<TLogTyp>(i)).toUpper();
    if (!lCaption.isEmpty() && lText.contains(lCaption))
      return static_cast<TLogTyp>(i);
  }
  return ltNone;
}

QString TLoggingUtils::RunTimeToStr(uint64_t aTick, uint64_t aCount) {
  const uint64_t lNow = GetTickCount64();
  if (aTick > lNow)
    throw EOverflow(QStringLiteral("Arithmetic overflow"));
  return QString::number(lNow - aTick) + QStringLiteral("ms; Count: ") + QString::number(aCount);
}

// --- TLogging ---------------------------------------------------------------------------

TLogging::TLogging() : FLoggingDataLst(std::make_unique<TLoggingDataList>()) {}

TLogging::~TLogging() = default;

TLogging* TLogging::Instance() {
  std::lock_guard lLock(gInstanceLock);
  if (gInstance || gInitializing || gFinished)
    return gInstance.get();
  gInitializing = true;
  gInstance.reset(new TLogging());
  gInitializing = false;
  return gInstance.get();
}

void TLogging::Initialize() {
  std::lock_guard lLock(gInstanceLock);
  gInitializing = false;
  gFinished = false;
}

void TLogging::Finalize() {
  std::unique_ptr<TLogging> lLogger;
  {
    std::lock_guard lLock(gInstanceLock);
    gFinished = true;
    lLogger = std::move(gInstance);
  }
  if (lLogger) {
    // Wait for callers that are still appending.
    std::lock_guard lLock(lLogger->FLogLock);
  }
}

bool TLogging::AddInternal(const TObject* aSender, const QString& aMethod, const QString& aText,
                           TLogTyp aLogType, const QString& aTrace) {
  const QString lText = aText.trimmed();
  if (aLogType < FLogLevel || lText.isEmpty())
    return false;
  {
    std::lock_guard lLock(FLogLock);
    FLoggingDataLst->Add(aSender, aMethod, lText, aTrace, aLogType);
  }
  if (aLogType == ltError || aLogType == ltExcept)
    FForceWrite = true;
  if (aLogType == ltExcept)
    throw Exception(lText);
  return true;
}

bool TLogging::DoLog(const TObject* aSender, const QString& aMethod, const QString& aText,
                     TLogTyp aLogType) {
  TLogging* lLogger = Instance();
  return lLogger && lLogger->AddInternal(aSender, aMethod, aText, aLogType, QString());
}

bool TLogging::Add(const TObject* aSender, const QString& aMethod, const QString& aText,
                   TLogTyp aLogType, const QString& aTrace) {
  TLogging* lLogger = Instance();
  return lLogger && lLogger->AddInternal(aSender, aMethod, aText, aLogType, aTrace);
}

bool TLogging::Add(const TObject* aSender, const QString& aMethod, const QString& aText,
                   const QString& aTrace) {
  return Add(aSender, aMethod, aText, ltInformation, aTrace);
}

bool TLogging::Add(const TObject* aSender, const QString& aMethod, const QString& aText,
                   const std::exception& aException, bool aRaise, const QString& aTrace) {
  const QString lMessages =
      ToCommaText(ExceptionMessages(aException)).replace(QStringLiteral("''"), QStringLiteral("'"));
  Add(aSender, aMethod, aText + QStringLiteral(" | Exception:") + lMessages, ltError, aTrace);
  if (aRaise)
    throw Exception(lMessages);
  return true;
}

bool TLogging::Add(const TObject* aSender, const QString& aMethod, const std::exception& aException,
                   bool aRaise, const QString& aTrace) {
  return Add(aSender, aMethod, QString(), aException, aRaise, aTrace);
}

bool TLogging::AddRunTime(const TObject* aSender, const QString& aMethod, uint64_t aTick,
                          uint64_t aCount, const QString& aTrace) {
  const uint64_t lNow = GetTickCount64();
  if (aTick > lNow)
    throw EOverflow(QStringLiteral("Arithmetic overflow"));
  if (lNow - aTick <= cRunTimeThresholdMs)
    return false;
  return Add(aSender, aMethod, TLoggingUtils::RunTimeToStr(aTick, aCount), ltRunTime, aTrace);
}

bool TLogging::SuccessError(bool aValue, const QString& aText, const TObject* aSender,
                            const QString& aMethod, const QString& aTrace) {
  Add(aSender, aMethod, aText, aValue ? ltSuccess : ltError, aTrace);
  return aValue;
}

bool TLogging::CheckOK(bool aValue, const QString& aText, TLogTyp aLogTyp, const TObject* aSender,
                       const QString& aMethod) {
  if (!aValue)
    Add(aSender, aMethod, aText, aLogTyp, QString());
  return aValue;
}

bool TLogging::CheckOK(bool aValue, const QString& aText, const TObject* aSender,
                       const QString& aMethod) {
  return CheckOK(aValue, aText, ltError, aSender, aMethod);
}

bool TLogging::CheckAssigned(const void* aValue, const QString& aText, TLogTyp aLogTyp,
                             const TObject* aSender, const QString& aMethod) {
  return CheckOK(aValue != nullptr, aText, aLogTyp, aSender, aMethod);
}

bool TLogging::CheckAssigned(const void* aValue, const QString& aText, const TObject* aSender,
                             const QString& aMethod) {
  return CheckAssigned(aValue, aText, ltError, aSender, aMethod);
}

bool TLogging::CheckFileExists(const QString& aFileName, TLogTyp aLogTyp, const TObject* aSender,
                               const QString& aMethod) {
  return CheckOK(FileExists(aFileName),
                 QStringLiteral("File \"%1\" does NOT exist!").arg(aFileName), aLogTyp, aSender,
                 aMethod);
}

bool TLogging::CheckFileExists(const QString& aFileName, const TObject* aSender,
                               const QString& aMethod) {
  return CheckFileExists(aFileName, ltError, aSender, aMethod);
}

void TLogging::StillProcessing(uint64_t& aTick) {
  TLogging* lLogger = Instance();
  if (!lLogger || GetTickCount64() - aTick <= cStillProcessingMs)
    return;
  {
    std::lock_guard lLock(lLogger->FLogLock);
    lLogger->FLoggingDataLst->AddContinuing();
  }
  aTick = GetTickCount64();
}
