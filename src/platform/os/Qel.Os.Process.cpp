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

// getpid is a real system call (about a microsecond on a virtual machine), and every log
// record asks for it: keep the id, and renew it in a forked child.
std::atomic<uint32_t> gProcessId{0};

uint32_t ReadProcessId() {
  static const bool lRegistered = [] {
    pthread_atfork(nullptr, nullptr, [] { gProcessId.store(static_cast<uint32_t>(getpid())); });
    return true;
  }();
  (void)lRegistered;
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
  thread_local const auto lId = static_cast<uint32_t>(syscall(SYS_gettid));
  return lId;
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
