// The class-level logging calls and what they put into the buffer.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.Config.Logging.Data.h"
#include "Qel.Shared.Logging.h"
#include "QelLogCapture.h"
#include "QelTestFolder.h"

#include <gtest/gtest.h>

namespace {

class LoggingCalls : public ::testing::Test {
protected:
  TLogCapture FLog;
};

TEST_F(LoggingCalls, BaseFormsBufferTrimmedRecords) {
  EXPECT_TRUE(TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("  plain  ")));
  EXPECT_TRUE(TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("warned"), ltWarning,
                            QStringLiteral("trace")));
  const auto lRecords = FLog.Records();
  ASSERT_EQ(lRecords.size(), 2u);
  EXPECT_EQ(lRecords[0].FText, QStringLiteral("plain"));
  EXPECT_EQ(lRecords[0].FTyp, ltInformation);
  EXPECT_EQ(lRecords[1].FTyp, ltWarning);
  EXPECT_EQ(lRecords[1].FTrace, QStringLiteral("trace"));
}

TEST_F(LoggingCalls, BlankTextAndLowLevelsAreDropped) {
  EXPECT_FALSE(TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral(" \t\r\n ")));
  TLogging::Instance()->Config().SetLogLevel(ltWarning);
  EXPECT_FALSE(TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("info"), ltInformation));
  EXPECT_TRUE(TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("warn"), ltWarning));
  TLogging::Instance()->Config().SetLogLevel(ltNone);
  EXPECT_EQ(FLog.Records().size(), 1u);
}

TEST_F(LoggingCalls, ErrorsRequestAWriteAndExceptRaisesAfterBuffering) {
  TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("bad"), ltError);
  EXPECT_TRUE(TLogging::Instance()->ForceWriteRequested());
  try {
    TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("  fatal  "), ltExcept);
    FAIL() << "ltExcept must raise";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("fatal"));
  }
  EXPECT_TRUE(FLog.Contains(ltExcept, QStringLiteral("fatal")));
}

TEST_F(LoggingCalls, ExceptionFormJoinsTheChainOfMessages) {
  auto lInner = std::make_shared<Exception>(QStringLiteral("disk full"));
  auto lMiddle = std::make_shared<Exception>(QStringLiteral("write failed"), lInner);
  const Exception lOuter(QStringLiteral("Copy"), lMiddle);
  EXPECT_TRUE(
      TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("Copy failed"), lOuter, false));
  EXPECT_TRUE(
      TLogging::Add(nullptr, QStringLiteral("M"), Exception(QStringLiteral("it's")), false));
  EXPECT_TRUE(TLogging::Add(nullptr, QStringLiteral("M"), std::runtime_error("std error"), false));
  const auto lRecords = FLog.Records();
  ASSERT_EQ(lRecords.size(), 3u);
  EXPECT_EQ(lRecords[0].FText,
            QStringLiteral("Copy failed | Exception:Copy,'write failed','disk full'"));
  EXPECT_EQ(lRecords[0].FTyp, ltError);
  EXPECT_EQ(lRecords[1].FText, QStringLiteral("| Exception:it's"));
  EXPECT_EQ(lRecords[2].FText, QStringLiteral("| Exception:'std error'"));
}

TEST_F(LoggingCalls, ExceptionFormRaisesWhenAsked) {
  const Exception lInner(QStringLiteral("inner"));
  try {
    TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("text"),
                  Exception(QStringLiteral("outer"), std::make_shared<Exception>(lInner)), true);
    FAIL() << "must raise";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("outer,inner"));
  }
  EXPECT_EQ(FLog.Count(ltError), 1);
}

TEST_F(LoggingCalls, RunTimeIsLoggedOnlyAfterMoreThan16Ms) {
  EXPECT_FALSE(TLogging::AddRunTime(nullptr, QStringLiteral("Quick"), GetTickCount64() - 10, 1));
  EXPECT_TRUE(TLogging::AddRunTime(nullptr, QStringLiteral("Slow"), GetTickCount64() - 1000, 7));
  EXPECT_THROW(
      TLogging::AddRunTime(nullptr, QStringLiteral("Future"), GetTickCount64() + 100000, 1),
      EOverflow);
  const auto lRecords = FLog.Records();
  ASSERT_EQ(lRecords.size(), 1u);
  EXPECT_EQ(lRecords[0].FTyp, ltRunTime);
  EXPECT_EQ(lRecords[0].FSender, QStringLiteral("[Slow] "));
  EXPECT_TRUE(lRecords[0].FText.endsWith(QStringLiteral("ms; Count: 7")));
}

