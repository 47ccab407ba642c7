#pragma once
// File operations of the platform that the runtime's file classes do not offer: renames and
// moves that never replace an existing file, the creation time of a file, and the test
// whether another holder has a file locked.

#include <QDateTime>
#include <QFile>
#include <QString>
#include <cstdint>

// Renames aOldName to aNewName, failing when aNewName exists (renameat2 with
// RENAME_NOREPLACE; on a file system without it, a hard link and the removal of the old
// name). Both names must lie on one file system. aError receives the reason of a failure.
bool RenameFileNoReplace(const QString& aOldName, const QString& aNewName, QString& aError);

// Moves a file to aNewName without ever replacing an existing file: a rename on the same
// file system; across file systems a copy into a newly created file (with the permission
// bits of the original), then the original is removed. A failed copy leaves nothing behind,
// and when the original cannot be removed the copy is removed again.
bool MoveFileNoReplace(const QString& aOldName, const QString& aNewName, QString& aError);

// Whether both names lead to one entry of one folder: the same last name in the same folder on
// disk, however the folder is written ("..", ".", a link to a folder). Renaming or deleting one
// of them renames or deletes the other. A link to the file, or a second hard link, is an entry
// of its own. False when a folder does not exist.
bool IsSameDirectoryEntry(const QString& aFileName, const QString& aOtherName);

// Opens a regular file read-only into aFile (which closes it); false with aError for a missing
// file and for anything that is not a regular file (a FIFO, a device, a folder), which is
// refused without waiting.
bool OpenRegularFileForReading(const QString& aFileName, QFile& aFile, QString& aError);

// The creation (birth) time of a file where the file system records one, else the time of
// its last status change. False for a missing file.
bool GetFileCreationTime(const QString& aFileName, QDateTime& aTime);

// Whether the file is "in use": another holder has a lock on it (flock, an open file
// description lock or a POSIX record lock) that forbids an exclusive lock now, or the file
// cannot be opened at all. The test opens the file read-only, asks without blocking and
// closes it at once. False for a missing file.
bool IsFileLockedByOther(const QString& aFileName);

// Copies up to aCount bytes from the current position of the open file aSrcFd to the current
// position of aDstFd, inside the kernel where the file systems allow it (copy_file_range),
// else through a buffer. Both positions advance. Returns the number of bytes copied, which
// is less than aCount only at the end of the source; -1 on failure, with aError naming the
// side that failed (aSrcName or aDstName).
int64_t CopyFileBlock(int aSrcFd, const QString& aSrcName, int aDstFd, const QString& aDstName,
                      int64_t aCount, QString& aError);
