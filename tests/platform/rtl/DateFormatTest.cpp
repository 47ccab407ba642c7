// FormatDateTime and the parsing of dates and times in the runtime's patterns.
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.FormatSettings.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

// Monday, 5 January 2026, 14:07:09.045
TDateTime Sample() {
  return EncodeDateTime(2026, 1, 5, 14, 7, 9, 45);
}

struct TPatternCase {
  const char* Pattern;
  const char* Expected;
};

void ExpectPatterns(const std::vector<TPatternCase>& aCases, TDateTime aValue,
                    const TFormatSettings& aSettings = TFormatSettings::Invariant()) {
  for (const TPatternCase& c : aCases)
    EXPECT_EQ(FormatDateTime(QString::fromUtf8(c.Pattern), aValue, aSettings).toStdString(),
              c.Expected)
        << "pattern " << c.Pattern;
}

TEST(FormatDateTime, PatternLetters) {
  ExpectPatterns(
      {
          {"yyyy", "2026"},
          {"yyy", "2026"},
          {"yy", "26"},
          {"y", "26"},
          {"m", "1"},
          {"mm", "01"},
          {"mmm", "Jan"},
          {"mmmm", "January"},
          {"d", "5"},
          {"dd", "05"},
          {"ddd", "Mon"},
          {"dddd", "Monday"},
          {"ddddd", "2026-01-05"},
          {"dddddd", "Monday, 5 January 2026"},
          {"h", "14"},
          {"hh", "14"},
          {"n", "7"},
          {"nn", "07"},
          {"s", "9"},
          {"ss", "09"},
          {"z", "45"},
          {"zzz", "045"},
          {"t", "14:07"},
          {"tt", "14:07:09"},
          {"c", "2026-01-05 14:07:09"},
          {"hh:nn:ss.zzz", "14:07:09.045"},
          {"aaa aaaa", "Mon Monday"},
      },
      Sample());
}

TEST(FormatDateTime, LettersIgnoreCase) {
  ExpectPatterns({{"YYYY-MM-DD", "2026-01-05"},
                  {"HH:NN:SS", "14:07:09"},
                  {"DDDD C", "Monday 2026-01-05 14:07:09"}},
                 Sample());
}

TEST(FormatDateTime, MAfterAnHourIsTheMinute) {
  ExpectPatterns(
      {
          {"hh:mm", "14:07"},
          {"h:m", "14:7"},
          {"dd.mm.yyyy", "05.01.2026"},
          {"dd.mm.yyyy hh:mm", "05.01.2026 14:07"},
          // Only the previous pattern letter counts, not what lies between.
          {"hh 'h' mm", "14 h 07"},
          {"mm hh mm", "01 14 07"},
          {"hh dd mm", "14 05 01"},
      },
      Sample());
}

TEST(FormatDateTime, CombinationsAndLiterals) {
  ExpectPatterns(
      {
          {"ddd c", "Mon 2026-01-05 14:07:09"},
          {"dddd, t", "Monday, 14:07"},
          {"'Today is' dddd", "Today is Monday"},
          {"\"mm\" mm", "mm 01"},
          {"'it''s'", "its"},
          {"\"unclosed", "unclosed"},
          {"dd/mm/yyyy", "05-01-2026"},
          {"hh:nn", "14:07"},
          {"[x] yyyy", "[x] 2026"},
          // An empty pattern writes what "c" writes.
          {"", "2026-01-05 14:07:09"},
      },
      Sample());
}

TEST(FormatDateTime, CLeavesOutAMidnightTime) {
  EXPECT_EQ(FormatDateTime(QStringLiteral("c"), EncodeDate(2026, 1, 5)).toStdString(),
            "2026-01-05");
  // Milliseconds alone do not count as a time, as in the original runtime.
  EXPECT_EQ(
      FormatDateTime(QStringLiteral("c"), EncodeDateTime(2026, 1, 5, 0, 0, 0, 500)).toStdString(),
      "2026-01-05");
  EXPECT_EQ(
      FormatDateTime(QStringLiteral("c"), EncodeDateTime(2026, 1, 5, 0, 0, 1, 0)).toStdString(),
      "2026-01-05 00:00:01");
}

