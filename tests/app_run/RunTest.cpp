// One extraction run on a real embedded database and real files: the copies and their names,
// the checks in their order, the refused rows, and a second run that sets the first aside.
#include "Qel.Lintrel.Run.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Shared.Config.Data.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelLogCapture.h"
#include "QelTestDatabase.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

// Answers the date prompt with a fixed text and records everything else.
class TScriptedView : public ILintrelRunView {
public:
  explicit TScriptedView(QString aAnswer) : FAnswer(std::move(aAnswer)) {}
  QString AskDate(const QString& aCaption, const QString& aPrompt,
                  const QString& aDefault) override {
    FEvents << QStringLiteral("ask:") + aCaption + u'|' + aPrompt;
    FDefault = aDefault;
    return FAnswer.isNull() ? aDefault : FAnswer;
  }
  void ShowMessage(const QString& aText) override { FEvents << QStringLiteral("msg:") + aText; }
  void BeginProgress(const QString& aMessage) override {
    FEvents << QStringLiteral("begin:") + aMessage;
  }
  void SetProgressMax(int aMax) override { FEvents << QStringLiteral("max:%1").arg(aMax); }
  void StepProgress(const QString& aMessage) override { FSteps << aMessage; }
  void EndProgress() override { FEvents << QStringLiteral("end"); }
  void ShowLog() override { FEvents << QStringLiteral("log"); }
  void FinishLog(int aSeconds) override { FEvents << QStringLiteral("finish:%1").arg(aSeconds); }

  QString FAnswer;
  QString FDefault;
  QStringList FEvents;
  QStringList FSteps;
};

