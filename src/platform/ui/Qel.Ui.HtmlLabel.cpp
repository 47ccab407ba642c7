#include "Qel.Ui.HtmlLabel.h"

THTMLabel::THTMLabel(QWidget* aParent) : QLabel(aParent) {
  setTextFormat(Qt::RichText);
  setAutoFillBackground(false); // transparent: the parent shows through
  setTextInteractionFlags(Qt::TextSelectableByMouse);
}
