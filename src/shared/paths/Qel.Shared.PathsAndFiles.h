#pragma once
// The paths-and-files service: the one object through which the framework reaches the file
// system. It owns the folder catalogue, the known-files catalogue and the backup catalogue,
// and keeps the temporary files to delete at the end and the files set aside instead of
// deleted. Its class-level operations act on the process-wide instance, log every step and
// return a success flag.

#include "Qel.Rtl.Object.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Paths.Data.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <vector>

class TConfigData;

// A plain list of full file names.
using TSimpleFileList = QStringList;

class TPathsAndFiles : public TObject {
  QEL_CLASS("Qel.Shared.PathsAndFiles", TPathsAndFiles)

public:
  // A service for the program file aFileName. Besides the process-wide instance, objects may
  // keep private services of their own (the logger does); class-level operations never use
  // those.
  explicit TPathsAndFiles(const QString& aFileName);
  // Saves the list of set-aside files and deletes the registered temporary files.
  ~TPathsAndFiles() override;
  TPathsAndFiles(const TPathsAndFiles&) = delete;
  TPathsAndFiles& operator=(const TPathsAndFiles&) = delete;

  // --- process-wide instance --------------------------------------------------------------
  // Created on first use for the running program's file.
  static TPathsAndFiles* Instance();
  // The module's shutdown: frees the process-wide instance (a later Instance builds anew).
  static void FinalizeInstance();

  // --- the instance -----------------------------------------------------------------------
  TPathDataList* PathLst() const { return FPathLst.get(); }
  TFileDataList* FileLst() const { return FFileLst.get(); }
  TFileDataList* BackupLst() const { return FBackupLst.get(); }
  const TSimpleFileList& PseudoDeletedLst() const { return *FPseudoDeletedLst; }
  const TSimpleFileList& TmpLst() const { return *FTmpLst; }
  TFileData* PseudoDeleteFileName() const { return FPseudoDeleteFileName; }

  // The main configuration, created on first use from the configuration file
  // FileLst()->AppIni(); the same object on every call. It is freed, and thereby written back,
  // when the service ends.
  TConfigData* GetConfig();
  TConfigData* Config() { return GetConfig(); }
  // The main window's caption: "program (version) | database (application version)] |
  // customer". The bracket after the application version has always been there.
  QString GetApplicationCaption();

  // The entry of a registered or existing file, or none.
  TFileData* GetFileName(const QString& aFileName);
  // The backup entry of a registered or existing file: the Backup folder + its name.
  TFileData* GetBackupFile(const QString& aFileName);
  void CleanupTmp();
  void CleanupPseudoDeleted();
  void CleanupBackups();
  void SaveLazyCopyLst();

  // --- class-level operations on the process-wide instance --------------------------------
  static TFileData* AddFile(const QString& aFileName, bool aForce, bool aRequired);
  static TFileData* AddFile(const QString& aPath, const QString& aName, bool aForce,
                            bool aRequired);
  // The entries of a file in the known-files and in the backup catalogue, neither forced.
  static void GetFileData(const QString& aFileName, TFileData*& aFileData, TFileData*& aBckData);
  // A fresh temporary file name in the Tmp folder, deleted when the service ends. The file
  // itself is not created.
  static TFileData* GetTempFile(const QString& aFileExt);

  // Copies aSrc onto aDst; an existing destination outside the Backup folder is set aside
  // under a time-stamped name first, one inside it is replaced.
  static bool CopyFile(const QString& aSrc, const QString& aDst);
  // Moves aSrc to aDst; never replaces an existing destination.
  static bool MoveFile(const QString& aSrc, const QString& aDst);
  // Backs the file up, then deletes it.
  static bool DeleteFile(const QString& aFileName);
  // Sets an existing file outside the Backup folder aside: renamed in place with the current
  // time before its extension. Fails when a file of the new name exists.
  static bool PseudoDeleteFile(TFileData* aFile);
  // The folder part of the name is the Backup folder.
  static bool IsBackupPath(const QString& aFileNameOrDirectory);
  // Opens the file with its associated program.
  static bool OpenFile(const QString& aFileName);

  // Files of aPath matching aMask (";"-separated): into a string list (cleared and filled
  // only when the folder exists), into an array of full names, into an array of entries.
  static bool FindFiles(const QString& aPath, const QString& aMask, QStringList* aFiles);
  static bool FindFiles(const QString& aPath, const QString& aMask, std::vector<QString>& aFiles);
  static bool FindFiles(const QString& aPath, const QString& aMask,
                        std::vector<TFileData*>& aFiles);
  static bool FindDirectories(const QString& aPath, const QString& aMask,
                              QStringList* aDirectories);
  static bool FindDirectories(const QString& aPath, const QString& aMask,
                              std::vector<QString>& aDirectories);

  // Backup: one copy per file in the Backup folder under the file's own name; an older
  // backup is archived before it is replaced.
  static bool BackupFile(const TFileData* aFile);
  static bool BackupFile(const QString& aFileName);
  static bool BackupFile(const QString& aSrc, const QString& aDst);
  static int BackupAll();
  // Restore: the backup is copied back; the current file is set aside first.
  static bool RestoreFile(const TFileData* aFile);
  static bool RestoreFile(const QString& aFileName);
  static bool RestoreFile(const QString& aSrc, const QString& aDst);
  static int RestoreAll();
  // Archive: the file is moved into today's archive folder under the name
  // stem_CREATEDT_<creation time>[_VERS_<version>]_IX<index>ext; an archived file of that name
  // and a different size moves the index on, one of the same size means "already archived".
  static bool ArchiveFile(const QString& aFileName);
  static bool ArchiveFile(const QString& aFileName, TFileData*& aArchiveFile, int aIndex);
  static int ArchiveAll();
  // Deletes the backup of a file, with aArchive only after it was archived.
  static bool DeleteBackup(const QString& aFileName, bool aArchive);

private:
  enum TArchiveResult { arArchived, arAlreadyArchived, arFailed };

  // One lock serialises the class-level operations: the logger's thread archives its files
  // while the user-interface thread copies. A single recursive mutex is the simple choice, as
  // the operations call one another. Private services are used by one thread and take none.
  static std::recursive_mutex& Lock();

  // What the destructor runs before the members go; done once.
  void BeforeDestruction();
  TArchiveResult ArchiveFileInternal(const QString& aFileName, TFileData*& aArchiveFile,
                                     int aIndex);
  // Copies, restores or archives every known file, including those added meanwhile.
  template <typename TOp> static int ForAllFiles(const QString& aMethod, TOp aOperation);

  std::unique_ptr<TSimpleFileList> FPseudoDeletedLst;
  // The list as read at start: it is written back only when it changed here, so that names
  // another program added or cleaned meanwhile are not undone.
  TSimpleFileList FPseudoDeletedAsRead;
  std::unique_ptr<TSimpleFileList> FTmpLst;
  TFileData* FPseudoDeleteFileName = nullptr; // an entry of FFileLst
  std::unique_ptr<TPathDataList> FPathLst;
  std::unique_ptr<TFileDataList> FFileLst;
  std::unique_ptr<TFileDataList> FBackupLst;
  std::unique_ptr<TConfigData> FConfig;
  bool FDestroying = false;

  // The holder of the process-wide instance (the class-level FInstance). The holder itself lives to
  // the very end of the process; the instance is freed by FinalizeInstance only, never by static
  // destruction, when the logger it reports to may be gone already.
  static std::unique_ptr<TPathsAndFiles>& InstanceHolder();
};
