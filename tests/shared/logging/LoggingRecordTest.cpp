// Log records: cleaning, repeats, continuation records and the line format.
#include "Qel.Os.Process.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Shared.Logging.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <thread>

namespace {

class TFileDataListStub : public TObject {
  QEL_CLASS("Qel.Shared.Files.Data", TFileDataList)
};

TEST(LoggingRecord, CleaningOfTexts) {
  const struct {
    const char* Text;
    const char* Clean;
  } cCases[] = {
      {"a\r\nb", "a b"},
      {"a     b", "a   b"},
      {"a    b", "a  b"},
      {"a   b", "a  b"},
      {"say \"hi\"", "say 'hi'"},
      {"tab\there", "tab\there"},
      {"line1\nline2", "line1 line2"},
      {"a \nb", "a b"},
      {"x\r\n\r\ny", "x  y"},
      {"end \"\r", "end ' "},
      {"plain text", "plain text"},
  };
  for (const auto& c : cCases) {
    TLoggingDataList lList;
    const TLoggingData& lData =
        lList.Add(nullptr, QString(), QString::fromUtf8(c.Text), QString(), ltInformation);
    EXPECT_EQ(lData.FText, QString::fromUtf8(c.Clean)) << c.Text;
  }
}

TEST(LoggingRecord, SenderLabel) {
  const TFileDataListStub lSender;
  EXPECT_EQ(TLoggingUtils::SenderMethodToStr(&lSender, QStringLiteral("GetTempFileName")),
            QStringLiteral("[Qel.Shared.Files.Data.TFileDataList.GetTempFileName] "));
  EXPECT_EQ(TLoggingUtils::SenderMethodToStr(&lSender, QString()),
            QStringLiteral("[Qel.Shared.Files.Data.TFileDataList] "));
  EXPECT_EQ(TLoggingUtils::SenderMethodToStr(nullptr, QStringLiteral(" Run ")),
            QStringLiteral("[Run] "));
  EXPECT_EQ(TLoggingUtils::SenderMethodToStr(nullptr, QString()), QString());
  EXPECT_EQ(TLoggingUtils::SenderMethodToStr(nullptr, QStringLiteral("Open(\"x\")")),
            QStringLiteral("[Open('x')] "));

  // A record cleans the label once more: runs of blanks shrink twice.
  EXPECT_EQ(TLoggingUtils::SenderMethodToStr(nullptr, QStringLiteral("a   b")),
            QStringLiteral("[a  b] "));
  TLoggingDataList lList;
  EXPECT_EQ(
      lList.Add(nullptr, QStringLiteral("a   b"), QStringLiteral("t"), QString(), ltNone).FSender,
      QStringLiteral("[a b] "));
}

TEST(LoggingRecord, RecordCarriesCallerAndMoment) {
  const TDateTime lMoment = EncodeDateTime(2026, 1, 5, 14, 3, 7, 123);
  SetNowOverride(lMoment);
  TLoggingDataList lList;
  const TLoggingData lData = lList.Add(nullptr, QStringLiteral("M"), QStringLiteral("text"),
                                       QStringLiteral(" trace\r\n  "), ltWarning);
  SetNowOverride(std::nullopt);
  EXPECT_EQ(lData.FDateTime, lMoment);
  EXPECT_EQ(lData.FProcessID, GetCurrentProcessId());
  EXPECT_EQ(lData.FThreadID, GetCurrentThreadId());
  EXPECT_EQ(lData.FTyp, ltWarning);
  EXPECT_EQ(lData.FTrace, QStringLiteral(" trace\r\n  ")); // the trace is kept as given
  EXPECT_TRUE(lData.FTraceFile.isEmpty());
  EXPECT_GT(lData.FSpaceUsed, 0u);
  EXPECT_FALSE(lData.FIsPrevious);
}

TEST(LoggingRecord, RepeatRule) {
  TLoggingDataList lList;
  const auto lAdd = [&](const char* aText, TLogTyp aTyp = ltInformation, const char* aTrace = "",
                        const char* aMethod = "M") {
    return lList
        .Add(nullptr, QString::fromUtf8(aMethod), QString::fromUtf8(aText),
             QString::fromUtf8(aTrace), aTyp)
        .FIsPrevious;
  };
  EXPECT_FALSE(lAdd("Copy done"));
  EXPECT_TRUE(lAdd("COPY DONE"));                      // letter case does not count
  EXPECT_FALSE(lAdd("Copy done", ltSuccess));          // another type
  EXPECT_FALSE(lAdd("Copy done", ltSuccess, "", "N")); // another sender
  EXPECT_TRUE(lAdd("Copy done", ltSuccess, "", "N"));
  EXPECT_TRUE(lAdd("Copy done", ltSuccess, "", "N"));         // repeats of repeats too
  EXPECT_FALSE(lAdd("Copy done", ltSuccess, "trace A", "N")); // a trace must match when given
  EXPECT_TRUE(lAdd("Copy done", ltSuccess, "TRACE a", "N"));
  EXPECT_TRUE(lAdd("Copy done", ltSuccess, "", "N")); // no trace: not compared

  // The same text from another thread is no repeat.
  bool lOtherThread = true;
  std::thread([&] { lOtherThread = lAdd("Copy done", ltSuccess, "", "N"); }).join();
  EXPECT_FALSE(lOtherThread);
}

TEST(LoggingRecord, ContinuationRecord) {
  TLoggingDataList lList;
  lList.AddContinuing();
  EXPECT_EQ(lList.Count(), 0);

  lList.Add(nullptr, QStringLiteral("Loop"), QStringLiteral("working"), QStringLiteral("details"),
            ltWarning);
  SetNowOverride(EncodeDate(2030, 1, 1));
  lList.AddContinuing();
  SetNowOverride(std::nullopt);
  ASSERT_EQ(lList.Count(), 2);
  const TLoggingData& lLast = lList.Last();
  EXPECT_EQ(lLast.FText, QStringLiteral("continuing..."));
  EXPECT_TRUE(lLast.FTrace.isEmpty());
  EXPECT_EQ(lLast.FDateTime, EncodeDate(2030, 1, 1));
  EXPECT_EQ(lLast.FSender, lList[0].FSender);
  EXPECT_EQ(lLast.FTyp, ltWarning);
  EXPECT_EQ(lLast.FIsPrevious, lList[0].FIsPrevious);
}

TEST(LoggingRecord, LineFormat) {
  TLoggingData lData;
  lData.FDateTime = EncodeDateTime(2026, 1, 5, 14, 3, 7, 123);
  lData.FProcessID = 4711;
  lData.FThreadID = 4712;
  lData.FTyp = ltInformation;
  lData.FSender = QStringLiteral("[Qel.Shared.Files.Data.TFileDataList.GetTempFileName] ");
  lData.FText = QStringLiteral("the message");
  lData.FSpaceUsed = 13107200;
  EXPECT_EQ(lData.GetAsString(),
            QStringLiteral("2026-01-05T14:03:07.123Z\t[PID:4711;TID:4712]\t[Inf]\t"
                           "[Qel.Shared.Files.Data.TFileDataList.GetTempFileName] \tthe "
                           "message\tUsedMemory:12.5MB\t"));
  const QStringList lFields = lData.GetAsString().split(u'\t');
  EXPECT_EQ(lFields.size(), 7);

  lData.FTyp = ltNone;
  lData.FSender.clear();
  lData.FTraceFile = QStringLiteral("/p/Log/2026/01/05/0000000000.trc");
  EXPECT_EQ(lData.GetAsString(),
            QStringLiteral("2026-01-05T14:03:07.123Z\t[PID:4711;TID:4712]\t\t\tthe message\t"
                           "UsedMemory:12.5MB\t/p/Log/2026/01/05/0000000000.trc"));

  lData.FText = QStringLiteral("a\tb");
  EXPECT_TRUE(lData.GetAsString().contains(QStringLiteral("\t\"a\tb\"\t")));

  lData.FIsPrevious = true;
  EXPECT_EQ(lData.GetAsString(), QString());
}

TEST(LoggingRecord, LineOfARecordBeforeYear1000IsPadded) {
  TLoggingData lData;
  lData.FDateTime = EncodeDateTime(999, 2, 3, 4, 5, 6, 7);
  lData.FText = QStringLiteral("x");
  EXPECT_TRUE(lData.GetAsString().startsWith(QStringLiteral("0999-02-03T04:05:06.007Z\t")));
}

TEST(LoggingUtils, LogTypTexts) {
  const struct {
    TLogTyp Typ;
    const char* Text;
  } cCases[] = {{ltNone, ""},          {ltRunTime, "[Run]"},  {ltInformation, "[Inf]"},
                {ltSuccess, "[Succ]"}, {ltWarning, "[Warn]"}, {ltError, "[Err]"},
                {ltExcept, "[Expt]"}};
  for (const auto& c : cCases) {
    EXPECT_EQ(TLoggingUtils::LogTypToText(c.Typ), QString::fromUtf8(c.Text));
    if (c.Typ != ltNone) {
      EXPECT_EQ(
          TLoggingUtils::LogTypFromText(QStringLiteral("x ") + QString::fromUtf8(c.Text).toLower()),
          c.Typ);
    }
  }
  EXPECT_EQ(TLoggingUtils::LogTypFromText(QStringLiteral("a line [warn] here")), ltWarning);
  EXPECT_EQ(TLoggingUtils::LogTypFromText(QStringLiteral("no caption")), ltNone);
  EXPECT_EQ(TLoggingUtils::LogTypFromText(QString()), ltNone);
  // The first type in order wins.
  EXPECT_EQ(TLoggingUtils::LogTypFromText(QStringLiteral("[Err] then [Inf]")), ltInformation);

  TLoggingData lData;
  lData.FTyp = ltError;
  lData.FText = QStringLiteral("x");
  EXPECT_EQ(TLoggingUtils::LogTypFromText(lData.GetAsString()), ltError);
}

TEST(LoggingUtils, BuildMethodNameWithTexts) {
  EXPECT_EQ(TLoggingUtils::BuildMethodName(QStringLiteral("Connect")), QStringLiteral("Connect"));
  EXPECT_EQ(TLoggingUtils::BuildMethodName(QStringLiteral("Connect"), QStringList{}),
            QStringLiteral("Connect"));
  EXPECT_EQ(TLoggingUtils::BuildMethodName(QStringLiteral("Connect"), QStringList{"my host", "21"}),
            QStringLiteral("Connect('my host',21)"));
  EXPECT_EQ(
      TLoggingUtils::BuildMethodName(QStringLiteral("Copy"), QStringList{"a,b", "say \"x\"", ""}),
      QStringLiteral("Copy('a,b','say ''x''',)"));
}

TEST(LoggingUtils, BuildMethodNameWithTaggedValues) {
  const TFileDataListStub lObject;
  const TVarRecs lParams = {
      42,
      true,
      'c',
      1.5,
      "pchar",
      &lObject,
      TFileDataListStub::ClassRef(),
      QChar(u'w'),
      u"pwide",
      std::string("ansi"),
      int64_t(1) << 40,
      QStringLiteral("unicode"),
      TVarRec::OfKind(vtInterface),
      TVarRec::OfKind(vtString, QStringLiteral("short")),
      TVarRec::OfKind(vtWideString, QStringLiteral("wide")),
      static_cast<const void*>(&lObject),
      TVarRec::OfKind(vtCurrency),
      TVariant(1),
      TVarRec::OfKind(static_cast<TVarType>(99)),
      static_cast<const TObject*>(nullptr),
  };
  EXPECT_EQ(
      TLoggingUtils::BuildMethodName(QStringLiteral("M"), lParams),
      QStringLiteral("M(42,True,c,1.5,pchar,Object(TFileDataList),Class(TFileDataList),w,pwide,"
                     "ansi,1099511627776,"
                     "unicode,Interface,short,wide,'Unsupported VType: 5','Unsupported VType: 12',"
                     "'Unsupported VType: 13','Unsupported VType: 99',Object(nil))"));
}

TEST(LoggingUtils, RunTimeToStr) {
  const QString lText = TLoggingUtils::RunTimeToStr(0, 5);
  EXPECT_TRUE(lText.endsWith(QStringLiteral("ms; Count: 5"))) << lText.toStdString();
  EXPECT_THROW(TLoggingUtils::RunTimeToStr(UINT64_MAX, 1), EOverflow);
}

} // namespace
