// Building log records: the cost every logging call pays on the caller's thread.
#include "Qel.Os.Memory.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.Logging.h"

#include <benchmark/benchmark.h>

namespace {

class TBenchSender : public TObject {
  QEL_CLASS("Qel.Bench.Logging", TBenchSender)
};

// TLoggingDataList.Add including the private-memory counter; the list is emptied in
// batches so that it measures record building, not a growing vector.
void BM_LoggingDataListAdd(benchmark::State& aState) {
  TBenchSender lSender;
  TLoggingDataList lList;
  const QString lMethod = QStringLiteral("CopyFile");
  const QString lText =
      QStringLiteral("Copy \"/data/Dokumente/Brief.docx\" to \"/tmp/Brief_17.docx\"");
  int64_t lCount = 0;
  for (auto _ : aState) {
    benchmark::DoNotOptimize(lList.Add(&lSender, lMethod, lText, QString(), ltInformation));
    if (++lCount % 4096 == 0) {
      aState.PauseTiming();
      lList.Clear();
      aState.ResumeTiming();
    }
  }
  aState.counters["records/s"] =
      benchmark::Counter(static_cast<double>(lCount), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoggingDataListAdd);

// The writer's side: one record as its log-file line.
void BM_LoggingDataGetAsString(benchmark::State& aState) {
  TBenchSender lSender;
  TLoggingDataList lList;
  const TLoggingData& lData =
      lList.Add(&lSender, QStringLiteral("CopyFile"),
                QStringLiteral("Copy \"/data/Dokumente/Brief.docx\" to \"/tmp/Brief_17.docx\""),
                QString(), ltInformation);
  for (auto _ : aState)
    benchmark::DoNotOptimize(lData.GetAsString());
}
BENCHMARK(BM_LoggingDataGetAsString);

void BM_ProcessPrivateBytes(benchmark::State& aState) {
  for (auto _ : aState)
    benchmark::DoNotOptimize(ProcessPrivateBytes());
}
BENCHMARK(BM_ProcessPrivateBytes);

void BM_Now(benchmark::State& aState) {
  for (auto _ : aState)
    benchmark::DoNotOptimize(Now());
}
BENCHMARK(BM_Now);

// The size text of a copy's progress line, logged once per 20,482 bytes copied.
void BM_FileSizeToStr(benchmark::State& aState) {
  uint64_t lSize = 0;
  for (auto _ : aState) {
    lSize += 20482;
    benchmark::DoNotOptimize(TFileSystemUtils::FileSizeToStr(lSize));
  }
}
BENCHMARK(BM_FileSizeToStr);

} // namespace

BENCHMARK_MAIN();
