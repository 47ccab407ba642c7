#include "Qel.Rtl.FormatSettings.h"

#include <QLocale>
#include <mutex>

namespace {

// Translates a Qt date/time pattern into the original runtime's pattern; the first
// separator met becomes aSeparator and is written as aPlaceholder.
QString FromQtPattern(const QString& aQt, QChar aPlaceholder, QChar& aSeparator) {
  QString lResult;
  for (qsizetype i = 0; i < aQt.size();) {
    const QChar c = aQt[i];
    qsizetype n = 1;
    while (i + n < aQt.size() && aQt[i + n] == c)
      ++n;
    const QString lRun(n, c);
    if (c == u'\'') {
      const qsizetype lEnd = aQt.indexOf(u'\'', i + 1);
      const qsizetype lStop = lEnd < 0 ? aQt.size() : lEnd + 1;
      lResult += u'"' + aQt.mid(i + 1, lStop - i - 2) + u'"';
      i = lStop;
      continue;
    }
    if (c == u'd')
      lResult += n >= 4 ? QStringLiteral("dddd") : n == 3 ? QStringLiteral("ddd") : lRun;
    else if (c == u'M')
      lResult += QString(qMin<qsizetype>(n, 4), u'm');
    else if (c == u'y')
      // Always the whole year, as the Windows short date formats have it: dates written with
      // two digits would read back a century off (and the "never" date 1899 as 1999).
      lResult += QStringLiteral("yyyy");
    else if (c == u'H' || c == u'h')
      lResult += QString(qMin<qsizetype>(n, 2), u'h');
    else if (c == u'm')
      lResult += QString(qMin<qsizetype>(n, 2), u'n');
    else if (c == u's')
      lResult += QString(qMin<qsizetype>(n, 2), u's');
    else if (c == u'z')
      lResult += QStringLiteral("zzz");
    else if (c == u'A' || c == u'a') {
      // "AP" and "ap" are one marker in Qt's patterns, as are "A" and "a".
      lResult += QStringLiteral("ampm");
      if (i + n < aQt.size() && (aQt[i + n] == u'P' || aQt[i + n] == u'p'))
        ++n;
    } else if (c == u't')
      ; // time zone: the runtime's patterns have none
    else if (!c.isLetter() && !c.isSpace() && c != u',') {
      if (aSeparator.isNull())
        aSeparator = c;
      lResult += c == aSeparator ? QString(n, aPlaceholder) : lRun;
    } else
      lResult += lRun;
    i += n;
  }
  return lResult.trimmed();
}

// The locale's short time pattern with seconds after its minutes, as Windows keeps its long
// time format. The long patterns of the locale data carry words ("21時15分00秒", "9시 15분")
// and a time zone, which do not read back.
QString WithSeconds(const QString& aShortTime) {
  const qsizetype lMinutes = aShortTime.lastIndexOf(u'm');
  if (lMinutes < 0)
    return aShortTime;
  qsizetype lFirst = lMinutes;
  while (lFirst > 0 && aShortTime[lFirst - 1] == u'm')
    --lFirst;
  const QChar lBefore = lFirst > 0 ? aShortTime[lFirst - 1] : QChar(u':');
  const QChar lSeparator = lBefore.isLetter() || lBefore.isSpace() ? QChar(u':') : lBefore;
  return aShortTime.left(lMinutes + 1) + lSeparator + QStringLiteral("ss") +
         aShortTime.mid(lMinutes + 1);
}

std::once_flag gLoaded;
TFormatSettings gSettings;

void FillNames(TFormatSettings& s, const QLocale& aLocale) {
  for (int i = 0; i < 7; ++i) {
    const int lQtDay = i == 0 ? 7 : i; // Qt: 1 = Monday .. 7 = Sunday
    s.ShortDayNames[i] = aLocale.dayName(lQtDay, QLocale::ShortFormat);
    s.LongDayNames[i] = aLocale.dayName(lQtDay, QLocale::LongFormat);
  }
  for (int i = 0; i < 12; ++i) {
    s.ShortMonthNames[i] = aLocale.monthName(i + 1, QLocale::ShortFormat);
    s.LongMonthNames[i] = aLocale.monthName(i + 1, QLocale::LongFormat);
  }
}

} // namespace

