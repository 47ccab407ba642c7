// The headless program's command line, its date forms and its terminal view, in process.
#include "Qel.Lintrel.Console.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.FormatSettings.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

// Pins the format settings for one test and puts the fixed test settings back at the end.
class TPinnedSettings {
public:
  explicit TPinnedSettings(const TFormatSettings& aSettings) { SetFormatSettings(aSettings); }
  ~TPinnedSettings() { SetFormatSettings(TFormatSettings::Invariant()); }
  TPinnedSettings(const TPinnedSettings&) = delete;
  TPinnedSettings& operator=(const TPinnedSettings&) = delete;
};

TFormatSettings TwoDigitYears() {
  TFormatSettings lSettings = TFormatSettings::German();
  lSettings.ShortDateFormat = QStringLiteral("dd/mm/yy");
  return lSettings;
}

TEST(ExtractOptions, ReadTheCommandLineInBothDateForms) {
  const struct {
    QStringList Args;
    bool German;
    TExtractParse Result;
    int Year, Month, Day;
    const char* Source; // nullptr: not given
    const char* Dest;
    const char* Text; // part of the help or error text
  } cCases[] = {
      {{"--since", "2026-03-01"}, false, epRun, 2026, 3, 1, nullptr, nullptr, ""},
      {{"--since", "2026-03-01"}, true, epRun, 2026, 3, 1, nullptr, nullptr, ""},
      {{"--since=05.03.2026", "--source", "/a b", "--dest", "/z"},
       true,
       epRun,
       2026,
       3,
       5,
       "/a b",
       "/z",
       ""},
      {{"--dest", "", "--since", "2024-02-29"}, false, epRun, 2024, 2, 29, nullptr, "", ""},
      {{"--since", "2026-02-30"},
       false,
       epError,
       0,
       0,
       0,
       nullptr,
       nullptr,
       "Not a valid date: \"2026-02-30\" (give yyyy-mm-dd)"},
      {{"--since", "31.02.2026"},
       true,
       epError,
       0,
       0,
       0,
       nullptr,
       nullptr,
       "(give yyyy-mm-dd or dd.mm.yyyy)"},
      {{"--since", "05.03.2026"}, false, epError, 0, 0, 0, nullptr, nullptr, "Not a valid date"},
      {{"--since", ""}, false, epError, 0, 0, 0, nullptr, nullptr, "Not a valid date"},
      {{"--source", "/a"}, false, epError, 0, 0, 0, nullptr, nullptr, "Missing option: --since"},
      {{"--since"}, false, epError, 0, 0, 0, nullptr, nullptr, "Missing value after '--since'"},
      {{"--since", "2026-03-01", "--what"},
       false,
       epError,
       0,
       0,
       0,
       nullptr,
       nullptr,
       "Unknown option 'what'"},
      {{"--since", "2026-03-01", "extra"},
       false,
       epError,
       0,
       0,
       0,
       nullptr,
       nullptr,
       "Unexpected argument: extra"},
      {{"--help"},
       true,
       epHelp,
       0,
       0,
       0,
       nullptr,
       nullptr,
       "--since DATE     the earliest creation date: yyyy-mm-dd or dd.mm.yyyy"},
      {{"-h"}, false, epHelp, 0, 0, 0, nullptr, nullptr, "Usage: Qel_Lintrel_Extract --since"},
  };
  for (const auto& c : cCases) {
    const TPinnedSettings lPinned(c.German ? TFormatSettings::German()
                                           : TFormatSettings::Invariant());
    const QString lLabel = c.Args.join(u' ');
    TExtractOptions lOptions;
    QString lText;
    const TExtractParse lResult = TLintrelConsole::ParseArguments(
        QStringList{"/opt/Prog/Bin/Qel_Lintrel_Extract"} + c.Args, lOptions, lText);
    EXPECT_EQ(lResult, c.Result) << qPrintable(lLabel);
    EXPECT_TRUE(lText.contains(QString::fromUtf8(c.Text)))
        << qPrintable(lLabel) << " -> " << qPrintable(lText);
    if (c.Result != epRun)
      continue;
    EXPECT_EQ(lOptions.Date, EncodeDate(c.Year, c.Month, c.Day)) << qPrintable(lLabel);
    EXPECT_EQ(lOptions.HasSource, c.Source != nullptr) << qPrintable(lLabel);
    EXPECT_EQ(lOptions.Source, QString::fromUtf8(c.Source)) << qPrintable(lLabel);
    EXPECT_EQ(lOptions.HasDest, c.Dest != nullptr) << qPrintable(lLabel);
    EXPECT_EQ(lOptions.Dest, QString::fromUtf8(c.Dest)) << qPrintable(lLabel);
  }
}

