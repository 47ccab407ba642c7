#include "Qel.Os.Process.h"

#include <QFileInfo>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
std::mutex gLock;
std::optional<QString> gFileNameOverride;
} // namespace

uint32_t GetCurrentProcessId() {
  return static_cast<uint32_t>(getpid());
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
