#include "Qel.Shared.Logging.Viewer.h"

#include "Qel.Rtl.Color.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Ui.Colors.h"
#include "Qel.Ui.Forms.h"
#include "Qel.Ui.HtmlLabel.h"
#include "Qel.Ui.HtmlListBox.h"
#include "ui_Qel.Shared.Logging.Viewer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>
#include <chrono>
#include <limits>
#include <thread>

namespace {

constexpr TColor cListFontColor = 4474440;
constexpr TColor cSelectionColor = 15917525;
constexpr TColor cSelectionFontColor = 3881787;
constexpr int cTimerIntervalMs = 1000;
constexpr int cFinishStepMs = 5;

void SetFont(QWidget* aWidget, int aPixels) {
  QFont lFont = aWidget->font();
  lFont.setFamilies({QStringLiteral("Segoe UI"), lFont.family()});
  lFont.setPixelSize(aPixels);
  aWidget->setFont(lFont);
}

// The lines of a log file as list items: each file line shown as it is written (the file
// carries no mark-up, and its banners contain "<" and ">").
QStringList FileLinesAsHtml(const QByteArray& aContent) {
  static const QRegularExpression cLineBreak(QStringLiteral("\r\n|\r|\n"));
  QStringList lLines = QString::fromUtf8(aContent).split(cLineBreak);
  if (!lLines.isEmpty() && lLines.last().isEmpty())
    lLines.removeLast();
  for (QString& lLine : lLines)
    lLine = lLine.toHtmlEscaped();
  return lLines;
}

void ForceLoggerWrite() {
  if (TLogging* lLogger = TLogging::Instance())
    lLogger->ForceWrite();
}

} // namespace

// The viewer's line list as the logger sees it. The logger calls it on its writer thread while
// holding its lock, so it only posts the batch to the window's thread and never waits. The
// window unregisters it (under the logger lock) before it goes away, and Qt drops batches
// still posted to a window that is gone.
class TfrmLoggingViewer::TLines : public ILoggingLines {
public:
  explicit TLines(TfrmLoggingViewer* aViewer) : FViewer(aViewer) {}
  void AddLoggingLines(const QStringList& aHtmlLines) override {
    TfrmLoggingViewer* lViewer = FViewer;
    QMetaObject::invokeMethod(
        lViewer, [lViewer, aHtmlLines] { lViewer->AddLines(aHtmlLines); }, Qt::QueuedConnection);
  }

private:
  TfrmLoggingViewer* const FViewer;
};

TfrmLoggingViewer::TfrmLoggingViewer(QWidget* aOwner)
    : QWidget(aOwner, Qt::Window | Qt::Tool), FUi(std::make_unique<Ui::TfrmLoggingViewer>()),
      FLines(std::make_unique<TLines>(this)), tUpdate(new QTimer(this)) {
  FUi->setupUi(this);
  setObjectName(QStringLiteral("frmLoggingViewer"));
  tUpdate->setObjectName(QStringLiteral("tUpdate"));
  tUpdate->setInterval(cTimerIntervalMs);
  SetFont(this, 12);
  SetFont(FUi->lblMain, 16);
  // The lines are small, so that a long line fits the window.
  SetFont(FUi->hlbLogging, 9);
  FUi->hlbLogging->SetBackgroundColor(clWhite);
  FUi->hlbLogging->SetFontColor(cListFontColor);
  FUi->hlbLogging->SetSelectionColors(cSelectionColor, cSelectionColor, cSelectionFontColor);
  FUi->btnClear->raise();
  // The header's text stops short of the Clear button above it.
  FUi->lblMain->setContentsMargins(4, 0, FUi->btnClear->width() + 16, 0);
  SetAlphaBlend(this, true, cInactiveAlpha);

  connect(FUi->btnClear, &QPushButton::clicked, this, &TfrmLoggingViewer::btnClearClick);
  connect(FUi->hlbLogging, &QListWidget::itemSelectionChanged, this,
          &TfrmLoggingViewer::hlbLoggingClick);
  connect(tUpdate, &QTimer::timeout, this, &TfrmLoggingViewer::tUpdateTimer);

  // The form carries a sample line for the designer.
  FUi->hlbLogging->ClearLines();
  tUpdateTimer();
}

