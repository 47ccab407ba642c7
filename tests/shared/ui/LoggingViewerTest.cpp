// The log viewer: lines from real write passes of the logger, on the UI thread, the filter by
// process and thread, Clear, Finish, the temporary views and the translucency.
#include "Qel.Os.Process.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Logging.Viewer.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Ui.HtmlLabel.h"
#include "Qel.Ui.HtmlListBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

THTMListBox* List(const TfrmLoggingViewer* aViewer) {
  return aViewer->findChild<THTMListBox*>(QStringLiteral("hlbLogging"));
}
THTMLabel* Header(const TfrmLoggingViewer* aViewer) {
  return aViewer->findChild<THTMLabel*>(QStringLiteral("lblMain"));
}
QString PlainText(const QString& aHtml) {
  QTextDocument lDoc;
  lDoc.setHtml(aHtml);
  return lDoc.toPlainText();
}
// The list's lines that contain aMark.
QStringList LinesWith(const TfrmLoggingViewer* aViewer, const QString& aMark) {
  return List(aViewer)->Lines().filter(aMark);
}
QString LogFileText() {
  QFile lFile(TLogging::Instance()->File()->FileName());
  return lFile.open(QIODevice::ReadOnly) ? QString::fromUtf8(lFile.readAll()) : QString();
}

// A second thread that logs on request, so that its lines carry a thread id of their own.
class TLoggingThread {
public:
  TLoggingThread() : FThread([this] { Run(); }) {}
  ~TLoggingThread() {
    {
      std::lock_guard lLock(FLock);
      FStop = true;
    }
    FChanged.notify_all();
    FThread.join();
  }
  uint32_t ThreadID() {
    std::unique_lock lLock(FLock);
    FChanged.wait(lLock, [this] { return FThreadID != 0; });
    return FThreadID;
  }
  // Returns once the thread has logged aText.
  void Log(const QString& aText) {
    std::unique_lock lLock(FLock);
    FText = aText;
    FChanged.notify_all();
    FChanged.wait(lLock, [this] { return FText.isEmpty(); });
  }

private:
  void Run() {
    std::unique_lock lLock(FLock);
    FThreadID = GetCurrentThreadId();
    FChanged.notify_all();
    while (!FStop) {
      FChanged.wait(lLock, [this] { return FStop || !FText.isEmpty(); });
      if (!FText.isEmpty()) {
        TLogging::Add(nullptr, QStringLiteral("Worker"), FText);
        FText.clear();
        FChanged.notify_all();
      }
    }
  }

  std::mutex FLock;
  std::condition_variable FChanged;
  QString FText;
  uint32_t FThreadID = 0;
  bool FStop = false;
  std::thread FThread;
};

