#include "Qel.Shared.Logging.h"

#include "Qel.Os.Process.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.Utils.h"

#include "Qel.Os.LockedFile.h"
#include "Qel.Rtl.MessageHook.h"
#include "Qel.Shared.Config.Logging.Data.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.PathsAndFiles.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <new>
#include <pthread.h>

namespace {

constexpr uint64_t cRunTimeThresholdMs = 16;
constexpr uint64_t cStillProcessingMs = 1000;

constexpr uint64_t cWriteSpacingMs = 125;
constexpr unsigned cPollMs = 5;
constexpr unsigned cForceWritePollMs = 25;

// Logger life cycle: one instance; none while it is being built or after shutdown began.
// The lock is recursive: logging calls made while the logger is being built (by the same
// thread) must see "no logger" instead of waiting for themselves.
// The holder itself is never destroyed: the logger ends in its module's finalisation, never in
// a static destructor.
std::recursive_mutex& InstanceLock() {
  static auto* lLock = new std::recursive_mutex;
  return *lLock;
}
std::unique_ptr<TLogging>& InstanceHolder() {
  static auto* lHolder = new std::unique_ptr<TLogging>;
  return *lHolder;
}
std::atomic<TLogging*> gCurrent{nullptr};
bool gInitializing = false;
bool gFinished = false;

QString HtmlEscaped(const QString& aText) {
  QString lResult;
  lResult.reserve(aText.size() + 16);
  for (const QChar c : aText) {
    if (c == u'&')
      lResult += QStringLiteral("&amp;");
    else if (c == u'<')
      lResult += QStringLiteral("&lt;");
    else if (c == u'>')
      lResult += QStringLiteral("&gt;");
    else
      lResult += c;
  }
  return lResult;
}

QString TraceFileText(const QString& aTrace) {
  QString lText = aTrace;
  lText.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  QStringList lLines = lText.split(u'\n');
  if (lLines.size() > 1 && lLines.last().isEmpty())
    lLines.removeLast();
  return lLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
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
  // The figure changes slowly from record to record: the writer formats it again only when
  // it differs from the last one (per thread, as the settings are read-only while it runs).
  thread_local uint64_t lLastValue = UINT64_MAX;
  thread_local QString lLastText;
  if (FSpaceUsed != lLastValue) {
    lLastText = TFileSystemUtils::FileSizeToStr(FSpaceUsed);
    lLastValue = FSpaceUsed;
  }
  return lLastText;
}

bool TLoggingData::SaveTrace(TPathsAndFiles* aPathsAndFiles) {
  if (FTrace.trimmed().isEmpty() || !FTraceFile.isEmpty() || !aPathsAndFiles)
    return false;
  const TFileData* lFile = aPathsAndFiles->FileLst()->GetApplicationLogTrace();
  if (!lFile)
    return false;
  FTraceFile = lFile->FileName();
  QFile lOut(FTraceFile);
  const QByteArray lBytes = TraceFileText(FTrace).toLocal8Bit();
  if (!lOut.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      lOut.write(lBytes) != lBytes.size()) {
    TLogging::Add(
        nullptr, QStringLiteral("TLoggingData.SaveTrace"),
        Exception(QStringLiteral("Unable to write \"%1\": %2").arg(FTraceFile, lOut.errorString())),
        false);
  }
  return true;
}

namespace {

// aValue in decimal with at least aDigits digits, written at aTo; returns the end.
char16_t* PutDecimal(char16_t* aTo, uint64_t aValue, int aDigits) {
  char16_t lDigits[20];
  int n = 0;
  do {
    lDigits[n++] = static_cast<char16_t>(u'0' + aValue % 10);
    aValue /= 10;
  } while (aValue);
  for (int i = n; i < aDigits; ++i)
    *aTo++ = u'0';
  while (n > 0)
    *aTo++ = lDigits[--n];
  return aTo;
}

char16_t* PutText(char16_t* aTo, const char* aText) {
  while (*aText)
    *aTo++ = static_cast<char16_t>(*aText++);
  return aTo;
}

// The fixed head of a line: time as "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d.%.3dZ" (local time,
// unconverted), then the process and thread ids in brackets, each field ended by a TAB.
void AppendHead(QString& aLine, TDateTime aTime, uint32_t aProcessID, uint32_t aThreadID) {
  int y, m, d, h, n, s, z;
  DecodeDate(aTime, y, m, d);
  DecodeTime(aTime, h, n, s, z);
  char16_t lHead[96];
  char16_t* p = PutDecimal(lHead, static_cast<uint64_t>(std::max(y, 0)), 4);
  const struct {
    char Separator;
    int Value;
    int Digits;
  } cParts[] = {{'-', m, 2}, {'-', d, 2}, {'T', h, 2}, {':', n, 2}, {':', s, 2}, {'.', z, 3}};
  for (const auto& lPart : cParts) {
    *p++ = static_cast<char16_t>(lPart.Separator);
    p = PutDecimal(p, static_cast<uint64_t>(lPart.Value), lPart.Digits);
  }
  p = PutText(p, "Z\t[PID:");
  p = PutDecimal(p, aProcessID, 1);
  p = PutText(p, ";TID:");
  p = PutDecimal(p, aThreadID, 1);
  p = PutText(p, "]\t");
  aLine.append(reinterpret_cast<const QChar*>(lHead), p - lHead);
}

void AppendField(QString& aLine, const QString& aField) {
  if (aField.contains(u'\t')) {
    aLine += u'"';
    aLine += aField;
    aLine += u'"';
  } else {
    aLine += aField;
  }
}

} // namespace

QString TLoggingData::GetAsString() const {
  if (FIsPrevious)
    return QString();
  QString lLine;
  lLine.reserve(96 + FSender.size() + FText.size() + FTraceFile.size());
  AppendHead(lLine, FDateTime, FProcessID, FThreadID);
  lLine += TLoggingUtils::LogTypToText(FTyp);
  lLine += u'\t';
  AppendField(lLine, FSender);
  lLine += u'\t';
  AppendField(lLine, FText);
  lLine += QStringLiteral("\tUsedMemory:");
  lLine += GetSpaceUsedAsString();
  lLine += u'\t';
  AppendField(lLine, FTraceFile);
  return lLine;
}

// --- TLoggingDataList -------------------------------------------------------------------

TLoggingData TLoggingDataList::Build(const TObject* aSender, const QString& aMethod,
                                     const QString& aText, const QString& aTrace, TLogTyp aTyp) {
  TLoggingData lData;
  // The label comes cleaned and is cleaned once more, so that runs of blanks shrink twice.
  lData.FSender = TLoggingUtils::CleanText(TLoggingUtils::SenderMethodToStr(aSender, aMethod));
  lData.FText = TLoggingUtils::CleanText(aText);
  lData.FProcessID = GetCurrentProcessId();
  lData.FThreadID = GetCurrentThreadId();
  lData.FTyp = aTyp;
  lData.FDateTime = Now();
  lData.FSpaceUsed = ProcessMemoryPrivateUsage();
  lData.FTrace = aTrace;
  return lData;
}

const TLoggingData& TLoggingDataList::Append(TLoggingData&& aData) {
  // A record that repeats the one before (same sender, ids, type and text, and the same
  // trace or none) is kept but not written again.
  if (!FItems.empty()) {
    const TLoggingData& lLast = FItems.back();
    aData.FIsPrevious =
        lLast.FSender == aData.FSender && lLast.FProcessID == aData.FProcessID &&
        lLast.FThreadID == aData.FThreadID && lLast.FTyp == aData.FTyp &&
        lLast.FText.compare(aData.FText, Qt::CaseInsensitive) == 0 &&
        (aData.FTrace.isEmpty() || lLast.FTrace.compare(aData.FTrace, Qt::CaseInsensitive) == 0);
  }
  FItems.push_back(std::move(aData));
  return FItems.back();
}

const TLoggingData& TLoggingDataList::Add(const TObject* aSender, const QString& aMethod,
                                          const QString& aText, const QString& aTrace,
                                          TLogTyp aTyp) {
  return Append(Build(aSender, aMethod, aText, aTrace, aTyp));
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

std::vector<TLoggingData> TLoggingDataList::Take(qsizetype aFrom, bool aRemove) {
  std::vector<TLoggingData> lResult;
  const auto lFrom = static_cast<size_t>(qBound<qsizetype>(0, aFrom, Count()));
  if (aRemove && lFrom == 0) {
    lResult.swap(FItems);
    // The next pass will likely take as many: spare the callers the growing.
    FItems.reserve(lResult.size());
    return lResult;
  }
  lResult.assign(FItems.begin() + static_cast<std::ptrdiff_t>(lFrom), FItems.end());
  if (aRemove)
    FItems.clear();
  return lResult;
}

void TLoggingDataList::DeleteFirst(qsizetype aCount) {
  const auto lCount = static_cast<size_t>(qBound<qsizetype>(0, aCount, Count()));
  FItems.erase(FItems.begin(), FItems.begin() + static_cast<std::ptrdiff_t>(lCount));
}

// --- TLoggingUtils ----------------------------------------------------------------------

QString TLoggingUtils::CleanText(const QString& aText) {
  // Line breaks become blanks, each pair of blanks one blank (pairs are taken from the left,
  // so four blanks give two), double quotes apostrophes. Most texts are clean already: those
  // are handed back shared, without a copy.
  const auto lMapped = [](QChar c) {
    return c == u'\r' || c == u'\n' ? QChar(u' ') : c == u'"' ? QChar(u'\'') : c;
  };
  const qsizetype lSize = aText.size();
  const QChar* lFrom = aText.constData();
  qsizetype i = 0;
  for (; i < lSize; ++i) {
    const QChar c = lFrom[i];
    if (c == u'\r' || c == u'\n' || c == u'"' ||
        (c == u' ' && i + 1 < lSize && lMapped(lFrom[i + 1]) == u' '))
      break;
  }
  if (i == lSize)
    return aText;
  QString lText(lSize, Qt::Uninitialized);
  QChar* lTo = lText.data();
  std::copy(lFrom, lFrom + i, lTo);
  lTo += i;
  while (i < lSize) {
    const QChar c = lMapped(lFrom[i]);
    *lTo++ = c;
    i += (c == u' ' && i + 1 < lSize && lMapped(lFrom[i + 1]) == u' ') ? 2 : 1;
  }
  lText.truncate(lTo - lText.constData());
  return lText;
}

QString TLoggingUtils::SenderMethodToStr(const TObject* aSender, const QString& aMethod) {
  // A thread logs from one place many times in a row: the label of the last sender class and
  // method is kept per thread.
  struct TLast {
    QString Unit, Class, Method, Label;
    bool HasSender = false;
  };
  thread_local TLast lLast;
  const QString lUnit = aSender ? aSender->UnitName() : QString();
  const QString lClass = aSender ? aSender->ClassName() : QString();
  if (lLast.HasSender == (aSender != nullptr) && lLast.Method == aMethod && lLast.Class == lClass &&
      lLast.Unit == lUnit && !lLast.Label.isNull())
    return lLast.Label;
  lLast = {lUnit, lClass, aMethod, BuildSenderLabel(lUnit, lClass, aSender != nullptr, aMethod),
           aSender != nullptr};
  return lLast.Label;
}

QString TLoggingUtils::BuildSenderLabel(const QString& aUnit, const QString& aClass,
                                        bool aHasSender, const QString& aMethod) {
  QString lResult;
  if (aHasSender) {
    lResult.reserve(aUnit.size() + aClass.size() + aMethod.size() + 5);
    lResult += u'[';
    lResult += aUnit;
    lResult += u'.';
    lResult += aClass;
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

TLogging::TLogging()
    : FPathsAndFiles(std::make_unique<TPathsAndFiles>(ApplicationFileName())),
      FLoggingDataLst(std::make_unique<TLoggingDataList>()),
      FConfig(std::make_unique<TConfigLoggingData>()) {
  FFile = FPathsAndFiles->FileLst()->ApplicationLog();
  Start();
}

TLogging::~TLogging() {
  Shutdown();
}

void TLogging::Shutdown() {
  if (!Running())
    return;
  FForceWrite = true;
  WriteBuffer();
  Signal([this] { FFinishing = true; });
  // The writer leaves its loop and writes the end banner; the windows are served meanwhile
  // for eleven steps at most, and the wait ends as soon as the banner is written.
  for (int i = 0; i < 11 && !FWriterDone; ++i) {
    ProcessMessages();
    WaitSignal(cPollMs, [this] { return FWriterDone.load(); });
  }
  Terminate();
  WaitFor();
}

template <typename TChange> void TLogging::Signal(TChange aChange) {
  {
    const std::lock_guard lLock(FPassDoneLock);
    aChange();
  }
  FPassDone.notify_all();
}

template <typename TPredicate> void TLogging::WaitSignal(unsigned aMilliseconds, TPredicate aDone) {
  std::unique_lock lLock(FPassDoneLock);
  FPassDone.wait_for(lLock, std::chrono::milliseconds(aMilliseconds), aDone);
}

TLogging* TLogging::Instance() {
  if (TLogging* lLogger = gCurrent.load(std::memory_order_acquire))
    return lLogger;
  std::lock_guard lLock(InstanceLock());
  if (InstanceHolder() || gInitializing || gFinished)
    return InstanceHolder().get();
  RegisterForkHandlers();
  gInitializing = true;
  InstanceHolder().reset(new TLogging());
  gInitializing = false;
  gCurrent.store(InstanceHolder().get(), std::memory_order_release);
  return InstanceHolder().get();
}

void TLogging::RegisterForkHandlers() {
  // A child forked while the writer holds the lock would wait for it forever; the fork waits
  // for the lock instead. The child has no writer thread: it buffers, and ForceWrite returns.
  static const bool lRegistered = [] {
    pthread_atfork(
        [] {
          if (TLogging* l = gCurrent.load())
            l->FLogLock.lock();
        },
        [] {
          if (TLogging* l = gCurrent.load())
            l->FLogLock.unlock();
        },
        [] {
          if (TLogging* l = gCurrent.load()) {
            l->FFinishing = true;
            // The child's thread has another id than the parent's, so it cannot
            // unlock what the parent locked: it starts with a fresh lock.
            new (&l->FLogLock) TCriticalSection();
            new (&l->FPassLock) TCriticalSection();
            new (&l->FPassDoneLock) std::mutex();
            new (&l->FPassDone) std::condition_variable();
          }
        });
    return true;
  }();
  (void)lRegistered;
}

void TLogging::Initialize() {
  {
    std::lock_guard lLock(InstanceLock());
    gInitializing = false;
    gFinished = false;
  }
  if (TLogging* lLogger = Instance())
    lLogger->ForceWrite();
}

void TLogging::Finalize() {
  std::unique_ptr<TLogging> lLogger;
  {
    std::lock_guard lLock(InstanceLock());
    gFinished = true;
    gCurrent.store(nullptr, std::memory_order_release);
    lLogger = std::move(InstanceHolder());
  }
  lLogger.reset(); // last pass, end banner, thread stopped
}

void TLogging::Execute() {
  SetLowestPriority();
  WriteStartBanner();
  while (!Terminated() && !FFinishing) {
    WriteBuffer();
    WaitSignal(cPollMs, [this] { return FFinishing.load(); });
  }
  WriteEndBanner();
  Signal([this] { FWriterDone = true; });
}

void TLogging::WriteStartBanner() {
  const TFileData* lExe = FPathsAndFiles->FileLst()->ApplicationExe();
  const QString lExeName = lExe ? lExe->FileName() : ApplicationFileName();
  QStringList lLines{QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                     QStringLiteral("<<<STARTING-") + lExeName + QStringLiteral(">>>"),
                     FormatDateTime(QStringLiteral("ddd c"), Now())};
  if (lExe)
    lLines << lExe->AsText(QChar()).split(u'\n', Qt::SkipEmptyParts);
  WriteLines(lLines.join(QStringLiteral("\r\n")));
}

void TLogging::WriteEndBanner() {
  const TFileData* lExe = FPathsAndFiles->FileLst()->ApplicationExe();
  const QString lExeName = lExe ? lExe->FileName() : ApplicationFileName();
  WriteLines(QStringList{FormatDateTime(QStringLiteral("ddd c"), Now()),
                         QStringLiteral("finishing, glosing and going home ..."),
                         QStringLiteral("<<<FINISHING-") + lExeName + QStringLiteral(">>>"),
                         QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")}
                 .join(QStringLiteral("\r\n")));
}

void TLogging::ForceWrite() {
  if (!Running() || IsCurrentThread()) {
    // No writer to wait for (or the writer itself asks): write here and now.
    FForceWrite = true;
    WriteBuffer();
    return;
  }
  for (int i = 0; i < 2; ++i) {
    FForceWrite = true;
    while (FForceWrite && Running() && !FFinishing) {
      ProcessMessages();
      // Woken by the end of the pass, or after the step at the latest, so that the windows
      // are served while the writer works.
      WaitSignal(cForceWritePollMs, [this] { return !FForceWrite || FFinishing; });
    }
  }
}

void TLogging::RegisterStrings(ILoggingLines* aStrings) {
  if (!aStrings)
    return;
  std::lock_guard lLock(FLogLock);
  FVisualizationStringsLst.push_back(aStrings);
}

void TLogging::UnRegisterStrings(ILoggingLines* aStrings) {
  // One registration less: a list registered twice is still fed once.
  std::lock_guard lLock(FLogLock);
  const auto lFound =
      std::find(FVisualizationStringsLst.begin(), FVisualizationStringsLst.end(), aStrings);
  if (lFound != FVisualizationStringsLst.end())
    FVisualizationStringsLst.erase(lFound);
}

void TLogging::ClearBuffer() {
  std::lock_guard lLock(FLogLock);
  FLoggingDataLst->Clear();
  FCurrentIx = 0;
}

QString TLogging::HtmlLine(const TLoggingData& aData, const QString& aLine) {
  QString lColor;
  switch (aData.FTyp) {
  case ltInformation:
    lColor = QStringLiteral("blue");
    break;
  case ltSuccess:
    lColor = QStringLiteral("green");
    break;
  case ltWarning:
    lColor = QStringLiteral("orange");
    break;
  case ltError:
  case ltExcept:
    lColor = QStringLiteral("red");
    break;
  default:
    break;
  }
  const bool lBold = aData.FTyp == ltWarning || aData.FTyp == ltError || aData.FTyp == ltExcept;
  QString lHtml = QStringLiteral("<font color=\"") + lColor + QStringLiteral("\">");
  lHtml += lBold ? QStringLiteral("<b>") + HtmlEscaped(aLine) + QStringLiteral("</b></font>")
                 : HtmlEscaped(aLine) + QStringLiteral("</font>");
  return lHtml.replace(u'\t', u' ');
}

void TLogging::WriteBuffer() {
  if (!FForceWrite && GetTickCount64() - FLastWrite < cWriteSpacingMs)
    return;
  // One pass at a time, so that passes append in order. The logger lock is held only to take
  // the records and to hand the lines to the lists: callers never wait for the disk.
  std::lock_guard lPass(FPassLock);
  std::vector<TLoggingData> lBatch;
  {
    std::lock_guard lLock(FLogLock);
    if (!FForceWrite && FCurrentIx >= FLoggingDataLst->Count())
      return;
    lBatch = FLoggingDataLst->Take(FCurrentIx, !FKeepData);
    FCurrentIx = FKeepData ? FLoggingDataLst->Count() : 0;
  }
  const bool lHasLists = HasLineLists();
  QString lText;
  QStringList lHtml;
  for (TLoggingData& lData : lBatch) {
    if (lData.FIsPrevious)
      continue;
    lData.SaveTrace(FPathsAndFiles.get());
    const QString lLine = lData.GetAsString();
    lText += lLine;
    lText += QStringLiteral("\r\n");
    if (lHasLists)
      lHtml << HtmlLine(lData, lLine);
  }
  WriteLines(lText);
  if (!lHtml.isEmpty()) {
    std::lock_guard lLock(FLogLock);
    const std::vector<ILoggingLines*> lLists = FVisualizationStringsLst;
    for (ILoggingLines* lList : lLists) {
      try {
        lList->AddLoggingLines(lHtml);
      } catch (...) {
        std::erase(FVisualizationStringsLst, lList);
      }
    }
  }
  FLastWrite = GetTickCount64();
  Signal([this] { FForceWrite = false; });
}

bool TLogging::HasLineLists() {
  std::lock_guard lLock(FLogLock);
  return !FVisualizationStringsLst.empty();
}

void TLogging::WriteLines(const QString& aLines) {
  // The text without its leading and trailing white space, ended by one line break; a pass
  // writes megabytes at times, so the text is not copied before its conversion.
  const QStringView lText = QStringView(aLines).trimmed();
  if (lText.isEmpty() || !FFile)
    return;
  QByteArray lBytes = lText.toUtf8();
  lBytes += "\r\n";
  std::lock_guard lLock(FPassLock);
  // Every failure (locked by another process, folder gone, disk full) only loses this text.
  AppendToLockedFile(FFile->FileName(), lBytes);
}

bool TLogging::AddInternal(const TObject* aSender, const QString& aMethod, const QString& aText,
                           TLogTyp aLogType, const QString& aTrace) {
  const QString lText = aText.trimmed();
  if (Terminated() || aLogType < FConfig->LogLevel() || lText.isEmpty())
    return false;
  // The record is built before the lock is taken: the lock guards the buffer only.
  TLoggingData lData = TLoggingDataList::Build(aSender, aMethod, lText, aTrace, aLogType);
  {
    std::lock_guard lLock(FLogLock);
    FLoggingDataLst->Append(std::move(lData));
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

bool TLogging::CheckFileExists(const TFileData* aFile, TLogTyp aLogTyp, const TObject* aSender,
                               const QString& aMethod) {
  return CheckFileExists(aFile ? aFile->FileName() : QString(), aLogTyp, aSender, aMethod);
}

bool TLogging::CheckFileExists(const TFileData* aFile, const TObject* aSender,
                               const QString& aMethod) {
  return CheckFileExists(aFile, ltError, aSender, aMethod);
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
