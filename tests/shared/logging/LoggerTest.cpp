// The running logger: its log file, write passes, line lists, trace files and shutdown.
#include "Qel.Os.Process.h"
#include "Qel.Rtl.MessageHook.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.Paths.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelLogCapture.h"

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray();
}

class TRecordingLines : public ILoggingLines {
public:
  void AddLoggingLines(const QStringList& aHtmlLines) override {
    std::lock_guard lLock(FLock);
    FBatches.push_back(aHtmlLines);
  }
  std::vector<QStringList> Batches() const {
    std::lock_guard lLock(FLock);
    return FBatches;
  }
  QStringList Lines() const {
    QStringList lAll;
    for (const QStringList& b : Batches())
      lAll << b;
    return lAll;
  }

private:
  mutable std::mutex FLock;
  std::vector<QStringList> FBatches;
};

class TThrowingLines : public ILoggingLines {
public:
  void AddLoggingLines(const QStringList&) override {
    ++FCalls;
    throw std::runtime_error("viewer gone");
  }
  std::atomic<int> FCalls{0};
};

// Runs with the writer removing written records, as in the program.
class Logger : public ::testing::Test {
protected:
  void SetUp() override {
    FLogger = TLogging::Instance();
    ASSERT_NE(FLogger, nullptr);
    FLogger->ForceWrite();
    FLogger->SetKeepData(false);
    FLogger->ClearBuffer();
  }
  void TearDown() override { FLogger->SetKeepData(true); }
  QString LogFile() const { return FLogger->File()->FileName(); }
  QString LogText() const { return QString::fromUtf8(ReadAll(LogFile())); }
  // Adds the records while holding the lock, so that one write pass takes them all.
  template <typename F> void InOnePass(F aAdd) {
    std::lock_guard lLock(FLogger->LogLock());
    aAdd();
  }
  TLogging* FLogger = nullptr;
};

TEST_F(Logger, LogFileIsNamedAfterTheProgramAndProcess) {
  const QString lExpected = MainFolderOf(ApplicationFileName()) + QStringLiteral("Log/") +
                            QFileInfo(ApplicationFileName()).completeBaseName() +
                            QStringLiteral("_PID") + QString::number(GetCurrentProcessId()) +
                            QStringLiteral(".log");
  EXPECT_EQ(QFileInfo(LogFile()).absoluteFilePath(), QFileInfo(lExpected).absoluteFilePath());
  const QByteArray lBytes = ReadAll(LogFile());
  ASSERT_FALSE(lBytes.isEmpty());
  EXPECT_FALSE(lBytes.startsWith("\xEF\xBB\xBF")); // no byte-order mark
  EXPECT_TRUE(lBytes.startsWith("-\r\n-\r\n-\r\n<<<STARTING-" + ApplicationFileName().toUtf8() +
                                ">>>\r\n"));
}

TEST_F(Logger, WritesUtf8LinesWithCrLf) {
  TLogging::Add(nullptr, QStringLiteral("Umlaut"), QStringLiteral("Größe: Übersicht"));
  FLogger->ForceWrite();
  const QByteArray lBytes = ReadAll(LogFile());
  const qsizetype lAt =
      lBytes.indexOf(QStringLiteral("[Umlaut] \tGröße: Übersicht\tUsedMemory:").toUtf8());
  ASSERT_GE(lAt, 0);
  const qsizetype lEnd = lBytes.indexOf('\n', lAt);
  ASSERT_GT(lEnd, 0);
  EXPECT_EQ(lBytes[lEnd - 1], '\r');
  EXPECT_EQ(lBytes.count("\n"), lBytes.count("\r\n"));
}

TEST_F(Logger, RepeatsWithinOnePassGiveOneLineAcrossPassesEachALine) {
  InOnePass([] {
    for (int i = 0; i < 10; ++i)
      TLogging::Add(nullptr, QStringLiteral("Same"), QStringLiteral("ten times in one pass"));
  });
  FLogger->ForceWrite();
  EXPECT_EQ(LogText().count(QStringLiteral("ten times in one pass")), 1);

  for (int i = 0; i < 3; ++i) {
    TLogging::Add(nullptr, QStringLiteral("Same"), QStringLiteral("once per pass"));
    FLogger->ForceWrite();
  }
  EXPECT_EQ(LogText().count(QStringLiteral("once per pass")), 3);
}

TEST_F(Logger, ForceWriteKeepsProcessingWindowMessages) {
  static std::atomic<int> sCalls{0};
  SetProcessMessagesHook([] { ++sCalls; });
  TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("waiting"));
  FLogger->ForceWrite();
  SetProcessMessagesHook(nullptr);
  EXPECT_GE(sCalls.load(), 1);
}

