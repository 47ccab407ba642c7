#include "Qel.Shared.Paths.Data.h"

#include "Qel.Os.Folders.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.PathsAndFiles.h"

namespace {

const char* const cPathTyp[cPathTypCount] = {
    "",
    "Bin",
    "Data",
    "Tmp",
    "Backup",
    "Archive",
    "ZIP",
    "Export",
    "Log",
    "Common",
    "Update",
    "Download",
    "SQL",
    "Validation/Reasons",
    "Validation/Results",
    "Mail",
    "Unknown",
};

// today as yyyy/mm/dd/ with the path delimiter (not the date separator)
QString TodayFolder() {
  const TDateTime lToday = Date();
  return FormatDateTime(QStringLiteral("yyyy"), lToday) + PathDelim +
         FormatDateTime(QStringLiteral("mm"), lToday) + PathDelim +
         FormatDateTime(QStringLiteral("dd"), lToday) + PathDelim;
}

} // namespace

QString PathTypName(TPathTyp aTyp) {
  return aTyp < cPathTypCount ? QString::fromLatin1(cPathTyp[aTyp]) : QString();
}

QString MainFolderOf(const QString& aApplicationFilename) {
  QStringList lElements = ExtractFilePath(aApplicationFilename).split(PathDelim);
  while (!lElements.isEmpty()) {
    const QString lElement = lElements.last().trimmed();
    if (!lElement.isEmpty() && lElement.compare(QStringLiteral("bin"), Qt::CaseInsensitive) != 0)
      break;
    lElements.removeLast();
  }
  return lElements.join(PathDelim) + PathDelim;
}

// --- TPathData ----------------------------------------------------------------------------

bool TPathData::GetExists() const {
  return !FPath.isEmpty() && DirectoryExists(FPath);
}

bool TPathData::FindFiles(const QString& aMask, QStringList& aFiles) const {
  return FindFiles(aMask, false, aFiles);
}

bool TPathData::FindFiles(const QString& aMask, bool aSubDirs, QStringList& aFiles) const {
  return TFileSystemUtils::FindFiles(FPath, aMask, aFiles, aSubDirs);
}

bool TPathData::FindDirectories(const QString& aMask, QStringList& aDirectories) const {
  return TFileSystemUtils::FindDirectories(FPath, aMask, aDirectories);
}

std::vector<TPathData*> TPathData::GetSubPaths() const {
  std::vector<TPathData*> lResult;
  QStringList lFolders;
  if (!FindDirectories(QStringLiteral("*"), lFolders))
    return lResult;
  TPathDataList* lCatalogue = TPathsAndFiles::Instance()->PathLst();
  for (const QString& lFolder : lFolders)
    if (TPathData* lEntry = lCatalogue->Add(lFolder))
      lResult.push_back(lEntry);
  return lResult;
}

// --- TPathDataList ------------------------------------------------------------------------

TPathDataList::TPathDataList(const QString& aApplicationFilename) {
  FMain = New();
  FMain->FPath = MainFolderOf(aApplicationFilename);
  FMain->FTyp = ptMain;
  for (int i = 0; i < cPathTypCount; ++i) {
    const auto lTyp = static_cast<TPathTyp>(i);
    if (lTyp == ptMain || lTyp == ptUnknown)
      continue;
    QString lName;
    if (lTyp == ptCommon) {
      for (const QString& lPart :
           {CommonAppDataFolder(), QStringLiteral("Kestrova"), QStringLiteral("qel_lumo")})
        lName += IncludeTrailingPathDelimiter(lPart);
    } else {
      lName = PathTypName(lTyp);
    }
    FPathDict[i] = Build(lName, lTyp);
  }
}

TPathDataList::~TPathDataList() = default;

TPathData* TPathDataList::FindByName(const QString& aName) const {
  for (TPathData* lEntry : *this)
    if (SameFileName(lEntry->ID(), aName))
      return lEntry;
  return nullptr;
}

TPathData* TPathDataList::Build(const QString& aNameOrPath, TPathTyp aTyp) {
  const QString& lMain = FMain->FPath;
  QString lName = aNameOrPath;
  QString lPath = aNameOrPath;
  QString lDrive = ExtractFileDrive(aNameOrPath);
  // With drive letters the main folder can only stand at the start of a name; without them
  // it could also occur further inside a foreign path, which must not be cut apart.
  if (aNameOrPath.startsWith(lMain)) {
    lName.remove(0, lMain.size());
  } else if (lDrive.isEmpty()) {
    lPath = lMain + aNameOrPath;
    lDrive = ExtractFileDrive(lPath);
  }
  lName = lName.trimmed();
  if (lName.endsWith(PathDelim))
    lName.chop(1);
  lPath = IncludeTrailingPathDelimiter(lPath);
  const QString lDirectory = ExcludeTrailingPathDelimiter(lPath);

  CreateDirectories(lDirectory);

  TPathData* lEntry = FindByName(lName);
  if (!lEntry) {
    lEntry = New();
    lEntry->SetID(lName);
    lEntry->FTyp = aTyp;
  }
  lEntry->FDrive = lDrive.isEmpty() ? QChar() : lDrive.front();
  lEntry->FName = lName;
  lEntry->FPath = lPath;
  lEntry->FDirectory = lDirectory;
  return lEntry;
}

TPathData* TPathDataList::GetPath(TPathTyp aTyp) const {
  TPathData* lEntry = aTyp < cPathTypCount ? FPathDict[aTyp] : nullptr;
  if (!lEntry)
    throw EArgumentException(
        QStringLiteral("Item not found: no standard folder of type %1").arg(int(aTyp)));
  return lEntry;
}

TPathData* TPathDataList::BuildDated(TPathTyp aBase, const QString& aSuffix, TPathTyp aTyp) {
  return Build(GetPath(aBase)->Path() + TodayFolder() + aSuffix, aTyp);
}

TPathData* TPathDataList::GetArchive() {
  return BuildDated(ptArchive, QString(), ptArchive);
}
TPathData* TPathDataList::GetLogTrace() {
  return BuildDated(ptLog, QString(), ptLog);
}
TPathData* TPathDataList::GetEMail() {
  return BuildDated(ptEMail, QString(), ptEMail);
}
TPathData* TPathDataList::GetEMailAttachement() {
  return Build(GetEMail()->Path() + QStringLiteral("Attachement"), ptEMail);
}

bool TPathDataList::FindFiles(TPathTyp aTyp, const QString& aMask, QStringList& aFiles) const {
  return GetPath(aTyp)->FindFiles(aMask, aFiles);
}

bool TPathDataList::FindDirectories(TPathTyp aTyp, const QString& aMask,
                                    QStringList& aDirectories) const {
  return GetPath(aTyp)->FindDirectories(aMask, aDirectories);
}
