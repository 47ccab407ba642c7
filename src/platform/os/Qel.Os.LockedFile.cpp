#include "Qel.Os.LockedFile.h"

#include "Qel.Rtl.SysUtils.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool AppendToLockedFile(const QString& aFileName, const QByteArray& aData) {
  QByteArray lName;
  if (!NativeFileName(aFileName, lName))
    return false;
  const int lFd = open(lName.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (lFd < 0)
    return false;
  bool lOk = flock(lFd, LOCK_EX | LOCK_NB) == 0;
  // Where this append starts: a write cut short (disk full) is taken back, so that the file
  // holds no half line for the next append to run on from.
  const off_t lStart = lOk ? lseek(lFd, 0, SEEK_END) : -1;
  lOk = lOk && lStart >= 0;
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
  if (!lOk && lStart >= 0 && lLeft < aData.size())
    (void)ftruncate(lFd, lStart);
  close(lFd); // also releases the lock
  return lOk;
}
