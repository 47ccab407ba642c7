#include "Qel.Ui.Colors.h"

QColor ToQColor(TColor aColor) {
  if (aColor == clNone)
    return QColor();
  return QColor(GetRValue(aColor), GetGValue(aColor), GetBValue(aColor));
}
