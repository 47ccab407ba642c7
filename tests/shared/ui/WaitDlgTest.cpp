// The wait dialog: its window, the bar that never drops below one step, the message, the pause
// and the registry of dialogs.
#include "Qel.Shared.Wait.Dlg.h"
#include "Qel.Ui.ActivityIndicator.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QProgressBar* Bar(const TFrmWait& aFrm) {
  return aFrm.findChild<QProgressBar*>(QStringLiteral("pbMain"));
}
QLabel* Label(const TFrmWait& aFrm) {
  return aFrm.findChild<QLabel*>(QStringLiteral("lblMain"));
}

class WaitDlg : public ::testing::Test {
protected:
  void SetUp() override {
    TFrmWait::Build(QStringLiteral("Copying"), 0, FFrm);
    ASSERT_NE(FFrm, nullptr);
    FFrm->SetDelay(0);
  }
  std::unique_ptr<TFrmWait> FFrm;
};

TEST_F(WaitDlg, BuildShowsABorderlessWindowOnTopWithASpinningIndicator) {
  EXPECT_TRUE(FFrm->isVisible());
  EXPECT_FALSE(FFrm->isModal());
  EXPECT_TRUE(FFrm->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(FFrm->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(FFrm->size(), QSize(475, 75));
  const auto* lIndicator = FFrm->findChild<TActivityIndicator*>(QStringLiteral("aiMain"));
  ASSERT_NE(lIndicator, nullptr);
  EXPECT_TRUE(lIndicator->Animate());
  EXPECT_EQ(Label(*FFrm)->text(), QStringLiteral("Copying"));
  EXPECT_EQ(Label(*FFrm)->alignment(), Qt::AlignCenter);
}

TEST_F(WaitDlg, StaysVisibleUntilFreed) {
  // Escape (a dialog's cancel key) and the window manager's close leave it on screen.
  QTest::keyClick(FFrm.get(), Qt::Key_Escape);
  EXPECT_FALSE(FFrm->close());
  FFrm->Process(QStringLiteral("next"));
  EXPECT_TRUE(FFrm->isVisible());
}

TEST_F(WaitDlg, TheBarNeverHasFewerThanOneStepAndIsNeverHidden) {
  struct TCase {
    int Max;
    int Expected;
  };
  EXPECT_EQ(FFrm->Max(), 1) << "Build with 0";
  for (const TCase& c : {TCase{-5, 1}, TCase{0, 1}, TCase{1, 1}, TCase{250, 250}}) {
    FFrm->SetMax(c.Max);
    EXPECT_EQ(FFrm->Max(), c.Expected) << c.Max;
    EXPECT_TRUE(Bar(*FFrm)->isVisible()) << c.Max;
  }
}

TEST_F(WaitDlg, ProcessStepsUpToTheMaximumAndLimitsGivenPositions) {
  FFrm->SetMax(2);
  EXPECT_EQ(FFrm->Position(), 0);
  FFrm->Process(QStringLiteral("one"));
  FFrm->Process(QStringLiteral("two"));
  FFrm->Process(QStringLiteral("three"));
  EXPECT_EQ(FFrm->Position(), 2) << "no step past the maximum";
  EXPECT_EQ(FFrm->Msg(), QStringLiteral("three"));

  FFrm->Process(QStringLiteral("far"), 99, 10);
  EXPECT_EQ(FFrm->Max(), 10);
  EXPECT_EQ(FFrm->Position(), 10);
  FFrm->Process(QStringLiteral("back"), -3, 0);
  EXPECT_EQ(FFrm->Max(), 1);
  EXPECT_EQ(FFrm->Position(), 0);
  FFrm->Process(QStringLiteral("mid"), 4, 8);
  EXPECT_EQ(FFrm->Position(), 4);
}

TEST_F(WaitDlg, MessagesAreTrimmedLineByLineAndBlankOnesKeepTheOldText) {
  struct TCase {
    const char* Message;
    const char* Shown; // the message kept, with CR LF between lines
  };
  const TCase cCases[] = {
      {"  first  \r\n   \r\n  third ", "first\r\nthird"},
      {"a\nb\rc", "a\r\nb\r\nc"},
      {"\n\n  single\n", "single"},
      {"", "single"},
      {" \r\n\t ", "single"},
  };
  FFrm->SetMax(100);
  int lSteps = 0;
  for (const TCase& c : cCases) {
    FFrm->Process(QString::fromUtf8(c.Message));
    ++lSteps;
    EXPECT_EQ(FFrm->Msg(), QString::fromUtf8(c.Shown)) << c.Message;
    EXPECT_EQ(Label(*FFrm)->text(), QString::fromUtf8(c.Shown).replace("\r\n", "\n"));
    EXPECT_EQ(FFrm->Position(), lSteps) << "the bar moves also for a blank message";
  }
  FFrm->Process();
  EXPECT_EQ(FFrm->Msg(), QStringLiteral("single"));
  EXPECT_EQ(FFrm->Position(), lSteps + 1);
}

TEST_F(WaitDlg, TheDelayIsLimitedAndEveryUpdateProcessesPendingMessages) {
  for (const auto& [lSet, lGot] : {std::pair{10000, 5000}, {-1, 0}, {5000, 5000}, {7, 7}}) {
    FFrm->SetDelay(lSet);
    EXPECT_EQ(FFrm->Delay(), lGot) << lSet;
  }
  EXPECT_EQ(TFrmWait().Delay(), TFrmWait::cDefaultDelay);

  // Even without a pause the other windows' events run inside Process.
  FFrm->SetDelay(0);
  bool lTimerRan = false;
  QTimer::singleShot(0, [&] { lTimerRan = true; });
  FFrm->Process(QStringLiteral("step"));
  EXPECT_TRUE(lTimerRan);
}

TEST(WaitDlgList, ListsEveryDialogOnceUntilItIsFreed) {
  TFrmWaitList* lList = TFrmWaitList::Instance();
  const int lBefore = lList->Count();
  std::unique_ptr<TFrmWait> lFirst;
  TFrmWait::Build(QStringLiteral("first"), 3, lFirst);
  auto lSecond = std::make_unique<TFrmWait>();
  EXPECT_EQ(lList->Count(), lBefore + 2);
  EXPECT_TRUE(lList->Contains(lFirst.get()));
  EXPECT_TRUE(lList->Contains(lSecond.get()));
  lFirst.reset();
  EXPECT_EQ(lList->Count(), lBefore + 1);
  EXPECT_TRUE(lList->Contains(lSecond.get()));
  lSecond.reset();
  EXPECT_EQ(lList->Count(), lBefore);
}

TEST(WaitDlgList, ADialogThatOutlivesTheRegistryIsFreedSafely) {
  auto lFrm = std::make_unique<TFrmWait>();
  TFrmWaitList::Finalize(); // module shutdown with a dialog still open
  lFrm.reset();
  // The next dialog starts a fresh registry that lists it alone.
  TFrmWait lNext;
  EXPECT_EQ(TFrmWaitList::Instance()->Count(), 1);
  EXPECT_TRUE(TFrmWaitList::Instance()->Contains(&lNext));
}

} // namespace
