// Pictures of the program during a real run: the main window, the wait dialog over it and the
// log viewer filling, written as PNG files to the build folder (tests/screenshots). Under
// Xvfb (the "screenshots" test) the whole screen is taken as well, as the user would see it.
#include "Qel.Lintrel.Main.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.Logging.Viewer.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Shared.Wait.Dlg.h"
#include "Qel.Ui.FolderEdit.h"
#include "QelTestDatabase.h"
#include "QelTestFolder.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QInputDialog>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString ScreenshotFile(const QString& aName) {
  const QString lFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
  QDir().mkpath(lFolder);
  return lFolder + u'/' + aName;
}

bool OnRealScreen() {
  return QGuiApplication::platformName() == QStringLiteral("xcb");
}

TFrmWait* VisibleWaitDialog() {
  for (QWidget* lWidget : QApplication::topLevelWidgets())
    if (auto* lWait = qobject_cast<TFrmWait*>(lWidget); lWait && lWait->isVisible())
      return lWait;
  return nullptr;
}

TEST(AppScreenshots, MainWindowWaitDialogAndLogViewerDuringARun) {
  SetFormatSettings(TFormatSettings::Invariant());
  TTestProgramFolder lFolder;
  const auto lDb = TTestDatabase::WithAppSchema();
  // 400 small letters, so that the run takes a while and the log fills with their copies.
  constexpr int cLetters = 400;
  lDb->Exec(
      QStringLiteral("SET TERM ^ ;\n"
                     "EXECUTE BLOCK AS\n"
                     "DECLARE i INTEGER = 0;\n"
                     "BEGIN\n"
                     "  WHILE (i < %1) DO BEGIN\n"
                     "    INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, CRE_DAT)\n"
                     "    VALUES (:i + 1, 'Brief ' || :i || '.docx', 'Brief ' || :i || '.docx',\n"
                     "            TIMESTAMP '2024-01-02 00:00:00');\n"
                     "    i = i + 1;\n"
                     "  END\n"
                     "END\n")
          .arg(cLetters));
  for (int i = 0; i < cLetters; ++i)
    lFolder.WriteFile(QStringLiteral("Dokumente/Brief %1.docx").arg(i), "letter");
  lFolder.WriteFile(QStringLiteral("Prog/Bin/app.ini"),
                    "[Database]\nDatabase=" + lDb->FileName().toUtf8() + "\n");
  TPathsAndFiles::FinalizeInstance();

  TfrmMain lMain;
  lMain.jdeSrc()->SetText(lFolder.Root() + QStringLiteral("Dokumente"));
  lMain.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&lMain));
  ASSERT_TRUE(lMain.grab().save(ScreenshotFile(QStringLiteral("main_window.png"))));

  // Answers the date prompt, then takes the pictures once the run is under way.
  bool lTaken = false;
  QTimer lTimer;
  QObject::connect(&lTimer, &QTimer::timeout, [&] {
    if (auto* lInput = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      lInput->setTextValue(QStringLiteral("2024-01-01"));
      lInput->accept();
      return;
    }
    TFrmWait* lWait = VisibleWaitDialog();
    TfrmLoggingViewer* lViewer = TfrmLoggingViewer::Instance();
    if (lTaken || !lWait || !lViewer || lWait->Position() < 100)
      return;
    lTaken = true;
    EXPECT_TRUE(lWait->grab().save(ScreenshotFile(QStringLiteral("run_wait_dialog.png"))));
    EXPECT_TRUE(lViewer->grab().save(ScreenshotFile(QStringLiteral("run_log_viewer.png"))));
    if (OnRealScreen()) {
      EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
          ScreenshotFile(QStringLiteral("run_screen.png"))));
    }
  });
  lTimer.start(20);
  QTest::mouseClick(lMain.findChild<QPushButton*>(QStringLiteral("btnExecute")), Qt::LeftButton);
  EXPECT_TRUE(lTaken) << "the run ended before the pictures were taken";
  for (const char* lName : {"main_window.png", "run_wait_dialog.png", "run_log_viewer.png"})
    EXPECT_GT(QFileInfo(ScreenshotFile(QString::fromUtf8(lName))).size(), 1000) << lName;
  TPathsAndFiles::FinalizeInstance();
}

} // namespace
