#pragma once
// The monotonic millisecond tick counter (never goes back, unaffected by clock changes).

#include <cstdint>

uint64_t GetTickCount64();
