// Process facts and the seams tests use.
#include "Qel.Os.Folders.h"
#include "Qel.Os.Memory.h"
#include "Qel.Os.Process.h"

#include <QFileInfo>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(OsProcess, IdsOfProcessAndThreads) {
  EXPECT_EQ(GetCurrentProcessId(), static_cast<uint32_t>(getpid()));
  const uint32_t lMain = GetCurrentThreadId();
  EXPECT_EQ(lMain, GetCurrentProcessId()); // the main thread's id is the process id
  uint32_t lOther = 0;
  std::thread([&] { lOther = GetCurrentThreadId(); }).join();
  EXPECT_NE(lOther, 0u);
  EXPECT_NE(lOther, lMain);
}

TEST(OsProcess, ApplicationFileNameSeam) {
  const QString lBefore = ApplicationFileName();
  SetApplicationFileNameOverride(std::nullopt);
  const QString lReal = ApplicationFileName();
  EXPECT_TRUE(QFileInfo(lReal).isExecutable());
  EXPECT_TRUE(lReal.endsWith(QStringLiteral("test_platform_os")));
  SetApplicationFileNameOverride(QStringLiteral("/tmp/x/Prog/Bin/app"));
  EXPECT_EQ(ApplicationFileName(), QStringLiteral("/tmp/x/Prog/Bin/app"));
  SetApplicationFileNameOverride(lBefore);
}

TEST(OsFolders, CommonAppDataFolderSeam) {
  const QString lBefore = CommonAppDataFolder();
  SetCommonAppDataFolderOverride(std::nullopt);
  EXPECT_EQ(CommonAppDataFolder(), QStringLiteral("/var/lib/"));
  SetCommonAppDataFolderOverride(QStringLiteral("/tmp/common"));
  EXPECT_EQ(CommonAppDataFolder(), QStringLiteral("/tmp/common/"));
  SetCommonAppDataFolderOverride(lBefore);
}

TEST(OsMemory, PrivateBytesFollowTouchedMemory) {
  const uint64_t lBefore = ProcessPrivateBytes();
  ASSERT_GT(lBefore, 0u);
  std::vector<char> lBlock(32 * 1024 * 1024, 7);
  EXPECT_GE(ProcessPrivateBytes(), lBefore + 30u * 1024 * 1024);
  lBlock.clear();
  lBlock.shrink_to_fit();
  std::thread([] { EXPECT_GT(ProcessPrivateBytes(), 0u); }).join();
}

TEST(OsProcess, ElevationIsTheEffectiveUser) {
  EXPECT_EQ(IsProcessElevated(), geteuid() == 0);
}

} // namespace

namespace {

TEST(OsProcess, ForkedChildReportsItsOwnIdsAndMemory) {
  // Read once in the parent, so that the values are kept before the fork.
  ASSERT_EQ(GetCurrentProcessId(), static_cast<uint32_t>(getpid()));
  ASSERT_EQ(GetCurrentThreadId(), static_cast<uint32_t>(syscall(SYS_gettid)));
  ASSERT_GT(ProcessPrivateBytes(), 0u);
  const pid_t lChild = fork();
  ASSERT_GE(lChild, 0);
  if (lChild == 0) {
    if (GetCurrentProcessId() != static_cast<uint32_t>(getpid()))
      _exit(1);
    if (GetCurrentThreadId() != static_cast<uint32_t>(syscall(SYS_gettid)))
      _exit(2);
    // Memory the child touches shows in the child's own counter.
    const uint64_t lBefore = ProcessPrivateBytes();
    constexpr size_t cSize = 64u << 20;
    auto* lBlock = static_cast<volatile char*>(std::malloc(cSize));
    for (size_t i = 0; i < cSize; i += 4096)
      lBlock[i] = 1;
    const uint64_t lAfter = ProcessPrivateBytes();
    std::free(const_cast<char*>(lBlock));
    _exit(lAfter >= lBefore + (cSize / 2) ? 0 : 3);
  }
  int lStatus = 0;
  ASSERT_EQ(waitpid(lChild, &lStatus, 0), lChild);
  EXPECT_TRUE(WIFEXITED(lStatus));
  EXPECT_EQ(WEXITSTATUS(lStatus), 0) << "1: process id, 2: thread id, 3: memory of the parent";
}

} // namespace
