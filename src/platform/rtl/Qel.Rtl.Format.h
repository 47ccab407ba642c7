#pragma once
// Formatting of the runtime: printf-style message templates, dates and times in the
// runtime's patterns, and numbers in the runtime's number patterns.

#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Rtl.VarRec.h"

#include <QString>

// Fills a template: %[index:][-][width][.precision]type with the types d, u, x, e, f, g,
// n, m, p, s; "*" takes width or precision from the arguments; "%%" is one percent sign.
// An argument of the wrong kind or a missing argument raises EConvertError.
QString Format(const QString& aTemplate, const TVarRecs& aArgs);
QString Format(const QString& aTemplate, const TVarRecs& aArgs, const TFormatSettings& aSettings);

// Date and time patterns: yyyy yy m mm mmm mmmm d dd ddd dddd ddddd dddddd h hh n nn s ss
// z zzz c t tt am/pm a/p ampm, "/" and ":" as the settings' separators, text in quotes
// literal. An "m" right after an "h" means minutes.
QString FormatDateTime(const QString& aFormat, TDateTime aValue);
QString FormatDateTime(const QString& aFormat, TDateTime aValue, const TFormatSettings& aSettings);
QString DateToStr(TDateTime aValue);     // ShortDateFormat
QString TimeToStr(TDateTime aValue);     // LongTimeFormat
QString DateTimeToStr(TDateTime aValue); // "c"

// Parses a date in the order of ShortDateFormat with DateSeparator (two or three numbers;
// a missing year is the current one, two-digit years use the century window).
bool TryStrToDate(const QString& aText, TDateTime& aValue);
bool TryStrToDate(const QString& aText, TDateTime& aValue, const TFormatSettings& aSettings);
// Parses a time h[:n[:s[.z]]] with TimeSeparator and an optional AM/PM marker.
bool TryStrToTime(const QString& aText, TDateTime& aValue);
bool TryStrToTime(const QString& aText, TDateTime& aValue, const TFormatSettings& aSettings);
// A date, optionally followed by a blank and a time.
bool TryStrToDateTime(const QString& aText, TDateTime& aValue);
bool TryStrToDateTime(const QString& aText, TDateTime& aValue, const TFormatSettings& aSettings);

// Number patterns: "0" digit, "#" optional digit, "." decimal separator, "," thousands,
// "E+"/"E-" exponent, quoted literals, up to three sections "positive;negative;zero".
QString FormatFloat(const QString& aFormat, double aValue);
QString FormatFloat(const QString& aFormat, double aValue, const TFormatSettings& aSettings);
// General format: up to 15 significant digits, no trailing zeros, exponent form when the
// exponent is below -4 or at least 15.
QString FloatToStr(double aValue);
QString FloatToStr(double aValue, const TFormatSettings& aSettings);
