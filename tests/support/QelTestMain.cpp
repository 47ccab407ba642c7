// The main of every test binary without windows: fixed format settings, so that texts do not
// depend on the locale of the machine that runs the tests, and one temporary program folder
// for the whole run, so that the logger and the paths-and-files service never touch the real
// folders.
#include "Qel.Shared.Modules.h"
#include "QelTestRun.h"

int main(int argc, char** argv) {
  return QelRunTests(argc, argv, FrameworkModules());
}
