#include "QelTestFolder.h"

#include "Qel.Os.Folders.h"
#include "Qel.Os.Process.h"
#include "Qel.Rtl.DateTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TTestProgramFolder::TTestProgramFolder(const QString& aProgram)
    : FPreviousProgramFile(ApplicationFileName()), FPreviousCommon(CommonAppDataFolder()) {
  FProgramFile = Root() + QStringLiteral("Prog/Bin/") + aProgram;
  QDir().mkpath(Root() + QStringLiteral("Prog/Bin"));
  QDir().mkpath(Common());
  SetApplicationFileNameOverride(FProgramFile);
  SetCommonAppDataFolderOverride(Common());
}

TTestProgramFolder::~TTestProgramFolder() {
  SetApplicationFileNameOverride(FPreviousProgramFile);
  SetCommonAppDataFolderOverride(FPreviousCommon);
  SetNowOverride(std::nullopt);
}

QString TTestProgramFolder::Root() const {
  return FDir.path() + u'/';
}

QString TTestProgramFolder::WriteFile(const QString& aRelativeName,
                                      const QByteArray& aContent) const {
  const QString lName = Root() + aRelativeName;
  QDir().mkpath(QFileInfo(lName).absolutePath());
  QFile lFile(lName);
  if (lFile.open(QIODevice::WriteOnly))
    lFile.write(aContent);
  return lName;
}