TEST(FormatDateTime, SeparatorsAndNamesComeFromTheSettings) {
  ExpectPatterns(
      {
          {"dd/mm/yyyy", "05.01.2026"},
          {"c", "05.01.2026 14:07:09"},
          {"ddddd", "05.01.2026"},
          {"dddddd", "Montag, 5. Januar 2026"},
          {"dddd", "Montag"},
          {"mmmm", "Januar"},
      },
      Sample(), TFormatSettings::German());

  TFormatSettings lOwn = TFormatSettings::Invariant();
  lOwn.DateSeparator = u'.';
  lOwn.TimeSeparator = u'h';
  lOwn.ShortDateFormat = QStringLiteral("d/m/yy");
  ExpectPatterns({{"c", "5.1.26 14h07h09"}, {"hh:nn", "14h07"}}, Sample(), lOwn);
}

TEST(FormatDateTime, TwelveHourClock) {
  const struct {
    int Hour, Min;
    const char* Pattern;
    const char* Expected;
  } cCases[] = {
      {0, 5, "h:nn am/pm", "12:05 am"},
      {11, 59, "h:nn am/pm", "11:59 am"},
      {12, 30, "h:nn AM/PM", "12:30 PM"},
      {14, 7, "hh:nn a/p", "02:07 p"},
      {9, 15, "h:nn A/P", "9:15 A"},
      {23, 59, "hh:mm Am/Pm", "11:59 Pm"},
      {14, 7, "h:nn ampm", "2:07 PM"},
      {2, 7, "h:nn ampm", "2:07 AM"},
      // A marker before the hour switches it to the 12-hour clock as well.
      {14, 7, "ampm h", "PM 2"},
      // Quoted, "am/pm" is text and the hour stays on the 24-hour clock.
      {14, 7, "h 'am/pm'", "14 am/pm"},
      // Another hour ends the search for a marker.
      {14, 7, "h h am/pm", "14 2 pm"},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(FormatDateTime(QString::fromUtf8(c.Pattern), EncodeTime(c.Hour, c.Min, 0, 0),
                             TFormatSettings::Invariant())
                  .toStdString(),
              c.Expected)
        << c.Pattern << " at " << c.Hour;
}

TEST(FormatDateTime, SelfReferringSettingsDoNotLoop) {
  TFormatSettings lOwn = TFormatSettings::Invariant();
  lOwn.ShortDateFormat = QStringLiteral("c");
  lOwn.LongTimeFormat = QStringLiteral("tt");
  // The settings' patterns expand one level deep only.
  EXPECT_NO_THROW(FormatDateTime(QStringLiteral("c ddddd tt"), Sample(), lOwn));
}

TEST(FormatDateTime, ShortcutsUseTheProcessWideSettings) {
  EXPECT_EQ(DateToStr(Sample()).toStdString(), "2026-01-05");
  EXPECT_EQ(TimeToStr(Sample()).toStdString(), "14:07:09");
  EXPECT_EQ(DateTimeToStr(Sample()).toStdString(), "2026-01-05 14:07:09");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 1, 5)).toStdString(), "2026-01-05");
}

// ----------------------------------------------------------------------------------------
// Parsing

class ParseDate : public ::testing::Test {
protected:
  // The current year decides missing years and the century of two-digit years.
  void SetUp() override { SetNowOverride(EncodeDateTime(2026, 3, 15, 10, 0, 0, 0)); }
  void TearDown() override { SetNowOverride(std::nullopt); }
};

struct TDateCase {
  const char* Text;
  int Year, Month, Day;
};

void ExpectDates(const std::vector<TDateCase>& aCases, const TFormatSettings& aSettings) {
  for (const TDateCase& c : aCases) {
    TDateTime lValue;
    ASSERT_TRUE(TryStrToDate(QString::fromUtf8(c.Text), lValue, aSettings)) << c.Text;
    EXPECT_EQ(lValue, EncodeDate(c.Year, c.Month, c.Day)) << c.Text;
  }
}

