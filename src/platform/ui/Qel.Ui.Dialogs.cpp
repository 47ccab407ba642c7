#include "Qel.Ui.Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
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

void ShowMessage(const QString& aText) {
  QMessageBox lBox(QMessageBox::NoIcon, QApplication::applicationName(), aText, QMessageBox::Ok,
                   QApplication::activeWindow());
  lBox.exec();
}

QString InputBox(const QString& aCaption, const QString& aPrompt, const QString& aDefault) {
  QInputDialog lBox(QApplication::activeWindow());
  lBox.setWindowTitle(aCaption);
  lBox.setLabelText(aPrompt);
  lBox.setTextValue(aDefault);
  return lBox.exec() == QDialog::Accepted ? lBox.textValue() : aDefault;
}
