#include "Qel.Os.Memory.h"

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// The file stays open: reading it is then one pread per record. /proc/self is resolved when
// the file is opened, so a forked child opens its own.
std::atomic<int> gStatmFd{-1};

int OpenStatm() {
  return open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
}

int StatmFile() {
  static const bool lOpened = [] {
    gStatmFd.store(OpenStatm());
    pthread_atfork(nullptr, nullptr, [] {
      const int lOld = gStatmFd.exchange(OpenStatm());
      if (lOld >= 0)
        close(lOld);
    });
    return true;
  }();
  (void)lOpened;
  return gStatmFd.load(std::memory_order_relaxed);
}

uint64_t ParseNumber(const char*& aPos, const char* aEnd) {
  while (aPos < aEnd && *aPos == ' ')
    ++aPos;
  uint64_t lValue = 0;
  while (aPos < aEnd && *aPos >= '0' && *aPos <= '9')
    lValue = lValue * 10 + static_cast<uint64_t>(*aPos++ - '0');
  return lValue;
}

} // namespace

uint64_t ProcessPrivateBytes() {
  static const uint64_t lPageSize = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const int lFd = StatmFile();
  if (lFd < 0)
    return 0;
  char lBuffer[128];
  const ssize_t lRead = pread(lFd, lBuffer, sizeof lBuffer, 0);
  if (lRead <= 0)
    return 0;
  const char* lPos = lBuffer;
  const char* lEnd = lBuffer + lRead;
  ParseNumber(lPos, lEnd); // size
  const uint64_t lResident = ParseNumber(lPos, lEnd);
  const uint64_t lShared = ParseNumber(lPos, lEnd);
  return lResident > lShared ? (lResident - lShared) * lPageSize : 0;
}
