#pragma once
// The wait dialog: a small borderless window on top of the others while a long operation runs
// on the UI thread. It shows a message, a spinning activity indicator and a progress bar.
// Every progress call pauses briefly and processes pending window messages, so that the
// windows repaint and the live log viewer keeps filling.

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

namespace Ui {
class TFrmWait;
}

class TFrmWait : public QDialog {
  Q_OBJECT

public:
  static constexpr int cDefaultDelay = 5;
  static constexpr int cMaxDelay = 5000;

  // Without an owner the dialog is centred over the application's main window.
  explicit TFrmWait(QWidget* aOwner = nullptr);
  ~TFrmWait() override;

  // Creates a dialog without owner, shows it with aMessage and a bar of aMax steps (at least
  // one), and hands it to aFrm; the caller frees it when the work is done.
  static void Build(const QString& aMessage, int aMax, std::unique_ptr<TFrmWait>& aFrm);

  // The message as last set (lines joined by CR LF).
  QString Msg() const { return FMsg; }
  void SetMsg(const QString& aMsg);
  int Max() const;
  // The bar's maximum becomes max(aValue, 1); the bar is shown.
  void SetMax(int aValue);
  int Position() const;
  int Delay() const { return FDelay; }
  // The pause of every update, limited to 0 .. 5000 ms.
  void SetDelay(int aValue);

  // One step of the bar (never past its maximum) with the message unchanged.
  void Process();
  // One step of the bar, then the message (unless it is blank), the pause and the messages.
  void Process(const QString& aMessage);
  // The bar's maximum and position (limited to the bar's range), then as above.
  void Process(const QString& aMessage, int aPos, int aMax);

protected:
  // The dialog stays visible until it is freed: Escape and the window manager's close do
  // nothing (the work it shows goes on either way).
  void reject() override {}
  void closeEvent(QCloseEvent* aEvent) override;

private:
  void DoUpdate(const QString& aMessage);
  void SetPosition(int aPos);

  std::unique_ptr<Ui::TFrmWait> FUi;
  int FDelay = cDefaultDelay;
  QString FMsg;
};

// Every wait dialog that exists, each listed once, in creation order (the list owns none).
class TFrmWaitList {
public:
  // The registry, created on first use.
  static TFrmWaitList* Instance();
  // Module shutdown: frees the registry.
  static void Finalize();

  int Count() const { return static_cast<int>(FItems.size()); }
  bool Contains(const TFrmWait* aFrm) const;
  const std::vector<TFrmWait*>& Items() const { return FItems; }

private:
  friend class TFrmWait;
  // The registry when it exists, without creating it.
  static TFrmWaitList* Existing();
  void Add(TFrmWait* aFrm);
  void Remove(const TFrmWait* aFrm);

  std::vector<TFrmWait*> FItems;
};
