#pragma once
// The logger's records, their line format, the method-name helpers and the class-level
// logging calls every module uses.

#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Object.h"
#include "Qel.Rtl.SyncObjs.h"
#include "Qel.Rtl.Thread.h"
#include "Qel.Rtl.VarRec.h"
#include "Qel.Shared.Logging.Defs.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

class TConfigLoggingData;
class TFileData;
class TPathsAndFiles;

// One log record.
struct TLoggingData {
  uint32_t FThreadID = 0;
  uint32_t FProcessID = 0;
  TDateTime FDateTime;
  QString FTrace;
  QString FTraceFile;
  QString FText;
  QString FSender;
  TLogTyp FTyp = ltNone;
  bool FIsPrevious = false;
  uint64_t FSpaceUsed = 0;

  // The log line without line break; empty for a repeat of the record before it.
  QString GetAsString() const;
  QString GetSpaceUsedAsString() const;
  // Writes the trace (when there is one) to a fresh trace file of aPathsAndFiles and names it
  // in FTraceFile; returns whether it tried.
  bool SaveTrace(TPathsAndFiles* aPathsAndFiles);
  uint64_t SpaceUsed() const { return FSpaceUsed; }
  bool IsPrevious() const { return FIsPrevious; }
};

// The logger's buffer: records in arrival order. Guarded by the logger lock, not by itself.
class TLoggingDataList {
public:
  // Appends a record built from the arguments (sender label and text cleaned, repeat flag,
  // time, ids, private memory) and returns it.
  const TLoggingData& Add(const TObject* aSender, const QString& aMethod, const QString& aText,
                          const QString& aTrace, TLogTyp aTyp);
  // The two halves of Add: building a record needs no list, so that callers can build it
  // before they take the lock; appending sets the repeat flag against the last record.
  static TLoggingData Build(const TObject* aSender, const QString& aMethod, const QString& aText,
                            const QString& aTrace, TLogTyp aTyp);
  const TLoggingData& Append(TLoggingData&& aData);
  // Appends a copy of the last record with the text "continuing..." and no trace; nothing
  // when the list is empty.
  void AddContinuing();

  qsizetype Count() const { return static_cast<qsizetype>(FItems.size()); }
  bool IsEmpty() const { return FItems.empty(); }
  const TLoggingData& operator[](qsizetype aIx) const {
    return FItems.at(static_cast<size_t>(aIx));
  }
  const TLoggingData& Last() const { return FItems.back(); }
  // Copies of the records from aFrom on; with aRemove the list is emptied (the records before
  // aFrom were handed out by an earlier call).
  std::vector<TLoggingData> Take(qsizetype aFrom, bool aRemove);
  // Removes the first aCount records.
  void DeleteFirst(qsizetype aCount);
  void Clear() { FItems.clear(); }

private:
  std::vector<TLoggingData> FItems;
};

class TLoggingUtils {
public:
  static QString BuildMethodName(const QString& aMethod) { return aMethod; }
  static QString BuildMethodName(const QString& aMethod, const QStringList& aParams);
  static QString BuildMethodName(const QString& aMethod, const TVarRecs& aParams);
  static QString LogTypToText(TLogTyp aLogTyp);
  static TLogTyp LogTypFromText(const QString& aText);
  // Elapsed milliseconds since aTick, "ms; Count: ", aCount. Raises EOverflow for a tick
  // later than now.
  static QString RunTimeToStr(uint64_t aTick, uint64_t aCount);
  static QString SenderMethodToStr(const TObject* aSender, const QString& aMethod);
  // The cleaning of sender labels and messages: line breaks to blanks, blank pairs to one
  // blank (one pass), double quotes to apostrophes.
  static QString CleanText(const QString& aText);

private:
  static QString BuildSenderLabel(const QString& aUnit, const QString& aClass, bool aHasSender,
                                  const QString& aMethod);
};

// A list that receives the logger's lines as HTML, one batch per write pass. It is called
// on the writer thread while the logger holds its lock, so it must only hand the batch on
// (queue it to the window's thread) and never wait for another thread. A list that raises
// is unregistered.
class ILoggingLines {
public:
  virtual ~ILoggingLines() = default;
  virtual void AddLoggingLines(const QStringList& aHtmlLines) = 0;
};

// The process-wide logger. Callers use the class-level calls only; they return at once. The
// logger's own thread writes the buffered records to the log file at most every 125 ms (at
// once after an error) and hands them to the registered line lists.
class TLogging : public TThread {
  QEL_CLASS("Qel.Shared.Logging", TLogging)

public:
  ~TLogging() override;

  // The logger, created on first use; nothing while it is being built or after shutdown began.
  static TLogging* Instance();
  // Module start-up (creates the logger and waits for its first two write passes) and
  // shutdown (last pass, end banner, thread stopped). After Finalize no logger is created
  // again until Initialize.
  static void Initialize();
  static void Finalize();

