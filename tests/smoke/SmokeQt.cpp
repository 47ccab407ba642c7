// Qt Widgets really works headless: a widget with a label shows and paints off screen.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

TEST(SmokeQt, WidgetWithLabelShowsAndPaints) {
  // QApplication keeps argc/argv by reference, so they must outlive it. The application lives
  // on the stack: destroying it among the static objects at exit crashes inside Qt.
  static int sArgc = 1;
  static char sName[] = "test_smoke";
  static char* sArgv[] = {sName, nullptr};
  if (!std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication lApp(sArgc, sArgv);
  ASSERT_FALSE(QApplication::platformName().isEmpty());

  QWidget lWidget;
  auto* lLayout = new QVBoxLayout(&lWidget);
  auto* lLabel = new QLabel(QStringLiteral("Smoke test"), &lWidget);
  lLayout->addWidget(lLabel);
  lWidget.resize(240, 80);
  lWidget.show();
  lApp.processEvents();

  EXPECT_TRUE(lWidget.isVisible());
  EXPECT_TRUE(lLabel->isVisible());
  EXPECT_EQ(lLabel->text(), QStringLiteral("Smoke test"));

  const QPixmap lPixmap = lWidget.grab();
  ASSERT_FALSE(lPixmap.isNull());
  EXPECT_EQ(lPixmap.deviceIndependentSize().toSize(), lWidget.size());
  EXPECT_EQ(lWidget.size(), QSize(240, 80));
}
