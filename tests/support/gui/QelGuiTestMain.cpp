// The main of the test binaries with windows: as the other tests, plus the application object
// that windows need, the message processing hook of a program with windows, and the window
// modules in the module table.
#include "Qel.Rtl.MessageHook.h"
#include "Qel.Shared.Ui.Modules.h"
#include "Qel.Ui.Forms.h"
#include "QelTestRun.h"

#include <QApplication>

int main(int argc, char** argv) {
  // Without a display (the test listing at build time, say) the windows go offscreen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication lApp(argc, argv);
  InstallProcessMessagesHook();
  const int lResult = QelRunTests(argc, argv, FrameworkWindowModules());
  SetProcessMessagesHook(nullptr);
  return lResult;
}
