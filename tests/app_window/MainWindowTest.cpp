// The real main window on an embedded test database: Execute pressed, the date prompt
// answered, then the copies, their names, the log file, the messages of the checks and the
// log viewer closing after its delay.
#include "Qel.Lintrel.Main.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.Config.Data.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Logging.Viewer.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.Paths.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Ui.FolderEdit.h"
#include "QelTestDatabase.h"
#include "QelTestFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

// Answers the modal dialogs as a user would: the date prompt with a fixed text, message
// boxes with OK; remembers what they said.
class TModalAnswerer : public QObject {
public:
  explicit TModalAnswerer(QString aDate) : FDate(std::move(aDate)) {
    connect(&FTimer, &QTimer::timeout, this, &TModalAnswerer::Answer);
    FTimer.start(10);
  }
  QStringList FPrompts;
  QStringList FMessages;

private:
  void Answer() {
    QWidget* lModal = QApplication::activeModalWidget();
    if (auto* lInput = qobject_cast<QInputDialog*>(lModal)) {
      FPrompts << lInput->windowTitle() + u'|' + lInput->labelText() + u'|' + lInput->textValue();
      lInput->setTextValue(FDate);
      lInput->accept();
    } else if (auto* lBox = qobject_cast<QMessageBox*>(lModal)) {
      FMessages << lBox->text();
      lBox->accept();
    }
  }
  QString FDate;
  QTimer FTimer;
};

class MainWindow : public ::testing::Test {
protected:
  void SetUp() override {
    SetFormatSettings(TFormatSettings::Invariant());
    FDb = TTestDatabase::WithAppSchema();
    FSrc = FFolder.Root() + QStringLiteral("Dokumente/");
    FDst = FFolder.Root() + QStringLiteral("Ziel");
    FDb->Exec(
        QStringLiteral("INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                       "(17, 'Brief.docx', 'Brief.docx', '2026-03-02 08:00:00');\n"
                       "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                       "(18, 'Notiz', 'Notiz', '2026-03-03 00:00:00');\n"
                       "INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT) VALUES "
                       "(19, 'Archiv.2023\\Brief', 'Archiv.2023\\Brief', '2026-03-04 00:00:00');\n"
                       "INSERT INTO APP_SETTINGS (ID, SECTION, IDENT, VAL) VALUES "
                       "(1, 'KORRESPONDENZ', 'pfad', '%1');\n")
            .arg(FSrc));
    FFolder.WriteFile(QStringLiteral("Dokumente/Brief.docx"), "letter");
    FFolder.WriteFile(QStringLiteral("Dokumente/Notiz"), "note");
    FFolder.WriteFile(QStringLiteral("Dokumente/Archiv.2023/Brief"), "archived letter");
    QDir().mkpath(FDst);
    PointAt(FDb->FileName());
  }
  void TearDown() override { TPathsAndFiles::FinalizeInstance(); }

  void PointAt(const QString& aDatabase) {
    FFolder.WriteFile(QStringLiteral("Prog/Bin/app.ini"),
                      "[Database]\nDatabase=" + aDatabase.toUtf8() + "\n");
    TPathsAndFiles::FinalizeInstance();
  }
  QString Tmp() const { return TPathsAndFiles::Instance()->PathLst()->GetPath(ptTmp)->Path(); }
  static void Execute(TfrmMain& aMain) {
    QTest::mouseClick(aMain.findChild<QPushButton*>(QStringLiteral("btnExecute")), Qt::LeftButton);
  }
  QString LogText() const {
    TLogging::Instance()->ForceWrite();
    return QString::fromUtf8(ReadAll(TLogging::Instance()->File()->FileName()));
  }

  TTestProgramFolder FFolder;
  std::unique_ptr<TTestDatabase> FDb;
  QString FSrc;
  QString FDst;
};

