#include "Qel.Rtl.Thread.h"

#include <chrono>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

TThread::~TThread() {
  Terminate();
  WaitFor();
}

void TThread::Start() {
  if (!FThread.joinable())
    FThread = std::thread([this] { Execute(); });
}

void TThread::WaitFor() {
  if (FThread.joinable() && !IsCurrentThread())
    FThread.join();
}

void TThread::SetLowestPriority() {
  // Per-thread nice value; a failure leaves the thread at normal priority, which is harmless.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

void TThread::Sleep(unsigned aMilliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(aMilliseconds));
}
