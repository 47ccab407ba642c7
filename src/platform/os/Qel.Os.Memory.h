#pragma once
// Memory counters of the running process.

#include <cstdint>

// Private bytes: resident memory not shared with other processes (resident minus shared of
// /proc/self/statm). Cheap enough to read for every log record: the file stays open and is
// read with one pread. 0 when the counter cannot be read.
uint64_t ProcessPrivateBytes();
