#pragma once
// The program's window: a source folder, a destination folder and the "Execute" button that
// runs one extraction.

#include "Qel.Lintrel.Run.h"

#include <QWidget>
#include <memory>

class TConfigData;
class TFolderEdit;
class TFrmWait;
namespace Ui {
class TfrmMain;
}

class TfrmMain : public QWidget, public ILintrelRunView {
  Q_OBJECT

public:
  explicit TfrmMain(QWidget* aOwner = nullptr);
  ~TfrmMain() override;

  TFolderEdit* jdeSrc() const;
  TFolderEdit* jdeDst() const;
  // One extraction run with the folders of the two fields (the button's click).
  void btnExecuteClick();
  // The summary of the last run.
  const TLintrelSummary& LastSummary() const { return FLastSummary; }

  // What the run asks and shows.
  QString AskDate(const QString& aCaption, const QString& aPrompt,
                  const QString& aDefault) override;
  void ShowMessage(const QString& aText) override;
  void BeginProgress(const QString& aMessage) override;
  void SetProgressMax(int aMax) override;
  void StepProgress(const QString& aMessage) override;
  void EndProgress() override;
  void ShowLog() override;
  void FinishLog(int aSeconds) override;

protected:
  void closeEvent(QCloseEvent* aEvent) override;

private:
  void FillFolders();
  // The document folder from the settings table; aFallback when it cannot be read.
  QString DocumentFolder(const QString& aFallback) const;

  std::unique_ptr<Ui::TfrmMain> FUi;
  TConfigData* FConfig = nullptr; // belongs to the paths-and-files service
  std::unique_ptr<TFrmWait> FWait;
  TLintrelSummary FLastSummary;
  bool FRunning = false;
  bool FCloseRequested = false;
};
