#include "Qel.Rtl.Tick.h"

#include <ctime>

uint64_t GetTickCount64() {
  timespec lTs{};
  clock_gettime(CLOCK_MONOTONIC, &lTs);
  return static_cast<uint64_t>(lTs.tv_sec) * 1000u + static_cast<uint64_t>(lTs.tv_nsec) / 1000000u;
}
