#include "Qel.Rtl.Random.h"

#include <mutex>
#include <random>

namespace {

struct TRandomState {
  std::mutex Lock;
  std::mt19937_64 Engine{std::random_device{}()};
};

TRandomState& State() {
  static TRandomState lState;
  return lState;
}

} // namespace

double Random() {
  TRandomState& lState = State();
  std::lock_guard lLock(lState.Lock);
  // 53 random bits give every double of [0, 1) with equal spacing; never 1.
  return static_cast<double>(lState.Engine() >> 11) * 0x1.0p-53;
}

void SetRandomSeed(uint64_t aSeed) {
  TRandomState& lState = State();
  std::lock_guard lLock(lState.Lock);
  lState.Engine.seed(aSeed);
}
