#pragma once
// The log viewer: a tool window that lists log lines as HTML, coloured by log type. At most
// one viewer per process is live: it is registered with the logger, receives every line the
// logger writes from then on, and can keep only the lines of one process or thread. The same
// window also shows a given list of lines, or the current log file, for a while.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>

class QTimer;

namespace Ui {
class TfrmLoggingViewer;
}

class TfrmLoggingViewer : public QWidget {
  Q_OBJECT

public:
  // Translucency while the window does not have the focus.
  static constexpr uint8_t cInactiveAlpha = 200;

  // Without an owner the viewer is a window of its own (a temporary view).
  explicit TfrmLoggingViewer(QWidget* aOwner = nullptr);
  ~TfrmLoggingViewer() override;

  // Opens the live viewer (or brings it to the front) and keeps the lines of process
  // aProcessID and thread aThreadID only; 0 means no filter.
  static void Execute();
  static void Execute(bool aModal);
  static void Execute(uint32_t aProcessID, uint32_t aThreadID);
  static void Execute(uint32_t aProcessID, uint32_t aThreadID, bool aModal);
  // Keeps the windows running for aSecondsDelay seconds, then closes the live viewer; returns
  // early when the viewer is closed meanwhile. Raises ERangeError for a delay below 0 or above
  // 32 bits of milliseconds.
  static void Finish(int aSecondsDelay);
  // Empties the live viewer's list.
  static void Clear();
  // Shows the current log file in a temporary viewer until it is closed. Raises the file error
  // when the file cannot be read.
  static void ShowCurrentLogFile();
  // Shows aStrings in a temporary viewer captioned aCaption until it is closed.
  static void ShowLogging(const QString& aCaption, const QStringList& aStrings);

  // The live viewer, or nothing.
  static TfrmLoggingViewer* Instance() { return FInstance; }
  // Module shutdown: frees the live viewer.
  static void Finalize();

  bool GetIsLive() const { return FInstance == this; }
  uint32_t ProcessID() const { return FProcessID; }
  uint32_t ThreadID() const { return FThreadID; }
  // The timer step: caption, filter, header label; the timer runs on only for the live viewer.
  void tUpdateTimer();

protected:
  // After showing, the live viewer registers its list with the logger; another one does not.
  void showEvent(QShowEvent* aEvent) override;
  // The live viewer is freed on close; a temporary one is only hidden.
  void closeEvent(QCloseEvent* aEvent) override;
  bool event(QEvent* aEvent) override;
  void resizeEvent(QResizeEvent* aEvent) override;

private:
  class TLines;

  void btnClearClick();
  void hlbLoggingClick();
  void FormActivate();
  void FormDeactivate();
  // Appends one batch of the logger's lines (UI thread).
  void AddLines(const QStringList& aHtmlLines);
  void SetFilter(uint32_t aProcessID, uint32_t aThreadID);
  void Register();
  void UnRegister();
  bool KeepsLine(const QString& aLine) const;
  void SetLines(const QStringList& aLines);

  std::unique_ptr<Ui::TfrmLoggingViewer> FUi;
  std::unique_ptr<TLines> FLines;
  QTimer* tUpdate = nullptr;
  uint32_t FProcessID = 0;
  uint32_t FThreadID = 0;
  bool FRegistered = false;

  static inline TfrmLoggingViewer* FInstance = nullptr;
};