TEST_F(Logger, LineListsReceiveEscapedColouredBatches) {
  TRecordingLines lList;
  FLogger->RegisterStrings(&lList);
  FLogger->RegisterStrings(&lList); // registered twice: fed twice
  InOnePass([] {
    TLogging::Add(nullptr, QStringLiteral("Copy"), QStringLiteral("file <a&b>.txt"));
    TLogging::Add(nullptr, QStringLiteral("Copy"), QStringLiteral("careful"), ltWarning);
    TLogging::Add(nullptr, QStringLiteral("Copy"), QStringLiteral("done"), ltSuccess);
    TLogging::Add(nullptr, QStringLiteral("Copy"), QStringLiteral("bad"), ltError);
  });
  FLogger->ForceWrite();
  FLogger->UnRegisterStrings(&lList); // one registration is left
  const auto lBatches = lList.Batches();
  ASSERT_GE(lBatches.size(), 2u);
  EXPECT_EQ(lBatches[0], lBatches[1]);
  const QStringList& lLines = lBatches[0];
  ASSERT_EQ(lLines.size(), 4);
  EXPECT_TRUE(lLines[0].startsWith(QStringLiteral("<font color=\"blue\">")));
  EXPECT_TRUE(lLines[0].contains(QStringLiteral("file &lt;a&amp;b&gt;.txt")));
  EXPECT_FALSE(lLines[0].contains(u'\t'));
  EXPECT_TRUE(lLines[0].endsWith(QStringLiteral("</font>")));
  EXPECT_TRUE(lLines[1].startsWith(QStringLiteral("<font color=\"orange\"><b>")));
  EXPECT_TRUE(lLines[1].endsWith(QStringLiteral("</b></font>")));
  EXPECT_TRUE(lLines[2].startsWith(QStringLiteral("<font color=\"green\">")));
  EXPECT_TRUE(lLines[3].startsWith(QStringLiteral("<font color=\"red\"><b>")));

  TLogging::Add(nullptr, QStringLiteral("Copy"), QStringLiteral("registered once"));
  FLogger->ForceWrite();
  EXPECT_EQ(lList.Lines().filter(QStringLiteral("registered once")).size(), 1);
  FLogger->UnRegisterStrings(&lList);
  TLogging::Add(nullptr, QStringLiteral("Copy"), QStringLiteral("after unregistering"));
  FLogger->ForceWrite();
  EXPECT_FALSE(lList.Lines().join(u'\n').contains(QStringLiteral("after unregistering")));
}

TEST_F(Logger, ListThatRaisesIsUnregisteredAndTheOthersGoOn) {
  TThrowingLines lBad;
  TRecordingLines lGood;
  FLogger->RegisterStrings(&lBad);
  FLogger->RegisterStrings(&lGood);
  TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("first batch"));
  FLogger->ForceWrite();
  TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("second batch"));
  FLogger->ForceWrite();
  FLogger->UnRegisterStrings(&lGood);
  EXPECT_EQ(lBad.FCalls.load(), 1);
  const QString lSeen = lGood.Lines().join(u'\n');
  EXPECT_TRUE(lSeen.contains(QStringLiteral("first batch")));
  EXPECT_TRUE(lSeen.contains(QStringLiteral("second batch")));
}

TEST_F(Logger, TraceGoesToItsOwnFileNamedByTheLine) {
  TLogging::Add(nullptr, QStringLiteral("Query"), QStringLiteral("with trace"), ltInformation,
                QStringLiteral("select *\nfrom DOKUMENT\r\nwhere ID = :ID"));
  FLogger->ForceWrite();
  const QString lText = LogText();
  const qsizetype lAt = lText.indexOf(QStringLiteral("with trace\tUsedMemory:"));
  ASSERT_GE(lAt, 0);
  const QString lLine = lText.mid(lAt, lText.indexOf(u'\r', lAt) - lAt);
  const QString lTraceFile = lLine.section(u'\t', -1);
  EXPECT_TRUE(lTraceFile.endsWith(QStringLiteral(".trc"))) << lLine.toStdString();
  EXPECT_TRUE(lTraceFile.contains(QStringLiteral("/Log/")));
  EXPECT_EQ(ReadAll(lTraceFile), QByteArray("select *\r\nfrom DOKUMENT\r\nwhere ID = :ID\r\n"));
}

