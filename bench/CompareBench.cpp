// Side-by-side measurements against well-known tools: the logger against spdlog's
// asynchronous file logger, and CopyFile against cp. Prints one line per comparison.
#include "Qel.Os.Folders.h"
#include "Qel.Os.Process.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.Modules.h"
#include "Qel.Shared.PathsAndFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <spdlog/async.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

namespace {

using TClock = std::chrono::steady_clock;

double Seconds(TClock::time_point aFrom, TClock::time_point aTo) {
  return std::chrono::duration<double>(aTo - aFrom).count();
}

class TBenchSender : public TObject {
  QEL_CLASS("Qel.Bench.Compare", TBenchSender)
};

struct TRun {
  double Calls; // seconds spent in the logging calls
  double Total; // seconds until every line is on disk
};

TRun RunOurLogger(int aCount, qint64& aFileSize) {
  TBenchSender lSender;
  const QString lMethod = QStringLiteral("CopyFile");
  TLogging* lLogger = TLogging::Instance();
  lLogger->ForceWrite();
  const auto lStart = TClock::now();
  for (int i = 0; i < aCount; ++i)
    TLogging::Add(&lSender, lMethod, QStringLiteral("Copied 20kB of 200MB, block %1").arg(i));
  const auto lCalls = TClock::now();
  lLogger->ForceWrite();
  const auto lDone = TClock::now();
  aFileSize = QFileInfo(lLogger->File()->FileName()).size();
  return {Seconds(lStart, lCalls), Seconds(lStart, lDone)};
}

TRun RunSpdlog(int aCount, const QString& aFile, int aLineLength) {
  spdlog::init_thread_pool(8192, 1);
  auto lLogger = spdlog::basic_logger_mt<spdlog::async_factory>("bench", aFile.toStdString(), true);
  lLogger->set_pattern("%Y-%m-%dT%H:%M:%S.%eZ\t[PID:%P;TID:%t]\t[%l]\t%v");
  const std::string lPadding(static_cast<size_t>(std::max(0, aLineLength - 60)), 'x');
  const auto lStart = TClock::now();
  for (int i = 0; i < aCount; ++i)
    lLogger->info("{} block {}", lPadding, i);
  const auto lCalls = TClock::now();
  spdlog::shutdown(); // drains the queue and closes the file
  const auto lDone = TClock::now();
  return {Seconds(lStart, lCalls), Seconds(lStart, lDone)};
}

double RunCp(const QString& aSrc, const QString& aDst) {
  QFile::remove(aDst);
  const auto lStart = TClock::now();
  QProcess::execute(QStringLiteral("cp"), {aSrc, aDst});
  return Seconds(lStart, TClock::now());
}

double RunCopyFile(const QString& aSrc, const QString& aDst) {
  QFile::remove(aDst);
  TLogging::Instance()->ForceWrite();
  const auto lStart = TClock::now();
  TPathsAndFiles::CopyFile(aSrc, aDst);
  return Seconds(lStart, TClock::now());
}

} // namespace

int main() {
  SetFormatSettings(TFormatSettings::Invariant());
  QTemporaryDir lDir;
  const QString lRoot = lDir.path() + u'/';
  QDir().mkpath(lRoot + QStringLiteral("Prog/Bin"));
  SetApplicationFileNameOverride(lRoot + QStringLiteral("Prog/Bin/bench_compare"));
  SetCommonAppDataFolderOverride(lRoot + QStringLiteral("Common"));
  TModuleTable lModules(FrameworkModules());
  lModules.Initialize();

  constexpr int cRecords = 200000;
  qint64 lOurSize = 0;
  const TRun lOurs = RunOurLogger(cRecords, lOurSize);
  const int lLineLength = static_cast<int>(lOurSize / cRecords);
  const TRun lSpd = RunSpdlog(cRecords, lRoot + QStringLiteral("spdlog.log"), lLineLength);
  std::printf("logger: %d records of ~%d bytes\n", cRecords, lLineLength);
  std::printf("  ours:   %.0f records/s in the calls, %.0f records/s until on disk\n",
              cRecords / lOurs.Calls, cRecords / lOurs.Total);
  std::printf("  spdlog: %.0f records/s in the calls, %.0f records/s until on disk\n",
              cRecords / lSpd.Calls, cRecords / lSpd.Total);
  std::printf("  ratio ours/spdlog: calls %.2f, until on disk %.2f (goal: at least 0.5)\n",
              lSpd.Calls / lOurs.Calls, lSpd.Total / lOurs.Total);

  // A 200 MB source with varied content.
  const QString lSrc = lRoot + QStringLiteral("source.bin");
  {
    QFile lFile(lSrc);
    lFile.open(QIODevice::WriteOnly);
    QByteArray lBlock(1 << 20, '\0');
    for (int i = 0; i < lBlock.size(); ++i)
      lBlock[i] = static_cast<char>((i * 7919) >> 3);
    for (int i = 0; i < 200; ++i)
      lFile.write(lBlock);
  }
  RunCp(lSrc, lRoot + QStringLiteral("warm.bin")); // both read from the page cache
  double lCp = 0, lOursCopy = 0;
  for (int i = 0; i < 3; ++i) {
    lCp += RunCp(lSrc, lRoot + QStringLiteral("cp.bin"));
    lOursCopy += RunCopyFile(lSrc, lRoot + QStringLiteral("Out/ours.bin"));
  }
  std::printf("copy: 200 MB, 3 runs each\n");
  std::printf("  cp:       %.0f MB/s\n", 600 / lCp);
  std::printf("  CopyFile: %.0f MB/s\n", 600 / lOursCopy);
  std::printf("  ratio CopyFile/cp: %.2f (goal: at least 0.7)\n", lCp / lOursCopy);
  lModules.Finalize();
  return 0;
}
