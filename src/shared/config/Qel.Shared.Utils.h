#pragma once
// Weekdays with their captions and colours, the status colour and the process memory figure.

#include "Qel.Rtl.Color.h"
#include "Qel.Rtl.DateTime.h"

#include <QString>
#include <cstdint>

enum TWeekDay : uint8_t {
  wdNone,
  wdMonday,
  wdTuesday,
  wdWednesday,
  wdThursday,
  wdFriday,
  wdSaturday,
  wdSunday
};

// A set of weekdays, one bit per TWeekDay ordinal (one byte).
class TWeekDays {
public:
  constexpr TWeekDays() = default;
  constexpr TWeekDays(std::initializer_list<TWeekDay> aDays) {
    for (TWeekDay d : aDays)
      FBits |= Bit(d);
  }
  constexpr bool Contains(TWeekDay aDay) const { return FBits & Bit(aDay); }
  constexpr void Include(TWeekDay aDay) { FBits |= Bit(aDay); }
  constexpr void Exclude(TWeekDay aDay) { FBits &= static_cast<uint8_t>(~Bit(aDay)); }
  constexpr bool IsEmpty() const { return FBits == 0; }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool operator==(const TWeekDays&) const = default;

private:
  static constexpr uint8_t Bit(TWeekDay aDay) { return static_cast<uint8_t>(1u << aDay); }
  uint8_t FBits = 0;
};

struct TWeekdayData {
  const char* Caption;
  TColor Color;
};

inline constexpr TWeekdayData cWeekDayData[8] = {
    {"None", clNone},
    {"Monday", clNone},
    {"Tuesday", clNone},
    {"Wednesday", clNone},
    {"Thursday", clNone},
    {"Friday", clNone},
    {"Saturday", RGB(215, 215, 215)},
    {"Sunday", RGB(255, 216, 176)},
};

inline constexpr TColor cTodayColor = RGB(255, 255, 183);

class TWeekdayUtils {
public:
  // The ISO weekday of the date (Monday 1 .. Sunday 7).
  static TWeekDay GetWeekday(TDateTime aDate);
  // Moves aDate day by day (forward for aDir > 0, else backward) until it falls on aWeekday;
  // the time of day stays. False (and aDate unchanged) for wdNone.
  static bool GoToWeekday(TDateTime& aDate, TWeekDay aWeekday, int aDir);
  // The next such weekday from today, formatted with aFormat; empty for wdNone.
  static QString GetWeekdayCaption(TWeekDay aWeekday, const QString& aFormat);
  static QString GetWeekdayCaption(TDateTime aDate, const QString& aFormat);
  static QString GetWeekdayCaptionLong(TWeekDay aWeekday);
  static QString GetWeekdayCaptionLong(TDateTime aDate);
  static QString GetWeekdayCaptionShort(TWeekDay aWeekday);
  static QString GetWeekdayCaptionShort(TDateTime aDate);
  static TColor GetWeekdayColor(bool aMarkToday, TDateTime aDate);
  // Eight flags "0"/"1", one per TWeekDay from wdNone to wdSunday.
  static QString WeeskdaysToString(TWeekDays aWeekdays);
  // The flag form back; any text that is not at least eight digits gives the empty set.
  static TWeekDays StringToWeekdays(const QString& aStr);
};

// Green for true, red for false.
TColor BoolToColor(bool aBool);
// The private bytes of the running process.
uint64_t ProcessMemoryPrivateUsage();
