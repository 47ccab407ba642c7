#pragma once
// The catalogue of known files: every file the program touches is registered under its full
// name, with its folder in the folder catalogue; single files are copied, moved and deleted
// here, and every step is logged.

#include "Qel.Shared.Data.h"
#include "Qel.Shared.Paths.Data.h"
#include "Qel.Shared.Version.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

class TFileData : public TData {
  QEL_CLASS("Qel.Shared.Files.Data", TFileData)

public:
  // Fills the entry: aFileName is its full name and key, aPath its folder entry (may be none).
  void Build(TPathData* aPath, const QString& aFileName);

  const QString& FileName() const { return FID; }
  // The file name without folder and extension.
  const QString& Name() const { return FName; }
  TPathData* Path() const { return FPath; }
  // The extension with its dot, as written in the name; empty when there is none.
  const QString& Ext() const { return FExt; }
  bool IsLog() const { return FIsLog; }
  bool IsDatabase() const { return FIsDatabase; }
  bool IsText() const { return FIsText; }
  bool IsBinary() const { return FIsBinary; }
  bool VersionFromFilename() const { return FVersionFromFilename; }
  void SetVersionFromFilename(bool aValue) { Change(FVersionFromFilename, aValue); }
  bool Required() const { return FRequired; }
  void SetRequired(bool aValue) { FRequired = aValue; }

  QString GetNameWithExt() const { return FName + FExt; }
  // The file exists (following links).
  bool GetExists() const;
  // 0 for a missing file.
  uint64_t GetSizeByte() const;
  QString GetSize() const;
  // The creation time where the file system records one, else the last status change;
  // 0 for a missing file.
  TDateTime GetCreatedDateTime() const;
  TDateTime GetModifiedDateTime() const;
  // From the name with VersionFromFilename, else from the version resource; a version
  // without data when there is none.
  TVersion GetVersion() const;
  // The file exists and another holder has it locked.
  bool GetInUse() const;
  // The folder entry is the Backup folder.
  bool GetIsBackup() const;
  // The full name is the running program's file name.
  bool IsSelf() const;
  TColor ExistsColor() const;
  TColor InUseColor() const;

  // Created, modified, size, kind, folder, name, extension, in-use flag and version, one
  // "Label:value" element each; joined by line breaks for the null character, else by
  // aDelimiter. Empty for a missing file.
  QString AsText(QChar aDelimiter) const;

  // Copies this file onto aDst; without aOverwrite an existing destination makes it fail.
  bool FileCopy(TFileData* aDst, bool aOverwrite = false);
  // Moves this file to aDst; without aOverwrite an existing destination makes it fail. An
  // existing destination is never replaced by the move itself, only deleted first with
  // aOverwrite.
  bool FileMove(TFileData* aDst, bool aOverwrite = false);
  // Deletes the file; a file that cannot be deleted is set aside under a time-stamped name.
  // When neither works the failure is logged, and with aRaiseException raised as well.
  bool FileDelete(bool aRaiseException = false);

  // aOther names this very file (by name, or through links to it).
  bool IsSameFile(const TFileData* aOther) const;

private:
  // Shared start of copy and move: source exists, destination named.
  bool CheckSourceAndDestination(const TFileData* aDst, const QString& aMethod) const;
  bool CopyContent(TFileData* aDst);

  QString FName;
  TPathData* FPath = nullptr;
  bool FIsLog = false;
  bool FIsDatabase = false;
  bool FIsText = false;
  bool FIsBinary = false;
  QString FExt;
  bool FVersionFromFilename = false;
  bool FRequired = false;
};

class TFileDataList : public TDataList<TFileData> {
  QEL_CLASS("Qel.Shared.Files.Data", TFileDataList)

public:
  // An empty catalogue bound to aPathLst and, with aOnlyThisPath, to one folder into which
  // every file added is placed by name. Registers the program file as ApplicationExe.
  TFileDataList(const QString& aApplicationFilename, TPathData* aOnlyThisPath,
                TPathDataList* aPathLst);
  ~TFileDataList() override;

  // Registers the program's own files, finds the configuration file and checks the required
  // files. Only the main catalogue of a paths-and-files service is initialised.
  void Init();

  // The entry of aFileName: the registered one, else a new one when the file exists or
  // aForce is set (its folder is registered and created). None for a blank name or a
  // missing file without aForce. aRequired becomes the entry's required flag.
  TFileData* Add(const QString& aFileName, bool aForce, bool aRequired);
  // Add of the file aName (only its last element when it holds a folder) in aPath, or in
  // the folder of aName when aPath is empty; in the bound folder when the catalogue has one.
  TFileData* Add(const QString& aPath, const QString& aName, bool aForce, bool aRequired);
  TFileData* Add(const TPathData* aPath, const QString& aName, bool aForce, bool aRequired);
  // The registered entry of exactly this full name (the file system's rule), or none.
  TFileData* FindByFileName(const QString& aFileName) const;
  bool Remove(const TData* aData) override;
  void Clear() override;

  // The file aFileMask (a plain name) in the Bin, Data or Common folder, the first found.
  TFileData* FindInPaths(const QString& aName, const QString& aFileMask);
  bool CheckRequiredFiles();
  // Registers the files of aPath matching aMask (";"-separated, not recursive).
  bool FindFiles(const QString& aPath, const QString& aMask, std::vector<TFileData*>& aFiles);
  // A new, not yet existing file with a GUID name in the Tmp folder.
  TFileData* GetTempFileName(const QString& aFileExt);
  // A new, not yet existing trace file (0000000000.trc, ...) in today's trace folder.
  TFileData* GetApplicationLogTrace();
  TFileData* GetFileByNameExt(const QString& aName, const QString& aExt) const;
  TFileData* GetExeByName(const QString& aName) const;
  TFileData* GetDllByName(const QString& aName) const;

  TPathDataList* PathLst() const { return FPathLst; }
  TPathData* OnlyThisPath() const { return FOnlyThisPath; }
  TFileData* ApplicationExe() const { return FApplicationExe; }
  TFileData* ApplicationIni() const { return FApplicationIni; }
  TFileData* ApplicationLog() const { return FApplicationLog; }
  TFileData* NeededModifyConst() const { return FNeededModifyConst; }
  TFileData* Lng() const { return FLng; }
  TFileData* AppIni() const { return FAppIni; }
  TFileData* ApplicationLogHeapStatus() const { return FApplicationLogHeapStatus; }

private:
  // Catalogue entries and folders are owned by their catalogues, not by this list.
  TPathDataList* FPathLst;
  TPathData* FOnlyThisPath;
  TFileData* FApplicationExe = nullptr;
  TFileData* FApplicationIni = nullptr;
  TFileData* FApplicationLog = nullptr;
  TFileData* FNeededModifyConst = nullptr;
  TFileData* FLng = nullptr;
  TFileData* FAppIni = nullptr;
  // The entries by their full names (FileNameKey): a run registers thousands of files.
  QHash<QString, TFileData*> FIndex;
  TFileData* FApplicationLogHeapStatus = nullptr;
};