TfrmLoggingViewer::~TfrmLoggingViewer() {
  UnRegister();
  if (FInstance == this)
    FInstance = nullptr;
}

// --- class-level operations ---------------------------------------------------------------

void TfrmLoggingViewer::Execute() {
  Execute(0, 0, false);
}

void TfrmLoggingViewer::Execute(bool aModal) {
  Execute(0, 0, aModal);
}

void TfrmLoggingViewer::Execute(uint32_t aProcessID, uint32_t aThreadID) {
  Execute(aProcessID, aThreadID, false);
}

void TfrmLoggingViewer::Execute(uint32_t aProcessID, uint32_t aThreadID, bool aModal) {
  if (!FInstance) {
    FInstance = new TfrmLoggingViewer(ApplicationMainForm());
    FInstance->hide();
  }
  TfrmLoggingViewer* lViewer = FInstance;
  if (lViewer->isVisible()) {
    lViewer->raise();
    lViewer->activateWindow();
  } else if (aModal) {
    // The filter applies to the modal display itself; closing the live viewer frees it, so
    // nothing is left to set afterwards.
    lViewer->SetFilter(aProcessID, aThreadID);
    ShowModal(lViewer);
    return;
  } else {
    lViewer->show();
  }
  lViewer->SetFilter(aProcessID, aThreadID);
}

void TfrmLoggingViewer::Finish(int aSecondsDelay) {
  const int64_t lDelayMs = static_cast<int64_t>(aSecondsDelay) * 1000;
  if (lDelayMs < 0 || lDelayMs > std::numeric_limits<int32_t>::max())
    throw ERangeError(QStringLiteral("Range check error"));
  if (!FInstance)
    return;
  const uint64_t lStart = GetTickCount64();
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(cFinishStepMs));
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  } while (FInstance && GetTickCount64() - lStart <= static_cast<uint64_t>(lDelayMs));
  delete FInstance; // clears FInstance and unregisters the list
}

void TfrmLoggingViewer::Clear() {
  if (FInstance)
    FInstance->FUi->hlbLogging->ClearLines();
}

void TfrmLoggingViewer::ShowCurrentLogFile() {
  ForceLoggerWrite();
  const TPathsAndFiles* lPathsAndFiles = TPathsAndFiles::Instance();
  const TFileData* lLog = lPathsAndFiles ? lPathsAndFiles->FileLst()->ApplicationLog() : nullptr;
  const QString lFileName = lLog ? lLog->FileName() : QString();
  auto lViewer = std::make_unique<TfrmLoggingViewer>();
  lViewer->setWindowTitle(lFileName);
  QFile lFile(lFileName);
  if (!lFile.open(QIODevice::ReadOnly))
    throw Exception(
        QStringLiteral("Cannot open file \"%1\". %2").arg(lFileName, lFile.errorString()));
  lViewer->SetLines(FileLinesAsHtml(lFile.readAll()));
  lFile.close();
  ShowModal(lViewer.get());
}

void TfrmLoggingViewer::ShowLogging(const QString& aCaption, const QStringList& aStrings) {
  ForceLoggerWrite();
  auto lViewer = std::make_unique<TfrmLoggingViewer>();
  lViewer->setWindowTitle(aCaption);
  lViewer->SetLines(aStrings);
  ShowModal(lViewer.get());
}

void TfrmLoggingViewer::Finalize() {
  delete FInstance;
  FInstance = nullptr;
}

// --- the window --------------------------------------------------------------------------

