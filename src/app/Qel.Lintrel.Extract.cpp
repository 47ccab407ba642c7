// The headless extraction program for scheduled runs: the window program's extraction run
// with the same INI file, database, log and copy service, driven by the command line. The
// date comes from --since, the folders default as the window's fields do; a summary goes to
// the standard output, messages and a progress bar (on a terminal) to the error output.
#include "Qel.Lintrel.Console.h"
#include "Qel.Lintrel.Run.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.Config.Data.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.Modules.h"
#include "Qel.Shared.PathsAndFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const QString cProgram = QStringLiteral("Qel_Lintrel_Extract");

void Print(FILE* aStream, const QString& aText) {
  std::fputs(aText.toUtf8().constData(), aStream);
  std::fflush(aStream);
}

void PrintError(const QString& aText) {
  Print(stderr, cProgram + QStringLiteral(": ") + aText + u'\n');
}

// The width of the terminal behind the error output; 80 when it cannot be told.
int TerminalWidth() {
  winsize lSize{};
  return ioctl(STDERR_FILENO, TIOCGWINSZ, &lSize) == 0 && lSize.ws_col > 0 ? lSize.ws_col : 80;
}

QString TmpFolder() {
  return TPathsAndFiles::Instance()->PathLst()->GetPath(ptTmp)->Path();
}

// The window's source field: the document folder of the application settings when the
// database is reachable, else the Tmp folder.
QString DefaultSource(TConfigDatabaseData* aDatabase) {
  if (aDatabase->Connected())
    return aDatabase->GetAppSettings()->ReadString(QStringLiteral("KORRESPONDENZ"),
                                                   QStringLiteral("pfad"), QString());
  return TmpFolder();
}

QString IniFileName() {
  const TFileData* lIni = TPathsAndFiles::Instance()->FileLst()->AppIni();
  return lIni ? lIni->FileName() : QString();
}

// Why a run did not start, told by the run's checks in their order (the date was read
// before the run, so it cannot be the cause).
int NotStartedExit(TConfigDatabaseData* aDatabase, const QString& aDst) {
  if (!TLintrelRun::DestinationExists(aDst)) {
    PrintError(QStringLiteral("the destination folder \"%1\" does not exist").arg(aDst));
    return eeMissingDestination;
  }
  PrintError(QStringLiteral("the database \"%1\" cannot be reached (configured in \"%2\")")
                 .arg(aDatabase->GetCaption(), IniFileName()));
  return eeNoDatabase;
}

int Extract(const TExtractOptions& aOptions) {
  QString lAnswer;
  if (!TLintrelConsole::DateAnswer(aOptions.Date, lAnswer)) {
    PrintError(QStringLiteral("the date \"%1\" cannot be written in the short date format %2")
                   .arg(aOptions.Since, TLintrelConsole::ShortDatePattern()));
    return eeBadArguments;
  }
  TConfigDatabaseData* lDatabase = TPathsAndFiles::Instance()->GetConfig()->Database();
  const QString lDst = aOptions.HasDest ? aOptions.Dest : TmpFolder();
  QString lSrc = aOptions.Source;
  try {
    if (!aOptions.HasSource)
      lSrc = DefaultSource(lDatabase);
  } catch (const std::exception& e) {
    PrintError(QStringLiteral("reading the document folder from the settings failed: ") +
               ExceptionMessages(e).join(QStringLiteral(" | ")));
    return eeQueryError;
  }

  QFile lErr;
  if (!lErr.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
    return eeFailure;
  const bool lTerminal = isatty(STDERR_FILENO) == 1;
  TConsoleRunView lView(lAnswer, &lErr, lTerminal, lTerminal ? TerminalWidth() : 80);
  TLintrelRun lRun(lDatabase, &lView);
  TLintrelSummary lSummary;
  try {
    lSummary = lRun.Execute(lSrc, lDst);
  } catch (const std::exception& e) {
    PrintError(QStringLiteral("the document query failed: ") +
               ExceptionMessages(e).join(QStringLiteral(" | ")));
    return eeQueryError;
  }
  if (!lSummary.Started)
    return NotStartedExit(lDatabase, lDst);

  Print(stdout, QStringLiteral("Source:          %1\nDestination:     %2\n").arg(lSrc, lDst) +
                    TLintrelConsole::SummaryText(lSummary));
  if (const TLogging* lLogger = TLogging::Instance(); lLogger && lLogger->File())
    Print(stdout, QStringLiteral("Log file:        %1\n").arg(lLogger->File()->FileName()));
  if (lSummary.AllHandled())
    return eeAllHandled;
  PrintError(QStringLiteral("%1 of %2 rows were not copied (see the summary)")
                 .arg(lSummary.Rows - lSummary.Copied)
                 .arg(lSummary.Rows));
  return eeNotAllHandled;
}

} // namespace

int main(int argc, char** argv) {
  const QCoreApplication lApp(argc, argv);
  TExtractOptions lOptions;
  QString lText;
  switch (TLintrelConsole::ParseArguments(QCoreApplication::arguments(), lOptions, lText)) {
  case epHelp:
    Print(stdout, lText);
    return eeAllHandled;
  case epError:
    PrintError(lText + QStringLiteral(" (see --help)"));
    return eeBadArguments;
  case epRun:
    break;
  }
  // Modules start only for a real run, so that --help and bad arguments leave no traces.
  TModuleTable lModules(FrameworkModules());
  lModules.Initialize();
  int lExit = eeFailure;
  try {
    lExit = Extract(lOptions);
  } catch (const std::exception& e) {
    PrintError(QStringLiteral("unexpected error: ") + QString::fromUtf8(e.what()));
  }
  lModules.Finalize();
  return lExit;
}
