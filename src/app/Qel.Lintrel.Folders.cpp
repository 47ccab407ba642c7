// Builds the folder catalogue for this program's own file and prints the standard folders.
#include "Qel.Os.Process.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.Paths.Data.h"

#include <QTextStream>

int main() {
  QTextStream lOut(stdout);
  const QString lProgram = ApplicationFileName();
  TVersion lVersion;
  TFileSystemUtils::GetFileVersion(lProgram, lVersion);
  lOut << "Program file:  " << lProgram << " (version " << lVersion.GetAsString() << ")\n";

  TPathDataList lPaths(lProgram);
  lOut << "Main folder:   " << lPaths.Main().Path() << "\n\n";
  int lMissing = 0;
  for (int i = ptBin; i <= ptEMail; ++i) {
    const TPathData* lEntry = lPaths.GetPath(static_cast<TPathTyp>(i));
    const bool lExists = lEntry->GetExists();
    lMissing += lExists ? 0 : 1;
    lOut << QStringLiteral("%1 %2 %3\n")
                .arg(PathTypName(static_cast<TPathTyp>(i)), -20)
                .arg(lExists ? QStringLiteral("ok     ") : QStringLiteral("MISSING"),
                     lEntry->Path());
  }
  lOut << "\nToday's archive folder: " << lPaths.GetArchive()->Path() << "\n";
  lOut.flush();
  return lMissing == 0 ? 0 : 1;
}
