// The main of every test binary: fixed format settings, so that texts do not depend on the
// locale of the machine that runs the tests, and one temporary program folder for the whole
// run, so that the logger and the paths-and-files service never touch the real folders.
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.Modules.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelTestFolder.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  SetFormatSettings(TFormatSettings::Invariant());
  int lResult = 0;
  {
    TTestProgramFolder lProcessFolder(QStringLiteral("Qel_TestRun"));
    TModuleTable lModules(FrameworkModules());
    lModules.Initialize();
    TPathsAndFiles::Instance(); // the process-wide service lives in the run's folder too
    lResult = RUN_ALL_TESTS();
    lModules.Finalize();
  }
  return lResult;
}
