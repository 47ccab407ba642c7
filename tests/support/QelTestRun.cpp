#include "QelTestRun.h"

#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelTestFolder.h"

#include <gtest/gtest.h>

int QelRunTests(int argc, char** argv, std::vector<TModuleEntry> aModules) {
  ::testing::InitGoogleTest(&argc, argv);
  SetFormatSettings(TFormatSettings::Invariant());
  int lResult = 0;
  {
    TTestProgramFolder lProcessFolder(QStringLiteral("Qel_TestRun"));
    TModuleTable lModules(std::move(aModules));
    lModules.Initialize();
    TPathsAndFiles::Instance(); // the process-wide service lives in the run's folder too
    lResult = RUN_ALL_TESTS();
    lModules.Finalize();
  }
  return lResult;
}
