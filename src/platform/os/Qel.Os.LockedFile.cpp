#include "Qel.Os.LockedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool AppendToLockedFile(const QString& aFileName, const QByteArray& aData) {
  const int lFd =
      open(aFileName.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (lFd < 0)
    return false;
  bool lOk = flock(lFd, LOCK_EX | LOCK_NB) == 0;
  const char* lPos = aData.constData();
  qsizetype lLeft = aData.size();
  while (lOk && lLeft > 0) {
    const ssize_t lWritten = write(lFd, lPos, static_cast<size_t>(lLeft));
    if (lWritten < 0 && errno == EINTR)
      continue;
    lOk = lWritten > 0;
    if (lOk) {
      lPos += lWritten;
      lLeft -= lWritten;
    }
  }
  close(lFd); // also releases the lock
  return lOk;
}
