// The smaller configuration sections: customer, export schedule, update window, validation
// and the mail import/export settings, at fixed times.
#include "Qel.Rtl.IniFiles.h"
#include "Qel.Rtl.Random.h"
#include "Qel.Shared.Attributes.h"
#include "Qel.Shared.Config.Benchmark.Data.h"
#include "Qel.Shared.Config.Customer.Data.h"
#include "Qel.Shared.Config.ImportExport.Data.h"
#include "Qel.Shared.Config.Updater.Data.h"
#include "Qel.Shared.Config.Validation.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Shared.StrFunc.h"
#include "QelLogCapture.h"
#include "QelServiceTest.h"
#include "QelTestFolder.h"

#include <gtest/gtest.h>

namespace {

class ConfigSections : public TServiceTest {
protected:
  TFileData* File(const QByteArray& aContent) {
    const QString lName = FFolder->WriteFile(QStringLiteral("Conf/sections.ini"), aContent);
    return TPathsAndFiles::AddFile(lName, true, false);
  }
  QString Read(const QString& aSection, const QString& aKey) const {
    return TIniFile(FFolder->Root() + QStringLiteral("Conf/sections.ini"))
        .ReadString(aSection, aKey, QStringLiteral("<none>"));
  }
  static void At(int aYear, int aMonth, int aDay, int aHour, int aMin) {
    SetNowOverride(EncodeDateTime(aYear, aMonth, aDay, aHour, aMin, 0, 0));
  }

