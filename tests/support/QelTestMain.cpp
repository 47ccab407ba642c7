// The main of every test binary: fixed format settings, so that texts do not depend on the
// locale of the machine that runs the tests.
#include "Qel.Rtl.FormatSettings.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  SetFormatSettings(TFormatSettings::Invariant());
  return RUN_ALL_TESTS();
}
