#include "Qel.Ui.ActivityIndicator.h"

#include <QPainter>
#include <QtMath>

TActivityIndicator::TActivityIndicator(QWidget* aParent) : QWidget(aParent) {
  FTimer.setInterval(80);
  connect(&FTimer, &QTimer::timeout, this, [this] {
    FFrame = (FFrame + 1) % cDots;
    update();
  });
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TActivityIndicator::SetAnimate(bool aAnimate) {
  if (aAnimate)
    FTimer.start();
  else
    FTimer.stop();
  update();
}

void TActivityIndicator::paintEvent(QPaintEvent*) {
  QPainter lPainter(this);
  lPainter.setRenderHint(QPainter::Antialiasing);
  lPainter.setPen(Qt::NoPen);
  const qreal lSide = qMin(width(), height());
  const qreal lDot = lSide / 7.0;
  const qreal lRadius = lSide / 2.0 - lDot;
  const QPointF lCentre = rect().center() + QPointF(0.5, 0.5);
  const QColor lBase = palette().color(QPalette::WindowText);
  for (int i = 0; i < cDots; ++i) {
    // The dots behind the brightest one fade out; a stopped indicator shows all of them dim.
    const int lAge = (FFrame - i + cDots) % cDots;
    QColor lColor = lBase;
    lColor.setAlphaF(Animate() ? 1.0 - lAge / static_cast<qreal>(cDots) : 0.25);
    lPainter.setBrush(lColor);
    const qreal lAngle = 2 * M_PI * i / cDots - M_PI / 2;
    const QPointF lAt = lCentre + QPointF(lRadius * qCos(lAngle), lRadius * qSin(lAngle));
    lPainter.drawEllipse(lAt, lDot, lDot);
  }
}
