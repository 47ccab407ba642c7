#pragma once
// Colour values of the form library (0x00BBGGRR) as Qt colours.

#include "Qel.Rtl.Color.h"

#include <QColor>

constexpr TColor clWhite = RGB(255, 255, 255);

// The colour of aColor; an invalid colour for clNone.
QColor ToQColor(TColor aColor);
