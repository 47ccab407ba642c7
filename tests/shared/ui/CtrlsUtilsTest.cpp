// Tab order by position over real Qt controls, and the standard icons of message kinds.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Shared.Ctrls.Utils.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <set>

namespace {

template <typename T> T* Place(QWidget* aParent, const char* aName, int aTop, int aLeft) {
  auto* lCtrl = new T(aParent);
  lCtrl->setObjectName(QString::fromLatin1(aName));
  lCtrl->setGeometry(aLeft, aTop, 60, 20);
  return lCtrl;
}

// The names of the given controls in the window's tab order, starting at aFirst.
QStringList TabSequence(QWidget* aFirst, const std::set<QWidget*>& aCtrls) {
  QStringList lNames;
  QWidget* lCtrl = aFirst;
  do {
    if (aCtrls.count(lCtrl))
      lNames << lCtrl->objectName();
    lCtrl = lCtrl->nextInFocusChain();
  } while (lCtrl != aFirst);
  return lNames;
}

TEST(CtrlsUtils, TabOrderRunsRowByRowThenLeftToRight) {
  QWidget lForm;
  Place<QLabel>(&lForm, "lblCaption", 0, 0); // takes no focus, left alone
  auto* lRight = Place<QLineEdit>(&lForm, "edtRight", 10, 200);
  auto* lLeft = Place<QLineEdit>(&lForm, "edtLeft", 10, 20);
  auto* lBelow = Place<QLineEdit>(&lForm, "edtBelow", 40, 0);
  // One pixel lower counts as the next row, however far left.
  auto* lLower = Place<QSpinBox>(&lForm, "speLower", 41, -500);
  auto* lLast = Place<QPushButton>(&lForm, "btnLast", 41, 300);

  TCtrlsUtils::AutoTabOrder(&lForm);

  EXPECT_EQ(TabSequence(lLeft, {lRight, lLeft, lBelow, lLower, lLast}),
            (QStringList{"edtLeft", "edtRight", "edtBelow", "speLower", "btnLast"}));
}

TEST(CtrlsUtils, ControlsInAGroupBoxAreOrderedWhereTheGroupBoxStands) {
  QWidget lForm;
  auto* lTop = Place<QLineEdit>(&lForm, "edtTop", 10, 0);
  auto* lBottom = Place<QLineEdit>(&lForm, "edtBottom", 200, 0);
  auto* lGroup = Place<QGroupBox>(&lForm, "grpOptions", 50, 0);
  lGroup->resize(300, 100);
  auto* lGroupRight = Place<QPushButton>(lGroup, "btnRight", 20, 150);
  auto* lGroupLeft = Place<QPushButton>(lGroup, "btnLeft", 20, 10);
  // A panel inside the group box holds its own row.
  auto* lPanel = Place<QWidget>(lGroup, "pnlInner", 60, 0);
  lPanel->resize(300, 30);
  auto* lPanelEdit = Place<QLineEdit>(lPanel, "edtInner", 0, 0);

  TCtrlsUtils::AutoTabOrder(&lForm);

  EXPECT_EQ(TabSequence(lTop, {lTop, lBottom, lGroupRight, lGroupLeft, lPanelEdit}),
            (QStringList{"edtTop", "btnLeft", "btnRight", "edtInner", "edtBottom"}));
}

TEST(CtrlsUtils, LaidOutControlsAreOrderedBeforeTheWindowIsShown) {
  // Created bottom first, placed by layouts that have not run yet, one set on a tab page.
  QWidget lForm;
  lForm.resize(400, 300);
  auto* lGrid = new QGridLayout(&lForm);
  auto* lBottom = new QLineEdit(&lForm);
  lBottom->setObjectName(QStringLiteral("edtBottom"));
  auto* lTop = new QLineEdit(&lForm);
  lTop->setObjectName(QStringLiteral("edtTop"));
  auto* lTabs = new QTabWidget(&lForm);
  auto* lPage = new QWidget;
  auto* lPageLayout = new QVBoxLayout(lPage);
  auto* lPageLower = new QLineEdit(lPage);
  lPageLower->setObjectName(QStringLiteral("edtPageLower"));
  auto* lPageUpper = new QLineEdit(lPage);
  lPageUpper->setObjectName(QStringLiteral("edtPageUpper"));
  lPageLayout->addWidget(lPageUpper);
  lPageLayout->addWidget(lPageLower);
  lTabs->addTab(lPage, QStringLiteral("Page"));
  lGrid->addWidget(lTop, 0, 0);
  lGrid->addWidget(lTabs, 1, 0);
  lGrid->addWidget(lBottom, 2, 0);

  TCtrlsUtils::AutoTabOrder(&lForm);

  EXPECT_EQ(TabSequence(lTop, {lTop, lBottom, lPageUpper, lPageLower}),
            (QStringList{"edtTop", "edtPageUpper", "edtPageLower", "edtBottom"}));
}

TEST(CtrlsUtils, CompareOrdersByTopThenLeft) {
  QWidget lForm;
  struct TCase {
    int LeftTop, LeftLeft, RightTop, RightLeft;
    int Expected;
  };
  const TCase cCases[] = {
      {10, 200, 10, 20, 180}, // same row: by left edge
      {10, 0, 40, 0, -30},    // rows: by top edge
      {11, 0, 10, 500, 1},    // one pixel decides
      {7, 7, 7, 7, 0},
  };
  for (const TCase& c : cCases) {
    QWidget lLeft(&lForm), lRight(&lForm);
    lLeft.move(c.LeftLeft, c.LeftTop);
    lRight.move(c.RightLeft, c.RightTop);
    EXPECT_EQ(TCtrlPositionComparer::Compare(&lLeft, &lRight), c.Expected)
        << c.LeftTop << "," << c.LeftLeft << " vs " << c.RightTop << "," << c.RightLeft;
  }
  QWidget lFar(&lForm), lNear(&lForm);
  lFar.move(0, 2'000'000'000);
  lNear.move(0, -2'000'000'000);
  ASSERT_GT(lFar.y() - static_cast<int64_t>(lNear.y()), INT32_MAX);
  EXPECT_THROW(TCtrlPositionComparer::Compare(&lFar, &lNear), EOverflow);
}

TEST(CtrlsUtils, SetIconCreatesTheIconOnceAndReplacesItsPicture) {
  std::unique_ptr<QIcon> lIcon;
  TCtrlsUtils::SetIcon(mtWarning, lIcon);
  ASSERT_NE(lIcon, nullptr);
  EXPECT_FALSE(lIcon->isNull());
  const QImage lWarning = lIcon->pixmap(32).toImage();

  const QIcon* lSame = lIcon.get();
  for (TMsgDlgType lTyp : {mtError, mtInformation, mtConfirmation, mtCustom}) {
    TCtrlsUtils::SetIcon(lTyp, lIcon);
    EXPECT_EQ(lIcon.get(), lSame) << int(lTyp);
    EXPECT_FALSE(lIcon->isNull()) << int(lTyp);
    EXPECT_NE(lIcon->pixmap(32).toImage(), lWarning) << int(lTyp);
  }
}

} // namespace
