// The program block of Qel_Lintrel: the modules started in their order, the main window, the
// message loop, and the modules shut down in reverse order when the window is closed.
#include "Qel.Lintrel.Main.h"
#include "Qel.Rtl.MessageHook.h"
#include "Qel.Shared.Ui.Modules.h"
#include "Qel.Ui.Forms.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication lApp(argc, argv);
  TModuleTable lModules(FrameworkWindowModules());
  lModules.Initialize();
  InstallProcessMessagesHook();
  int lResult = 0;
  {
    TfrmMain lMain;
    SetApplicationMainForm(&lMain);
    lMain.show();
    lResult = QApplication::exec();
    SetApplicationMainForm(nullptr);
  }
  SetProcessMessagesHook(nullptr);
  lModules.Finalize();
  return lResult;
}