// The run reads its answer in the user's short date format: the answer must read back as
// the date given, or the program refuses it rather than run from another day.
TEST(ExtractOptions, DateAnswerReadsBackAsTheSameDay) {
  QString lAnswer;
  {
    const TPinnedSettings lPinned(TFormatSettings::German());
    EXPECT_TRUE(TLintrelConsole::DateAnswer(EncodeDate(2026, 3, 1), lAnswer));
    EXPECT_EQ(lAnswer, QStringLiteral("01.03.2026"));
  }
  const TPinnedSettings lPinned(TwoDigitYears());
  EXPECT_EQ(TLintrelConsole::ShortDatePattern(), QStringLiteral("dd.mm.yy"));
  EXPECT_TRUE(TLintrelConsole::DateAnswer(EncodeDate(2026, 3, 1), lAnswer));
  EXPECT_EQ(lAnswer, QStringLiteral("01.03.26"));
  EXPECT_FALSE(TLintrelConsole::DateAnswer(EncodeDate(1899, 3, 1), lAnswer));
  TDateTime lDate;
  EXPECT_TRUE(TLintrelConsole::ReadDate(QStringLiteral("1899-03-01"), lDate));
}

TEST(ExtractOptions, SummaryNamesEveryCount) {
  TLintrelSummary lSummary;
  lSummary.Rows = 7;
  lSummary.Copied = 3;
  lSummary.MissingSources = 1;
  lSummary.SetAside = 2;
  lSummary.Refused = 2;
  lSummary.Failed = 1;
  EXPECT_EQ(TLintrelConsole::SummaryText(lSummary),
            QStringLiteral("Rows:            7\nCopied:          3\nMissing sources: 1\n"
                           "Set aside:       2\nRefused:         2\nFailed:          1\n"));
}

class ConsoleView : public ::testing::Test {
protected:
  void SetUp() override { FErr.open(QIODevice::WriteOnly); }
  QString Written() const { return QString::fromUtf8(FErr.data()); }

  // A run's calls: progress, aRows steps, a message between, the end.
  void PlayRun(TConsoleRunView& aView, int aRows) {
    EXPECT_EQ(aView.AskDate(QStringLiteral("Daten extrahieren ab ... "), QStringLiteral("Datum"),
                            QStringLiteral("2000-01-01")),
              QStringLiteral("2026-03-01"));
    aView.BeginProgress(QStringLiteral("Dokumente extrahieren..."));
    aView.SetProgressMax(aRows);
    for (int i = 1; i <= aRows; ++i) {
      aView.StepProgress(QStringLiteral("doc_%1.pdf ...").arg(i));
      if (i == aRows / 2)
        aView.ShowMessage(QStringLiteral("Halbzeit"));
    }
    aView.EndProgress();
    aView.ShowLog();
    aView.FinishLog(5);
  }

  QBuffer FErr;
};

TEST_F(ConsoleView, WithoutATerminalOnlyMessagesAreWritten) {
  TConsoleRunView lView(QStringLiteral("2026-03-01"), &FErr, false);
  PlayRun(lView, 6);
  EXPECT_EQ(Written(), QStringLiteral("Halbzeit\n"));
  EXPECT_EQ(lView.Messages(), QStringList{"Halbzeit"});
  EXPECT_EQ(lView.Position(), 6);
}

TEST_F(ConsoleView, OnATerminalTheBarRedrawsByPercentNotByRow) {
  TConsoleRunView lView(QStringLiteral("2026-03-01"), &FErr, true, 72);
  PlayRun(lView, 2000);
  const QString lOut = Written();
  EXPECT_TRUE(lOut.startsWith(QStringLiteral("Dokumente extrahieren...\n\r[")));
  // One drawing per percent (plus the first and the one after the message), not per row.
  const auto lDraws = lOut.count(u'\r');
  EXPECT_GE(lDraws, 100);
  EXPECT_LE(lDraws, 110);
  // The message starts on a line of its own; the bar ends its line when the run ends.
  EXPECT_TRUE(lOut.contains(QStringLiteral("\x1b[K\nHalbzeit\n\r[")));
  EXPECT_TRUE(lOut.endsWith(QStringLiteral("[##############################] 100% 2000/2000 "
                                           "doc_2000.pdf ...\x1b[K\n")));
  for (const QString& lLine : lOut.split(u'\r'))
    EXPECT_LE(lLine.section(QStringLiteral("\x1b[K"), 0, 0).size(), 71) << qPrintable(lLine);
}

TEST_F(ConsoleView, BarLineKeepsTheEndOfALongName) {
  TConsoleRunView lView(QString(), &FErr, true, 60);
  lView.SetProgressMax(4);
  EXPECT_EQ(lView.BarLine(QStringLiteral("x")),
            QStringLiteral("[------------------------------]   0% 0/4 x"));
  lView.StepProgress(QStringLiteral("a"));
  const QString lLine = lView.BarLine(QStringLiteral("Archiv.2023/") + QString(40, u'b') +
                                      QStringLiteral("_19.pdf ..."));
  EXPECT_EQ(lLine.size(), 59);
  EXPECT_TRUE(lLine.startsWith(QStringLiteral("[#######-----------------------]  25% 1/4 ...")));
  EXPECT_TRUE(lLine.endsWith(QStringLiteral("b_19.pdf ...")));
  lView.SetProgressMax(0); // no rows: an empty bar, never a division by zero
  EXPECT_TRUE(lView.BarLine(QString()).startsWith(QStringLiteral("[------")));
}

} // namespace
