#pragma once
// The user's format settings for dates, times and numbers, in the patterns of the
// original runtime. They are read once from the locale; tests pin them to fixed values.

#include <QChar>
#include <QString>

class QLocale;
#include <array>

struct TFormatSettings {
  QString ShortDateFormat; // "/" stands for DateSeparator
  QString LongDateFormat;
  QString ShortTimeFormat; // ":" stands for TimeSeparator
  QString LongTimeFormat;
  QChar DateSeparator;
  QChar TimeSeparator;
  QChar DecimalSeparator;
  QChar ThousandSeparator;
  QString CurrencyString;
  QString TimeAMString;
  QString TimePMString;
  // Index 0 is Sunday, as in the original runtime (its DayOfWeek 1).
  std::array<QString, 7> ShortDayNames;
  std::array<QString, 7> LongDayNames;
  // Index 0 is January.
  std::array<QString, 12> ShortMonthNames;
  std::array<QString, 12> LongMonthNames;
  int TwoDigitYearCenturyWindow = 50;

  // Settings read from the user's locale (LC_TIME, LC_NUMERIC, LC_MONETARY via QLocale).
  static TFormatSettings FromLocale();
  static TFormatSettings FromLocale(const QLocale& aLocale);
  // Fixed English settings with ISO-like dates: yyyy-mm-dd, hh:nn:ss, "." decimals.
  static TFormatSettings Invariant();
  // Fixed German settings: dd.mm.yyyy, hh:nn:ss, "," decimals, "€".
  static TFormatSettings German();
};

// The process-wide settings: read from the locale on first use unless pinned before.
const TFormatSettings& FormatSettings();
// Pins the process-wide settings (tests). Not meant to be called while other threads format.
void SetFormatSettings(const TFormatSettings& aSettings);
