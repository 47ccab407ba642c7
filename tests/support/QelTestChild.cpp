#include "QelTestChild.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int RunInChild(const std::function<int()>& aBody) {
  const pid_t lPid = fork();
  if (lPid == 0) {
    int lCode = 100;
    try {
      lCode = aBody();
    } catch (...) {
    }
    _exit(lCode);
  }
  int lStatus = 0;
  waitpid(lPid, &lStatus, 0);
  return WIFEXITED(lStatus) ? WEXITSTATUS(lStatus) : -1;
}

bool LimitFileSize(long aBytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit lLimit{static_cast<rlim_t>(aBytes), static_cast<rlim_t>(aBytes)};
  return setrlimit(RLIMIT_FSIZE, &lLimit) == 0;
}
