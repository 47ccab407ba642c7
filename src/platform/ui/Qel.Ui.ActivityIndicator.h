#pragma once
// A spinning ring of dots that shows that work is going on, without a measure of progress.

#include <QTimer>
#include <QWidget>

class TActivityIndicator : public QWidget {
  Q_OBJECT

public:
  explicit TActivityIndicator(QWidget* aParent = nullptr);

  bool Animate() const { return FTimer.isActive(); }
  void SetAnimate(bool aAnimate);
  // The dot drawn brightest; advances by one every frame.
  int Frame() const { return FFrame; }

  QSize sizeHint() const override { return QSize(32, 32); }

protected:
  void paintEvent(QPaintEvent* aEvent) override;

private:
  static constexpr int cDots = 8;
  QTimer FTimer;
  int FFrame = 0;
};
