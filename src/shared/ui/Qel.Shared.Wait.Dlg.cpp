#include "Qel.Shared.Wait.Dlg.h"

#include "Qel.Ui.ActivityIndicator.h"
#include "Qel.Ui.Forms.h"
#include "ui_Qel.Shared.Wait.Dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

void SetPixelFont(QWidget* aWidget, int aPixels) {
  QFont lFont = aWidget->font();
  lFont.setFamilies({QStringLiteral("Segoe UI"), lFont.family()});
  lFont.setPixelSize(aPixels);
  aWidget->setFont(lFont);
}

// The lines of aMessage, each trimmed, blank ones dropped, joined by CR LF.
QString CleanMessage(const QString& aMessage) {
  static const QRegularExpression cLineBreak(QStringLiteral("\r\n|\r|\n"));
  QStringList lLines = aMessage.split(cLineBreak);
  for (qsizetype i = lLines.size() - 1; i >= 0; --i) {
    lLines[i] = lLines[i].trimmed();
    if (lLines[i].isEmpty())
      lLines.removeAt(i);
  }
  return lLines.join(QStringLiteral("\r\n"));
}

} // namespace

// --- TFrmWait ----------------------------------------------------------------------------

TFrmWait::TFrmWait(QWidget* aOwner) : QDialog(aOwner), FUi(std::make_unique<Ui::TFrmWait>()) {
  FUi->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  setFixedSize(475, 75);
  SetPixelFont(this, 12);
  SetPixelFont(FUi->lblMain, 16);
  FUi->aiMain->raise();
  FUi->aiMain->SetAnimate(true);
  FMsg = FUi->lblMain->text();
  FUi->pbMain->setRange(0, 1);
  FUi->pbMain->setValue(0);
  TFrmWaitList::Instance()->Add(this);
}

TFrmWait::~TFrmWait() {
  if (TFrmWaitList* lList = TFrmWaitList::Existing())
    lList->Remove(this);
}

void TFrmWait::Build(const QString& aMessage, int aMax, std::unique_ptr<TFrmWait>& aFrm) {
  auto lFrm = std::make_unique<TFrmWait>();
  lFrm->SetMsg(aMessage);
  lFrm->SetMax(aMax);
  CenterOverOwner(lFrm.get(), nullptr);
  lFrm->show();
  lFrm->DoUpdate(aMessage);
  aFrm = std::move(lFrm);
}

void TFrmWait::SetMsg(const QString& aMsg) {
  FMsg = aMsg;
  QString lShown = aMsg;
  lShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  FUi->lblMain->setText(lShown);
}

int TFrmWait::Max() const {
  return FUi->pbMain->maximum();
}

void TFrmWait::SetMax(int aValue) {
  FUi->pbMain->setMaximum(std::max(aValue, 1));
  FUi->pbMain->setVisible(true);
}

int TFrmWait::Position() const {
  return FUi->pbMain->value();
}

void TFrmWait::SetPosition(int aPos) {
  // The bar keeps its old value for one outside its range; limit it instead.
  FUi->pbMain->setValue(std::clamp(aPos, FUi->pbMain->minimum(), FUi->pbMain->maximum()));
}

void TFrmWait::SetDelay(int aValue) {
  FDelay = std::clamp(aValue, 0, cMaxDelay);
}

void TFrmWait::Process() {
  Process(FMsg);
}

void TFrmWait::Process(const QString& aMessage) {
  SetPosition(Position() + 1);
  DoUpdate(aMessage);
}

void TFrmWait::Process(const QString& aMessage, int aPos, int aMax) {
  SetMax(aMax);
  SetPosition(aPos);
  DoUpdate(aMessage);
}

void TFrmWait::closeEvent(QCloseEvent* aEvent) {
  aEvent->ignore();
}

void TFrmWait::DoUpdate(const QString& aMessage) {
  const QString lText = CleanMessage(aMessage);
  if (!lText.isEmpty())
    SetMsg(lText);
  // Every update takes the pause; the windows are repainted during it rather than after it,
  // and what arrived meanwhile is handled at its end.
  const auto lEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(FDelay);
  if (FDelay > 0)
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  std::this_thread::sleep_until(lEnd);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// --- TFrmWaitList ------------------------------------------------------------------------

namespace {
std::unique_ptr<TFrmWaitList>& WaitListHolder() {
  static std::unique_ptr<TFrmWaitList> lList;
  return lList;
}
} // namespace

TFrmWaitList* TFrmWaitList::Instance() {
  std::unique_ptr<TFrmWaitList>& lHolder = WaitListHolder();
  if (!lHolder)
    lHolder.reset(new TFrmWaitList());
  return lHolder.get();
}

TFrmWaitList* TFrmWaitList::Existing() {
  return WaitListHolder().get();
}

void TFrmWaitList::Finalize() {
  WaitListHolder().reset();
}

bool TFrmWaitList::Contains(const TFrmWait* aFrm) const {
  return std::find(FItems.begin(), FItems.end(), aFrm) != FItems.end();
}

void TFrmWaitList::Add(TFrmWait* aFrm) {
  if (aFrm && !Contains(aFrm))
    FItems.push_back(aFrm);
}

void TFrmWaitList::Remove(const TFrmWait* aFrm) {
  std::erase(FItems, aFrm);
}
