#include "Qel.Ui.Forms.h"

#include "Qel.Rtl.MessageHook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

namespace {

QPointer<QWidget>& MainFormHolder() {
  static QPointer<QWidget> lForm;
  return lForm;
}

void ProcessQtEvents() {
  if (QCoreApplication::instance())
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Ends a modal display when its form is hidden or closed.
class TModalEnd : public QObject {
public:
  explicit TModalEnd(QEventLoop& aLoop) : FLoop(aLoop) {}

protected:
  bool eventFilter(QObject* aWatched, QEvent* aEvent) override {
    if (aEvent->type() == QEvent::Hide || aEvent->type() == QEvent::Close)
      FLoop.quit();
    return QObject::eventFilter(aWatched, aEvent);
  }

private:
  QEventLoop& FLoop;
};

} // namespace

void InstallProcessMessagesHook() {
  SetProcessMessagesHook(&ProcessQtEvents);
}

QWidget* ApplicationMainForm() {
  return MainFormHolder().data();
}

void SetApplicationMainForm(QWidget* aForm) {
  MainFormHolder() = aForm;
}

void CenterOverOwner(QWidget* aForm, const QWidget* aOwner) {
  if (!aForm)
    return;
  if (!aOwner)
    aOwner = ApplicationMainForm();
  QRect lArea;
  if (aOwner && aOwner != aForm && aOwner->isVisible())
    lArea = aOwner->frameGeometry();
  else if (const QScreen* lScreen = QGuiApplication::primaryScreen())
    lArea = lScreen->availableGeometry();
  else
    return;
  QRect lFrame = aForm->frameGeometry();
  lFrame.moveCenter(lArea.center());
  aForm->move(lFrame.topLeft());
}

void SetAlphaBlend(QWidget* aForm, bool aEnabled, uint8_t aAlpha) {
  if (aForm)
    aForm->setWindowOpacity(aEnabled ? aAlpha / 255.0 : 1.0);
}

void ShowModal(QWidget* aForm) {
  if (!aForm)
    return;
  QEventLoop lLoop;
  TModalEnd lEnd(lLoop);
  QPointer<QWidget> lForm(aForm);
  const Qt::WindowModality lModality = aForm->windowModality();
  aForm->setWindowModality(Qt::ApplicationModal);
  aForm->installEventFilter(&lEnd);
  QObject::connect(aForm, &QObject::destroyed, &lLoop, &QEventLoop::quit);
  aForm->show();
  if (aForm->isVisible())
    lLoop.exec(QEventLoop::DialogExec);
  if (lForm) {
    lForm->removeEventFilter(&lEnd);
    lForm->setWindowModality(lModality);
  }
}
