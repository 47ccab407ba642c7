// Pictures of the wait dialog and the log viewer, written as PNG files to the build folder
// (tests/screenshots); the viewer's picture must show its lines in their colours.
#include "Qel.Shared.Logging.Viewer.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.Wait.Dlg.h"
#include "Qel.Ui.HtmlListBox.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

QString ScreenshotFile(const QString& aName) {
  const QString lFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
  QDir().mkpath(lFolder);
  return lFolder + u'/' + aName;
}

// Pixels of aImage close to aColor.
int CountPixels(const QImage& aImage, const QColor& aColor) {
  int lCount = 0;
  for (int y = 0; y < aImage.height(); ++y)
    for (int x = 0; x < aImage.width(); ++x) {
      const QColor lPixel = aImage.pixelColor(x, y);
      if (qAbs(lPixel.red() - aColor.red()) < 60 && qAbs(lPixel.green() - aColor.green()) < 60 &&
          qAbs(lPixel.blue() - aColor.blue()) < 60)
        ++lCount;
    }
  return lCount;
}

TEST(Screenshots, WaitDialogDuringARun) {
  std::unique_ptr<TFrmWait> lFrm;
  TFrmWait::Build(QStringLiteral("Copying documents ..."), 0, lFrm);
  lFrm->SetDelay(0);
  lFrm->SetMax(10);
  for (int i = 1; i <= 4; ++i)
    lFrm->Process(QStringLiteral("Brief_%1.docx").arg(i));
  const QPixmap lPicture = lFrm->grab();
  EXPECT_EQ(lPicture.size(), QSize(475, 75) * lPicture.devicePixelRatio());
  EXPECT_TRUE(lPicture.save(ScreenshotFile(QStringLiteral("wait_dialog.png"))));
}

TEST(Screenshots, LogViewerFillingShowsTheColoursOfTheLines) {
  TfrmLoggingViewer::Execute();
  TfrmLoggingViewer* lViewer = TfrmLoggingViewer::Instance();
  ASSERT_NE(lViewer, nullptr);
  TfrmLoggingViewer::Clear();
  for (int i = 0; i < 5; ++i)
    TLogging::Add(nullptr, QStringLiteral("Screenshot"),
                  QStringLiteral("copied Brief_%1.docx").arg(i));
  TLogging::Add(nullptr, QStringLiteral("Screenshot"), QStringLiteral("a source is missing"),
                ltError);
  TLogging::Add(nullptr, QStringLiteral("Screenshot"), QStringLiteral("set aside"), ltWarning);
  TLogging::Add(nullptr, QStringLiteral("Screenshot"), QStringLiteral("done"), ltSuccess);
  TLogging::Instance()->ForceWrite();
  QCoreApplication::processEvents();
  lViewer->tUpdateTimer();

  const QImage lList =
      lViewer->findChild<THTMListBox*>(QStringLiteral("hlbLogging"))->grab().toImage();
  EXPECT_GT(CountPixels(lList, Qt::blue), 0);
  EXPECT_GT(CountPixels(lList, Qt::red), 0);
  EXPECT_GT(CountPixels(lList, QColor(255, 165, 0)), 0); // orange
  EXPECT_GT(CountPixels(lList, QColor(0, 128, 0)), 0);   // green
  EXPECT_TRUE(lViewer->grab().save(ScreenshotFile(QStringLiteral("log_viewer.png"))));
  TfrmLoggingViewer::Finalize();
}

} // namespace