TFormatSettings TFormatSettings::Invariant() {
  TFormatSettings s;
  s.ShortDateFormat = QStringLiteral("yyyy/mm/dd");
  s.LongDateFormat = QStringLiteral("dddd, d mmmm yyyy");
  s.ShortTimeFormat = QStringLiteral("hh:nn");
  s.LongTimeFormat = QStringLiteral("hh:nn:ss");
  s.DateSeparator = u'-';
  s.TimeSeparator = u':';
  s.DecimalSeparator = u'.';
  s.ThousandSeparator = u',';
  s.CurrencyString = QStringLiteral("$");
  s.TimeAMString = QStringLiteral("AM");
  s.TimePMString = QStringLiteral("PM");
  FillNames(s, QLocale::c());
  return s;
}

TFormatSettings TFormatSettings::German() {
  TFormatSettings s;
  s.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
  s.LongDateFormat = QStringLiteral("dddd, d. mmmm yyyy");
  s.ShortTimeFormat = QStringLiteral("hh:nn");
  s.LongTimeFormat = QStringLiteral("hh:nn:ss");
  s.DateSeparator = u'.';
  s.TimeSeparator = u':';
  s.DecimalSeparator = u',';
  s.ThousandSeparator = u'.';
  s.CurrencyString = QStringLiteral("€");
  s.TimeAMString = QString();
  s.TimePMString = QString();
  FillNames(s, QLocale(QLocale::German, QLocale::Germany));
  return s;
}

TFormatSettings TFormatSettings::FromLocale() {
  return FromLocale(QLocale::system());
}

TFormatSettings TFormatSettings::FromLocale(const QLocale& aLocale) {
  const QLocale& lLocale = aLocale;
  if (lLocale.language() == QLocale::C)
    return Invariant();
  TFormatSettings s;
  s.ShortDateFormat =
      FromQtPattern(lLocale.dateFormat(QLocale::ShortFormat), u'/', s.DateSeparator);
  QChar lIgnored;
  s.LongDateFormat = FromQtPattern(lLocale.dateFormat(QLocale::LongFormat), u'/', lIgnored);
  s.LongDateFormat.replace(u'/', s.DateSeparator.isNull() ? u'/' : s.DateSeparator);
  s.ShortTimeFormat =
      FromQtPattern(lLocale.timeFormat(QLocale::ShortFormat), u':', s.TimeSeparator);
  QChar lTimeSep;
  s.LongTimeFormat =
      FromQtPattern(WithSeconds(lLocale.timeFormat(QLocale::ShortFormat)), u':', lTimeSep);
  if (s.DateSeparator.isNull())
    s.DateSeparator = u'/';
  if (s.TimeSeparator.isNull())
    s.TimeSeparator = u':';
  s.DecimalSeparator = lLocale.decimalPoint().at(0);
  const QString lGroup = lLocale.groupSeparator();
  s.ThousandSeparator = lGroup.isEmpty() ? QChar() : lGroup.at(0);
  s.CurrencyString = lLocale.currencySymbol(QLocale::CurrencySymbol);
  s.TimeAMString = lLocale.amText();
  s.TimePMString = lLocale.pmText();
  FillNames(s, lLocale);
  return s;
}

const TFormatSettings& FormatSettings() {
  std::call_once(gLoaded, [] { gSettings = TFormatSettings::FromLocale(); });
  return gSettings;
}

void SetFormatSettings(const TFormatSettings& aSettings) {
  std::call_once(gLoaded, [] {});
  gSettings = aSettings;
}