  static bool Add(const TObject* aSender, const QString& aMethod, const QString& aText,
                  TLogTyp aLogType, const QString& aTrace = QString());
  static bool Add(const TObject* aSender, const QString& aMethod, const QString& aText,
                  const QString& aTrace = QString());
  // The exception form: logs aText + " | Exception:" + the messages of the exception chain as
  // ltError; raises a new exception with those messages when aRaise.
  static bool Add(const TObject* aSender, const QString& aMethod, const QString& aText,
                  const std::exception& aException, bool aRaise, const QString& aTrace = QString());
  static bool Add(const TObject* aSender, const QString& aMethod, const std::exception& aException,
                  bool aRaise, const QString& aTrace = QString());
  // Logs the run time as ltRunTime when more than 16 ms have passed since aTick.
  static bool AddRunTime(const TObject* aSender, const QString& aMethod, uint64_t aTick,
                         uint64_t aCount, const QString& aTrace = QString());
  static bool SuccessError(bool aValue, const QString& aText, const TObject* aSender,
                           const QString& aMethod, const QString& aTrace = QString());
  static bool CheckOK(bool aValue, const QString& aText, TLogTyp aLogTyp, const TObject* aSender,
                      const QString& aMethod);
  static bool CheckOK(bool aValue, const QString& aText, const TObject* aSender,
                      const QString& aMethod);
  static bool CheckAssigned(const void* aValue, const QString& aText, TLogTyp aLogTyp,
                            const TObject* aSender, const QString& aMethod);
  static bool CheckAssigned(const void* aValue, const QString& aText, const TObject* aSender,
                            const QString& aMethod);
  static bool CheckFileExists(const QString& aFileName, TLogTyp aLogTyp, const TObject* aSender,
                              const QString& aMethod);
  static bool CheckFileExists(const QString& aFileName, const TObject* aSender,
                              const QString& aMethod);
  static bool CheckFileExists(const TFileData* aFile, TLogTyp aLogTyp, const TObject* aSender,
                              const QString& aMethod);
  static bool CheckFileExists(const TFileData* aFile, const TObject* aSender,
                              const QString& aMethod);
  // For long loops: a continuation record when more than 1000 ms have passed since aTick.
  static void StillProcessing(uint64_t& aTick);

  // The single entry to the buffer.
  bool AddInternal(const TObject* aSender, const QString& aMethod, const QString& aText,
                   TLogTyp aLogType, const QString& aTrace);
  static bool DoLog(const TObject* aSender, const QString& aMethod, const QString& aText,
                    TLogTyp aLogType);

  // Requests a write and returns once two write passes have run (processing pending window
  // messages meanwhile). Returns at once when the writer thread does not run.
  void ForceWrite();
  // A list may be registered more than once; it is then fed once per registration, and each
  // UnRegisterStrings takes one registration back.
  void RegisterStrings(ILoggingLines* aStrings);
  void UnRegisterStrings(ILoggingLines* aStrings);
  // One write pass and the raw append to the log file (run by the writer thread).
  void WriteBuffer();
  void WriteLines(const QString& aLines);

  TFileData* File() const { return FFile; }
  TPathsAndFiles* PathsAndFiles() const { return FPathsAndFiles.get(); }
  TConfigLoggingData& Config() const { return *FConfig; }
  TCriticalSection& LogLock() { return FLogLock; }
  // The buffer; read it only while holding LogLock.
  TLoggingDataList& LoggingDataLst() { return *FLoggingDataLst; }
  // Empties the buffer (under the lock), also the records not written yet.
  void ClearBuffer();
  bool KeepData() const { return FKeepData; }
  void SetKeepData(bool aKeepData) { FKeepData = aKeepData; }
  bool ForceWriteRequested() const { return FForceWrite; }

  // The HTML line of a record for the viewers: the line escaped, in its type's colour.
  static QString HtmlLine(const TLoggingData& aData, const QString& aLine);

protected:
  void Execute() override;

private:
  TLogging();
  static void RegisterForkHandlers();
  bool HasLineLists();
  void WriteStartBanner();
  void WriteEndBanner();
  void Shutdown();
  // Changes the state the waiters look at under FPassDoneLock, then wakes them all.
  template <typename TChange> void Signal(TChange aChange);
  // Waits up to aMilliseconds for aDone, woken by Signal.
  template <typename TPredicate> void WaitSignal(unsigned aMilliseconds, TPredicate aDone);

  std::unique_ptr<TPathsAndFiles> FPathsAndFiles;
  TCriticalSection FLogLock;
  // Serialises the write passes and every append to the log file.
  TCriticalSection FPassLock;
  TFileData* FFile = nullptr;
  std::atomic<uint64_t> FLastWrite{0};
  std::atomic<bool> FForceWrite{false};
  // Signalled at the end of every write pass (for ForceWrite), when the logger is finishing
  // (for the writer) and when the writer has written its end banner (for the shutdown).
  std::mutex FPassDoneLock;
  std::condition_variable FPassDone;
  qsizetype FCurrentIx = 0;
  std::atomic<bool> FKeepData{false};
  std::atomic<bool> FFinishing{false};
  std::atomic<bool> FWriterDone{false};
  std::vector<ILoggingLines*> FVisualizationStringsLst;
  std::unique_ptr<TLoggingDataList> FLoggingDataLst;
  std::unique_ptr<TConfigLoggingData> FConfig;
};
