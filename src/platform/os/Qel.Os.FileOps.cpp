#include "Qel.Os.FileOps.h"

#include "Qel.Rtl.SysUtils.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ErrorText(int aErrno) {
  char lBuffer[256];
  return QString::fromLocal8Bit(strerror_r(aErrno, lBuffer, sizeof lBuffer));
}

QString FailureText(const char* aWhat, const QString& aName, int aErrno) {
  return QStringLiteral("%1 \"%2\": %3").arg(QLatin1String(aWhat), aName, ErrorText(aErrno));
}

// Closes a descriptor on every way out.
class TFd {
public:
  explicit TFd(int aFd) : FFd(aFd) {}
  ~TFd() { Close(); }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  // Hands the descriptor over; it is no longer closed here.
  int Release() {
    const int lFd = FFd;
    FFd = -1;
    return lFd;
  }
  // close(2) can report a failed write-back; the caller of a copy must hear of it.
  bool Close() {
    if (FFd < 0)
      return true;
    const int lResult = ::close(FFd);
    FFd = -1;
    return lResult == 0;
  }

private:
  int FFd;
};

// Opens a regular file for reading. A FIFO would block the open until a writer comes, and a
// device has no end or no size: neither is a document to copy.
int OpenRegularFile(const QByteArray& aName, const QString& aFileName, QString& aError) {
  TFd lFd(::open(aName.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat lStat {};
  if (!lFd.Valid() || ::fstat(lFd.Get(), &lStat) != 0) {
    aError = FailureText("Unable to open", aFileName, errno);
    return -1;
  }
  if (!S_ISREG(lStat.st_mode)) {
    aError = QStringLiteral("Unable to open \"%1\": not a regular file").arg(aFileName);
    return -1;
  }
  // O_NONBLOCK may stay: reads of a regular file do not look at it.
  return lFd.Release();
}

bool NativeNames(const QString& aOldName, const QString& aNewName, QByteArray& aOld,
                 QByteArray& aNew, QString& aError) {
  if (!NativeFileName(aOldName, aOld)) {
    aError = FailureText("Unable to rename", aOldName, EINVAL);
    return false;
  }
  if (!NativeFileName(aNewName, aNew)) {
    aError = FailureText("Unable to rename to", aNewName, EINVAL);
    return false;
  }
  return true;
}

// A file's folder and last name.
struct TEntryName {
  QByteArray Folder;
  QByteArray Name;
};

TEntryName SplitEntryName(QByteArray aName) {
  while (aName.size() > 1 && aName.endsWith('/'))
    aName.chop(1);
  const qsizetype lSlash = aName.lastIndexOf('/');
  if (lSlash < 0)
    return {QByteArrayLiteral("."), aName};
  return {lSlash == 0 ? QByteArrayLiteral("/") : aName.left(lSlash), aName.mid(lSlash + 1)};
}

// Writes the whole buffer; false with errno set on failure.
bool WriteAll(int aFd, const char* aData, size_t aSize) {
  while (aSize > 0) {
    const ssize_t lWritten = ::write(aFd, aData, aSize);
    if (lWritten < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    aData += lWritten;
    aSize -= static_cast<size_t>(lWritten);
  }
  return true;
}

// Copies aOld into the newly created aNew (never an existing file). On failure nothing is
// left at aNew.
bool CopyIntoNewFile(const QByteArray& aOld, const QByteArray& aNew, const QString& aNewName,
                     QString& aError) {
  TFd lSrc(OpenRegularFile(aOld, QFile::decodeName(aOld), aError));
  struct stat lStat {};
  if (!lSrc.Valid())
    return false;
  if (::fstat(lSrc.Get(), &lStat) != 0) {
    aError = FailureText("Unable to open", QFile::decodeName(aOld), errno);
    return false;
  }
  TFd lDst(
      ::open(aNew.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, lStat.st_mode & 07777));
  if (!lDst.Valid()) {
    aError = FailureText("Unable to create", aNewName, errno);
    return false;
  }
  char lBuffer[65536];
  bool lOK = true;
  int lErrno = 0;
  for (;;) {
    const ssize_t lRead = ::read(lSrc.Get(), lBuffer, sizeof lBuffer);
    if (lRead < 0 && errno == EINTR)
      continue;
    if (lRead < 0 || (lRead > 0 && !WriteAll(lDst.Get(), lBuffer, static_cast<size_t>(lRead)))) {
      lOK = false;
      lErrno = errno;
      break;
    }
    if (lRead == 0)
      break;
  }
  if (lOK) {
    // A move keeps the times of the file.
    const struct timespec lTimes[2] = {lStat.st_atim, lStat.st_mtim};
    ::futimens(lDst.Get(), lTimes);
  }
  if (!lDst.Close() && lOK) {
    lOK = false;
    lErrno = errno;
  }
  if (!lOK) {
    ::unlink(aNew.constData());
    aError = FailureText("Unable to write", aNewName, lErrno);
  }
  return lOK;
}

} // namespace

bool RenameFileNoReplace(const QString& aOldName, const QString& aNewName, QString& aError) {
  QByteArray lOld, lNew;
  if (!NativeNames(aOldName, aNewName, lOld, lNew, aError))
    return false;
  if (::renameat2(AT_FDCWD, lOld.constData(), AT_FDCWD, lNew.constData(), RENAME_NOREPLACE) == 0)
    return true;
  const int lErrno = errno;
  if (lErrno != EINVAL && lErrno != ENOSYS && lErrno != ENOTSUP) {
    aError = FailureText("Unable to rename to", aNewName, lErrno);
    return false;
  }
  // The file system cannot rename without replacing: a second name, then the old one goes.
  if (::link(lOld.constData(), lNew.constData()) != 0) {
    aError = FailureText("Unable to rename to", aNewName, errno);
    return false;
  }
  if (::unlink(lOld.constData()) != 0) {
    const int lUnlinkErrno = errno;
    ::unlink(lNew.constData());
    aError = FailureText("Unable to remove", aOldName, lUnlinkErrno);
    return false;
  }
  return true;
}

bool MoveFileNoReplace(const QString& aOldName, const QString& aNewName, QString& aError) {
  QByteArray lOld, lNew;
  if (!NativeNames(aOldName, aNewName, lOld, lNew, aError))
    return false;
  if (::renameat2(AT_FDCWD, lOld.constData(), AT_FDCWD, lNew.constData(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EXDEV)
    return RenameFileNoReplace(aOldName, aNewName, aError);
  if (!CopyIntoNewFile(lOld, lNew, aNewName, aError))
    return false;
  if (::unlink(lOld.constData()) != 0) {
    const int lErrno = errno;
    ::unlink(lNew.constData());
    aError = FailureText("Unable to remove", aOldName, lErrno);
    return false;
  }
  return true;
}

bool IsSameDirectoryEntry(const QString& aFileName, const QString& aOtherName) {
  QByteArray lThis, lOther;
  if (!NativeFileName(aFileName, lThis) || !NativeFileName(aOtherName, lOther))
    return false;
  const TEntryName lThisEntry = SplitEntryName(lThis);
  const TEntryName lOtherEntry = SplitEntryName(lOther);
  // Different last names are different entries; only then are the folders asked.
  if (lThisEntry.Name != lOtherEntry.Name)
    return false;
  struct stat lThisFolder {};
  struct stat lOtherFolder {};
  return ::stat(lThisEntry.Folder.constData(), &lThisFolder) == 0 &&
         ::stat(lOtherEntry.Folder.constData(), &lOtherFolder) == 0 &&
         lThisFolder.st_dev == lOtherFolder.st_dev && lThisFolder.st_ino == lOtherFolder.st_ino;
}

bool OpenRegularFileForReading(const QString& aFileName, QFile& aFile, QString& aError) {
  QByteArray lName;
  if (!NativeFileName(aFileName, lName)) {
    aError = FailureText("Unable to open", aFileName, EINVAL);
    return false;
  }
  TFd lFd(OpenRegularFile(lName, aFileName, aError));
  if (!lFd.Valid())
    return false;
  if (!aFile.open(lFd.Get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    aError = QStringLiteral("Unable to open \"%1\": %2").arg(aFileName, aFile.errorString());
    return false;
  }
  lFd.Release();
  return true;
}

bool GetFileCreationTime(const QString& aFileName, QDateTime& aTime) {
  QByteArray lName;
  if (!NativeFileName(aFileName, lName))
    return false;
  struct statx lStatx {};
  int64_t lSec = 0;
  int64_t lNSec = 0;
  if (::statx(AT_FDCWD, lName.constData(), AT_STATX_SYNC_AS_STAT, STATX_BTIME | STATX_CTIME,
              &lStatx) == 0) {
    const struct statx_timestamp& lStamp =
        (lStatx.stx_mask & STATX_BTIME) ? lStatx.stx_btime : lStatx.stx_ctime;
    lSec = lStamp.tv_sec;
    lNSec = lStamp.tv_nsec;
  } else {
    // A kernel without statx: the change time of stat.
    struct stat lStat {};
    if (errno != ENOSYS || ::stat(lName.constData(), &lStat) != 0)
      return false;
    lSec = lStat.st_ctim.tv_sec;
    lNSec = lStat.st_ctim.tv_nsec;
  }
  aTime = QDateTime::fromMSecsSinceEpoch(lSec * 1000 + lNSec / 1000000);
  return true;
}

bool IsFileLockedByOther(const QString& aFileName) {
  QByteArray lName;
  if (!NativeFileName(aFileName, lName))
    return false;
  struct stat lStat {};
  if (::stat(lName.constData(), &lStat) != 0)
    return false;
  // Read-only: the permission bits of the file play no part, only the locks of others.
  TFd lFd(::open(lName.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!lFd.Valid())
    return errno != ENOENT;
  // flock and record locks do not see each other on Linux: ask both kinds.
  if (::flock(lFd.Get(), LOCK_EX | LOCK_NB) != 0)
    return errno == EWOULDBLOCK || errno == EINTR;
  ::flock(lFd.Get(), LOCK_UN);
  struct flock lLock {};
  lLock.l_type = F_WRLCK;
  lLock.l_whence = SEEK_SET;
  lLock.l_start = 0;
  lLock.l_len = 0;
  // An open file description lock test sees record locks of every other holder, this process's
  // own included; kernels without it still see the record locks of other processes. (Closing
  // the test descriptor would drop record locks this process itself holds on the file; the
  // framework takes none.)
  if (::fcntl(lFd.Get(), F_OFD_GETLK, &lLock) != 0) {
    lLock = {};
    lLock.l_type = F_WRLCK;
    lLock.l_whence = SEEK_SET;
    if (::fcntl(lFd.Get(), F_GETLK, &lLock) != 0)
      return false;
  }
  return lLock.l_type != F_UNLCK;
}

namespace {

// The buffered way of CopyFileBlock, for file systems the kernel cannot copy between.
int64_t CopyBlockThroughBuffer(int aSrcFd, const QString& aSrcName, int aDstFd,
                               const QString& aDstName, int64_t aCount, QString& aError) {
  char lBuffer[65536];
  int64_t lCopied = 0;
  while (lCopied < aCount) {
    const auto lWanted = static_cast<size_t>(std::min<int64_t>(aCount - lCopied, sizeof lBuffer));
    const ssize_t lRead = ::read(aSrcFd, lBuffer, lWanted);
    if (lRead < 0 && errno == EINTR)
      continue;
    if (lRead < 0) {
      aError = FailureText("Unable to read", aSrcName, errno);
      return -1;
    }
    if (lRead == 0)
      break;
    if (!WriteAll(aDstFd, lBuffer, static_cast<size_t>(lRead))) {
      aError = FailureText("Unable to write", aDstName, errno);
      return -1;
    }
    lCopied += lRead;
  }
  return lCopied;
}

} // namespace

int64_t CopyFileBlock(int aSrcFd, const QString& aSrcName, int aDstFd, const QString& aDstName,
                      int64_t aCount, QString& aError) {
  int64_t lCopied = 0;
  while (lCopied < aCount) {
    const ssize_t lDone = ::copy_file_range(aSrcFd, nullptr, aDstFd, nullptr,
                                            static_cast<size_t>(aCount - lCopied), 0);
    if (lDone > 0) {
      lCopied += lDone;
      continue;
    }
    if (lDone == 0)
      break; // end of the source
    if (errno == EINTR)
      continue;
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
        errno == EBADF) {
      const int64_t lRest =
          CopyBlockThroughBuffer(aSrcFd, aSrcName, aDstFd, aDstName, aCount - lCopied, aError);
      return lRest < 0 ? -1 : lCopied + lRest;
    }
    // The kernel does not say which side failed; reading rarely fails where writing did not.
    aError = FailureText(errno == EIO ? "Unable to read" : "Unable to write",
                         errno == EIO ? aSrcName : aDstName, errno);
    return -1;
  }
  return lCopied;
}
