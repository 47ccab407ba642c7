#pragma once
// A worker thread of the runtime: a derived class supplies Execute, and starts the thread
// once it is fully constructed.

#include "Qel.Rtl.Object.h"

#include <atomic>
#include <thread>

class TThread : public TObject {
  QEL_CLASS("System.Classes", TThread)

public:
  TThread() = default;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  // Tells the thread to end and waits for it.
  ~TThread() override;

  void Start();
  void Terminate() { FTerminated.store(true); }
  bool Terminated() const { return FTerminated.load(); }
  // Waits until Execute has returned; nothing when the thread never ran.
  void WaitFor();
  bool IsCurrentThread() const { return std::this_thread::get_id() == FThread.get_id(); }
  bool Running() const { return FThread.joinable(); }

protected:
  virtual void Execute() = 0;
  // The calling thread gets the lowest scheduling priority of normal threads (nice 19).
  static void SetLowestPriority();
  static void Sleep(unsigned aMilliseconds);

private:
  std::thread FThread;
  std::atomic<bool> FTerminated{false};
};
