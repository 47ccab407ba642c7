#include "Qel.Rtl.DateTime.h"

#include "Qel.Rtl.Exceptions.h"

#include <atomic>
#include <ctime>
#include <mutex>

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& aYear, int& aMonth, int& aDay) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  aYear = static_cast<int>(y + (m <= 2));
  aMonth = static_cast<int>(m);
  aDay = static_cast<int>(d);
}

constexpr int64_t cUnixDay = DaysFromCivil(1970, 1, 1) - DaysFromCivil(1899, 12, 30);

std::mutex gNowLock;
std::optional<TDateTime> gNowOverride;
std::atomic<bool> gHasNowOverride{false};

// The local time offset changes at most at whole seconds; one conversion per second and
// thread keeps Now() cheap enough for every log record.
TDateTime SystemNow() {
  struct Cache {
    time_t Second = -1;
    int64_t LocalSecond = 0;
  };
  thread_local Cache lCache;
  timespec lTs{};
  clock_gettime(CLOCK_REALTIME, &lTs);
  if (lTs.tv_sec != lCache.Second) {
    tm lTm{};
    localtime_r(&lTs.tv_sec, &lTm);
    lCache.Second = lTs.tv_sec;
    lCache.LocalSecond = lTs.tv_sec + lTm.tm_gmtoff;
  }
  const int64_t lMSecs = (lCache.LocalSecond + cUnixDay * 86400) * 1000 + lTs.tv_nsec / 1000000;
  return TDateTime::FromMSecs(lMSecs);
}

} // namespace

bool IsLeapYear(int aYear) {
  return (aYear % 4 == 0) && (aYear % 100 != 0 || aYear % 400 == 0);
}

int DaysInMonth(int aYear, int aMonth) {
  static constexpr int cDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (aMonth < 1 || aMonth > 12)
    return 0;
  return cDays[aMonth - 1] + (aMonth == 2 && IsLeapYear(aYear) ? 1 : 0);
}

bool IsValidDate(int aYear, int aMonth, int aDay) {
  return aYear >= 1 && aYear <= 9999 && aMonth >= 1 && aMonth <= 12 && aDay >= 1 &&
         aDay <= DaysInMonth(aYear, aMonth);
}

bool TryEncodeDate(int aYear, int aMonth, int aDay, TDateTime& aResult) {
  if (!IsValidDate(aYear, aMonth, aDay))
    return false;
  const int64_t lDay = DaysFromCivil(aYear, aMonth, aDay) - DaysFromCivil(1899, 12, 30);
  aResult = TDateTime::FromMSecs(lDay * TDateTime::cMSecsPerDay);
  return true;
}

bool TryEncodeTime(int aHour, int aMin, int aSec, int aMSec, TDateTime& aResult) {
  if (aHour < 0 || aHour > 23 || aMin < 0 || aMin > 59 || aSec < 0 || aSec > 59 || aMSec < 0 ||
      aMSec > 999)
    return false;
  aResult = TDateTime::FromMSecs(((aHour * 60LL + aMin) * 60 + aSec) * 1000 + aMSec);
  return true;
}

TDateTime EncodeDate(int aYear, int aMonth, int aDay) {
  TDateTime lResult;
  if (!TryEncodeDate(aYear, aMonth, aDay, lResult))
    throw EConvertError(QStringLiteral("Invalid argument to date encode"));
  return lResult;
}

TDateTime EncodeTime(int aHour, int aMin, int aSec, int aMSec) {
  TDateTime lResult;
  if (!TryEncodeTime(aHour, aMin, aSec, aMSec, lResult))
    throw EConvertError(QStringLiteral("Invalid argument to time encode"));
  return lResult;
}

TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour, int aMin, int aSec,
                         int aMSec) {
  return EncodeDate(aYear, aMonth, aDay) + EncodeTime(aHour, aMin, aSec, aMSec);
}

void DecodeDate(TDateTime aValue, int& aYear, int& aMonth, int& aDay) {
  CivilFromDays(aValue.Day() + DaysFromCivil(1899, 12, 30), aYear, aMonth, aDay);
}

void DecodeTime(TDateTime aValue, int& aHour, int& aMin, int& aSec, int& aMSec) {
  int64_t lMs = aValue.MSecOfDay();
  aMSec = static_cast<int>(lMs % 1000);
  lMs /= 1000;
  aSec = static_cast<int>(lMs % 60);
  lMs /= 60;
  aMin = static_cast<int>(lMs % 60);
  aHour = static_cast<int>(lMs / 60);
}

int DayOfTheWeek(TDateTime aValue) {
  // Day 0 (1899-12-30) was a Saturday.
  const int64_t lIso = (aValue.Day() + 5) % 7; // 0 = Monday
  return static_cast<int>((lIso + 7) % 7) + 1;
}

int DayOfWeek(TDateTime aValue) {
  return DayOfTheWeek(aValue) % 7 + 1;
}

TDateTime DateOf(TDateTime aValue) {
  return TDateTime::FromMSecs(aValue.Day() * TDateTime::cMSecsPerDay);
}
TDateTime TimeOf(TDateTime aValue) {
  return TDateTime::FromMSecs(aValue.MSecOfDay());
}
TDateTime IncDay(TDateTime aValue, int64_t aDays) {
  return IncMilliSecond(aValue, aDays * TDateTime::cMSecsPerDay);
}
TDateTime IncHour(TDateTime aValue, int64_t aHours) {
  return IncMilliSecond(aValue, aHours * 3600000);
}
TDateTime IncMinute(TDateTime aValue, int64_t aMinutes) {
  return IncMilliSecond(aValue, aMinutes * 60000);
}
TDateTime IncSecond(TDateTime aValue, int64_t aSeconds) {
  return IncMilliSecond(aValue, aSeconds * 1000);
}
TDateTime IncMilliSecond(TDateTime aValue, int64_t aMSecs) {
  return TDateTime::FromMSecs(aValue.MSecs() + aMSecs);
}
bool SameDate(TDateTime a, TDateTime b) {
  return a.Day() == b.Day();
}

QDateTime ToQDateTime(TDateTime aValue) {
  int y, m, d, h, n, s, z;
  DecodeDate(aValue, y, m, d);
  DecodeTime(aValue, h, n, s, z);
  return QDateTime(QDate(y, m, d), QTime(h, n, s, z), Qt::LocalTime);
}

TDateTime FromQDateTime(const QDateTime& aValue) {
  const QDateTime lLocal = aValue.toLocalTime();
  const QDate lDate = lLocal.date();
  const QTime lTime = lLocal.time();
  return EncodeDate(lDate.year(), lDate.month(), lDate.day()) +
         TDateTime::FromMSecs(lTime.msecsSinceStartOfDay());
}

TDateTime Now() {
  if (gHasNowOverride.load(std::memory_order_acquire)) {
    std::lock_guard lLock(gNowLock);
    if (gNowOverride)
      return *gNowOverride;
  }
  return SystemNow();
}

TDateTime Date() {
  return DateOf(Now());
}
TDateTime Time() {
  return TimeOf(Now());
}

void SetNowOverride(std::optional<TDateTime> aNow) {
  std::lock_guard lLock(gNowLock);
  gNowOverride = aNow;
  gHasNowOverride.store(aNow.has_value(), std::memory_order_release);
}