class LintrelRun : public ::testing::Test {
protected:
  void SetUp() override {
    SetFormatSettings(TFormatSettings::Invariant());
    FDb = TTestDatabase::WithAppSchema();
    FDb->Exec(QStringLiteral("INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                             "(17, 'Brief.docx', 'Briefe\\Brief.docx', '2026-03-02 08:00:00');\n"
                             "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                             "(18, 'Notiz', 'Notiz', '2026-03-01 00:00:00');\n"
                             "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                             "(19, 'Archiv.2023\\Brief', 'alt/Brief', '2026-03-05 12:00:00');\n"
                             "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                             "(20, 'Fehlt.pdf', 'Fehlt.pdf', '2026-03-05 12:00:00');\n"
                             "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                             "(21, '..\\..\\boot.ini', 'Brief.docx', '2026-03-05 12:00:00');\n"
                             "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                             "(22, NULL, 'Notiz', '2026-03-05 12:00:00');\n"
                             "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                             "(23, 'Alt.txt', 'Notiz', '2026-02-28 23:59:59');\n"));
    FSrc = FFolder.Root() + QStringLiteral("Dokumente/");
    FDst = FFolder.Root() + QStringLiteral("Ziel");
    FFolder.WriteFile(QStringLiteral("Dokumente/Briefe/Brief.docx"), "letter");
    FFolder.WriteFile(QStringLiteral("Dokumente/Notiz"), "note");
    FFolder.WriteFile(QStringLiteral("Dokumente/alt/Brief"), "old letter");
    FFolder.WriteFile(QStringLiteral("Dokumente/Brief.docx"), "not to be copied out");
    QDir().mkpath(FDst);
    FFolder.WriteFile(QStringLiteral("Prog/Bin/app.ini"),
                      "[Database]\nDatabase=" + FDb->FileName().toUtf8() + "\n");
    TPathsAndFiles::FinalizeInstance();
    FDatabase = TPathsAndFiles::Instance()->GetConfig()->Database();
  }
  void TearDown() override { TPathsAndFiles::FinalizeInstance(); }

  TLintrelSummary Run(TScriptedView& aView, const QString& aDst) {
    TLintrelRun lRun(FDatabase, &aView);
    return lRun.Execute(FSrc, aDst);
  }

  TTestProgramFolder FFolder;
  std::unique_ptr<TTestDatabase> FDb;
  TConfigDatabaseData* FDatabase = nullptr;
  QString FSrc;
  QString FDst;
};

TEST_F(LintrelRun, CopiesEveryDocumentSinceTheDateUnderItsID) {
  TScriptedView lView(QStringLiteral("2026-03-01"));
  TLogCapture lLog;
  const TLintrelSummary lSummary = Run(lView, FDst);
  EXPECT_EQ(lView.FEvents,
            (QStringList{"begin:Dokumente extrahieren...", "ask:Daten extrahieren ab ... |Datum",
                         "log", "max:6", "end", "finish:5"}));
  EXPECT_EQ(lView.FDefault, DateToStr(Date()));
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Brief_17.docx")), QByteArray("letter"));
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Notiz_18")), QByteArray("note"));
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Archiv.2023/Brief_19")), QByteArray("old letter"));
  EXPECT_FALSE(QFile::exists(FDst + QStringLiteral("/Alt_23.txt"))); // created the day before
  EXPECT_FALSE(QFile::exists(FFolder.Root() + QStringLiteral("boot_21.ini")));
  EXPECT_EQ(lSummary.Rows, 6);
  EXPECT_EQ(lSummary.Copied, 3);
  EXPECT_EQ(lSummary.MissingSources, 1);
  EXPECT_EQ(lSummary.Refused, 2);
  EXPECT_EQ(lSummary.SetAside, 0);
  EXPECT_FALSE(lSummary.AllHandled());
  EXPECT_TRUE(lView.FSteps.contains(QStringLiteral("Brief_17.docx ...")));
  EXPECT_EQ(lLog.Count(ltError, QStringLiteral("skipped")), 2);
  EXPECT_TRUE(lLog.Contains(ltInformation, QStringLiteral("Copied file '") + FSrc +
                                               QStringLiteral("Briefe/Brief.docx' to '")));

  // The same range again: each copy is set aside under its time-stamped name first.
  TScriptedView lAgain(QStringLiteral("2026-03-01"));
  const TLintrelSummary lSecond = Run(lAgain, FDst);
  EXPECT_EQ(lSecond.Copied, 3);
  EXPECT_EQ(lSecond.SetAside, 3);
  EXPECT_EQ(QDir(FDst).entryList(QDir::Files).size(), 4);
}

TEST_F(LintrelRun, ChecksStopTheRunWithTheirMessageInTheirOrder) {
  enum TDst { dsThere, dsMissing, dsEmpty };
  const struct {
    const char* Answer;
    TDst Dst;
    bool NoDatabase;
    const char* Message;
  } cCases[] = {
      {"31.02.2026", dsMissing, true, "Kein gültiges Datum angegeben!"},
      {"2026-03-01", dsMissing, true, "Das Verzeichnis \"%1\" scheint nicht zu existieren!"},
      // An empty field would be the root of the file system.
      {"2026-03-01", dsEmpty, false, "Das Verzeichnis \"%1\" scheint nicht zu existieren!"},
      {"2026-03-01", dsThere, true, "Datenbankverbindung konnte nicht hergestellt werden!"},
  };
  for (const auto& c : cCases) {
    TScriptedView lView(QString::fromUtf8(c.Answer));
    const QString lDst = c.Dst == dsThere     ? FDst
                         : c.Dst == dsMissing ? FFolder.Root() + QStringLiteral("nicht da")
                                              : QString();
    if (c.NoDatabase)
      FDatabase->SetDatabase(FFolder.Root() + QStringLiteral("none.fdb"));
    const TLintrelSummary lSummary = Run(lView, lDst);
    EXPECT_FALSE(lSummary.Started) << c.Message;
    EXPECT_EQ(lView.FEvents,
              (QStringList{"begin:Dokumente extrahieren...", "ask:Daten extrahieren ab ... |Datum",
                           QStringLiteral("msg:") + QString::fromUtf8(c.Message).arg(lDst), "end",
                           "finish:5"}));
  }
  EXPECT_TRUE(QDir(FDst).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(LintrelRun, CancelledPromptRunsWithToday) {
  TScriptedView lView{QString()};
  const TLintrelSummary lSummary = Run(lView, FDst);
  EXPECT_TRUE(lSummary.Started);
  EXPECT_EQ(lSummary.Rows, 0); // every document is older than today
  EXPECT_TRUE(lView.FEvents.contains(QStringLiteral("max:0")));
}

} // namespace
