#pragma once
// The running process: its ids, its own program file, and whether it runs with full rights.

#include <QString>
#include <cstdint>
#include <optional>

uint32_t GetCurrentProcessId();
// The kernel's id of the calling thread.
uint32_t GetCurrentThreadId();

// The full name of the running program's file (/proc/self/exe), unless a test pointed it
// into its own program folder with SetApplicationFileNameOverride.
QString ApplicationFileName();
void SetApplicationFileNameOverride(std::optional<QString> aFileName);

// Whether the process runs with the effective user id 0.
bool IsProcessElevated();
