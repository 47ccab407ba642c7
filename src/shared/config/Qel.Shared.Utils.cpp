#include "Qel.Shared.Utils.h"

#include "Qel.Os.Memory.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"

TWeekDay TWeekdayUtils::GetWeekday(TDateTime aDate) {
  return static_cast<TWeekDay>(DayOfTheWeek(aDate));
}

bool TWeekdayUtils::GoToWeekday(TDateTime& aDate, TWeekDay aWeekday, int aDir) {
  if (aWeekday < wdMonday || aWeekday > wdSunday)
    return false;
  while (GetWeekday(aDate) != aWeekday)
    aDate = IncDay(aDate, aDir > 0 ? 1 : -1);
  return true;
}

QString TWeekdayUtils::GetWeekdayCaption(TWeekDay aWeekday, const QString& aFormat) {
  TDateTime lDate = Date();
  if (!GoToWeekday(lDate, aWeekday, 1))
    return QString();
  return FormatDateTime(aFormat, lDate);
}

QString TWeekdayUtils::GetWeekdayCaption(TDateTime aDate, const QString& aFormat) {
  return GetWeekdayCaption(GetWeekday(aDate), aFormat);
}

QString TWeekdayUtils::GetWeekdayCaptionLong(TWeekDay aWeekday) {
  return GetWeekdayCaption(aWeekday, QStringLiteral("dddd"));
}
QString TWeekdayUtils::GetWeekdayCaptionLong(TDateTime aDate) {
  return GetWeekdayCaptionLong(GetWeekday(aDate));
}
QString TWeekdayUtils::GetWeekdayCaptionShort(TWeekDay aWeekday) {
  return GetWeekdayCaption(aWeekday, QStringLiteral("ddd"));
}
QString TWeekdayUtils::GetWeekdayCaptionShort(TDateTime aDate) {
  return GetWeekdayCaptionShort(GetWeekday(aDate));
}

TColor TWeekdayUtils::GetWeekdayColor(bool aMarkToday, TDateTime aDate) {
  if (aMarkToday && SameDate(aDate, Date()))
    return cTodayColor;
  return cWeekDayData[GetWeekday(aDate)].Color;
}

QString TWeekdayUtils::WeeskdaysToString(TWeekDays aWeekdays) {
  QString lResult;
  for (int i = wdNone; i <= wdSunday; ++i)
    lResult += aWeekdays.Contains(static_cast<TWeekDay>(i)) ? u'1' : u'0';
  return lResult;
}

TWeekDays TWeekdayUtils::StringToWeekdays(const QString& aStr) {
  TWeekDays lResult;
  // A flag string is a valid (32-bit) integer as a whole; a leading sign would shift the
  // flags, so it is refused.
  int lIgnored = 0;
  if (aStr.size() < 8 || !TryStrToInt(aStr, lIgnored) || !aStr.front().isDigit())
    return lResult;
  for (int i = wdNone; i <= wdSunday; ++i)
    if (aStr[i] == u'1')
      lResult.Include(static_cast<TWeekDay>(i));
  return lResult;
}

TColor BoolToColor(bool aBool) {
  return aBool ? RGB(0, 128, 0) : RGB(255, 0, 0);
}

uint64_t ProcessMemoryPrivateUsage() {
  return ProcessPrivateBytes();
}
