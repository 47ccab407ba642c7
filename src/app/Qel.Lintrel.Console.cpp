#include "Qel.Lintrel.Console.h"

#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.FormatSettings.h"

#include <QCommandLineParser>
#include <QDate>
#include <QIODevice>
#include <QRegularExpression>

namespace {

const QString cSince = QStringLiteral("since");
const QString cSource = QStringLiteral("source");
const QString cDest = QStringLiteral("dest");

// The bar redraws at most this often unless its percentage changes.
constexpr qint64 cRedrawMSecs = 100;
constexpr int cBarCells = 30;

QString HelpText(const QString& aProgram) {
  return QStringLiteral(
             "Usage: %1 --since DATE [--source FOLDER] [--dest FOLDER]\n"
             "\n"
             "Copies every document of table DOKUMENT created on or after DATE from the source\n"
             "folder into the destination folder, under its name with \"_\" and its ID before\n"
             "the extension. Database, log and copies as in the window program; the database\n"
             "comes from the INI file (app.ini in Bin, Data or Common, else the program's own).\n"
             "\n"
             "Options:\n"
             "  --since DATE     the earliest creation date: %2\n"
             "  --source FOLDER  the document folder (default: the setting KORRESPONDENZ/pfad\n"
             "                   of the database, else the program's Tmp folder)\n"
             "  --dest FOLDER    the destination folder (default: the program's Tmp folder)\n"
             "  -h, --help       this text\n"
             "\n"
             "Exit status: 0 every row copied; 1 unexpected error; 2 bad arguments or date;\n"
             "3 destination folder missing; 4 database unreachable; 5 rows not all copied;\n"
             "6 the document query failed.\n")
      .arg(aProgram, TLintrelConsole::DateForms());
}

} // namespace