TEST_F(ParseDate, OrderAndSeparatorOfTheShortDateFormat) {
  ExpectDates(
      {
          {"05.01.2026", 2026, 1, 5},
          {"5.1.2026", 2026, 1, 5},
          {" 5 . 1 . 2026 ", 2026, 1, 5},
          {"29.02.2024", 2024, 2, 29},
          {"31.12.9999", 9999, 12, 31},
          {"24.12.2026.", 2026, 12, 24},
          // Day and month alone are in the current year, with or without the closing dot.
          {"5.1.", 2026, 1, 5},
          {"24.12", 2026, 12, 24},
      },
      TFormatSettings::German());
  ExpectDates({{"2026-01-05", 2026, 1, 5}, {"1-5", 2026, 1, 5}}, TFormatSettings::Invariant());

  TFormatSettings lUs = TFormatSettings::Invariant();
  lUs.ShortDateFormat = QStringLiteral("m/d/yyyy");
  lUs.DateSeparator = u'/';
  ExpectDates({{"1/5/2026", 2026, 1, 5}, {"12/24", 2026, 12, 24}}, lUs);
}

TEST_F(ParseDate, TwoDigitYearsFallIntoTheCenturyWindow) {
  // Window 50 in 2026: 1976 .. 2075.
  ExpectDates(
      {
          {"5.1.26", 2026, 1, 5},
          {"5.1.00", 2000, 1, 5},
          {"5.1.76", 1976, 1, 5},
          {"5.1.75", 2075, 1, 5},
          {"5.1.99", 1999, 1, 5},
          {"5.1.7", 2007, 1, 5},
          // Four digits are taken as they are.
          {"5.1.0075", 75, 1, 5},
      },
      TFormatSettings::German());
  TFormatSettings lNoWindow = TFormatSettings::German();
  lNoWindow.TwoDigitYearCenturyWindow = 0;
  // Window 0: always the current century.
  ExpectDates({{"5.1.99", 2099, 1, 5}, {"5.1.10", 2010, 1, 5}}, lNoWindow);
}

TEST_F(ParseDate, InvalidTextsFail) {
  const char* cTexts[] = {"31.02.2026", "29.02.2025", "32.1.2026",  "5.13.2026", "0.1.2026",
                          "",           "   ",        "abc",        "5",         "5..2026",
                          "5.1.2026x",  "5/1/2026",   "5.1.2026.1", "-5.1.2026", "5.1.2026 12:00",
                          "5.1..",      "5.1.2026.."};
  TDateTime lValue = EncodeDate(2000, 1, 1);
  for (const char* lText : cTexts)
    EXPECT_FALSE(TryStrToDate(QString::fromUtf8(lText), lValue, TFormatSettings::German()))
        << lText;
  EXPECT_EQ(lValue, EncodeDate(2000, 1, 1)) << "a failed parse leaves the value alone";
}

TEST_F(ParseDate, FormattedDatesReadBack) {
  TFormatSettings lUs = TFormatSettings::Invariant();
  lUs.ShortDateFormat = QStringLiteral("m/d/yyyy");
  lUs.DateSeparator = u'/';
  const TFormatSettings cSettings[] = {TFormatSettings::Invariant(), TFormatSettings::German(),
                                       lUs};
  const TDateTime cDates[] = {EncodeDate(2026, 1, 5), EncodeDate(2024, 2, 29), EncodeDate(1, 1, 1),
                              EncodeDate(9999, 12, 31), EncodeDate(1899, 12, 30)};
  for (const TFormatSettings& lSettings : cSettings)
    for (const TDateTime lDate : cDates) {
      const QString lText = FormatDateTime(lSettings.ShortDateFormat, lDate, lSettings);
      TDateTime lValue;
      ASSERT_TRUE(TryStrToDate(lText, lValue, lSettings)) << lText.toStdString();
      EXPECT_EQ(lValue, lDate) << lText.toStdString();
    }
}

