#include "Qel.Shared.Files.Data.h"

#include "Qel.Os.FileOps.h"
#include "Qel.Os.Process.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Shared.Utils.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// A copy reports its progress block by block; the odd size is the framework's own.
constexpr qint64 cCopyBlockSize = 20482;
// The kernel moves the bytes in calls of this size, aligned to its pages: calls of one block
// each would cost more than half of the copy's speed.
constexpr qint64 cCopyCallSize = 1 << 20;

// Companion programs and libraries that must lie in the Bin folder.
const char* const cRequiredBinFiles[] = {
    "libeay32.dll",
    "ssleay32.dll",
    "srv_qel_backup.exe",
    "srvany.exe",
    "srv_qel_emailchecker.exe",
    "qel_lumo.exe",
    "qel_update_service.exe",
    "qel_server_updater.exe",
};

// Kinds of files by extension; extensions count without regard to case.
bool ExtIsOneOf(const QString& aExt, std::initializer_list<const char*> aExts) {
  return std::any_of(aExts.begin(), aExts.end(), [&](const char* e) {
    return aExt.compare(QLatin1String(e), Qt::CaseInsensitive) == 0;
  });
}

QString BoolText(bool aValue) {
  return aValue ? QStringLiteral("True") : QStringLiteral("False");
}

// Joins with a delimiter; only an element holding the delimiter or a double quote is quoted.
QString JoinStrict(const QStringList& aItems, QChar aDelimiter) {
  QStringList lItems;
  for (const QString& lItem : aItems) {
    if (lItem.contains(aDelimiter) || lItem.contains(u'"'))
      lItems << u'"' + QString(lItem).replace(u'"', QStringLiteral("\"\"")) + u'"';
    else
      lItems << lItem;
  }
  return lItems.join(aDelimiter);
}

QString QuotedPair(const QString& aSrc, const QString& aDst) {
  return QStringLiteral("\"%1\" to \"%2\"").arg(aSrc, aDst);
}

} // namespace

// --- TFileData ----------------------------------------------------------------------------

void TFileData::Build(TPathData* aPath, const QString& aFileName) {
  FID = aFileName;
  FPath = aPath;
  FExt = ExtractFileExt(aFileName);
  FName = ChangeFileExt(ExtractFileName(aFileName), QString());
  FIsLog = ExtIsOneOf(FExt, {".log", ".trc"});
  FIsDatabase = ExtIsOneOf(FExt, {".fdb"});
  FIsText = ExtIsOneOf(FExt, {".txt", ".sql", ".json", ".ini", ".py", ".html", ".log"});
  FIsBinary = ExtIsOneOf(FExt, {".exe", ".dll"});
}

bool TFileData::GetExists() const {
  return FileExists(FileName());
}

uint64_t TFileData::GetSizeByte() const {
  return TFileSystemUtils::FileSize(FileName());
}

QString TFileData::GetSize() const {
  return TFileSystemUtils::FileSizeToStr(GetSizeByte());
}

TDateTime TFileData::GetCreatedDateTime() const {
  QDateTime lTime;
  if (!GetExists() || !GetFileCreationTime(FileName(), lTime))
    return TDateTime();
  return FromQDateTime(lTime);
}

TDateTime TFileData::GetModifiedDateTime() const {
  const QDateTime lModified = QFileInfo(FileName()).lastModified();
  return lModified.isValid() ? FromQDateTime(lModified) : TDateTime();
}

TVersion TFileData::GetVersion() const {
  TVersion lVersion;
  const bool lFound = FVersionFromFilename ? TVersion::ParseVersionFromString(FName, lVersion)
                                           : TFileSystemUtils::GetFileVersion(FileName(), lVersion);
  if (!lFound)
    lVersion.Reset();
  return lVersion;
}

bool TFileData::GetInUse() const {
  return GetExists() && IsFileLockedByOther(FileName());
}

bool TFileData::GetIsBackup() const {
  return FPath && FPath->Typ() == ptBackup;
}

bool TFileData::IsSelf() const {
  return SameFileName(FileName(), ApplicationFileName());
}

TColor TFileData::ExistsColor() const {
  return BoolToColor(GetExists());
}

TColor TFileData::InUseColor() const {
  return BoolToColor(GetInUse());
}