  TLogCapture FLog;
};

TEST_F(ConfigSections, CustomerCaption) {
  auto lCustomer =
      TIniData::Create<TConfigCustomerData>(File("[SKISCHULE]\nssName=Alpine\nssInitial=ALP\n"));
  EXPECT_EQ(lCustomer->GetCaption(), QStringLiteral("Alpine [ALP]"));
  lCustomer->SetInitial(QString());
  EXPECT_EQ(lCustomer->GetCaption(), QStringLiteral("Alpine"));
  EXPECT_EQ(lCustomer->Action(), daUpdate);
}

TEST_F(ConfigSections, ThreadCountIsClamped) {
  const struct {
    const char* Stored;
    int32_t Expected;
  } cCases[] = {{"0", 1}, {"-3", 1}, {"40", 25}, {"7", 7}, {"many", 5}};
  for (const auto& lCase : cCases) {
    auto lRun = TIniData::Create<TConfigRun>(
        File(QByteArray("[Validation.Run]\nThreadCount=") + lCase.Stored + "\n"));
    EXPECT_EQ(lRun->ThreadCount(), lCase.Expected) << lCase.Stored;
  }
}

TEST_F(ConfigSections, ValidationRunIsRecordedAtOnce) {
  At(2025, 3, 10, 9, 0);
  auto lRun = TIniData::Create<TConfigRun>(File(""));
  EXPECT_TRUE(lRun->GetRunRequired());
  lRun->Executed();
  EXPECT_FALSE(lRun->GetRunRequired());
  EXPECT_EQ(TIniData::Create<TConfigRun>(lRun->File())->LastRun(), Now());
  At(2025, 3, 11, 9, 1);
  EXPECT_TRUE(lRun->GetRunRequired());

  auto lService = TIniData::Create<TConfigService>(lRun->File());
  lService->SetLastRun();
  EXPECT_EQ(Read(QStringLiteral("Validation.Service"), QStringLiteral("LastRun")),
            QStringLiteral("<none>"));
  EXPECT_TRUE(lService->Save());
  EXPECT_EQ(TIniData::Create<TConfigService>(lRun->File())->LastRun(), Now());
}

TEST_F(ConfigSections, ImportExportIntervalClamps) {
  auto lSettings = TIniData::Create<TConfigImportExport>(File(""));
  EXPECT_EQ(lSettings->IntervalSeconds(), 900);
  const struct {
    int32_t Set;
    int32_t Stored;
  } cCases[] = {{5, 15}, {3600, 900}, {60, 60}, {-1, 15}};
  for (const auto& lCase : cCases) {
    lSettings->SetIntervalSeconds(lCase.Set);
    EXPECT_EQ(lSettings->IntervalSeconds(), lCase.Stored) << lCase.Set;
  }
  lSettings->SetIntervalMilliseconds(5000);
  EXPECT_EQ(lSettings->IntervalSeconds(), 5);
  EXPECT_EQ(lSettings->IntervalMilliseconds(), 5000);
}

TEST_F(ConfigSections, ImportExportDefaultsFollowThePopServer) {
  auto lNoPop = TIniData::Create<TConfigImportExport>(File(""));
  EXPECT_EQ(lNoPop->PopServer(), QString::fromLatin1(TConfigImportExport::cDefaultPopServer));
  EXPECT_EQ(lNoPop->SmtpServer(), QString::fromLatin1(TConfigImportExport::cDefaultSmtpServer));
  EXPECT_TRUE(lNoPop->ImportResForm());
  EXPECT_TRUE(lNoPop->ImportResFormImport());
  EXPECT_EQ(lNoPop->Subject(), QStringLiteral("Voucherbestellung"));
  EXPECT_EQ(lNoPop->PopPort(), QStringLiteral("110"));
  EXPECT_EQ(lNoPop->SmtpPort(), QStringLiteral("587"));

  auto lEmptyPop = TIniData::Create<TConfigImportExport>(File("[POP]\npopserver=\n"));
  EXPECT_TRUE(lEmptyPop->PopServer().isEmpty());
  EXPECT_FALSE(lEmptyPop->ImportResForm());
  EXPECT_FALSE(lEmptyPop->ImportResFormImport());

  auto lMixed = TIniData::Create<TConfigImportExport>(File(
      "[POP]\npopserver=\n[DEFAULT]\nimportResForm=1\nInterval=120\n[DEAFULT]\nSaveFiles=1\n"));
  EXPECT_TRUE(lMixed->ImportResForm());
  EXPECT_TRUE(lMixed->ImportResFormImport());
  EXPECT_TRUE(lMixed->SaveFiles());
  EXPECT_EQ(lMixed->IntervalSeconds(), 120);
}

TEST_F(ConfigSections, ImportExportSavesPasswordsEncipheredAndReadsItsIntervalBack) {
  auto lSettings = TIniData::Create<TConfigImportExport>(File("[DEFAULT]\nInterval=120\n"));
  lSettings->SetPopPassword(QStringLiteral("pop-secret"));
  lSettings->SetSmtpPwd(QStringLiteral("smtp-secret"));
  lSettings->SetSmtpSSL(1);
  lSettings->SetIntervalSeconds(300);
  lSettings->SetSaveFiles(true);
  ASSERT_TRUE(lSettings->Save());
  EXPECT_EQ(Read(QStringLiteral("POP"), QStringLiteral("pwd")),
            TQelStringFunctions::Cipher(QStringLiteral("pop-secret")));
  EXPECT_EQ(Read(QStringLiteral("SMTP"), QStringLiteral("pwd")),
            TQelStringFunctions::Cipher(QStringLiteral("smtp-secret")));
  EXPECT_EQ(Read(QStringLiteral("SMTP"), QStringLiteral("SSL")), QStringLiteral("1"));
  EXPECT_EQ(Read(QStringLiteral("DEAFULT"), QStringLiteral("SaveFiles")), QStringLiteral("1"));
  EXPECT_EQ(Read(QStringLiteral("ImportExport"), QStringLiteral("Interval")),
            QStringLiteral("300"));
  // "DEFAULT" keeps the older value; the saved one is what is read back.
  EXPECT_EQ(Read(QStringLiteral("DEFAULT"), QStringLiteral("Interval")), QStringLiteral("120"));

  auto lAgain = TIniData::Create<TConfigImportExport>(lSettings->File());
  EXPECT_EQ(lAgain->IntervalSeconds(), 300);
  EXPECT_EQ(lAgain->PopPassword(), QStringLiteral("pop-secret"));
  EXPECT_EQ(lAgain->SmtpPwd(), QStringLiteral("smtp-secret"));
  EXPECT_EQ(lAgain->SmtpSSL(), 1);
}

TEST_F(ConfigSections, SeasonOfToday) {
  const struct {
    int Month, Day, Hour;
    int FromYear;
  } cCases[] = {
      {6, 29, 10, 2024}, {6, 30, 10, 2024}, {7, 1, 0, 2025}, {12, 31, 23, 2025}, {1, 1, 0, 2024}};
  auto lBenchmark = TIniData::Create<TConfigBenchmarkData>(File(""));
  for (const auto& lCase : cCases) {
    At(2025, lCase.Month, lCase.Day, lCase.Hour, 0);
    const TDateRange lSeason = lBenchmark->GetSeasonDateRange();
    EXPECT_TRUE(lSeason.FHasData);
    EXPECT_EQ(lSeason.FFrom, EncodeDate(lCase.FromYear, 7, 1)) << lCase.Month << "/" << lCase.Day;
    EXPECT_EQ(lSeason.FTo, EncodeDate(lCase.FromYear + 1, 6, 30));
  }
}

TEST_F(ConfigSections, ExportTimeIsDrawnInsideTheWindow) {
  At(2025, 2, 3, 12, 0);
  for (uint64_t lSeed = 1; lSeed <= 20; ++lSeed) {
    SetRandomSeed(lSeed);
    auto lBenchmark = TIniData::Create<TConfigBenchmarkData>(File(""));
    const TDateTime lDrawn = lBenchmark->GetCurrentExportDateTime();
    // At noon tonight's window has passed: the time falls into the next night.
    EXPECT_EQ(DateOf(lDrawn), EncodeDate(2025, 2, 4));
    EXPECT_GE(TimeOf(lDrawn), EncodeTime(0, 30, 0, 0));
    EXPECT_LE(TimeOf(lDrawn), EncodeTime(5, 30, 0, 0));
    EXPECT_EQ(lDrawn.MSecs() % 1000, 0);
    TDateTime lStored;
    ASSERT_TRUE(JsonTextToDateTime(
        Read(QStringLiteral("BENCHMARK"), QStringLiteral("currentExportTime")), lStored));
    EXPECT_EQ(lStored, lDrawn);
  }
  EXPECT_TRUE(FLog.Contains(ltSuccess, QStringLiteral("CurrentExportDateTime set to 2025-02-04T")));
  // The same seed draws the same time.
  SetRandomSeed(7);
  const TDateTime lFirst =
      TIniData::Create<TConfigBenchmarkData>(File(""))->GetCurrentExportDateTime();
  SetRandomSeed(7);
  EXPECT_EQ(TIniData::Create<TConfigBenchmarkData>(File(""))->GetCurrentExportDateTime(), lFirst);
}

TEST_F(ConfigSections, ExportScheduleAtFixedTimes) {
  At(2025, 2, 3, 4, 0);
  auto lBenchmark = TIniData::Create<TConfigBenchmarkData>(
      File("[BENCHMARK]\ncurrentExportTime=2025-02-03T01:15:00.000Z\n"));
  EXPECT_EQ(lBenchmark->GetCurrentExportDateTime(), EncodeDateTime(2025, 2, 3, 1, 15, 0, 0));
  EXPECT_TRUE(lBenchmark->CanExport());
  EXPECT_EQ(lBenchmark->GetMillisecondsToNextExport(), 3600000);
  lBenchmark->Exported();
  const TDateTime lNext = lBenchmark->GetCurrentExportDateTime();
  EXPECT_EQ(DateOf(lNext), EncodeDate(2025, 2, 4));
  EXPECT_GE(TimeOf(lNext), EncodeTime(0, 30, 0, 0));
  EXPECT_LE(TimeOf(lNext), EncodeTime(5, 30, 0, 0));
  EXPECT_FALSE(lBenchmark->CanExport());

  // After the window closed the stored time of this night is replaced by one of the next.
  At(2025, 2, 3, 6, 0);
  auto lLate = TIniData::Create<TConfigBenchmarkData>(
      File("[BENCHMARK]\ncurrentExportTime=2025-02-03T01:15:00.000Z\n"));
  EXPECT_EQ(DateOf(lLate->GetCurrentExportDateTime()), EncodeDate(2025, 2, 4));
  EXPECT_FALSE(lLate->CanExport());

  // Shortly before the export time: the real distance.
  At(2025, 2, 4, 0, 10);
  auto lSoon = TIniData::Create<TConfigBenchmarkData>(
      File("[BENCHMARK]\ncurrentExportTime=2025-02-04T00:40:00.000Z\n"));
  EXPECT_EQ(lSoon->GetMillisecondsToNextExport(), 30 * 60 * 1000);
  EXPECT_FALSE(lSoon->CanExport());
}

TEST_F(ConfigSections, UpdaterWindowByWeekdayAndTime) {
  auto lUpdater = TIniData::Create<TConfigUpdaterData>(
      File("[DEFAULT]\nUpdateCheckEveryHours=4\nweekdays_update=01000100\n"));
  EXPECT_EQ(lUpdater->UpdateCheckEveryHours(), 4);
  EXPECT_EQ(lUpdater->TimeRange().FFrom, EncodeTime(18, 0, 0, 0));
  EXPECT_EQ(lUpdater->TimeRange().FTo, EncodeTime(6, 0, 0, 0));
  EXPECT_EQ(lUpdater->GetWeekdaysCaption(), QStringLiteral("Monday,Friday"));
  // 3 February 2025 is a Monday.
  const struct {
    int Day, Hour;
    bool Active;
  } cCases[] = {{3, 20, true}, {3, 12, false}, {4, 20, false},
                {7, 23, true}, {3, 5, true},   {9, 20, false}};
  for (const auto& lCase : cCases) {
    At(2025, 2, lCase.Day, lCase.Hour, 0);
    EXPECT_EQ(lUpdater->GetActive(), lCase.Active) << lCase.Day << " " << lCase.Hour;
  }

  TTimeRange lRange;
  lRange.Init(true, EncodeTime(18, 0, 0, 0), EncodeTime(6, 0, 0, 0));
  lUpdater->SetTimeRange(lRange);
  EXPECT_EQ(lUpdater->Action(), daNone);
  lRange.Init(true, EncodeTime(20, 0, 0, 0), EncodeTime(6, 0, 0, 0));
  lUpdater->SetTimeRange(lRange);
  EXPECT_EQ(lUpdater->Action(), daUpdate);
  ASSERT_TRUE(lUpdater->Save());
  auto lAgain = TIniData::Create<TConfigUpdaterData>(lUpdater->File());
  EXPECT_EQ(lAgain->TimeRange().FFrom, EncodeTime(20, 0, 0, 0));
  EXPECT_EQ(lAgain->Weekdays(), TWeekDays({wdMonday, wdFriday}));
}

} // namespace