TEST(ParseTime, HoursMinutesSecondsAndMilliseconds) {
  const struct {
    const char* Text;
    int Hour, Min, Sec, MSec;
  } cCases[] = {
      {"14:07", 14, 7, 0, 0},
      {"14:07:09", 14, 7, 9, 0},
      {"14:07:09.045", 14, 7, 9, 45},
      // Decimals of a second, not a count of milliseconds.
      {"14:07:09.5", 14, 7, 9, 500},
      {"9", 9, 0, 0, 0},
      {" 9:05 ", 9, 5, 0, 0},
      {"0:00", 0, 0, 0, 0},
      {"23:59:59.999", 23, 59, 59, 999},
      {"2:07 PM", 14, 7, 0, 0},
      {"2:07pm", 14, 7, 0, 0},
      {"12:00 AM", 0, 0, 0, 0},
      {"12:30 pm", 12, 30, 0, 0},
      {"11:59:59 PM", 23, 59, 59, 0},
      {"PM 2:07", 14, 7, 0, 0},
  };
  for (const auto& c : cCases) {
    TDateTime lValue;
    ASSERT_TRUE(TryStrToTime(QString::fromUtf8(c.Text), lValue, TFormatSettings::Invariant()))
        << c.Text;
    EXPECT_EQ(lValue, EncodeTime(c.Hour, c.Min, c.Sec, c.MSec)) << c.Text;
  }
}

TEST(ParseTime, SettingsSeparatorsAndMarkers) {
  TDateTime lValue;
  ASSERT_TRUE(TryStrToTime(QStringLiteral("14:07:09,250"), lValue, TFormatSettings::German()));
  EXPECT_EQ(lValue, EncodeTime(14, 7, 9, 250));

  TFormatSettings lOwn = TFormatSettings::Invariant();
  lOwn.TimeSeparator = u'.';
  lOwn.TimeAMString = QStringLiteral("vorm.");
  lOwn.TimePMString = QStringLiteral("nachm.");
  ASSERT_TRUE(TryStrToTime(QStringLiteral("2.07 nachm."), lValue, lOwn));
  EXPECT_EQ(lValue, EncodeTime(14, 7, 0, 0));
  // "AM" and "PM" are understood whatever the settings call them.
  ASSERT_TRUE(TryStrToTime(QStringLiteral("2.07 PM"), lValue, lOwn));
  EXPECT_EQ(lValue, EncodeTime(14, 7, 0, 0));
  EXPECT_FALSE(TryStrToTime(QStringLiteral("2:07"), lValue, lOwn));
}

TEST(ParseTime, InvalidTextsFail) {
  const char* cTexts[] = {"25:00", "24:00",    "12:60", "12:00:60", "13:00 PM", "0:30 AM",
                          "",      "abc",      "12:",   "12:30x",   "12.30",    "12:30:15.",
                          "PM",    "12:30 XM", "-1:00", "12::30"};
  TDateTime lValue = EncodeTime(1, 2, 3, 4);
  for (const char* lText : cTexts)
    EXPECT_FALSE(TryStrToTime(QString::fromUtf8(lText), lValue, TFormatSettings::Invariant()))
        << lText;
  EXPECT_EQ(lValue, EncodeTime(1, 2, 3, 4));
}

