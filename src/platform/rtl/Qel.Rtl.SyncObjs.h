#pragma once
// The recursive lock of the runtime (a critical section): the same thread may enter again.

#include <mutex>

class TCriticalSection {
public:
  void Enter() { FMutex.lock(); }
  void Leave() { FMutex.unlock(); }
  // For std::lock_guard / std::unique_lock.
  void lock() { FMutex.lock(); }
  void unlock() { FMutex.unlock(); }
  bool try_lock() { return FMutex.try_lock(); }

private:
  std::recursive_mutex FMutex;
};
