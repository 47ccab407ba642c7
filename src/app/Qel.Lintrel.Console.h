#pragma once
// The headless extraction program's pieces that tests use without starting it: its command
// line, its exit codes and the view through which the extraction run talks to a terminal.

#include "Qel.Lintrel.Run.h"
#include "Qel.Rtl.DateTime.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

class QIODevice;

// Exit codes of the headless program; 0 only when every selected row was copied.
enum TExtractExit : int {
  eeAllHandled = 0,
  eeFailure = 1,            // anything not listed below (an unexpected error)
  eeBadArguments = 2,       // unknown or missing options, or a date that cannot be read
  eeMissingDestination = 3, // the destination folder does not exist
  eeNoDatabase = 4,         // the configured database cannot be reached
  eeNotAllHandled = 5,      // the run ended, but some rows were not copied
  eeQueryError = 6,         // the document query failed
};

// What the command line asks for.
struct TExtractOptions {
  QString Since;  // --since as given
  TDateTime Date; // the date read from it
  QString Source; // --source; empty when not given
  QString Dest;   // --dest; empty when not given
  bool HasSource = false;
  bool HasDest = false;
};

enum TExtractParse { epRun, epHelp, epError };

class TLintrelConsole {
public:
  // Reads aArguments (the program name first). epHelp leaves the help text in aText, epError
  // the reason; epRun fills aOptions.
  static TExtractParse ParseArguments(const QStringList& aArguments, TExtractOptions& aOptions,
                                      QString& aText);

  // A date given on the command line: yyyy-mm-dd, or the user's short date format.
  static bool ReadDate(const QString& aText, TDateTime& aDate);
  // The user's short date format as a reader sees it (dd.mm.yyyy, say).
  static QString ShortDatePattern();
  // The forms a date may take, for messages: "yyyy-mm-dd or dd.mm.yyyy".
  static QString DateForms();
  // The text that answers the run's date prompt with aDate: the date in the user's short
  // date format. False when that text does not read back as aDate (a two-digit year format
  // cannot hold every year).
  static bool DateAnswer(TDateTime aDate, QString& aAnswer);

  // The summary lines printed after a run.
  static QString SummaryText(const TLintrelSummary& aSummary);
};

// The run's view on a terminal: the date prompt is answered with the given text, messages go
// to the error stream, and a progress bar is drawn there when it is a terminal. Nothing
// pauses: no delay per row, no delay at the end.
class TConsoleRunView : public ILintrelRunView {
public:
  // aErr receives messages and the progress bar (not owned); aProgressBar when aErr is a
  // terminal; aWidth is the terminal's width in characters.
  TConsoleRunView(QString aAnswer, QIODevice* aErr, bool aProgressBar, int aWidth = 80);

  QString AskDate(const QString& aCaption, const QString& aPrompt,
                  const QString& aDefault) override;
  void ShowMessage(const QString& aText) override;
  void BeginProgress(const QString& aMessage) override;
  void SetProgressMax(int aMax) override;
  void StepProgress(const QString& aMessage) override;
  void EndProgress() override;
  void ShowLog() override {}
  void FinishLog(int /*aSeconds*/) override {}

  // Every message shown, in order.
  const QStringList& Messages() const { return FMessages; }
  int Position() const { return FPosition; }
  // The bar's line for the current position: "[####----]  50% 3/6 name".
  QString BarLine(const QString& aMessage) const;

private:
  void Write(const QString& aText);
  void DrawBar(const QString& aMessage);

  QString FAnswer;
  QIODevice* FErr;
  bool FProgressBar;
  int FWidth;
  int FMax = 0;
  int FPosition = 0;
  bool FBarShown = false;
  int FDrawnPercent = -1;
  QElapsedTimer FSinceDraw;
  QStringList FMessages;
};
