#include "Qel.Shared.Ui.Modules.h"

#include "Qel.Shared.Logging.Viewer.h"
#include "Qel.Shared.Wait.Dlg.h"

std::vector<TModuleEntry> WindowModules() {
  return {
      {"Qel.Shared.Wait.Dlg", nullptr, &TFrmWaitList::Finalize},
      {"Qel.Shared.Logging.Viewer", nullptr, &TfrmLoggingViewer::Finalize},
  };
}

std::vector<TModuleEntry> FrameworkWindowModules() {
  std::vector<TModuleEntry> lModules = FrameworkModules();
  for (const TModuleEntry& lEntry : WindowModules())
    lModules.push_back(lEntry);
  return lModules;
}
