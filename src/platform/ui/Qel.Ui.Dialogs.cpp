#include "Qel.Ui.Dialogs.h"

#include <QApplication>
#include <QStyle>

QIcon StandardMessageIcon(TMsgDlgType aMsgTyp) {
  const QStyle* lStyle = QApplication::style();
  switch (aMsgTyp) {
  case mtWarning:
    return lStyle->standardIcon(QStyle::SP_MessageBoxWarning);
  case mtError:
    return lStyle->standardIcon(QStyle::SP_MessageBoxCritical);
  case mtInformation:
    return lStyle->standardIcon(QStyle::SP_MessageBoxInformation);
  case mtConfirmation:
    return lStyle->standardIcon(QStyle::SP_MessageBoxQuestion);
  case mtCustom:
    break;
  }
  return QIcon::fromTheme(QStringLiteral("application-x-executable"),
                          lStyle->standardIcon(QStyle::SP_DesktopIcon));
}
