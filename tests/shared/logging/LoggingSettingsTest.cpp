// The logger's settings and the live-object statistics.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Shared.Config.Logging.Data.h"
#include "Qel.Shared.Logging.Statistic.h"
#include "QelTestFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

constexpr uint64_t cGiB = 1073741824;

TEST(ConfigLoggingData, FreshSettingsAcceptEverythingAndArchiveAtOneUnit) {
  const TConfigLoggingData lConfig;
  EXPECT_EQ(lConfig.LogLevel(), ltNone);
  EXPECT_EQ(lConfig.MaxFileSizeByte(), cGiB);
  EXPECT_EQ(lConfig.MaxFileSizeMB(), 1);
  EXPECT_EQ(lConfig.WriteIntervalMilliseconds(), 125);
}

TEST(ConfigLoggingData, MaxFileSizeIsClampedToOneToTenUnits) {
  const struct {
    int64_t Set;
    uint64_t Bytes;
  } cCases[] = {{0, cGiB}, {1, cGiB}, {5, 5 * cGiB}, {10, 10 * cGiB}, {50, 10 * cGiB}};
  for (const auto& c : cCases) {
    TConfigLoggingData lConfig;
    lConfig.SetMaxFileSizeMB(c.Set);
    EXPECT_EQ(lConfig.MaxFileSizeByte(), c.Bytes) << c.Set;
    EXPECT_EQ(lConfig.MaxFileSizeMB(), static_cast<int64_t>(c.Bytes / cGiB));
  }
  TConfigLoggingData lConfig;
  EXPECT_THROW(lConfig.SetMaxFileSizeMB(-1), ERangeError);
}

TEST(ConfigLoggingData, WriteIntervalIsStoredInFiveMsStepsAndReadAtLeast125) {
  const struct {
    int Set;
    int Read;
  } cCases[] = {{50, 125},  {0, 125},   {-100, 125},  {124, 125},
                {127, 125}, {130, 130}, {3000, 1000}, {999, 995}};
  for (const auto& c : cCases) {
    TConfigLoggingData lConfig;
    lConfig.SetWriteIntervalMilliseconds(c.Set);
    EXPECT_EQ(lConfig.WriteIntervalMilliseconds(), c.Read) << c.Set;
  }
}

TEST(ConfigLoggingData, IniKeysWithTheirDefaultsAndReadBackValues) {
  TTestProgramFolder lFolder;
  const QString lFile =
      lFolder.WriteFile(QStringLiteral("log.ini"), "[Main]\nLogLevel=4\n[Logging]\n");
  TIniFile lIni(lFile);
  TConfigLoggingData lConfig;
  ASSERT_TRUE(lConfig.LoadFromIni(QStringLiteral("Logging"), &lIni));
  EXPECT_EQ(lConfig.LogLevel(), ltWarning);
  EXPECT_EQ(lConfig.MaxFileSizeMB(), 5);
  EXPECT_EQ(lConfig.WriteIntervalMilliseconds(), 125);
  ASSERT_TRUE(lConfig.SaveToIni(QStringLiteral("Logging"), &lIni));
  EXPECT_EQ(lIni.ReadInteger(QStringLiteral("Logging"), QStringLiteral("MaxFileSizeMB"), -1), 5);
  EXPECT_EQ(
      lIni.ReadInteger(QStringLiteral("Logging"), QStringLiteral("WriteIntervalMilliseconds"), -1),
      125);
  EXPECT_FALSE(lIni.ValueExists(QStringLiteral("Logging"), QStringLiteral("LogLevel")));
  EXPECT_FALSE(lConfig.LoadFromIni(QStringLiteral("Logging"), nullptr));
}

TEST(ConfigLoggingData, ValuesTheFileCannotMeanReadAsTheMostPermissive) {
  TTestProgramFolder lFolder;
  TIniFile lIni(lFolder.WriteFile(
      QStringLiteral("bad.ini"),
      "[Main]\nLogLevel=200\n[L]\nMaxFileSizeMB=-3\nWriteIntervalMilliseconds=x\n"));
  TConfigLoggingData lConfig;
  ASSERT_TRUE(lConfig.LoadFromIni(QStringLiteral("L"), &lIni));
  EXPECT_EQ(lConfig.LogLevel(), ltNone);
  EXPECT_EQ(lConfig.MaxFileSizeMB(), 1);
  EXPECT_EQ(lConfig.WriteIntervalMilliseconds(), 125);
}

class TCountedA : public TObject {
  QEL_CLASS("Qel.Test", TCountedA)
};
class TCountedB : public TObject {
  QEL_CLASS("Qel.Test", TCountedB)
};

TEST(LoggingStatistic, CountsLiveObjectsPerClassNeverBelowZeroOnFirstSight) {
  TLoggingStatisticList::Finalize();
  const TCountedA a1, a2;
  const TCountedB b;
  TLoggingStatisticList::Inc(&a1);
  TLoggingStatisticList::Inc(&a2);
  TLoggingStatisticList::Dec(&a1);
  TLoggingStatisticList::Dec(&b); // never counted: stored as 0
  TLoggingStatisticList::Inc(nullptr);
  TLoggingStatisticList::Dec(nullptr);
  const TLoggingStatisticList* lList = TLoggingStatisticList::Instance();
  EXPECT_EQ(lList->Count(QStringLiteral("TCountedA")), 1);
  EXPECT_TRUE(lList->Contains(QStringLiteral("TCountedB")));
  EXPECT_EQ(lList->Count(QStringLiteral("TCountedB")), 0);
  TLoggingStatisticList::Inc(&b);
  EXPECT_EQ(lList->Count(QStringLiteral("TCountedB")), 1);
  TLoggingStatisticList::Finalize();
  EXPECT_FALSE(TLoggingStatisticList::Instance()->Contains(QStringLiteral("TCountedA")));
}

} // namespace