TExtractParse TLintrelConsole::ParseArguments(const QStringList& aArguments,
                                              TExtractOptions& aOptions, QString& aText) {
  QCommandLineParser lParser;
  lParser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption lSince(cSince, QString(), QStringLiteral("DATE"));
  const QCommandLineOption lSource(cSource, QString(), QStringLiteral("FOLDER"));
  const QCommandLineOption lDest(cDest, QString(), QStringLiteral("FOLDER"));
  const QCommandLineOption lHelp(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  lParser.addOptions({lSince, lSource, lDest, lHelp});
  const QString lProgram =
      aArguments.isEmpty() ? QStringLiteral("Qel_Lintrel_Extract") : aArguments.first();
  if (!lParser.parse(aArguments)) {
    aText = lParser.errorText();
    return epError;
  }
  if (lParser.isSet(lHelp)) {
    aText = HelpText(lProgram.section(u'/', -1));
    return epHelp;
  }
  if (!lParser.positionalArguments().isEmpty()) {
    aText = QStringLiteral("Unexpected argument: %1").arg(lParser.positionalArguments().first());
    return epError;
  }
  if (!lParser.isSet(lSince)) {
    aText = QStringLiteral("Missing option: --since DATE (%1)").arg(DateForms());
    return epError;
  }
  aOptions.Since = lParser.value(lSince);
  if (!ReadDate(aOptions.Since, aOptions.Date)) {
    aText = QStringLiteral("Not a valid date: \"%1\" (give %2)").arg(aOptions.Since, DateForms());
    return epError;
  }
  aOptions.HasSource = lParser.isSet(lSource);
  aOptions.Source = lParser.value(lSource);
  aOptions.HasDest = lParser.isSet(lDest);
  aOptions.Dest = lParser.value(lDest);
  return epRun;
}

bool TLintrelConsole::ReadDate(const QString& aText, TDateTime& aDate) {
  // A four-digit year first can only be the ISO form, whatever the user's format.
  static const QRegularExpression cIso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
  const QString lText = aText.trimmed();
  if (cIso.match(lText).hasMatch()) {
    const QDate lDate = QDate::fromString(lText, Qt::ISODate);
    return lDate.isValid() && TryEncodeDate(lDate.year(), lDate.month(), lDate.day(), aDate);
  }
  return !lText.isEmpty() && TryStrToDate(lText, aDate);
}

QString TLintrelConsole::ShortDatePattern() {
  const TFormatSettings& lSettings = FormatSettings();
  QString lPattern = lSettings.ShortDateFormat;
  return lPattern.replace(u'/', lSettings.DateSeparator);
}

QString TLintrelConsole::DateForms() {
  const QString cIso = QStringLiteral("yyyy-mm-dd");
  const QString lShort = ShortDatePattern();
  return lShort == cIso ? cIso : cIso + QStringLiteral(" or ") + lShort;
}

bool TLintrelConsole::DateAnswer(TDateTime aDate, QString& aAnswer) {
  aAnswer = DateToStr(aDate);
  TDateTime lBack;
  return TryStrToDate(aAnswer, lBack) && lBack == aDate;
}

QString TLintrelConsole::SummaryText(const TLintrelSummary& aSummary) {
  const auto lLine = [](const char* aLabel, int aValue) {
    return QStringLiteral("%1 %2\n").arg(QString::fromLatin1(aLabel), -16).arg(aValue);
  };
  return lLine("Rows:", aSummary.Rows) + lLine("Copied:", aSummary.Copied) +
         lLine("Missing sources:", aSummary.MissingSources) +
         lLine("Set aside:", aSummary.SetAside) + lLine("Refused:", aSummary.Refused) +
         lLine("Failed:", aSummary.Failed);
}

// --- TConsoleRunView ----------------------------------------------------------------------

TConsoleRunView::TConsoleRunView(QString aAnswer, QIODevice* aErr, bool aProgressBar, int aWidth)
    : FAnswer(std::move(aAnswer)), FErr(aErr), FProgressBar(aProgressBar),
      FWidth(qMax(aWidth, 40)) {}

QString TConsoleRunView::AskDate(const QString& /*aCaption*/, const QString& /*aPrompt*/,
                                 const QString& /*aDefault*/) {
  return FAnswer;
}

void TConsoleRunView::ShowMessage(const QString& aText) {
  FMessages << aText;
  // A message in the middle of a bar starts on a line of its own.
  Write((FBarShown ? QStringLiteral("\n") : QString()) + aText + u'\n');
  FBarShown = false;
}

void TConsoleRunView::BeginProgress(const QString& aMessage) {
  FMax = 0;
  FPosition = 0;
  FDrawnPercent = -1;
  if (FProgressBar)
    Write(aMessage + u'\n');
}

void TConsoleRunView::SetProgressMax(int aMax) {
  FMax = qMax(aMax, 0);
}

void TConsoleRunView::StepProgress(const QString& aMessage) {
  ++FPosition;
  if (FProgressBar)
    DrawBar(aMessage);
}

void TConsoleRunView::EndProgress() {
  if (FBarShown)
    Write(QStringLiteral("\n"));
  FBarShown = false;
}

QString TConsoleRunView::BarLine(const QString& aMessage) const {
  const int lPosition = FMax > 0 ? qMin(FPosition, FMax) : 0;
  const int lPercent = FMax > 0 ? lPosition * 100 / FMax : 0;
  const int lFilled = FMax > 0 ? lPosition * cBarCells / FMax : 0;
  QString lLine = QStringLiteral("[%1%2] %3% %4/%5 ")
                      .arg(QString(lFilled, u'#'), QString(cBarCells - lFilled, u'-'))
                      .arg(lPercent, 3)
                      .arg(FPosition)
                      .arg(FMax);
  // The name fills what is left of the line, cut at its start so that its end stays visible.
  const int lRoom = FWidth - 1 - static_cast<int>(lLine.size());
  if (lRoom > 3)
    lLine +=
        aMessage.size() <= lRoom ? aMessage : QStringLiteral("...") + aMessage.right(lRoom - 3);
  return lLine;
}

void TConsoleRunView::DrawBar(const QString& aMessage) {
  const int lPercent = FMax > 0 ? qMin(FPosition, FMax) * 100 / FMax : 0;
  const bool lLast = FPosition >= FMax;
  if (FBarShown && lPercent == FDrawnPercent && !lLast && FSinceDraw.isValid() &&
      FSinceDraw.elapsed() < cRedrawMSecs)
    return;
  // Back to the line's start, the bar, and the rest of the old line cleared.
  Write(u'\r' + BarLine(aMessage) + QStringLiteral("\x1b[K"));
  FBarShown = true;
  FDrawnPercent = lPercent;
  FSinceDraw.start();
}

void TConsoleRunView::Write(const QString& aText) {
  if (FErr)
    FErr->write(aText.toUtf8());
}
