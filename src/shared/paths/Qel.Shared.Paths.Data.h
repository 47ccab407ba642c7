#pragma once
// The catalogue of standard folders: the program's main folder, one folder per standard
// type below it (and the machine-wide common folder), and every further folder registered.

#include "Qel.Shared.Data.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

enum TPathTyp : uint8_t {
  ptMain,
  ptBin,
  ptData,
  ptTmp,
  ptBackup,
  ptArchive,
  ptZIP,
  ptExport,
  ptLog,
  ptCommon,
  ptUpdate,
  ptDownload,
  ptSQL,
  ptValidationReasons,
  ptValidationResults,
  ptEMail,
  ptUnknown,
};

inline constexpr int cPathTypCount = 17;
// Folder names of the standard types, relative to the main folder.
QString PathTypName(TPathTyp aTyp);

class TPathData : public TData {
  QEL_CLASS("Qel.Shared.Paths.Data", TPathData)

public:
  // Full folder name, ending in a delimiter.
  const QString& Path() const { return FPath; }
  TPathTyp Typ() const { return FTyp; }
  // Relative to the main folder when below it, else the full name; no trailing delimiter.
  const QString& Name() const { return FName; }
  QChar Drive() const { return FDrive; }
  // Path without its trailing delimiter.
  const QString& Directory() const { return FDirectory; }

  bool GetExists() const;
  // Full names of the files matching aMask (";"-separated masks), also below with aSubDirs.
  bool FindFiles(const QString& aMask, QStringList& aFiles) const;
  bool FindFiles(const QString& aMask, bool aSubDirs, QStringList& aFiles) const;
  bool FindDirectories(const QString& aMask, QStringList& aDirectories) const;
  // Each direct sub-folder, registered in the folder catalogue of the process-wide
  // paths-and-files service, in the order the folder listing gives them.
  std::vector<TPathData*> GetSubPaths() const;

private:
  friend class TPathDataList;
  QString FPath;
  TPathTyp FTyp = ptUnknown;
  QString FName;
  QChar FDrive;
  QString FDirectory;
};

class TPathDataList : public TDataList<TPathData> {
  QEL_CLASS("Qel.Shared.Paths.Data", TPathDataList)

public:
  // Builds the catalogue for the program file aApplicationFilename and creates every
  // standard folder on disk.
  explicit TPathDataList(const QString& aApplicationFilename);
  ~TPathDataList() override;

  // Registers a folder given relative to the main folder or by its full name, creates it,
  // and returns its entry (the existing one when the folder is known already).
  TPathData* Build(const QString& aNameOrPath, TPathTyp aTyp);
  TPathData* Add(const QString& aPath) { return Build(aPath, ptUnknown); }
  // The entry of a standard folder; ptMain and ptUnknown raise EArgumentException.
  TPathData* GetPath(TPathTyp aTyp) const;
  const TPathData& Main() const { return *FMain; }

  // Dated folders, built afresh for today on every call: Archive/yyyy/mm/dd/, Log/yyyy/mm/dd/,
  // Mail/yyyy/mm/dd/ and Mail/yyyy/mm/dd/Attachement/.
  TPathData* GetArchive();
  TPathData* GetLogTrace();
  TPathData* GetEMail();
  TPathData* GetEMailAttachement();

  bool FindFiles(TPathTyp aTyp, const QString& aMask, QStringList& aFiles) const;
  bool FindDirectories(TPathTyp aTyp, const QString& aMask, QStringList& aDirectories) const;

  // The entry whose identifier equals aName by the file-system rule, or nothing.
  TPathData* FindByName(const QString& aName) const;

private:
  TPathData* BuildDated(TPathTyp aBase, const QString& aSuffix, TPathTyp aTyp);

  TPathData* FMain = nullptr; // owned by the list, like every entry
  std::array<TPathData*, cPathTypCount> FPathDict{};
};

// The main folder of a program file: its folder without trailing empty or "bin" elements.
QString MainFolderOf(const QString& aApplicationFilename);