class LoggingViewer : public ::testing::Test {
protected:
  void TearDown() override {
    TfrmLoggingViewer::Finalize();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // A text no other test logs.
  QString Mark(const char* aName) const {
    return QStringLiteral("%1-%2").arg(QString::fromLatin1(aName)).arg(++FMarks);
  }
  static void Log(const QString& aText, TLogTyp aTyp = ltInformation) {
    ASSERT_TRUE(TLogging::Add(nullptr, QStringLiteral("Test"), aText, aTyp));
  }
  // Two write passes, then the batches they posted to the window.
  static void WriteAndDeliver() {
    TLogging::Instance()->ForceWrite();
    QCoreApplication::processEvents();
  }
  static TfrmLoggingViewer* OpenLive(uint32_t aProcessID = 0, uint32_t aThreadID = 0) {
    TfrmLoggingViewer::Execute(aProcessID, aThreadID);
    return TfrmLoggingViewer::Instance();
  }

private:
  mutable int FMarks = 0;
};

TEST_F(LoggingViewer, TheLiveViewerListsEveryWrittenLineOnceInItsColour) {
  TfrmLoggingViewer* lViewer = OpenLive();
  ASSERT_NE(lViewer, nullptr);
  EXPECT_TRUE(lViewer->isVisible());
  EXPECT_TRUE(lViewer->GetIsLive());
  EXPECT_EQ(lViewer->size(), QSize(734, 461));
  // Showing it again must not register its list a second time.
  lViewer->hide();
  TfrmLoggingViewer::Execute();

  const QString lMark = Mark("colours");
  struct TCase {
    TLogTyp Typ;
    const char* Start;
    const char* End;
  };
  const TCase cCases[] = {
      {ltInformation, "<font color=\"blue\">", "</font>"},
      {ltSuccess, "<font color=\"green\">", "</font>"},
      {ltWarning, "<font color=\"orange\"><b>", "</b></font>"},
      {ltError, "<font color=\"red\"><b>", "</b></font>"},
  };
  for (const TCase& c : cCases)
    Log(lMark + QStringLiteral(" <type %1>").arg(int(c.Typ)), c.Typ);
  WriteAndDeliver();

  const QStringList lLines = LinesWith(lViewer, lMark);
  ASSERT_EQ(lLines.size(), std::size(cCases)) << lLines.join('\n').toStdString();
  for (std::size_t i = 0; i < std::size(cCases); ++i) {
    EXPECT_TRUE(lLines[i].startsWith(QString::fromUtf8(cCases[i].Start)))
        << lLines[i].toStdString();
    EXPECT_TRUE(lLines[i].endsWith(QString::fromUtf8(cCases[i].End))) << lLines[i].toStdString();
    // The text itself shows as written, also its angle brackets.
    EXPECT_TRUE(
        PlainText(lLines[i]).contains(QStringLiteral(" <type %1>").arg(int(cCases[i].Typ))));
  }
  lViewer->tUpdateTimer();
  EXPECT_EQ(Header(lViewer)->HTMLText(), List(lViewer)->Line(List(lViewer)->Count() - 1));
}

TEST_F(LoggingViewer, ABusyUiThreadNeverHoldsUpTheWriter) {
  TfrmLoggingViewer* lViewer = OpenLive();
  QCoreApplication::processEvents();
  const QString lFirst = Mark("busy"), lSecond = Mark("busy");
  // The UI thread processes no messages from here on; the writer must still write both
  // passes (the second one only starts once the first has handed its lines on).
  for (const QString& lText : {lFirst, lSecond}) {
    Log(lText);
    const auto lGiveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!LogFileText().contains(lText) && std::chrono::steady_clock::now() < lGiveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(LogFileText().contains(lText)) << "the writer waited for the UI thread";
  }
  EXPECT_TRUE(LinesWith(lViewer, QStringLiteral("busy-")).isEmpty())
      << "lines reach the list only on the UI thread";

  QCoreApplication::processEvents();
  const QStringList lLines = LinesWith(lViewer, QStringLiteral("busy-"));
  ASSERT_EQ(lLines.size(), 2);
  EXPECT_TRUE(lLines[0].contains(lFirst));
  EXPECT_TRUE(lLines[1].contains(lSecond));
}

TEST_F(LoggingViewer, TheFilterKeepsTheLinesOfOneProcessOrThreadAtTheTimerStep) {
  const uint32_t lPid = GetCurrentProcessId();
  const uint32_t lMainTid = GetCurrentThreadId();
  const QString lMark = Mark("filter");
  TLoggingThread lWorker;
  const uint32_t lWorkerTid = lWorker.ThreadID();
  const auto LogBoth = [&] {
    Log(lMark + QStringLiteral(" main"));
    lWorker.Log(lMark + QStringLiteral(" worker"));
    WriteAndDeliver();
  };
  const QString lFileCaption = TLogging::Instance()->File()->GetCaption();
  struct TCase {
    uint32_t Pid, Tid;
    bool Main, Worker;
  };
  const bool lIdsDistinct = !QString::number(lWorkerTid).contains(QString::number(lMainTid)) &&
                            !QString::number(lMainTid).contains(QString::number(lWorkerTid));
  const TCase cCases[] = {
      {lPid, 0, true, true},
      {0, lMainTid, true, !lIdsDistinct},
      {lPid, lWorkerTid, !lIdsDistinct, true},
      // Another process: our id with one more digit is in no line of ours; a leading part of our
      // id is (plain containment keeps those lines).
      {lPid * 10 + 1, 0, false, false},
      {lPid / 10 > 0 ? lPid / 10 : lPid, 0, true, true},
  };
  for (const TCase& c : cCases) {
    TfrmLoggingViewer::Finalize();
    TfrmLoggingViewer* lViewer = OpenLive();
    LogBoth();
    ASSERT_EQ(LinesWith(lViewer, lMark).size(), 2);
    // The filter of a second Execute replaces the first and applies at once.
    TfrmLoggingViewer::Execute(c.Pid, c.Tid);
    EXPECT_EQ(TfrmLoggingViewer::Instance(), lViewer);
    QString lCaption = lFileCaption;
    if (c.Pid)
      lCaption += QStringLiteral(" [PID:%1]").arg(c.Pid);
    if (c.Tid)
      lCaption += QStringLiteral(" [TID:%1]").arg(c.Tid);
    EXPECT_EQ(lViewer->windowTitle(), lCaption);
    const auto Has = [&](const char* aWho) {
      return !LinesWith(lViewer, lMark + QStringLiteral(" ") + QLatin1String(aWho)).isEmpty();
    };
    EXPECT_EQ(Has("main"), c.Main) << c.Pid << "/" << c.Tid;
    EXPECT_EQ(Has("worker"), c.Worker) << c.Pid << "/" << c.Tid;
    // Lines that arrive later go at the next timer step.
    LogBoth();
    lViewer->tUpdateTimer();
    EXPECT_EQ(LinesWith(lViewer, lMark + QStringLiteral(" main")).size(), c.Main ? 2 : 0);
    EXPECT_EQ(LinesWith(lViewer, lMark + QStringLiteral(" worker")).size(), c.Worker ? 2 : 0);
    if (List(lViewer)->Count() == 0) {
      EXPECT_TRUE(Header(lViewer)->HTMLText().isEmpty());
    }
  }
  const QTimer* lTimer = TfrmLoggingViewer::Instance()->findChild<QTimer*>("tUpdate");
  ASSERT_NE(lTimer, nullptr);
  EXPECT_TRUE(lTimer->isActive());
  EXPECT_EQ(lTimer->interval(), 1000);
}

TEST_F(LoggingViewer, ClearAndTheClearButtonEmptyTheList) {
  TfrmLoggingViewer* lViewer = OpenLive();
  for (int lRound = 0; lRound < 2; ++lRound) {
    Log(Mark("clear"));
    WriteAndDeliver();
    ASSERT_GT(List(lViewer)->Count(), 0);
    if (lRound == 0)
      TfrmLoggingViewer::Clear();
    else
      lViewer->findChild<QPushButton*>(QStringLiteral("btnClear"))->click();
    EXPECT_EQ(List(lViewer)->Count(), 0) << lRound;
    lViewer->tUpdateTimer();
    EXPECT_TRUE(Header(lViewer)->HTMLText().isEmpty());
  }
  // Selecting a line shows it in the header.
  Log(Mark("select"));
  Log(Mark("later"));
  WriteAndDeliver();
  List(lViewer)->setCurrentRow(0);
  EXPECT_EQ(Header(lViewer)->HTMLText(), List(lViewer)->Line(0));
}

TEST_F(LoggingViewer, FinishClosesTheLiveViewerAfterItsDelayOrWhenTheUserClosesIt) {
  QElapsedTimer lClock;
  lClock.start();
  TfrmLoggingViewer::Finish(5); // no live viewer: at once
  EXPECT_LT(lClock.elapsed(), 1000);

  OpenLive();
  lClock.restart();
  TfrmLoggingViewer::Finish(1);
  EXPECT_GE(lClock.elapsed(), 1000);
  EXPECT_EQ(TfrmLoggingViewer::Instance(), nullptr);

  // The list keeps filling while Finish waits; a close by the user ends the wait.
  TfrmLoggingViewer* lViewer = OpenLive();
  const QString lMark = Mark("finish");
  bool lSeen = false;
  QTimer::singleShot(100, [&] { Log(lMark); });
  QTimer::singleShot(600, [&] {
    lSeen = !LinesWith(lViewer, lMark).isEmpty();
    lViewer->close();
  });
  lClock.restart();
  TfrmLoggingViewer::Finish(30);
  EXPECT_LT(lClock.elapsed(), 20000);
  EXPECT_TRUE(lSeen);
  EXPECT_EQ(TfrmLoggingViewer::Instance(), nullptr);

  EXPECT_THROW(TfrmLoggingViewer::Finish(-1), ERangeError);
  EXPECT_THROW(TfrmLoggingViewer::Finish(2'147'484), ERangeError);
}

TEST_F(LoggingViewer, AClosedLiveViewerIsFreedAndTheNextExecuteOpensAFreshOne) {
  TfrmLoggingViewer* lViewer = OpenLive();
  Log(Mark("closed"));
  WriteAndDeliver();
  ASSERT_GT(List(lViewer)->Count(), 0);
  QPointer<TfrmLoggingViewer> lOld(lViewer);
  lViewer->close();
  EXPECT_EQ(TfrmLoggingViewer::Instance(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(lOld.isNull());

  TfrmLoggingViewer* lFresh = OpenLive();
  ASSERT_NE(lFresh, nullptr);
  EXPECT_EQ(List(lFresh)->Count(), 0);
  const QString lMark = Mark("fresh");
  Log(lMark);
  WriteAndDeliver();
  EXPECT_EQ(LinesWith(lFresh, lMark).size(), 1);
}

TEST_F(LoggingViewer, TheWindowIsSeeThroughWhileItHasNoFocus) {
  TfrmLoggingViewer* lViewer = OpenLive();
  EXPECT_NEAR(lViewer->windowOpacity(), 200 / 255.0, 0.01);
  QEvent lActivate(QEvent::WindowActivate);
  QApplication::sendEvent(lViewer, &lActivate);
  EXPECT_DOUBLE_EQ(lViewer->windowOpacity(), 1.0);
  QEvent lDeactivate(QEvent::WindowDeactivate);
  QApplication::sendEvent(lViewer, &lDeactivate);
  EXPECT_NEAR(lViewer->windowOpacity(), 200 / 255.0, 0.01);
}

// Runs aCheck on the modal viewer as soon as it shows, then closes it. (The views first force
// a write of the logger, which processes messages before the window exists.)
void OnModal(std::function<void(TfrmLoggingViewer*)> aCheck) {
  auto* lPoll = new QTimer();
  lPoll->setInterval(10);
  QObject::connect(lPoll, &QTimer::timeout, [lPoll, aCheck] {
    auto* lViewer = qobject_cast<TfrmLoggingViewer*>(QApplication::activeModalWidget());
    if (!lViewer)
      return;
    lPoll->stop();
    lPoll->deleteLater();
    aCheck(lViewer);
    lViewer->close();
  });
  lPoll->start();
}

TEST_F(LoggingViewer, TemporaryViewsShowTheirLinesAndReceiveNoMore) {
  TfrmLoggingViewer* lLive = OpenLive();
  const QString lMark = Mark("temporary");
  bool lChecked = false;
  OnModal([&](TfrmLoggingViewer* aViewer) {
    EXPECT_FALSE(aViewer->GetIsLive());
    EXPECT_EQ(aViewer->windowTitle(), QStringLiteral("Two lines"));
    EXPECT_EQ(List(aViewer)->Lines(), (QStringList{"<b>one</b>", "two"}));
    Log(lMark);
    WriteAndDeliver();
    EXPECT_EQ(List(aViewer)->Count(), 2) << "a temporary view is not registered";
    EXPECT_EQ(LinesWith(lLive, lMark).size(), 1) << "the live one goes on filling";
    lChecked = true;
  });
  TfrmLoggingViewer::ShowLogging(QStringLiteral("Two lines"), {"<b>one</b>", "two"});
  EXPECT_TRUE(lChecked);
  EXPECT_EQ(TfrmLoggingViewer::Instance(), lLive);
}

TEST_F(LoggingViewer, TheCurrentLogFileShowsEachFileLineAsWritten) {
  const QString lMark = Mark("logfile");
  Log(lMark + QStringLiteral(" <tag>"));
  const QString lFileName = TPathsAndFiles::Instance()->FileLst()->ApplicationLog()->FileName();
  bool lChecked = false;
  OnModal([&](TfrmLoggingViewer* aViewer) {
    EXPECT_EQ(aViewer->windowTitle(), lFileName);
    // Each file line is one item, shown with its text as written (white space as HTML
    // shows it).
    QStringList lShown, lWritten;
    for (const QString& lLine : List(aViewer)->Lines())
      lShown << PlainText(lLine).simplified();
    for (const QString& lLine : LogFileText().split(QStringLiteral("\r\n")).mid(0, lShown.size()))
      lWritten << lLine.simplified();
    EXPECT_EQ(lShown, lWritten);
    EXPECT_FALSE(lShown.filter(QStringLiteral("<<<STARTING-")).isEmpty());
    EXPECT_FALSE(lShown.filter(lMark + QStringLiteral(" <tag>")).isEmpty()) << "written first";
    lChecked = true;
  });
  TfrmLoggingViewer::ShowCurrentLogFile();
  EXPECT_TRUE(lChecked);

  // A log file that cannot be read: the error reaches the caller, no window stays behind.
  const QString lAside = lFileName + QStringLiteral(".aside");
  ASSERT_TRUE(QFile::rename(lFileName, lAside));
  ASSERT_TRUE(QDir().mkdir(lFileName));
  EXPECT_THROW(TfrmLoggingViewer::ShowCurrentLogFile(), Exception);
  QDir().rmdir(lFileName);
  ASSERT_TRUE(QFile::rename(lAside, lFileName));
  for (QWidget* lWindow : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<TfrmLoggingViewer*>(lWindow), nullptr);
}

} // namespace
