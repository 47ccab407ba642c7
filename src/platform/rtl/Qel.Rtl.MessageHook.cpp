#include "Qel.Rtl.MessageHook.h"

#include <atomic>

namespace {
std::atomic<TProcessMessagesHook> gHook{nullptr};
}

void ProcessMessages() {
  if (const TProcessMessagesHook lHook = gHook.load())
    lHook();
}

void SetProcessMessagesHook(TProcessMessagesHook aHook) { gHook.store(aHook); }
