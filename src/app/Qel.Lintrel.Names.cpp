#include "Qel.Lintrel.Names.h"

#include "Qel.Rtl.SysUtils.h"

#include <QStringList>

QString TLintrelNames::ToPlatformDelimiters(const QString& aName) {
  return QString(aName).replace(u'\\', PathDelim);
}

bool TLintrelNames::TargetName(const QString& aFileName, const QString& aID, QString& aName,
                               QString& aError) {
  aName.clear();
  const QString lName = ToPlatformDelimiters(aFileName.trimmed());
  if (lName.isEmpty() || ExtractFileName(lName).isEmpty()) {
    aError = QStringLiteral("The document has no file name");
    return false;
  }
  if (lName.contains(QChar(u'\0'))) {
    aError = QStringLiteral("The file name \"%1\" contains a NUL character").arg(aFileName);
    return false;
  }
  if (aID.trimmed().isEmpty()) {
    aError = QStringLiteral("The document \"%1\" has no ID").arg(aFileName);
    return false;
  }
  // The copy must land inside the destination folder.
  const bool lAbsolute = !ExtractFileDrive(lName).isEmpty();
  if (lAbsolute || lName.split(PathDelim).contains(QStringLiteral(".."))) {
    aError =
        QStringLiteral("The file name \"%1\" leads out of the destination folder").arg(aFileName);
    return false;
  }
  aName = ChangeFileExt(lName, u'_' + aID.trimmed() + ExtractFileExt(lName));
  return true;
}

bool TLintrelNames::SourceName(const QString& aSrcPath, const QString& aPathName, QString& aName,
                               QString& aError) {
  aName.clear();
  if (aPathName.trimmed().isEmpty()) {
    aError = QStringLiteral("The document has no path name");
    return false;
  }
  if (aPathName.contains(QChar(u'\0'))) {
    aError = QStringLiteral("The path name \"%1\" contains a NUL character").arg(aPathName);
    return false;
  }
  aName = aSrcPath + ToPlatformDelimiters(aPathName);
  return true;
}
