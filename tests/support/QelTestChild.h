#pragma once
// Runs a piece of a test in a forked child, for conditions that must not touch the test
// process itself (a file size limit, a lock held by "another process").

#include <functional>

// Runs aBody in a forked child and returns the child's exit code (aBody's result); 100 when
// aBody threw, -1 when the child did not exit normally.
int RunInChild(const std::function<int()>& aBody);

// Limits the size of files this process writes to aBytes, as a full disk would: writes
// beyond fail with EFBIG instead of raising SIGXFSZ. For children only.
bool LimitFileSize(long aBytes);
