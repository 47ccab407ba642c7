#include "Qel.Shared.Modules.h"

#include "Qel.Shared.Logging.Statistic.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.PathsAndFiles.h"

std::vector<TModuleEntry> FrameworkModules() {
  return {
      {"Qel.Shared.Logging.Statistic", nullptr, &TLoggingStatisticList::Finalize},
      {"Qel.Shared.PathsAndFiles", nullptr, &TPathsAndFiles::FinalizeInstance},
      {"Qel.Shared.Logging", &TLogging::Initialize, &TLogging::Finalize},
  };
}

void TModuleTable::Initialize() {
  for (; FStarted < FModules.size(); ++FStarted)
    if (FModules[FStarted].Initialization)
      FModules[FStarted].Initialization();
}

void TModuleTable::Finalize() {
  while (FStarted > 0) {
    --FStarted;
    if (FModules[FStarted].Finalization)
      FModules[FStarted].Finalization();
  }
}