TEST_F(Logger, LinesOfAPassAreLostWhileAnotherProcessHoldsTheFile) {
  int lToChild[2], lToParent[2];
  ASSERT_EQ(pipe(lToChild), 0);
  ASSERT_EQ(pipe(lToParent), 0);
  const QByteArray lName = LogFile().toLocal8Bit();
  const pid_t lChild = fork();
  ASSERT_GE(lChild, 0);
  if (lChild == 0) {
    const int lFd = open(lName.constData(), O_WRONLY | O_APPEND);
    const char lOk = (lFd >= 0 && flock(lFd, LOCK_EX) == 0) ? 'L' : 'F';
    (void)!write(lToParent[1], &lOk, 1);
    char lGo;
    (void)!read(lToChild[0], &lGo, 1);
    _exit(0);
  }
  char lState = 0;
  ASSERT_EQ(read(lToParent[0], &lState, 1), 1);
  ASSERT_EQ(lState, 'L');
  TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("written while locked"));
  FLogger->ForceWrite();
  (void)!write(lToChild[1], "g", 1);
  waitpid(lChild, nullptr, 0);
  TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("written after the lock"));
  FLogger->ForceWrite();
  const QString lText = LogText();
  EXPECT_FALSE(lText.contains(QStringLiteral("written while locked")));
  EXPECT_TRUE(lText.contains(QStringLiteral("written after the lock")));
  for (int lFd : {lToChild[0], lToChild[1], lToParent[0], lToParent[1]})
    close(lFd);
}

TEST_F(Logger, RecordsFromTwoThreadsArriveOnceAndInOrderPerThread) {
  constexpr int cPerThread = 5000;
  auto lAdd = [](QChar aThread) {
    for (int i = 0; i < cPerThread; ++i)
      TLogging::Add(nullptr, QStringLiteral("Burst"),
                    QStringLiteral("burst %1 %2").arg(aThread).arg(i));
  };
  std::thread lFirst(lAdd, u'A');
  std::thread lSecond(lAdd, u'B');
  lFirst.join();
  lSecond.join();
  FLogger->ForceWrite();

  // Every line once; the numbers of each thread count up without a gap.
  std::map<QChar, int> lNext{{u'A', 0}, {u'B', 0}};
  for (const QString& lLine : LogText().split(QStringLiteral("\r\n"))) {
    const qsizetype lAt = lLine.indexOf(QStringLiteral("\tburst "));
    if (lAt < 0)
      continue;
    const QStringList lParts = lLine.mid(lAt + 7).section(u'\t', 0, 0).split(u' ');
    ASSERT_EQ(lParts.size(), 2) << lLine.toStdString();
    int& lExpected = lNext[lParts[0].at(0)];
    ASSERT_EQ(lParts[1].toInt(), lExpected) << lLine.toStdString();
    ++lExpected;
  }
  EXPECT_EQ(lNext[u'A'], cPerThread);
  EXPECT_EQ(lNext[u'B'], cPerThread);
}

TEST(LoggerShutdown, LastPassAndEndBannerThenAFreshStart) {
  TLogging* lLogger = TLogging::Instance();
  ASSERT_NE(lLogger, nullptr);
  const QString lFile = lLogger->File()->FileName();
  TLogging::Add(nullptr, QStringLiteral("M"), QStringLiteral("just before shutdown"));
  TLogging::Finalize();
  EXPECT_EQ(TLogging::Instance(), nullptr);
  const QString lText = QString::fromUtf8(ReadAll(lFile));
  const qsizetype lLast = lText.lastIndexOf(QStringLiteral("just before shutdown"));
  const qsizetype lBanner =
      lText.lastIndexOf(QStringLiteral("finishing, glosing and going home ...\r\n<<<FINISHING-"));
  ASSERT_GE(lLast, 0);
  EXPECT_GT(lBanner, lLast);
  EXPECT_TRUE(lText.endsWith(QStringLiteral(">>>\r\n-\r\n-\r\n-\r\n")));

  // A fresh start describes the program file in the banner, every line ended by CR LF.
  const QString lProgram = ApplicationFileName();
  {
    QFile lFile(lProgram);
    ASSERT_TRUE(lFile.open(QIODevice::WriteOnly));
    lFile.write("program");
  }
  QFile::remove(lFile);
  TLogging::Initialize();
  ASSERT_NE(TLogging::Instance(), nullptr);
  TLogging::Instance()->ForceWrite();
  TLogging::Instance()->SetKeepData(true);
  QFile::remove(lProgram);
  const QByteArray lStart = ReadAll(lFile);
  EXPECT_TRUE(lStart.contains("\r\nName:")) << lStart.left(600).toStdString();
  EXPECT_EQ(lStart.count("\n"), lStart.count("\r\n")) << lStart.left(600).toStdString();
}

} // namespace
