#include "Qel.Lintrel.Main.h"

#include "Qel.Core.AppSettings.h"
#include "Qel.Shared.Config.Data.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.Logging.Viewer.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.Paths.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Shared.Wait.Dlg.h"
#include "Qel.Ui.Dialogs.h"
#include "Qel.Ui.FolderEdit.h"
#include "ui_Qel.Lintrel.Main.h"

#include <QCloseEvent>
#include <exception>

TfrmMain::TfrmMain(QWidget* aOwner) : QWidget(aOwner), FUi(std::make_unique<Ui::TfrmMain>()) {
  FUi->setupUi(this);
  connect(FUi->btnExecute, &QPushButton::clicked, this, &TfrmMain::btnExecuteClick);
  TPathsAndFiles* lService = TPathsAndFiles::Instance();
  FConfig = lService->GetConfig();
  if (!FConfig->Database()->Connected()) {
    // The connection is set up in the configuration file until the program has its dialog.
    ShowMessage(QStringLiteral("Die Datenbank \"%1\" ist nicht erreichbar.\nDie Verbindung wird "
                               "in der Datei \"%2\" eingerichtet (Abschnitt [Database]).")
                    .arg(FConfig->Database()->GetCaption(), FConfig->GetFileName()));
  }
  setWindowTitle(lService->GetApplicationCaption());
  FillFolders();
}

TfrmMain::~TfrmMain() = default;

TFolderEdit* TfrmMain::jdeSrc() const {
  return FUi->jdeSrc;
}

TFolderEdit* TfrmMain::jdeDst() const {
  return FUi->jdeDst;
}

void TfrmMain::FillFolders() {
  const QString lTmp = TPathsAndFiles::Instance()->PathLst()->GetPath(ptTmp)->Path();
  FUi->jdeSrc->SetText(DocumentFolder(lTmp));
  FUi->jdeDst->SetText(lTmp);
}

QString TfrmMain::DocumentFolder(const QString& aFallback) const {
  TConfigDatabaseData* lDatabase = FConfig->Database();
  if (!lDatabase->Connected())
    return aFallback;
  try {
    return lDatabase->GetAppSettings()->ReadString(QStringLiteral("KORRESPONDENZ"),
                                                   QStringLiteral("pfad"), QString());
  } catch (const std::exception& e) {
    // A database without its settings table (or one that fails on reading it) still opens
    // the window; the user picks the folder.
    TLogging::Add(nullptr, QStringLiteral("FillFolders"), QStringLiteral("KORRESPONDENZ/pfad"), e,
                  false);
    return aFallback;
  }
}

void TfrmMain::btnExecuteClick() {
  // The run processes window messages while it works: a second press must not start a run
  // inside the running one.
  FUi->btnExecute->setEnabled(false);
  FRunning = true;
  try {
    TLintrelRun lRun(FConfig->Database(), this);
    FLastSummary = lRun.Execute(FUi->jdeSrc->Text(), FUi->jdeDst->Text());
  } catch (const std::exception& e) {
    // What the database raised, after the run has freed everything it had.
    ::ShowMessage(QString::fromUtf8(e.what()));
  }
  FRunning = false;
  FUi->btnExecute->setEnabled(true);
  if (FCloseRequested)
    close();
}

void TfrmMain::closeEvent(QCloseEvent* aEvent) {
  // Closing while a run works would leave the run's windows behind with no main window and
  // the program running on invisibly: the window closes when the run has ended.
  if (FRunning) {
    FCloseRequested = true;
    aEvent->ignore();
    return;
  }
  QWidget::closeEvent(aEvent);
}

QString TfrmMain::AskDate(const QString& aCaption, const QString& aPrompt,
                          const QString& aDefault) {
  return InputBox(aCaption, aPrompt, aDefault);
}

void TfrmMain::ShowMessage(const QString& aText) {
  ::ShowMessage(aText);
}

void TfrmMain::BeginProgress(const QString& aMessage) {
  TFrmWait::Build(aMessage, 0, FWait);
}

void TfrmMain::SetProgressMax(int aMax) {
  if (FWait)
    FWait->SetMax(aMax);
}

void TfrmMain::StepProgress(const QString& aMessage) {
  if (FWait)
    FWait->Process(aMessage);
}

void TfrmMain::EndProgress() {
  FWait.reset();
}

void TfrmMain::ShowLog() {
  TfrmLoggingViewer::Execute();
}

void TfrmMain::FinishLog(int aSeconds) {
  TfrmLoggingViewer::Finish(aSeconds);
}
