#pragma once
// The date-time value of the runtime: local wall-clock time in whole milliseconds,
// counted from 30 December 1899 00:00 (day 0 of the original runtime's date-time).
// Dates are values whose time of day is 0; times of day are values below one day.

#include <QDateTime>
#include <cstdint>
#include <optional>

class TDateTime {
public:
  static constexpr int64_t cMSecsPerDay = 86400000;

  constexpr TDateTime() = default;
  static constexpr TDateTime FromMSecs(int64_t aMSecs) { return TDateTime(aMSecs); }

  constexpr int64_t MSecs() const { return FMSecs; }
  // Whole days since day 0 (rounded down, also before day 0).
  constexpr int64_t Day() const { return FloorDiv(FMSecs, cMSecsPerDay); }
  // Milliseconds since midnight, 0 .. cMSecsPerDay - 1.
  constexpr int64_t MSecOfDay() const { return FMSecs - Day() * cMSecsPerDay; }
  // The value as a number of days with fraction, as the original runtime stores it: the whole
  // days (also before day 0) and the time of day as the size of the fraction, so that
  // 28.12.1899 12:00 is -2.5.
  double AsDays() const {
    const double lTime = static_cast<double>(MSecOfDay()) / cMSecsPerDay;
    return static_cast<double>(Day()) + (Day() < 0 ? -lTime : lTime);
  }
  // The reverse of AsDays; false for a number that is no date (not finite, or beyond about
  // 270,000 years either way).
  static bool TryFromDays(double aDays, TDateTime& aValue) {
    if (!(aDays > -1e8 && aDays < 1e8))
      return false;
    const double lDay = static_cast<double>(static_cast<int64_t>(aDays));
    const double lTime = aDays - lDay;
    const auto lMSecOfDay = static_cast<int64_t>((lTime < 0 ? -lTime : lTime) * cMSecsPerDay + 0.5);
    aValue = TDateTime(static_cast<int64_t>(lDay) * cMSecsPerDay + lMSecOfDay);
    return true;
  }

  constexpr auto operator<=>(const TDateTime&) const = default;
  // Adding a date and a time of day (or any two values) adds their offsets.
  friend constexpr TDateTime operator+(TDateTime a, TDateTime b) {
    return TDateTime(a.FMSecs + b.FMSecs);
  }
  friend constexpr TDateTime operator-(TDateTime a, TDateTime b) {
    return TDateTime(a.FMSecs - b.FMSecs);
  }

private:
  constexpr explicit TDateTime(int64_t aMSecs) : FMSecs(aMSecs) {}
  static constexpr int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
  }
  int64_t FMSecs = 0;
};

using TDate = TDateTime;
using TTime = TDateTime;

bool IsValidDate(int aYear, int aMonth, int aDay);
bool TryEncodeDate(int aYear, int aMonth, int aDay, TDateTime& aResult);
bool TryEncodeTime(int aHour, int aMin, int aSec, int aMSec, TDateTime& aResult);
// Raise EConvertError for an invalid date or time.
TDateTime EncodeDate(int aYear, int aMonth, int aDay);
TDateTime EncodeTime(int aHour, int aMin, int aSec, int aMSec);
TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour, int aMin, int aSec, int aMSec);

void DecodeDate(TDateTime aValue, int& aYear, int& aMonth, int& aDay);
void DecodeTime(TDateTime aValue, int& aHour, int& aMin, int& aSec, int& aMSec);
int DaysInMonth(int aYear, int aMonth);
bool IsLeapYear(int aYear);

// 1 = Sunday .. 7 = Saturday, as the original runtime's DayOfWeek.
int DayOfWeek(TDateTime aValue);
// ISO 8601: 1 = Monday .. 7 = Sunday.
int DayOfTheWeek(TDateTime aValue);

TDateTime DateOf(TDateTime aValue);
TDateTime TimeOf(TDateTime aValue);
TDateTime IncDay(TDateTime aValue, int64_t aDays = 1);
TDateTime IncHour(TDateTime aValue, int64_t aHours = 1);
TDateTime IncMinute(TDateTime aValue, int64_t aMinutes = 1);
TDateTime IncSecond(TDateTime aValue, int64_t aSeconds = 1);
TDateTime IncMilliSecond(TDateTime aValue, int64_t aMSecs = 1);
bool SameDate(TDateTime a, TDateTime b);

QDateTime ToQDateTime(TDateTime aValue); // local time
TDateTime FromQDateTime(const QDateTime& aValue);

// The clock seam: the current local date and time. Tests pin it with SetNowOverride.
TDateTime Now();
TDateTime Date();
TDateTime Time();
void SetNowOverride(std::optional<TDateTime> aNow);