TEST_F(ParseDate, DateWithOptionalTime) {
  const struct {
    const char* Text;
    std::optional<TDateTime> Expected;
  } cCases[] = {
      {"05.01.2026 14:07:09", EncodeDateTime(2026, 1, 5, 14, 7, 9, 0)},
      {"05.01.2026   2:07 PM", EncodeDateTime(2026, 1, 5, 14, 7, 0, 0)},
      {"05.01.2026", EncodeDate(2026, 1, 5)},
      {"05.01.2026 25:00", std::nullopt},
      {"05.01.2026 14:07 x", std::nullopt},
      {"31.02.2026 14:07", std::nullopt},
      {"05.01.202614:07", std::nullopt},
      {"05.01.2026.14:07", std::nullopt},
      {"14:07", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cCases) {
    TDateTime lValue;
    const bool lOk = TryStrToDateTime(QString::fromUtf8(c.Text), lValue, TFormatSettings::German());
    EXPECT_EQ(lOk, c.Expected.has_value()) << c.Text;
    if (lOk && c.Expected) {
      EXPECT_EQ(lValue, *c.Expected) << c.Text;
    }
  }
}

TEST(DateTimeDays, BeforeDayZeroTheFractionIsTheTimeOfDay) {
  // The runtime's numbers: whole days, and the time of day as the size of the fraction.
  const struct {
    TDateTime Value;
    double Days;
  } cCases[] = {
      {EncodeDateTime(1899, 12, 28, 12, 0, 0, 0), -2.5},
      {EncodeDateTime(1899, 12, 29, 18, 0, 0, 0), -1.75},
      {EncodeDateTime(1899, 12, 29, 0, 0, 0, 0), -1.0},
      {EncodeDateTime(1899, 12, 30, 6, 0, 0, 0), 0.25},
      {EncodeDateTime(2026, 1, 5, 12, 0, 0, 0), 46027.5},
  };
  for (const auto& c : cCases) {
    EXPECT_DOUBLE_EQ(c.Value.AsDays(), c.Days);
    TDateTime lBack;
    ASSERT_TRUE(TDateTime::TryFromDays(c.Days, lBack)) << c.Days;
    EXPECT_EQ(lBack, c.Value) << c.Days;
  }
  TDateTime lBack;
  EXPECT_TRUE(TDateTime::TryFromDays(-0.25, lBack)); // the same time as 0.25
  EXPECT_EQ(lBack, EncodeDateTime(1899, 12, 30, 6, 0, 0, 0));
  EXPECT_FALSE(TDateTime::TryFromDays(2e11, lBack));
  EXPECT_FALSE(TDateTime::TryFromDays(std::numeric_limits<double>::quiet_NaN(), lBack));
}

TEST(LocaleSettings, DatesAndTimesOfAUsersLocaleReadBack) {
  // With a twelve-hour clock, and with two-digit years in the locale's own short format.
  for (const char* lName : {"en_US", "de_DE", "en_GB", "fr_FR", "ja_JP", "ko_KR", "fi_FI"}) {
    SCOPED_TRACE(lName);
    const TFormatSettings lSettings =
        TFormatSettings::FromLocale(QLocale(QString::fromLatin1(lName)));
    EXPECT_TRUE(lSettings.ShortDateFormat.contains(QStringLiteral("yyyy")))
        << lSettings.ShortDateFormat.toStdString();
    for (const TDateTime lValue :
         {EncodeDateTime(2025, 3, 10, 21, 15, 0, 0), EncodeDateTime(1899, 12, 30, 0, 0, 0, 0),
          EncodeDateTime(2080, 7, 1, 9, 5, 7, 0)}) {
      const QString lText = FormatDateTime(QStringLiteral("c"), lValue, lSettings);
      TDateTime lRead;
      EXPECT_TRUE(TryStrToDateTime(lText, lRead, lSettings)) << lText.toStdString();
      EXPECT_EQ(lRead, lValue) << lText.toStdString();
    }
  }
}

TEST_F(ParseDate, DateTimeTextsReadBack) {
  const TDateTime cValues[] = {EncodeDateTime(2026, 1, 5, 14, 7, 9, 0), EncodeDate(2026, 1, 5),
                               EncodeDateTime(1999, 12, 31, 23, 59, 59, 0)};
  for (const TDateTime lValue : cValues) {
    TDateTime lRead;
    ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(lValue), lRead))
        << DateTimeToStr(lValue).toStdString();
    EXPECT_EQ(lRead, lValue);
    const QString lGerman = FormatDateTime(QStringLiteral("c"), lValue, TFormatSettings::German());
    ASSERT_TRUE(TryStrToDateTime(lGerman, lRead, TFormatSettings::German()))
        << lGerman.toStdString();
    EXPECT_EQ(lRead, lValue);
  }
}

} // namespace