void TfrmLoggingViewer::tUpdateTimer() {
  tUpdate->stop();
  if (GetIsLive()) {
    QString lCaption;
    if (const TLogging* lLogger = TLogging::Instance(); lLogger && lLogger->File())
      lCaption = lLogger->File()->GetCaption();
    if (FProcessID != 0)
      lCaption += QStringLiteral(" [PID:%1]").arg(FProcessID);
    if (FThreadID != 0)
      lCaption += QStringLiteral(" [TID:%1]").arg(FThreadID);
    setWindowTitle(lCaption);
  }
  THTMListBox* lList = FUi->hlbLogging;
  if (FProcessID != 0 || FThreadID != 0) {
    lList->BeginUpdate();
    for (int i = lList->Count() - 1; i >= 0; --i)
      if (!KeepsLine(lList->Line(i)))
        lList->DeleteLine(i);
    lList->EndUpdate();
  }
  FUi->lblMain->SetHTMLText(lList->Count() > 0 ? lList->Line(lList->Count() - 1) : QString());
  if (GetIsLive())
    tUpdate->start();
}

bool TfrmLoggingViewer::KeepsLine(const QString& aLine) const {
  // Plain containment: the filter PID:12 also keeps the lines of process 123.
  if (FProcessID != 0 && !aLine.contains(QStringLiteral("PID:%1").arg(FProcessID)))
    return false;
  if (FThreadID != 0 && !aLine.contains(QStringLiteral("TID:%1").arg(FThreadID)))
    return false;
  return true;
}

void TfrmLoggingViewer::SetFilter(uint32_t aProcessID, uint32_t aThreadID) {
  FProcessID = aProcessID;
  FThreadID = aThreadID;
  tUpdateTimer();
}

void TfrmLoggingViewer::SetLines(const QStringList& aLines) {
  FUi->hlbLogging->SetLines(aLines);
  tUpdateTimer();
}

void TfrmLoggingViewer::AddLines(const QStringList& aHtmlLines) {
  FUi->hlbLogging->AddLines(aHtmlLines);
}

void TfrmLoggingViewer::Register() {
  TLogging* lLogger = TLogging::Instance();
  if (!lLogger)
    return;
  // Once only, however often the window is shown: every line is listed once.
  lLogger->UnRegisterStrings(FLines.get());
  lLogger->RegisterStrings(FLines.get());
  FRegistered = true;
}

void TfrmLoggingViewer::UnRegister() {
  if (!FRegistered)
    return;
  FRegistered = false;
  if (TLogging* lLogger = TLogging::Instance())
    lLogger->UnRegisterStrings(FLines.get());
}

void TfrmLoggingViewer::showEvent(QShowEvent* aEvent) {
  QWidget::showEvent(aEvent);
  if (GetIsLive())
    Register();
  else
    UnRegister();
}

void TfrmLoggingViewer::closeEvent(QCloseEvent* aEvent) {
  if (GetIsLive()) {
    // Freed on close: from now on it is no longer the live viewer and receives nothing more.
    UnRegister();
    FInstance = nullptr;
    tUpdate->stop();
    deleteLater();
  }
  aEvent->accept();
}

bool TfrmLoggingViewer::event(QEvent* aEvent) {
  if (aEvent->type() == QEvent::WindowActivate)
    FormActivate();
  else if (aEvent->type() == QEvent::WindowDeactivate)
    FormDeactivate();
  return QWidget::event(aEvent);
}

void TfrmLoggingViewer::resizeEvent(QResizeEvent* aEvent) {
  QWidget::resizeEvent(aEvent);
  // Anchored to the top and right edges.
  QPushButton* lButton = FUi->btnClear;
  lButton->move(width() - lButton->width() - 8, 8);
}

void TfrmLoggingViewer::btnClearClick() {
  FUi->hlbLogging->ClearLines();
}

void TfrmLoggingViewer::hlbLoggingClick() {
  const QString lLine = FUi->hlbLogging->SelectedLine();
  if (!lLine.isEmpty())
    FUi->lblMain->SetHTMLText(lLine);
}

void TfrmLoggingViewer::FormActivate() {
  SetAlphaBlend(this, false, cInactiveAlpha);
}

void TfrmLoggingViewer::FormDeactivate() {
  SetAlphaBlend(this, true, cInactiveAlpha);
}
