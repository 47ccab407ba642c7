// Weekdays, status colours, the memory figure and the administrator test.
#include "Qel.Os.Process.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.Utils.h"
#include "Qel.Shared.Windows.Utils.h"
#include "QelLogCapture.h"

#include <gtest/gtest.h>

namespace {

class Weekdays : public ::testing::Test {
protected:
  void TearDown() override { SetNowOverride(std::nullopt); }
};

TEST_F(Weekdays, GetWeekdayIsIso) {
  // 2026-01-05 is a Monday.
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(TWeekdayUtils::GetWeekday(EncodeDate(2026, 1, 5 + i)),
              static_cast<TWeekDay>(wdMonday + i));
  EXPECT_EQ(TWeekdayUtils::GetWeekday(EncodeDate(1899, 12, 30)), wdSaturday);
  EXPECT_EQ(TWeekdayUtils::GetWeekday(EncodeDate(1899, 12, 24)), wdSunday);
}

TEST_F(Weekdays, GoToWeekdayKeepsTheTimeOfDay) {
  const TDateTime lWednesday = EncodeDateTime(2026, 1, 7, 13, 45, 0, 0);
  TDateTime lDate = lWednesday;
  EXPECT_TRUE(TWeekdayUtils::GoToWeekday(lDate, wdMonday, 1));
  EXPECT_EQ(lDate, EncodeDateTime(2026, 1, 12, 13, 45, 0, 0));
  lDate = lWednesday;
  EXPECT_TRUE(TWeekdayUtils::GoToWeekday(lDate, wdMonday, 0));
  EXPECT_EQ(lDate, EncodeDateTime(2026, 1, 5, 13, 45, 0, 0));
  lDate = lWednesday;
  EXPECT_TRUE(TWeekdayUtils::GoToWeekday(lDate, wdWednesday, 1));
  EXPECT_EQ(lDate, lWednesday);
  EXPECT_FALSE(TWeekdayUtils::GoToWeekday(lDate, wdNone, 1));
  EXPECT_EQ(lDate, lWednesday);
}

TEST_F(Weekdays, CaptionsOfTheNextSuchDay) {
  SetNowOverride(EncodeDateTime(2026, 1, 7, 9, 0, 0, 0)); // a Wednesday
  EXPECT_EQ(TWeekdayUtils::GetWeekdayCaption(wdMonday, QStringLiteral("yyyy-mm-dd")),
            QStringLiteral("2026-01-12"));
  EXPECT_EQ(TWeekdayUtils::GetWeekdayCaption(wdWednesday, QStringLiteral("yyyy-mm-dd")),
            QStringLiteral("2026-01-07"));
  EXPECT_EQ(TWeekdayUtils::GetWeekdayCaption(wdNone, QStringLiteral("yyyy-mm-dd")), QString());
  EXPECT_EQ(TWeekdayUtils::GetWeekdayCaptionLong(wdSunday), QStringLiteral("Sunday"));
  EXPECT_EQ(TWeekdayUtils::GetWeekdayCaptionShort(wdFriday), QStringLiteral("Fri"));
  EXPECT_EQ(TWeekdayUtils::GetWeekdayCaptionLong(EncodeDate(2020, 2, 29)),
            QStringLiteral("Saturday"));
  SetFormatSettings(TFormatSettings::German());
  EXPECT_EQ(TWeekdayUtils::GetWeekdayCaptionLong(wdMonday), QStringLiteral("Montag"));
  SetFormatSettings(TFormatSettings::Invariant());
}

TEST_F(Weekdays, Colours) {
  SetNowOverride(EncodeDateTime(2026, 1, 10, 23, 59, 0, 0)); // a Saturday
  const TDateTime lSaturday = EncodeDate(2026, 1, 10);
  EXPECT_EQ(TWeekdayUtils::GetWeekdayColor(true, lSaturday), cTodayColor);
  EXPECT_EQ(TWeekdayUtils::GetWeekdayColor(false, lSaturday), RGB(215, 215, 215));
  EXPECT_EQ(TWeekdayUtils::GetWeekdayColor(true, EncodeDate(2026, 1, 11)), RGB(255, 216, 176));
  EXPECT_EQ(TWeekdayUtils::GetWeekdayColor(true, EncodeDate(2026, 1, 9)), clNone);
  EXPECT_EQ(BoolToColor(true), RGB(0, 128, 0));
  EXPECT_EQ(BoolToColor(false), RGB(255, 0, 0));
}

TEST_F(Weekdays, FlagStrings) {
  const TWeekDays lWorkdays{wdMonday, wdTuesday, wdWednesday, wdThursday, wdFriday};
  EXPECT_EQ(TWeekdayUtils::WeeskdaysToString(lWorkdays), QStringLiteral("01111100"));
  EXPECT_EQ(TWeekdayUtils::WeeskdaysToString(TWeekDays()), QStringLiteral("00000000"));
  EXPECT_EQ(TWeekdayUtils::StringToWeekdays(QStringLiteral("01111100")), lWorkdays);
  const struct {
    const char* Text;
    TWeekDays Days;
  } cCases[] = {
      {"00000011", {wdSaturday, wdSunday}},
      {"10000000", {wdNone}},
      {"0000001", {}},                       // seven flags
      {"0000001a", {}},                      // the last is a letter
      {"000000110", {wdSaturday, wdSunday}}, // characters after the eighth are ignored
      {"02000001", {wdSunday}},              // other digits exclude
      {"-0000011", {}},                      // a sign is no flag
      {"", {}},
      {"99999999999", {}}, // not a valid integer any more
  };
  for (const auto& c : cCases)
    EXPECT_EQ(TWeekdayUtils::StringToWeekdays(QString::fromUtf8(c.Text)), c.Days) << c.Text;
  for (uint8_t lBits = 0; lBits < 255; ++lBits) {
    TWeekDays lDays;
    for (int i = 0; i < 8; ++i)
      if (lBits & (1 << i))
        lDays.Include(static_cast<TWeekDay>(i));
    EXPECT_EQ(TWeekdayUtils::StringToWeekdays(TWeekdayUtils::WeeskdaysToString(lDays)), lDays);
  }
}

TEST(Utils, ProcessMemoryGrowsWithPrivateAllocations) {
  const uint64_t lBefore = ProcessMemoryPrivateUsage();
  std::vector<char> lBlock(64 * 1024 * 1024, 1);
  const uint64_t lAfter = ProcessMemoryPrivateUsage();
  EXPECT_GT(lBefore, 0u);
  EXPECT_GE(lAfter, lBefore + 60u * 1024 * 1024);
  EXPECT_EQ(lBlock[12345], 1);
}

TEST(Utils, IsAdminFollowsTheEffectiveUserAndLogsIt) {
  TLogCapture lLog;
  const bool lAdmin = TWindowsUtils::IsAdmin();
  EXPECT_EQ(lAdmin, IsProcessElevated());
  EXPECT_TRUE(lLog.Contains(lAdmin ? ltSuccess : ltError, QStringLiteral("User is Admin")));
}

} // namespace