TEST_F(MainWindow, ExecuteCopiesTheDocumentsAndASecondRunSetsTheFirstAside) {
  TModalAnswerer lAnswerer(QStringLiteral("2026-03-01"));
  TfrmMain lMain;
  lMain.show();
  EXPECT_TRUE(lAnswerer.FMessages.isEmpty()) << lAnswerer.FMessages.join(u'\n').toStdString();
  EXPECT_EQ(lMain.jdeSrc()->Text(), FSrc);
  EXPECT_EQ(lMain.jdeDst()->Text(), Tmp());
  EXPECT_TRUE(lMain.windowTitle().startsWith(QStringLiteral("Qel_Test (")))
      << lMain.windowTitle().toStdString();

  lMain.jdeDst()->SetText(FDst);
  Execute(lMain);
  ASSERT_EQ(lAnswerer.FPrompts.size(), 1);
  EXPECT_TRUE(lAnswerer.FPrompts[0].startsWith(QStringLiteral("Daten extrahieren ab ... |Datum|")));
  EXPECT_TRUE(lAnswerer.FMessages.isEmpty()) << lAnswerer.FMessages.join(u'\n').toStdString();
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Brief_17.docx")), QByteArray("letter"));
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Notiz_18")), QByteArray("note"));
  EXPECT_EQ(ReadAll(FDst + QStringLiteral("/Archiv.2023/Brief_19")), QByteArray("archived letter"));
  EXPECT_EQ(lMain.LastSummary().Copied, 3);
  // The log viewer was shown during the run and closed after its delay.
  EXPECT_EQ(TfrmLoggingViewer::Instance(), nullptr);
  const QString lLog = LogText();
  for (const char* lName : {"Brief_17.docx", "Notiz_18", "Archiv.2023/Brief_19"})
    EXPECT_TRUE(lLog.contains(QStringLiteral("Copied file '") + FSrc) &&
                lLog.contains(FDst + u'/' + QString::fromUtf8(lName) + u'\''))
        << lName;

  Execute(lMain);
  EXPECT_EQ(lMain.LastSummary().SetAside, 3);
  EXPECT_EQ(QDir(FDst).entryList(QDir::Files).size(), 4);
  EXPECT_TRUE(lMain.findChild<QPushButton*>(QStringLiteral("btnExecute"))->isEnabled());
}

TEST_F(MainWindow, ChecksShowTheirMessages) {
  TfrmMain lMain;
  lMain.jdeDst()->SetText(FDst);
  // A wrong date, then a missing destination, then no database.
  {
    TModalAnswerer lAnswerer(QStringLiteral("not a date"));
    Execute(lMain);
    EXPECT_EQ(lAnswerer.FMessages, QStringList{QStringLiteral("Kein gültiges Datum angegeben!")});
  }

  TModalAnswerer lDated(QStringLiteral("2026-03-01"));
  lMain.jdeDst()->SetText(FFolder.Root() + QStringLiteral("fehlt"));
  Execute(lMain);
  lMain.jdeDst()->SetText(FDst);
  TPathsAndFiles::Instance()->GetConfig()->Database()->SetDatabase(FFolder.Root() +
                                                                   QStringLiteral("none.fdb"));
  Execute(lMain);
  EXPECT_EQ(lDated.FMessages,
            (QStringList{QStringLiteral("Das Verzeichnis \"%1fehlt\" scheint nicht zu existieren!")
                             .arg(FFolder.Root()),
                         QStringLiteral("Datenbankverbindung konnte nicht hergestellt werden!")}));
  EXPECT_TRUE(QDir(FDst).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(MainWindow, UnreachableDatabaseAtStartIsNamedAndBothFieldsShowTmp) {
  PointAt(FFolder.Root() + QStringLiteral("none.fdb"));
  TModalAnswerer lAnswerer{QString()};
  TfrmMain lMain;
  ASSERT_EQ(lAnswerer.FMessages.size(), 1);
  EXPECT_TRUE(lAnswerer.FMessages[0].contains(FFolder.Root() + QStringLiteral("none.fdb")));
  EXPECT_TRUE(lAnswerer.FMessages[0].contains(QStringLiteral("app.ini")));
  EXPECT_EQ(lMain.jdeSrc()->Text(), Tmp());
  EXPECT_EQ(lMain.jdeDst()->Text(), Tmp());
}

TEST_F(MainWindow, SettingsThatCannotBeReadLeaveTheSourceOnTmp) {
  const TTestDatabase lNoSettings(QStringLiteral("CREATE TABLE X (A INTEGER);"));
  PointAt(lNoSettings.FileName());
  TModalAnswerer lAnswerer{QString()};
  TfrmMain lMain;
  EXPECT_TRUE(lAnswerer.FMessages.isEmpty()) << lAnswerer.FMessages.join(u'\n').toStdString();
  EXPECT_EQ(lMain.jdeSrc()->Text(), Tmp());
  EXPECT_TRUE(LogText().contains(QStringLiteral("KORRESPONDENZ/pfad | Exception:")));
}

TEST_F(MainWindow, ClosingDuringARunClosesTheWindowOnceTheRunHasEnded) {
  TModalAnswerer lAnswerer(QStringLiteral("2026-03-01"));
  TfrmMain lMain;
  lMain.jdeDst()->SetText(FDst);
  lMain.show();
  // The user closes the window while the run shows its log.
  int lCloseAttempts = 0;
  bool lClosedAtOnce = false;
  QTimer lCloser;
  QObject::connect(&lCloser, &QTimer::timeout, [&] {
    if (lCloseAttempts == 0 && TfrmLoggingViewer::Instance()) {
      ++lCloseAttempts;
      lClosedAtOnce = lMain.close();
    }
  });
  lCloser.start(10);
  Execute(lMain);
  EXPECT_EQ(lCloseAttempts, 1);
  EXPECT_FALSE(lClosedAtOnce);
  EXPECT_EQ(lMain.LastSummary().Copied, 3);
  EXPECT_FALSE(lMain.isVisible());
}

} // namespace
