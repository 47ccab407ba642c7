#pragma once
// Appending to a file that other processes may read but not write while it is open:
// an exclusive advisory lock (flock) is taken for the time of the append.

#include <QByteArray>
#include <QString>

// Creates the file when missing, appends aData at its end and closes it. False when the file
// cannot be opened, another holder has it locked, or not everything could be written; then the
// file is as it was before the call.
bool AppendToLockedFile(const QString& aFileName, const QByteArray& aData);
