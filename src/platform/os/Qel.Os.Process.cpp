#include "Qel.Os.Process.h"

#include <QFileInfo>
#include <atomic>
#include <mutex>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
std::mutex gLock;
std::optional<QString> gFileNameOverride;

// getpid and gettid are real system calls (about a microsecond on a virtual machine), and
// every log record asks for both: keep the ids, and renew them in a forked child.
std::atomic<uint32_t> gProcessId{0};
thread_local uint32_t tThreadId = 0;

void RegisterForkHandler() {
  static const bool lRegistered = [] {
    // Runs in the child, on the one thread it has: the forking thread.
    pthread_atfork(nullptr, nullptr, [] {
      gProcessId.store(static_cast<uint32_t>(getpid()));
      tThreadId = 0;
    });
    return true;
  }();
  (void)lRegistered;
}

uint32_t ReadProcessId() {
  RegisterForkHandler();
  const auto lId = static_cast<uint32_t>(getpid());
  gProcessId.store(lId);
  return lId;
}
} // namespace

uint32_t GetCurrentProcessId() {
  const uint32_t lId = gProcessId.load(std::memory_order_relaxed);
  return lId ? lId : ReadProcessId();
}

uint32_t GetCurrentThreadId() {
  if (tThreadId == 0) {
    RegisterForkHandler();
    tThreadId = static_cast<uint32_t>(syscall(SYS_gettid));
  }
  return tThreadId;
}

QString ApplicationFileName() {
  {
    std::lock_guard lLock(gLock);
    if (gFileNameOverride)
      return *gFileNameOverride;
  }
  static const QString lSelf = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
  return lSelf;
}

void SetApplicationFileNameOverride(std::optional<QString> aFileName) {
  std::lock_guard lLock(gLock);
  gFileNameOverride = std::move(aFileName);
}

bool IsProcessElevated() {
  return geteuid() == 0;
}