TEST_F(LoggingCalls, SuccessErrorAndChecks) {
  EXPECT_TRUE(
      TLogging::SuccessError(true, QStringLiteral("went well"), nullptr, QStringLiteral("M")));
  EXPECT_FALSE(
      TLogging::SuccessError(false, QStringLiteral("went wrong"), nullptr, QStringLiteral("M")));
  EXPECT_TRUE(
      TLogging::CheckOK(true, QStringLiteral("never logged"), nullptr, QStringLiteral("M")));
  EXPECT_FALSE(TLogging::CheckOK(false, QStringLiteral("check failed"), ltWarning, nullptr,
                                 QStringLiteral("M")));
  int lValue = 0;
  EXPECT_TRUE(TLogging::CheckAssigned(&lValue, QStringLiteral("never logged"), nullptr,
                                      QStringLiteral("M")));
  EXPECT_FALSE(TLogging::CheckAssigned(nullptr, QStringLiteral("nothing assigned"), nullptr,
                                       QStringLiteral("M")));
  EXPECT_TRUE(FLog.Contains(ltSuccess, QStringLiteral("went well")));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("went wrong")));
  EXPECT_TRUE(FLog.Contains(ltWarning, QStringLiteral("check failed")));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("nothing assigned")));
  EXPECT_EQ(FLog.Count(ltError) + FLog.Count(ltWarning) + FLog.Count(ltSuccess), 4);
}

TEST_F(LoggingCalls, CheckFileExists) {
  TTestProgramFolder lFolder;
  const QString lFile = lFolder.WriteFile(QStringLiteral("there.txt"), "x");
  EXPECT_TRUE(TLogging::CheckFileExists(lFile, nullptr, QStringLiteral("M")));
  EXPECT_FALSE(
      TLogging::CheckFileExists(lFile + QStringLiteral(".gone"), nullptr, QStringLiteral("M")));
  EXPECT_FALSE(TLogging::CheckFileExists(lFolder.Root(), ltWarning, nullptr, QStringLiteral("M")));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("File '") + lFile +
                                         QStringLiteral(".gone' does NOT exist!")));
  EXPECT_EQ(FLog.Count(ltWarning, QStringLiteral("does NOT exist!")), 1);
}

TEST_F(LoggingCalls, StillProcessingAddsAContinuationAfterASecond) {
  uint64_t lTick = GetTickCount64() - 2000;
  TLogging::StillProcessing(lTick); // empty buffer: nothing
  EXPECT_TRUE(FLog.Records().empty());

  TLogging::Add(nullptr, QStringLiteral("Loop"), QStringLiteral("row 1"));
  uint64_t lRecent = GetTickCount64();
  TLogging::StillProcessing(lRecent);
  EXPECT_EQ(FLog.Records().size(), 1u);

  lTick = GetTickCount64() - 2000;
  TLogging::StillProcessing(lTick);
  const auto lRecords = FLog.Records();
  ASSERT_EQ(lRecords.size(), 2u);
  EXPECT_EQ(lRecords[1].FText, QStringLiteral("continuing..."));
  EXPECT_GE(lTick + 100, GetTickCount64());
}

TEST(LoggingLifeCycle, NoLoggerAfterShutdownUntilStartedAgain) {
  TLogging::Initialize();
  ASSERT_NE(TLogging::Instance(), nullptr);
  TLogging::Finalize();
  EXPECT_EQ(TLogging::Instance(), nullptr);
  EXPECT_FALSE(TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("dropped")));
  EXPECT_FALSE(TLogging::SuccessError(false, QStringLiteral("x"), nullptr, QString()));
  uint64_t lTick = 0;
  TLogging::StillProcessing(lTick);
  EXPECT_EQ(lTick, 0u);
  TLogging::Initialize();
  EXPECT_NE(TLogging::Instance(), nullptr);
}

} // namespace
