#pragma once
// Listing files and folders, time stamps in file names, size texts and version resources.

#include "Qel.Rtl.DateTime.h"
#include "Qel.Shared.Version.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class TFileSystemUtils {
public:
  // Full names of the direct sub-folders of aPath matching aMask, in listing order; false
  // when aPath is empty or no folder.
  static bool FindDirectories(const QString& aPath, const QString& aMask,
                              QStringList& aDirectories);
  // Full names of the files of aPath matching any pattern of aMask (separated by ";" or
  // blanks, quoted patterns keep their blanks), pattern by pattern; with aSubDirs the files of
  // every sub-folder follow, recursively. False when aPath is empty or no folder.
  static bool FindFiles(const QString& aPath, const QString& aMask, QStringList& aFiles,
                        bool aSubDirs);
  static bool FindFiles(const QString& aPath, const QString& aMask, QStringList& aFiles);

  // The date-time in aFormat with ".", ":", ",", ";" and blanks replaced by "_".
  static QString DateTimeToFileName(const QString& aFormat, TDateTime aDateTime);
  // yyyy_mm_dd_hh_nn_ss_zzz
  static QString TimestampToFileName(TDateTime aDateTime);
  static QString TimestampToFileName();

  // 0 for a missing file.
  static uint64_t FileSize(const QString& aFileName);
  // 1023B, 1kB, 1.5kB, 5MB, ... up to PB.
  static QString FileSizeToStr(uint64_t aSize);

  // The version resource of a program file. True with a version without data when the file
  // carries none; false for a missing file or a damaged resource.
  static bool GetFileVersion(const QString& aFileName, TVersion& aVersion);
};
