#pragma once
// The runtime's random numbers: one process-wide generator, seeded from the system at start.
// Tests make draws repeatable with SetRandomSeed.

#include <cstdint>

// A uniform fraction in [0, 1).
double Random();
// Restarts the generator with a fixed seed.
void SetRandomSeed(uint64_t aSeed);