QString TFileData::AsText(QChar aDelimiter) const {
  if (!GetExists())
    return QString();
  QStringList lLines{
      QStringLiteral("Created:") + DateTimeToStr(GetCreatedDateTime()),
      QStringLiteral("Modified:") + DateTimeToStr(GetModifiedDateTime()),
      QStringLiteral("Size:") + GetSize(),
      QStringLiteral("Binary:") + BoolText(FIsBinary),
      QStringLiteral("Text:") + BoolText(FIsText),
      QStringLiteral("Path:") + (FPath ? FPath->Path() : QString()),
      QStringLiteral("Name:") + FName,
      QStringLiteral("Ext:") + FExt,
      QStringLiteral("InUse:") + BoolText(GetInUse()),
  };
  const TVersion lVersion = GetVersion();
  if (lVersion.FHasData)
    lLines << QStringLiteral("Version:") + lVersion.GetAsString();
  return aDelimiter.isNull() ? lLines.join(u'\n') : JoinStrict(lLines, aDelimiter);
}

bool TFileData::CheckSourceAndDestination(const TFileData* aDst, const QString& aMethod) const {
  if (!TLogging::CheckFileExists(FileName(), ltWarning, this, aMethod))
    return false;
  return TLogging::CheckOK(aDst && !Trim(ExtractFileName(aDst->FileName())).isEmpty(),
                           QStringLiteral("Destination for \"%1\" not set!").arg(FileName()),
                           ltWarning, this, aMethod);
}

bool TFileData::IsSameFile(const TFileData* aOther) const {
  if (!aOther)
    return false;
  // The same name, or another way to the same folder entry ("..", a link to the folder):
  // setting it aside or deleting it would take the source away. A link to the file or a
  // second hard link is an entry of its own, set aside or replaced like any other file.
  return SameFileName(FileName(), aOther->FileName()) ||
         IsSameDirectoryEntry(FileName(), aOther->FileName());
}

