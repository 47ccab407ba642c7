// Time-of-day and date ranges at fixed moments.
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.Date.h"
#include "QelLogCapture.h"

#include <gtest/gtest.h>

namespace {

TTimeRange Range(int aFromHour, int aFromMin, int aToHour, int aToMin) {
  TTimeRange lRange;
  lRange.Init(true, EncodeTime(aFromHour, aFromMin, 0, 0), EncodeTime(aToHour, aToMin, 0, 0));
  return lRange;
}

class TimeRange : public ::testing::Test {
protected:
  void TearDown() override { SetNowOverride(std::nullopt); }
  bool ActiveAt(const TTimeRange& aRange, int aHour, int aMin, int aSec = 0, int aMSec = 0) {
    SetNowOverride(EncodeDateTime(2026, 3, 29, aHour, aMin, aSec, aMSec));
    return aRange.GetActive();
  }
  TLogCapture FLog;
};

TEST_F(TimeRange, ActiveWithinTheRangeEndsIncluded) {
  const struct {
    TTimeRange Range;
    int Hour, Min, Sec, MSec;
    bool Active;
  } cCases[] = {
      {Range(22, 0, 6, 0), 23, 30, 0, 0, true}, {Range(22, 0, 6, 0), 5, 0, 0, 0, true},
      {Range(22, 0, 6, 0), 12, 0, 0, 0, false}, {Range(22, 0, 6, 0), 22, 0, 0, 0, true},
      {Range(22, 0, 6, 0), 6, 0, 0, 0, true},   {Range(22, 0, 6, 0), 6, 0, 0, 1, false},
      {Range(22, 0, 6, 0), 0, 0, 0, 0, true},   {Range(8, 0, 17, 0), 17, 0, 0, 0, true},
      {Range(8, 0, 17, 0), 8, 0, 0, 0, true},   {Range(8, 0, 17, 0), 7, 59, 59, 999, false},
      {Range(8, 0, 17, 0), 17, 0, 0, 1, false}, {Range(8, 0, 17, 0), 23, 59, 59, 999, false},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Range.GetCaption().toStdString() + " at " + std::to_string(c.Hour) + ":" +
                 std::to_string(c.Min));
    EXPECT_EQ(ActiveAt(c.Range, c.Hour, c.Min, c.Sec, c.MSec), c.Active);
  }
}

TEST_F(TimeRange, EqualEndsAreTheWholeDay) {
  for (int lHour : {0, 7, 12, 23}) {
    FLog.Clear();
    EXPECT_TRUE(ActiveAt(Range(7, 0, 7, 0), lHour, 30));
    EXPECT_TRUE(FLog.Contains(ltInformation,
                              QStringLiteral("Timer-Range is ident --> Time-Range is active!")));
  }
}

TEST_F(TimeRange, LogsTheWindowItTested) {
  ActiveAt(Range(22, 0, 6, 0), 23, 30);
  EXPECT_TRUE(FLog.Contains(
      ltSuccess,
      QStringLiteral(
          "'22:00:00-06:00:00' is in Time-Range: '2026-03-29 22:00:00-2026-03-30 06:00:00'")));
  FLog.Clear();
  ActiveAt(Range(22, 0, 6, 0), 12, 0);
  EXPECT_TRUE(FLog.Contains(
      ltError,
      QStringLiteral(
          "'22:00:00-06:00:00' is in Time-Range: '2026-03-28 22:00:00-2026-03-29 06:00:00'")));
}

TEST_F(TimeRange, RangeSetFromDateTimesUsesOnlyTheTimeOfDay) {
  TTimeRange lRange;
  lRange.Init(true, EncodeDateTime(2001, 1, 1, 8, 0, 0, 0),
              EncodeDateTime(1999, 5, 5, 17, 0, 0, 0));
  EXPECT_TRUE(ActiveAt(lRange, 12, 0));
  EXPECT_FALSE(ActiveAt(lRange, 18, 0));
}

TEST_F(TimeRange, Caption) {
  EXPECT_EQ(Range(18, 0, 6, 0).GetCaption(), QStringLiteral("06:00:00-18:00:00"));
  EXPECT_EQ(Range(8, 0, 17, 30).GetCaption(), QStringLiteral("08:00:00-17:30:00"));
  EXPECT_EQ(Range(7, 0, 7, 0).GetCaption(), QStringLiteral("07:00:00"));
}

TEST_F(TimeRange, InitFromTexts) {
  TTimeRange lRange;
  lRange.Init(QStringLiteral("22:00"), QStringLiteral("06:15:30"));
  EXPECT_TRUE(lRange.FHasData);
  EXPECT_EQ(lRange.FFrom, EncodeTime(22, 0, 0, 0));
  EXPECT_EQ(lRange.FTo, EncodeTime(6, 15, 30, 0));
  for (const char* lBad : {"", "25:00", "noon", "12:61"}) {
    lRange.Init(QStringLiteral("08:00"), QString::fromUtf8(lBad));
    EXPECT_FALSE(lRange.FHasData) << lBad;
    EXPECT_EQ(lRange.FFrom, TTime());
    EXPECT_EQ(lRange.FTo, TTime());
  }
}

TEST(DateRange, InitFromTexts) {
  TDateRange lRange;
  lRange.Init(QStringLiteral("2026-01-05"), QStringLiteral("2026-12-31"));
  EXPECT_TRUE(lRange.FHasData);
  EXPECT_EQ(lRange.FFrom, EncodeDate(2026, 1, 5));
  EXPECT_EQ(lRange.FTo, EncodeDate(2026, 12, 31));
  lRange.Init(QStringLiteral("2026-02-30"), QStringLiteral("2026-12-31"));
  EXPECT_FALSE(lRange.FHasData);
  EXPECT_EQ(lRange.FFrom, TDate());
  SetFormatSettings(TFormatSettings::German());
  lRange.Init(QStringLiteral("05.01.2026"), QStringLiteral("31.12.2026"));
  SetFormatSettings(TFormatSettings::Invariant());
  EXPECT_TRUE(lRange.FHasData);
  EXPECT_EQ(lRange.FFrom, EncodeDate(2026, 1, 5));
}

} // namespace
