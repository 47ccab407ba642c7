#include "Qel.Os.ShellOpen.h"

#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::mutex gLock;
std::optional<QString> gProgramOverride;

// How long the opener is waited for. xdg-open returns at once on most desktops, but in its
// generic mode it runs the associated program in the foreground until that ends.
constexpr int cWaitForOpenerMs = 3000;
constexpr int cPollMs = 10;

// What the intermediate process reports about the opener.
constexpr int cOpenerRunning = -1;
constexpr int cOpenerNotStarted = -2;

// Exit codes of xdg-open.
constexpr int cXdgSyntaxError = 1;
constexpr int cXdgFileMissing = 2;
constexpr int cXdgToolMissing = 3;
constexpr int cXdgActionFailed = 4;
constexpr int cXdgNoPermission = 5;
constexpr int cExecFailed = 127;

QString OpenerProgram() {
  {
    std::lock_guard lLock(gLock);
    if (gProgramOverride)
      return *gProgramOverride;
  }
  return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
}

// Runs in the intermediate child: only async-signal-safe calls from here on. Starts the
// opener in a new session, waits for it a bounded time and reports its exit code (or that it
// is still running) through aReport. The intermediate process then ends, so that an opener
// still running is adopted by init and never becomes a zombie of ours.
[[noreturn]] void RunOpener(char* const* aArgv, const char* aDirectory, int aReport) {
  ::setsid();
  int lResult = cOpenerNotStarted;
  const pid_t lOpener = ::fork();
  if (lOpener == 0) {
    if (aDirectory[0] != '\0' && ::chdir(aDirectory) != 0)
      ::_exit(cExecFailed);
    ::execv(aArgv[0], aArgv);
    ::_exit(cExecFailed);
  }
  if (lOpener > 0) {
    lResult = cOpenerRunning;
    const struct timespec lPoll = {0, cPollMs * 1000000L};
    for (int i = 0; i < cWaitForOpenerMs / cPollMs; ++i) {
      int lStatus = 0;
      const pid_t lDone = ::waitpid(lOpener, &lStatus, WNOHANG);
      if (lDone == lOpener) {
        lResult = WIFEXITED(lStatus) ? WEXITSTATUS(lStatus) : cExecFailed;
        break;
      }
      if (lDone < 0 && errno != EINTR)
        break;
      ::nanosleep(&lPoll, nullptr);
    }
  }
  while (::write(aReport, &lResult, sizeof lResult) < 0 && errno == EINTR) {
  }
  ::_exit(0);
}

int ShellCodeOf(int aOpenerResult, const QString& aFileName) {
  switch (aOpenerResult) {
  case 0:
  case cOpenerRunning:
    return cShellOpenSucceeded;
  case cXdgSyntaxError:
  case cXdgFileMissing:
    return QFile::exists(aFileName) ? 0 : 2;
  case cXdgToolMissing:
    return 31;
  case cXdgNoPermission:
    return 5;
  case cXdgActionFailed:
  default:
    return 0;
  }
}

} // namespace

int ShellOpenFile(const QString& aFileName, const QString& aDirectory) {
  const QString lProgram = OpenerProgram();
  QByteArray lProgramName = QFile::encodeName(lProgram);
  QByteArray lFileName = QFile::encodeName(aFileName);
  const QByteArray lDirectory = QFile::encodeName(aDirectory);
  if (lProgram.isEmpty() || ::access(lProgramName.constData(), X_OK) != 0)
    return 0;
  // Everything the children use is prepared before the fork.
  char* const lArgv[] = {lProgramName.data(), lFileName.data(), nullptr};
  int lPipe[2];
  if (::pipe2(lPipe, O_CLOEXEC) != 0)
    return 0;
  const pid_t lChild = ::fork();
  if (lChild == 0) {
    ::close(lPipe[0]);
    RunOpener(lArgv, lDirectory.constData(), lPipe[1]);
  }
  ::close(lPipe[1]);
  int lResult = cOpenerNotStarted;
  if (lChild > 0) {
    int lReport = 0;
    ssize_t lRead;
    while ((lRead = ::read(lPipe[0], &lReport, sizeof lReport)) < 0 && errno == EINTR) {
    }
    if (lRead == static_cast<ssize_t>(sizeof lReport))
      lResult = lReport;
    while (::waitpid(lChild, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(lPipe[0]);
  return lResult == cOpenerNotStarted ? 0 : ShellCodeOf(lResult, aFileName);
}

void SetShellOpenProgramOverride(std::optional<QString> aProgram) {
  std::lock_guard lLock(gLock);
  gProgramOverride = std::move(aProgram);
}