bool TFileData::CopyContent(TFileData* aDst) {
  const QString lMethod = QStringLiteral("FileCopy");
  QFile lSrc(FileName());
  QFile lDst(aDst->FileName());
  bool lCreated = false;
  const auto lFail = [&](const QString& aReason) {
    lSrc.close();
    lDst.close();
    // A destination cut short must not stay behind looking like a complete copy.
    if (lCreated)
      QFile::remove(aDst->FileName());
    TLogging::Add(this, lMethod, QuotedPair(FileName(), aDst->FileName()), Exception(aReason),
                  false);
    return false;
  };
  const uint64_t lSize = GetSizeByte();
  // Read-only: a document the user may not change can still be copied. Only a regular file:
  // a FIFO would wait for a writer, a device would copy as empty or never end.
  QString lOpenError;
  if (!OpenRegularFileForReading(FileName(), lSrc, lOpenError))
    return lFail(lOpenError);
  // The destination was deleted before; creating it anew never overwrites a file that
  // appeared meanwhile. Unbuffered, so that every failed write shows at once.
  if (!lDst.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
    return lFail(
        QStringLiteral("Unable to create \"%1\": %2").arg(aDst->FileName(), lDst.errorString()));
  lCreated = true;
  const QString lSizeText = TFileSystemUtils::FileSizeToStr(lSize);
  uint64_t lCopied = 0;
  uint64_t lReported = 0;
  while (lCopied < lSize) {
    const auto lWanted = static_cast<int64_t>(std::min<uint64_t>(cCopyCallSize, lSize - lCopied));
    QString lError;
    const int64_t lDone =
        CopyFileBlock(lSrc.handle(), FileName(), lDst.handle(), aDst->FileName(), lWanted, lError);
    if (lDone < 0)
      return lFail(lError);
    if (lDone == 0)
      return lFail(QStringLiteral("\"%1\" ended before %2 bytes").arg(FileName()).arg(lSize));
    lCopied += static_cast<uint64_t>(lDone);
    // One progress line for every block completed, and one for the last, short block.
    while (lReported + cCopyBlockSize <= lCopied || (lCopied == lSize && lReported < lSize)) {
      lReported = std::min<uint64_t>(lReported + cCopyBlockSize, lSize);
      TLogging::Add(this, lMethod,
                    QStringLiteral("Copied %1 of %2")
                        .arg(TFileSystemUtils::FileSizeToStr(lReported), lSizeText));
    }
  }
  lDst.close();
  if (lDst.error() != QFileDevice::NoError)
    return lFail(
        QStringLiteral("Unable to write \"%1\": %2").arg(aDst->FileName(), lDst.errorString()));
  return true;
}

bool TFileData::FileCopy(TFileData* aDst, bool aOverwrite) {
  const QString lDstName = aDst ? aDst->FileName() : QString();
  bool lResult = CheckSourceAndDestination(aDst, QStringLiteral("Copy"));
  // Deleting the destination would delete the source itself.
  if (lResult)
    lResult = TLogging::CheckOK(
        !IsSameFile(aDst),
        QStringLiteral("Source and destination are the same file \"%1\"").arg(FileName()),
        ltWarning, this, QStringLiteral("Copy"));
  if (lResult && !aOverwrite)
    lResult = !aDst->GetExists();
  if (lResult)
    lResult = aDst->FileDelete(false);
  if (lResult)
    lResult = CopyContent(aDst);
  lResult = lResult && aDst->GetExists();
  TLogging::SuccessError(lResult, QuotedPair(FileName(), lDstName), this,
                         QStringLiteral("FileCopy"));
  return lResult;
}

bool TFileData::FileMove(TFileData* aDst, bool aOverwrite) {
  const QString lMethod = QStringLiteral("Move");
  const QString lDstName = aDst ? aDst->FileName() : QString();
  bool lResult = CheckSourceAndDestination(aDst, lMethod);
  if (lResult)
    lResult = TLogging::CheckOK(
        !IsSameFile(aDst),
        QStringLiteral("Source and destination are the same file \"%1\"").arg(FileName()),
        ltWarning, this, lMethod);
  if (lResult)
    lResult = aOverwrite ? aDst->FileDelete(false) : !aDst->GetExists();
  if (lResult) {
    QString lError;
    lResult = MoveFileNoReplace(FileName(), lDstName, lError);
    if (!lResult)
      TLogging::Add(this, lMethod, QuotedPair(FileName(), lDstName), Exception(lError), false);
  }
  lResult = lResult && aDst->GetExists();
  TLogging::SuccessError(lResult, QuotedPair(FileName(), lDstName), this,
                         QStringLiteral("FileMove"));
  return lResult;
}

bool TFileData::FileDelete(bool aRaiseException) {
  if (GetExists()) {
    QFile lFile(FileName());
    if (!lFile.remove()) {
      const QString lReason =
          QStringLiteral("Unable to delete \"%1\": %2").arg(FileName(), lFile.errorString());
      // Set aside instead, so that the name is free at least.
      if (!TPathsAndFiles::PseudoDeleteFile(this) || GetExists())
        TLogging::Add(this, QStringLiteral("Delete"), FileName(), Exception(lReason),
                      aRaiseException);
    }
  }
  return TLogging::SuccessError(!GetExists(), FileName(), this, QStringLiteral("FileDelete"));
}

// --- TFileDataList ------------------------------------------------------------------------

TFileDataList::TFileDataList(const QString& aApplicationFilename, TPathData* aOnlyThisPath,
                             TPathDataList* aPathLst)
    : FPathLst(aPathLst), FOnlyThisPath(aOnlyThisPath) {
  FApplicationExe = Add(aApplicationFilename, true, true);
}

TFileDataList::~TFileDataList() = default;

void TFileDataList::Init() {
  const TPathData* lData = FPathLst->GetPath(ptData);
  const TPathData* lLog = FPathLst->GetPath(ptLog);
  const TPathData* lBin = FPathLst->GetPath(ptBin);
  const QString lExe = ExtractFileName(FApplicationExe->FileName());
  const QString lPid = QStringLiteral("_PID") + QString::number(GetCurrentProcessId());

  FApplicationIni = Add(lData, ChangeFileExt(lExe, QStringLiteral(".ini")), true, true);
  FApplicationLog = Add(lLog, ChangeFileExt(lExe, lPid + QStringLiteral(".log")), true, false);
  FApplicationLogHeapStatus =
      Add(lLog, ChangeFileExt(lExe, lPid + QStringLiteral(".hs")), true, false);
  FLng = FindInPaths(QStringLiteral("Language file"), QStringLiteral("app.lng"));
  FNeededModifyConst = FindInPaths(QStringLiteral("needed_modify_const.inc"),
                                   QStringLiteral("needed_modify_const.inc"));
  for (const char* lName : cRequiredBinFiles)
    Add(lBin, QString::fromLatin1(lName), true, true);

  FAppIni = nullptr;
  for (const char* lName : {"app.ini", "qel_lumo.ini"}) {
    FAppIni = FindInPaths(QStringLiteral("Ini for QEL_LUMO.exe"), QString::fromLatin1(lName));
    if (FAppIni)
      break;
  }
  if (!FAppIni)
    FAppIni = FApplicationIni;
  CheckRequiredFiles();
}

TFileData* TFileDataList::FindByFileName(const QString& aFileName) const {
  return FIndex.value(FileNameKey(aFileName), nullptr);
}

bool TFileDataList::Remove(const TData* aData) {
  if (aData)
    FIndex.removeIf([&](const auto& aEntry) { return aEntry.value()->ID() == aData->ID(); });
  return TDataList<TFileData>::Remove(aData);
}

void TFileDataList::Clear() {
  FIndex.clear();
  TDataList<TFileData>::Clear();
}

TFileData* TFileDataList::Add(const QString& aFileName, bool aForce, bool aRequired) {
  const QString lName =
      FOnlyThisPath ? FOnlyThisPath->Path() + ExtractFileName(aFileName) : aFileName;
  if (TFileData* lEntry = FindByFileName(lName)) {
    lEntry->SetRequired(aRequired);
    return lEntry;
  }
  // A name without a file part (blank, or a folder ending in a delimiter) is no file.
  if ((!aForce && !FileExists(lName)) || Trim(ExtractFileName(lName)).isEmpty())
    return nullptr;
  TPathData* lPath = FPathLst->Build(ExtractFilePath(lName), ptUnknown);
  TFileData* lEntry = New();
  lEntry->SetRequired(aRequired);
  lEntry->Build(lPath, lName);
  FIndex.insert(FileNameKey(lEntry->FileName()), lEntry);
  return lEntry;
}

TFileData* TFileDataList::Add(const QString& aPath, const QString& aName, bool aForce,
                              bool aRequired) {
  QString lFolder;
  if (FOnlyThisPath)
    lFolder = FOnlyThisPath->Path();
  else if (aPath.isEmpty())
    lFolder = ExtractFilePath(aName);
  else
    lFolder = IncludeTrailingPathDelimiter(aPath);
  const QString lName = aName.contains(PathDelim) ? ExtractFileName(aName) : aName;
  return Add(lFolder + lName, aForce, aRequired);
}

TFileData* TFileDataList::Add(const TPathData* aPath, const QString& aName, bool aForce,
                              bool aRequired) {
  return Add(aPath ? aPath->Path() : QString(), aName, aForce, aRequired);
}

TFileData* TFileDataList::FindInPaths(const QString& aName, const QString& aFileMask) {
  TFileData* lResult = nullptr;
  for (const TPathTyp lTyp : {ptBin, ptData, ptCommon}) {
    lResult = Add(FPathLst->GetPath(lTyp), aFileMask, false, false);
    if (lResult)
      break;
  }
  TLogging::SuccessError(lResult != nullptr,
                         QStringLiteral("\"%1\" found as \"%2\"").arg(aName, aFileMask), this,
                         QStringLiteral("FindInPaths"));
  return lResult;
}

bool TFileDataList::CheckRequiredFiles() {
  bool lResult = true;
  for (TFileData* lEntry : *this)
    if (lEntry->Required() && !TLogging::CheckFileExists(lEntry->FileName(), ltError, this,
                                                         QStringLiteral("CheckRequiredFiles")))
      lResult = false;
  return TLogging::SuccessError(lResult, QStringLiteral("All required files existing"), this,
                                QStringLiteral("CheckRequiredFiles"));
}

bool TFileDataList::FindFiles(const QString& aPath, const QString& aMask,
                              std::vector<TFileData*>& aFiles) {
  aFiles.clear();
  QStringList lNames;
  if (!TFileSystemUtils::FindFiles(aPath, aMask, lNames))
    return false;
  for (const QString& lName : lNames)
    if (TFileData* lEntry = Add(lName, false, false))
      aFiles.push_back(lEntry);
  return true;
}

TFileData* TFileDataList::GetTempFileName(const QString& aFileExt) {
  const TPathData* lTmp = FPathLst->GetPath(ptTmp);
  TFileData* lEntry = nullptr;
  // An extension with a folder part would make every name the same.
  if (aFileExt.contains(PathDelim))
    return nullptr;
  do {
    lEntry = Add(lTmp, NewGuidHex() + aFileExt, true, false);
  } while (lEntry && lEntry->GetExists());
  if (lEntry)
    TLogging::Add(this, QStringLiteral("GetTempFileName"),
                  QStringLiteral("Registered TempFile \"%1\"").arg(lEntry->FileName()));
  return lEntry;
}

TFileData* TFileDataList::GetApplicationLogTrace() {
  const QString lFolder = FPathLst->GetLogTrace()->Path();
  for (qint64 i = 0;; ++i) {
    const QString lName = lFolder + QStringLiteral("%1.trc").arg(i, 10, 10, QChar(u'0'));
    if (!FileExists(lName))
      return Add(lName, true, false);
  }
}

TFileData* TFileDataList::GetFileByNameExt(const QString& aName, const QString& aExt) const {
  for (TFileData* lEntry : *this)
    if (SameFileName(lEntry->Name(), aName) && SameFileName(lEntry->Ext(), aExt))
      return lEntry;
  return nullptr;
}

TFileData* TFileDataList::GetExeByName(const QString& aName) const {
  return GetFileByNameExt(aName, QStringLiteral(".exe"));
}

TFileData* TFileDataList::GetDllByName(const QString& aName) const {
  return GetFileByNameExt(aName, QStringLiteral(".dll"));
}
