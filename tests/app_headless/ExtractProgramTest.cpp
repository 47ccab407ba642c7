// The real headless program, started as a process from a program folder of its own on an
// embedded database with real files: a run with its summary, copies and log, the window's
// default folders, an exit status per outcome, and a row whose name leads out of the
// destination.
#include "QelTestDatabase.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

// Every file below aFolder, relative to it, sorted.
QStringList FilesBelow(const QString& aFolder) {
  QStringList lFiles;
  QDirIterator lIt(aFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (lIt.hasNext())
    lFiles << QDir(aFolder).relativeFilePath(lIt.next());
  lFiles.sort();
  return lFiles;
}

struct TProgramResult {
  int Exit = -1;
  QString Out;
  QString Err;
};

enum TDatabaseKind { dkApp, dkMissingFile, dkClosedPort, dkNoTable };

class ExtractProgram : public ::testing::Test {
protected:
  void SetUp() override {
    FDb = TTestDatabase::WithAppSchema();
    FSrc = FFolder.Root() + QStringLiteral("Dokumente/");
    FDst = FFolder.Root() + QStringLiteral("Ziel");
    FDb->Exec(
        QStringLiteral("INSERT INTO APP_SETTINGS (SECTION, IDENT, VAL) VALUES "
                       "('KORRESPONDENZ', 'pfad', '%1');\n"
                       "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                       "(17, 'Brief.docx', 'Briefe\\Brief.docx', '2026-03-02 08:00:00');\n"
                       "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                       "(18, 'Notiz', 'Notiz', '2026-03-01 00:00:00');\n"
                       "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                       "(19, 'Archiv.2023\\Grüße.txt', 'alt/Grüße.txt', '2026-03-05 12:00:00');\n"
                       "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                       "(23, 'Alt.txt', 'Notiz', '2026-02-28 23:59:59');\n")
            .arg(FSrc));
    FFolder.WriteFile(QStringLiteral("Dokumente/Briefe/Brief.docx"), "letter");
    FFolder.WriteFile(QStringLiteral("Dokumente/Notiz"), "note");
    FFolder.WriteFile(QStringLiteral("Dokumente/alt/Grüße.txt"), "greetings");
    QDir().mkpath(FDst);
    ASSERT_TRUE(QFile::copy(QStringLiteral(QEL_EXTRACT_PROGRAM), FFolder.ProgramFile()));
    WriteIni(dkApp);
  }

  void WriteIni(TDatabaseKind aKind) {
    QByteArray lServer, lDatabase = FDb->FileName().toUtf8();
    if (aKind == dkMissingFile)
      lDatabase = FFolder.Root().toUtf8() + "none.fdb";
    if (aKind == dkClosedPort)
      lServer = "127.0.0.1/" + QByteArray::number(ClosedLoopbackPort());
    if (aKind == dkNoTable) {
      FOther = std::make_unique<TTestDatabase>(QStringLiteral("CREATE TABLE X (A INTEGER);"));
      lDatabase = FOther->FileName().toUtf8();
    }
    QFile::remove(FFolder.Main() + QStringLiteral("Bin/app.ini"));
    FFolder.WriteFile(QStringLiteral("Prog/Bin/app.ini"),
                      "[Database]\nServer=" + lServer + "\nDatabase=" + lDatabase + "\n");
  }

  TProgramResult Run(const QStringList& aArgs, const QString& aLocale = QStringLiteral("C")) {
    QProcess lProcess;
    QProcessEnvironment lEnv = QProcessEnvironment::systemEnvironment();
    lEnv.insert(QStringLiteral("LC_ALL"), aLocale);
    lProcess.setProcessEnvironment(lEnv);
    lProcess.setWorkingDirectory(FFolder.Root());
    lProcess.start(FFolder.ProgramFile(), aArgs);
    TProgramResult lResult;
    if (!lProcess.waitForFinished(60000))
      return lResult;
    lResult.Exit = lProcess.exitStatus() == QProcess::NormalExit ? lProcess.exitCode() : -1;
    lResult.Out = QString::fromUtf8(lProcess.readAllStandardOutput());
    lResult.Err = QString::fromUtf8(lProcess.readAllStandardError());
    return lResult;
  }

  // The lines of the program's log files.
  QStringList LogLines() const {
    QStringList lLines;
    for (const QString& lFile : FilesBelow(FFolder.Main() + QStringLiteral("Log")))
      if (lFile.endsWith(QStringLiteral(".log")))
        lLines << QString::fromUtf8(ReadAll(FFolder.Main() + QStringLiteral("Log/") + lFile))
                      .split(QStringLiteral("\r\n"));
    return lLines;
  }
  qsizetype CountLog(const QString& aPart1, const QString& aPart2) const {
    qsizetype lCount = 0;
    for (const QString& lLine : LogLines())
      lCount += lLine.contains(aPart1) && lLine.contains(aPart2) ? 1 : 0;
    return lCount;
  }

  TTestProgramFolder FFolder{QStringLiteral("Qel_Lintrel_Extract")};
  std::unique_ptr<TTestDatabase> FDb;
  std::unique_ptr<TTestDatabase> FOther;
  QString FSrc;
  QString FDst;
};

TEST_F(ExtractProgram, CopiesEveryDocumentSinceTheDateAndPrintsTheSummary) {
  const TProgramResult lFirst = Run(
      {QStringLiteral("--since"), QStringLiteral("2026-03-01"), QStringLiteral("--dest"), FDst});
  ASSERT_EQ(lFirst.Exit, 0) << qPrintable(lFirst.Err);
  EXPECT_TRUE(lFirst.Err.isEmpty()) << qPrintable(lFirst.Err); // no bar without a terminal
  EXPECT_TRUE(lFirst.Out.startsWith(
      QStringLiteral("Source:          %1\nDestination:     %2\n"
                     "Rows:            3\nCopied:          3\nMissing sources: 0\n"
                     "Set aside:       0\nRefused:         0\nFailed:          0\nLog file:  ")
          .arg(FSrc, FDst)))
      << qPrintable(lFirst.Out);
  EXPECT_EQ(FilesBelow(FDst),
            (QStringList{"Archiv.2023/Grüße_19.txt", "Brief_17.docx", "Notiz_18"}));
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Brief_17.docx")), QByteArray("letter"));
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Archiv.2023/Grüße_19.txt")), QByteArray("greetings"));
  EXPECT_EQ(CountLog(QStringLiteral("Copied file '") + FSrc, QStringLiteral("' to '") + FDst), 3);

  // The user's short date format, and a second run that sets the first copies aside.
  const TProgramResult lSecond =
      Run({QStringLiteral("--dest"), FDst, QStringLiteral("--since"), QStringLiteral("01.03.2026")},
          QStringLiteral("de_DE.UTF-8"));
  ASSERT_EQ(lSecond.Exit, 0) << qPrintable(lSecond.Err);
  EXPECT_TRUE(lSecond.Out.contains(QStringLiteral("Copied:          3\n")))
      << qPrintable(lSecond.Out);
  EXPECT_TRUE(lSecond.Out.contains(QStringLiteral("Set aside:       3\n")))
      << qPrintable(lSecond.Out);
  EXPECT_EQ(FilesBelow(FDst).size(), 6);
}

TEST_F(ExtractProgram, FoldersDefaultAsTheWindowsFields) {
  // No --dest: the Tmp folder; no --source: the document folder of the settings.
  const TProgramResult lDefaults = Run({QStringLiteral("--since"), QStringLiteral("2026-03-05")});
  ASSERT_EQ(lDefaults.Exit, 0) << qPrintable(lDefaults.Err);
  EXPECT_EQ(ReadAll(FFolder.Main() + QStringLiteral("Tmp/Archiv.2023/Grüße_19.txt")),
            QByteArray("greetings"));

  // Both given: the settings do not matter.
  FFolder.WriteFile(QStringLiteral("Andere/alt/Grüße.txt"), "other greetings");
  const TProgramResult lGiven =
      Run({QStringLiteral("--since"), QStringLiteral("2026-03-05"), QStringLiteral("--source"),
           FFolder.Root() + QStringLiteral("Andere"), QStringLiteral("--dest"), FDst});
  ASSERT_EQ(lGiven.Exit, 0) << qPrintable(lGiven.Err);
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Archiv.2023/Grüße_19.txt")),
            QByteArray("other greetings"));
}

TEST_F(ExtractProgram, EachFailureHasItsExitStatusAndAClearMessage) {
  const QString lMissing = FFolder.Root() + QStringLiteral("nicht da");
  const struct {
    int Exit;
    TDatabaseKind Database;
    const char* Locale;
    bool MissingFileRow; // a row whose document is not in the source folder
    QStringList Args;
    QStringList Messages; // %1: the missing folder
  } cCases[] = {
      // clang-format off
      {2, dkApp, "C", false, {"--since", "2026-02-30"},
       {"Qel_Lintrel_Extract: Not a valid date: \"2026-02-30\" (give yyyy-mm-dd) (see --help)"}},
      {2, dkApp, "de_DE.UTF-8", false, {"--since", "31.02.2026"},
       {"Not a valid date: \"31.02.2026\" (give yyyy-mm-dd or dd.mm.yy"}},
      {2, dkApp, "C", false, {"--dest", "/x"}, {"Missing option: --since DATE"}},
      {3, dkApp, "C", false, {"--since", "2026-03-01", "--dest", "%1"},
       {"Das Verzeichnis \"%1\" scheint nicht zu existieren!",
        "Qel_Lintrel_Extract: the destination folder \"%1\" does not exist"}},
      {3, dkApp, "C", false, {"--since", "2026-03-01", "--dest", ""},
       {"Das Verzeichnis \"\" scheint nicht zu existieren!",
        "the destination folder \"\" does not exist"}},
      {3, dkMissingFile, "C", false, {"--since", "2026-03-01", "--dest", "%1"},
       {"the destination folder \"%1\" does not exist"}},
      {4, dkMissingFile, "C", false, {"--since", "2026-03-01"},
       {"Datenbankverbindung konnte nicht hergestellt werden!",
        "Qel_Lintrel_Extract: the database \"", "none.fdb\" cannot be reached (configured in \"",
        "Prog/Bin/app.ini\")"}},
      {4, dkClosedPort, "C", false, {"--since", "2026-03-01"}, {"127.0.0.1/", "cannot be reached"}},
      {5, dkApp, "C", true, {"--since", "2026-03-01"},
       {"Qel_Lintrel_Extract: 1 of 4 rows were not copied (see the summary)"}},
      {6, dkNoTable, "C", false, {"--since", "2026-03-01", "--source", "/"},
       {"Qel_Lintrel_Extract: the document query failed: ", "DOKUMENT"}},
      {6, dkNoTable, "C", false, {"--since", "2026-03-01"},
       {"Qel_Lintrel_Extract: reading the document folder from the settings failed: ",
        "APP_SETTINGS"}},
      // clang-format on
  };

  for (const auto& c : cCases) {
    QStringList lArgs = c.Args;
    if (!lArgs.contains(QStringLiteral("--dest")) && c.Exit != 2)
      lArgs << QStringLiteral("--dest") << FDst;
    lArgs.replaceInStrings(QStringLiteral("%1"), lMissing);
    const QString lLabel = lArgs.join(u' ') + QStringLiteral(" db %1").arg(c.Database);
    WriteIni(c.Database);
    QDir(FDst).removeRecursively();
    QDir().mkpath(FDst);
    if (c.MissingFileRow)
      FDb->Exec(QStringLiteral("INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                               "(20, 'Fehlt.pdf', 'Fehlt.pdf', '2026-03-05 12:00:00');"));
    const TProgramResult lResult = Run(lArgs, QString::fromUtf8(c.Locale));
    EXPECT_EQ(lResult.Exit, c.Exit) << qPrintable(lLabel) << "\n" << qPrintable(lResult.Err);
    for (const QString& lMessage : c.Messages)
      EXPECT_TRUE(lResult.Err.contains(QString(lMessage).replace(QStringLiteral("%1"), lMissing)))
          << qPrintable(lLabel) << ": " << qPrintable(lMessage) << "\n"
          << qPrintable(lResult.Err);
    if (c.Exit == 5) {
      EXPECT_TRUE(lResult.Out.contains(QStringLiteral("Missing sources: 1\n")))
          << qPrintable(lResult.Out);
      EXPECT_EQ(FilesBelow(FDst).size(), 3);
    } else {
      EXPECT_TRUE(lResult.Out.isEmpty()) << qPrintable(lLabel) << "\n" << qPrintable(lResult.Out);
      EXPECT_TRUE(FilesBelow(FDst).isEmpty()) << qPrintable(lLabel);
    }
    EXPECT_FALSE(QDir(lMissing).exists()) << qPrintable(lLabel);
  }
}

TEST_F(ExtractProgram, NamesLeadingOutOfTheDestinationAreRefusedAndTheRunGoesOn) {
  FFolder.WriteFile(QStringLiteral("Dokumente/x.ini"), "[outside]");
  FDb->Exec(QStringLiteral("INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                           "(21, '..\\..\\x.ini', 'x.ini', '2026-03-01 10:00:00');\n"
                           "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                           "(24, 'Archiv/../../../y.ini', 'x.ini', '2026-03-01 10:00:00');\n"
                           "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                           "(25, '%1z.ini', 'x.ini', '2026-03-01 10:00:00');\n")
                .arg(FFolder.Root()));
  const QStringList lBefore = FilesBelow(FFolder.Root());
  const TProgramResult lResult = Run(
      {QStringLiteral("--since"), QStringLiteral("2026-03-01"), QStringLiteral("--dest"), FDst});
  EXPECT_EQ(lResult.Exit, 5) << qPrintable(lResult.Err);
  EXPECT_TRUE(lResult.Out.contains(QStringLiteral("Rows:            6\nCopied:          3\n"
                                                  "Missing sources: 0\nSet aside:       0\n"
                                                  "Refused:         3\n")))
      << qPrintable(lResult.Out);
  // Nothing new outside the destination (the program's own folders aside), not even above
  // the test's folder.
  QStringList lNew = FilesBelow(FFolder.Root());
  for (const QString& lOld : lBefore)
    lNew.removeOne(lOld);
  lNew = lNew.filter(QRegularExpression(QStringLiteral("^(?!Ziel/|Prog/|Common/)")));
  EXPECT_TRUE(lNew.isEmpty()) << qPrintable(lNew.join(u' '));
  EXPECT_FALSE(QFile::exists(FFolder.Root() + QStringLiteral("../x_21.ini")));
  EXPECT_FALSE(QFile::exists(FFolder.Root() + QStringLiteral("../y_24.ini")));
  EXPECT_EQ(FilesBelow(FDst).size(), 3);
  for (const char* lId : {"Document 21 skipped", "Document 24 skipped", "Document 25 skipped"})
    EXPECT_EQ(CountLog(QStringLiteral("[Err]"), QString::fromUtf8(lId)), 1) << lId;
}

} // namespace
