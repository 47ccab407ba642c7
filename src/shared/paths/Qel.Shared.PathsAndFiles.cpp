#include "Qel.Shared.PathsAndFiles.h"

#include "Qel.Os.FileOps.h"
#include "Qel.Os.Process.h"
#include "Qel.Os.ShellOpen.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.Json.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.Config.Customer.Data.h"
#include "Qel.Shared.Config.Data.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.Logging.h"

#include <QFile>

namespace {

struct TShellError {
  int Code;
  const char* Text;
};

const TShellError cShellErrors[] = {
    {0, "General failure while executing ShellExecute."},
    {2, "File not found."},
    {3, "Path not found."},
    {5, "Access denied."},
    {8, "Out of memory."},
    {26, "Sharing violation."},
    {27, "File association is incomplete or invalid."},
    {28, "DDE operation timed out."},
    {29, "DDE transaction failed."},
    {30, "DDE server is busy."},
    {31, "No application is associated with this file type."},
    {32, "Required DLL not found."},
};

QString ShellErrorText(int aCode) {
  for (const TShellError& lError : cShellErrors)
    if (lError.Code == aCode)
      return QString::fromLatin1(lError.Text);
  return QStringLiteral("Unknown ShellExecute error code: %1").arg(aCode);
}

QString QuotedPair(const QString& aSrc, const QString& aDst) {
  return QStringLiteral("\"%1\" to \"%2\"").arg(aSrc, aDst);
}

} // namespace

// --- life cycle ---------------------------------------------------------------------------

TPathsAndFiles::TPathsAndFiles(const QString& aFileName)
    : FPseudoDeletedLst(std::make_unique<TSimpleFileList>()),
      FTmpLst(std::make_unique<TSimpleFileList>()) {
  FPathLst = std::make_unique<TPathDataList>(aFileName);
  FFileLst = std::make_unique<TFileDataList>(aFileName, nullptr, FPathLst.get());
  FBackupLst =
      std::make_unique<TFileDataList>(aFileName, FPathLst->GetPath(ptBackup), FPathLst.get());
  FPseudoDeleteFileName =
      FFileLst->Add(FPathLst->GetPath(ptData),
                    ClassName() + QStringLiteral(".PseudoDeletedLst.json"), true, false);
  if (FPseudoDeleteFileName && FPseudoDeleteFileName->GetExists()) {
    // Written by another program of the framework sharing the Data folder; a list that
    // cannot be read is not taken over, and the service comes up with an empty one.
    // Only a regular file: a FIFO in its place would keep the service from coming up.
    QFile lFile;
    QString lError;
    QStringList lList;
    if (OpenRegularFileForReading(FPseudoDeleteFileName->FileName(), lFile, lError) &&
        StringListFromJson(QString::fromUtf8(lFile.readAll()), lList)) {
      *FPseudoDeletedLst = lList;
      FPseudoDeletedAsRead = lList;
    } else
      TLogging::Add(this, QStringLiteral("Create"),
                    QStringLiteral("Unable to read the list \"%1\"; starting with an empty list")
                        .arg(FPseudoDeleteFileName->FileName()),
                    ltWarning);
  }
  FFileLst->Init();
}

TPathsAndFiles::~TPathsAndFiles() {
  BeforeDestruction();
  // The entries of the file catalogues point into the folder catalogue: free them first.
  FBackupLst.reset();
  FPseudoDeleteFileName = nullptr;
  FFileLst.reset();
  FPathLst.reset();
}

void TPathsAndFiles::BeforeDestruction() {
  if (FDestroying)
    return;
  FDestroying = true;
  SaveLazyCopyLst();
  CleanupTmp();
  // The configuration writes itself back and refers to entries of the known-files catalogue,
  // which still exist here.
  FConfig.reset();
}

std::unique_ptr<TPathsAndFiles>& TPathsAndFiles::InstanceHolder() {
  static auto* lHolder = new std::unique_ptr<TPathsAndFiles>();
  return *lHolder;
}

std::recursive_mutex& TPathsAndFiles::Lock() {
  static std::recursive_mutex lLock;
  return lLock;
}

TPathsAndFiles* TPathsAndFiles::Instance() {
  std::lock_guard lLock(Lock());
  std::unique_ptr<TPathsAndFiles>& lInstance = InstanceHolder();
  if (!lInstance)
    lInstance = std::make_unique<TPathsAndFiles>(ApplicationFileName());
  return lInstance.get();
}

void TPathsAndFiles::FinalizeInstance() {
  std::lock_guard lLock(Lock());
  std::unique_ptr<TPathsAndFiles>& lInstance = InstanceHolder();
  if (!lInstance)
    return;
  // The last steps run while the instance is still the process-wide one: a temporary file
  // that cannot be deleted is set aside through the class-level operations.
  lInstance->BeforeDestruction();
  lInstance.reset();
}

// --- instance operations ------------------------------------------------------------------

TConfigData* TPathsAndFiles::GetConfig() {
  std::lock_guard lLock(Lock());
  if (!FConfig)
    FConfig = TIniData::Create<TConfigData>(FFileLst->AppIni());
  return FConfig.get();
}

QString TPathsAndFiles::GetApplicationCaption() {
  const TFileData* lExe = FFileLst->ApplicationExe();
  TConfigData* lConfig = GetConfig();
  const TVersion lVersion = lExe->GetVersion();
  return lExe->Name() + QStringLiteral(" (") +
         (lVersion.FHasData ? lVersion.GetAsString() : QString()) + QStringLiteral(") | ") +
         lConfig->Database()->GetCaption() + QStringLiteral(" (") +
         lConfig->Database()->GetAppVersion().GetAsString() + QStringLiteral(")] | ") +
         lConfig->Customer()->GetCaption();
}

TFileData* TPathsAndFiles::GetFileName(const QString& aFileName) {
  return FFileLst->Add(aFileName, false, false);
}

TFileData* TPathsAndFiles::GetBackupFile(const QString& aFileName) {
  if (TFileData* lEntry = GetFileName(aFileName))
    return FBackupLst->Add(FPathLst->GetPath(ptBackup), lEntry->GetNameWithExt(), true, false);
  TLogging::Add(this, QStringLiteral("GetBackupFile"),
                QStringLiteral("Unable to build backup-file from \"%1\"!").arg(aFileName),
                ltWarning);
  return nullptr;
}

void TPathsAndFiles::CleanupTmp() {
  if (!FTmpLst)
    return;
  for (const QString& lName : *FTmpLst) {
    TFileData lScratch;
    lScratch.Build(nullptr, lName);
    try {
      lScratch.FileDelete(true);
    } catch (const std::exception&) {
      // Logged by the deletion; the other files are still deleted and the end goes on.
    }
  }
}

void TPathsAndFiles::CleanupPseudoDeleted() {
  for (const QString& lName : *FPseudoDeletedLst)
    if (TFileData* lEntry = FFileLst->Add(lName, false, false))
      lEntry->FileDelete(false);
}

void TPathsAndFiles::CleanupBackups() {
  for (TFileData* lEntry : *FBackupLst) {
    try {
      lEntry->FileDelete(true);
    } catch (const std::exception&) {
      // Logged by the deletion; one stuck backup does not keep the others.
    }
  }
}

void TPathsAndFiles::SaveLazyCopyLst() {
  if (!FPseudoDeletedLst || FPseudoDeletedLst->isEmpty() || !FPseudoDeleteFileName ||
      *FPseudoDeletedLst == FPseudoDeletedAsRead)
    return;
  try {
    // Written to a temporary file and renamed over the list, so a failure leaves the old list.
    QString lError;
    if (!SaveFileAtomically(FPseudoDeleteFileName->FileName(),
                            JsonFromStringList(*FPseudoDeletedLst).toUtf8(), lError))
      throw Exception(lError);
  } catch (const std::exception& e) {
    TLogging::Add(this, QStringLiteral("SaveLazyCopyLst"),
                  QStringLiteral("Unable to save file \"%1\"").arg(FPseudoDeleteFileName->Name()),
                  e, false);
  }
}

// --- class-level operations ---------------------------------------------------------------

TFileData* TPathsAndFiles::AddFile(const QString& aFileName, bool aForce, bool aRequired) {
  std::lock_guard lLock(Lock());
  return Instance()->FFileLst->Add(aFileName, aForce, aRequired);
}

TFileData* TPathsAndFiles::AddFile(const QString& aPath, const QString& aName, bool aForce,
                                   bool aRequired) {
  std::lock_guard lLock(Lock());
  return Instance()->FFileLst->Add(aPath, aName, aForce, aRequired);
}

void TPathsAndFiles::GetFileData(const QString& aFileName, TFileData*& aFileData,
                                 TFileData*& aBckData) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  aFileData = lSelf->FFileLst->Add(aFileName, false, false);
  aBckData = lSelf->FBackupLst->Add(aFileName, false, false);
}

TFileData* TPathsAndFiles::GetTempFile(const QString& aFileExt) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  TFileData* lEntry = lSelf->FFileLst->GetTempFileName(aFileExt);
  if (lEntry)
    lSelf->FTmpLst->append(lEntry->FileName());
  return lEntry;
}

bool TPathsAndFiles::CopyFile(const QString& aSrc, const QString& aDst) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  const QString lMethod = QStringLiteral("CopyFile");
  const uint64_t lTick = GetTickCount64();
  TFileData* lSrc = lSelf->FFileLst->Add(aSrc, false, false);
  TFileData* lDst = lSelf->FFileLst->Add(aDst, true, false);
  bool lResult = false;
  if (lSrc && lDst) {
    // The copy itself refuses a destination that is the source; setting that aside first
    // would move the source away.
    const bool lFree = !lDst->GetExists() || lSrc->IsSameFile(lDst) ||
                       IsBackupPath(lDst->FileName()) || PseudoDeleteFile(lDst);
    if (lFree) {
      lResult = lSrc->FileCopy(lDst, true);
      TLogging::Add(lSelf, lMethod, QStringLiteral("Copied file \"%1\" to \"%2\"").arg(aSrc, aDst));
    } else {
      // Copying now would overwrite the file that could not be kept.
      TLogging::Add(lSelf, lMethod,
                    QStringLiteral("Unable to set \"%1\" aside; \"%2\" not copied").arg(aDst, aSrc),
                    ltError);
    }
  }
  TLogging::AddRunTime(lSelf, lMethod, lTick, 1);
  return lResult;
}

bool TPathsAndFiles::MoveFile(const QString& aSrc, const QString& aDst) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  TFileData* lSrc = lSelf->FFileLst->Add(aSrc, false, false);
  TFileData* lDst = lSelf->FFileLst->Add(aDst, true, false);
  return lSrc && lDst && lSrc->FileMove(lDst);
}

bool TPathsAndFiles::DeleteFile(const QString& aFileName) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  const QString lMethod = QStringLiteral("DeleteFile");
  const uint64_t lTick = GetTickCount64();
  TFileData* lEntry = lSelf->FFileLst->Add(aFileName, false, false);
  bool lResult = lEntry != nullptr;
  if (lEntry && lEntry->GetExists()) {
    // A file whose content could not be kept in the Backup folder (a former backup that could
    // not be archived, a full disk) stays; databases and files in the Backup folder itself
    // are never backed up and are deleted as they are.
    if (!BackupFile(aFileName) && !lEntry->IsDatabase() && !IsBackupPath(aFileName) &&
        lSelf->GetBackupFile(aFileName)) {
      TLogging::Add(lSelf, lMethod,
                    QStringLiteral("File \"%1\" not deleted: no backup could be made")
                        .arg(lEntry->FileName()),
                    ltError);
      TLogging::AddRunTime(lSelf, lMethod, lTick, 1);
      return false;
    }
    try {
      lResult = lEntry->FileDelete(true);
    } catch (const std::exception& e) {
      lResult = false;
      TLogging::Add(lSelf, lMethod,
                    QStringLiteral("Unable to delete file \"%1\"!").arg(lEntry->FileName()), e,
                    false);
    }
  }
  TLogging::AddRunTime(lSelf, lMethod, lTick, 1);
  return lResult;
}

bool TPathsAndFiles::PseudoDeleteFile(TFileData* aFile) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  const uint64_t lTick = GetTickCount64();
  const QString lMethod = TLoggingUtils::BuildMethodName(QStringLiteral("PseudoDeleteFile"));
  bool lResult = false;
  if (aFile && aFile->GetExists() && !IsBackupPath(aFile->FileName())) {
    const QString lNewName = ChangeFileExt(
        aFile->FileName(),
        u'_' + FormatDateTime(QStringLiteral("yyyy_mm_dd_hh_nn_ss_zzz"), Now()) + aFile->Ext());
    lSelf->FFileLst->Add(lNewName, true, false);
    // Never onto an existing file: two set-asides within one millisecond must not make the
    // second one destroy the first.
    QString lError;
    lResult = RenameFileNoReplace(aFile->FileName(), lNewName, lError);
    TLogging::SuccessError(
        lResult, QStringLiteral("Rename \"%1\" to \"%2\"").arg(aFile->FileName(), lNewName),
        nullptr, QString());
  }
  TLogging::AddRunTime(lSelf, lMethod, lTick, 1);
  return lResult;
}

bool TPathsAndFiles::IsBackupPath(const QString& aFileNameOrDirectory) {
  std::lock_guard lLock(Lock());
  return SameFileName(ExtractFilePath(aFileNameOrDirectory),
                      Instance()->FPathLst->GetPath(ptBackup)->Path());
}

bool TPathsAndFiles::OpenFile(const QString& aFileName) {
  // No lock: the opener is waited for a moment, and nothing of the catalogues is used.
  TPathsAndFiles* lSelf = Instance();
  const QString lMethod =
      TLoggingUtils::BuildMethodName(QStringLiteral("OpenFile"), QStringList{aFileName});
  bool lResult = !aFileName.isEmpty() && FileExists(aFileName);
  if (lResult) {
    try {
      const int lCode = ShellOpenFile(aFileName, ExtractFilePath(aFileName));
      if (lCode <= 32) {
        lResult = false;
        TLogging::Add(lSelf, lMethod, ShellErrorText(lCode), ltError);
      }
    } catch (const std::exception& e) {
      lResult = false;
      TLogging::Add(lSelf, lMethod, e, false);
    }
  }
  return TLogging::SuccessError(lResult, aFileName, lSelf, lMethod);
}

bool TPathsAndFiles::FindFiles(const QString& aPath, const QString& aMask,
                               std::vector<TFileData*>& aFiles) {
  std::lock_guard lLock(Lock());
  return Instance()->FFileLst->FindFiles(aPath, aMask, aFiles);
}

bool TPathsAndFiles::FindFiles(const QString& aPath, const QString& aMask,
                               std::vector<QString>& aFiles) {
  std::vector<TFileData*> lEntries;
  const bool lResult = FindFiles(aPath, aMask, lEntries);
  aFiles.clear();
  for (const TFileData* lEntry : lEntries)
    aFiles.push_back(lEntry->FileName());
  return lResult;
}

bool TPathsAndFiles::FindFiles(const QString& aPath, const QString& aMask, QStringList* aFiles) {
  std::vector<TFileData*> lEntries;
  if (!aFiles || !FindFiles(aPath, aMask, lEntries))
    return false;
  aFiles->clear();
  for (const TFileData* lEntry : lEntries)
    aFiles->append(lEntry->FileName());
  return true;
}

bool TPathsAndFiles::FindDirectories(const QString& aPath, const QString& aMask,
                                     QStringList* aDirectories) {
  if (!aDirectories)
    return false;
  QStringList lDirectories;
  const bool lResult = TFileSystemUtils::FindDirectories(aPath, aMask, lDirectories);
  *aDirectories = lDirectories;
  return lResult;
}

bool TPathsAndFiles::FindDirectories(const QString& aPath, const QString& aMask,
                                     std::vector<QString>& aDirectories) {
  QStringList lDirectories;
  const bool lResult = TFileSystemUtils::FindDirectories(aPath, aMask, lDirectories);
  aDirectories.assign(lDirectories.begin(), lDirectories.end());
  return lResult;
}

// --- backup, restore and archive ----------------------------------------------------------

bool TPathsAndFiles::BackupFile(const TFileData* aFile) {
  return aFile && BackupFile(aFile->FileName());
}

bool TPathsAndFiles::BackupFile(const QString& aFileName) {
  std::lock_guard lLock(Lock());
  const TFileData* lBackup = Instance()->GetBackupFile(aFileName);
  return lBackup && BackupFile(aFileName, lBackup->FileName());
}

bool TPathsAndFiles::BackupFile(const QString& aSrc, const QString& aDst) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  const QString lMethod = QStringLiteral("BackupFile");
  const TFileData* lSrc = lSelf->FFileLst->Add(aSrc, true, false);
  const TFileData* lDst = lSelf->FBackupLst->Add(aDst, false, false);
  if (!lSrc || !lDst || !lSrc->GetExists())
    return false;
  bool lResult = true;
  if (lSrc->IsDatabase()) {
    lResult = false;
    TLogging::Add(lSelf, lMethod,
                  QStringLiteral("Source \"%1\" Database and should not be copied.").arg(aSrc),
                  ltWarning);
  } else if (IsBackupPath(aSrc)) {
    lResult = false;
    TLogging::Add(lSelf, lMethod,
                  QStringLiteral("Source \"%1\" is in the Backup-Directory!").arg(aSrc), ltError);
  } else if (!IsBackupPath(aDst)) {
    lResult = false;
    TLogging::Add(lSelf, lMethod,
                  QStringLiteral("Target \"%1\" is not in the Backup-Directory!").arg(aDst),
                  ltError);
  } else if (lDst->GetExists()) {
    // The former backup goes to the archive first. When it can be neither archived nor found
    // there already, replacing it would lose it.
    TFileData* lArchive = nullptr;
    if (lSelf->ArchiveFileInternal(aDst, lArchive, 0) == arFailed) {
      lResult = false;
      TLogging::Add(lSelf, lMethod,
                    QStringLiteral("Unable to archive the former backup \"%1\"").arg(aDst),
                    ltError);
    }
  }
  if (lResult)
    lResult = CopyFile(aSrc, aDst);
  return TLogging::SuccessError(lResult, QuotedPair(aSrc, aDst), lSelf, lMethod);
}

template <typename TOp> int TPathsAndFiles::ForAllFiles(const QString& aMethod, TOp aOperation) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  const uint64_t lTick = GetTickCount64();
  int lCount = 0;
  // By index: the operations register further files while the loop runs, and those count.
  for (qsizetype i = 0; i < lSelf->FFileLst->Count(); ++i) {
    const QString lName = lSelf->FFileLst->Items(i)->FileName();
    if (aOperation(lSelf, lName))
      ++lCount;
  }
  TLogging::AddRunTime(lSelf, aMethod, lTick, static_cast<uint64_t>(lCount));
  return lCount;
}

int TPathsAndFiles::BackupAll() {
  return ForAllFiles(QStringLiteral("BackupAll"),
                     [](TPathsAndFiles*, const QString& aName) { return BackupFile(aName); });
}

bool TPathsAndFiles::RestoreFile(const TFileData* aFile) {
  return aFile && RestoreFile(aFile->FileName());
}

bool TPathsAndFiles::RestoreFile(const QString& aFileName) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  const TFileData* lEntry = lSelf->GetFileName(aFileName);
  const TFileData* lBackup = lEntry ? lSelf->GetBackupFile(lEntry->FileName()) : nullptr;
  return lBackup && RestoreFile(lBackup->FileName(), lEntry->FileName());
}

bool TPathsAndFiles::RestoreFile(const QString& aSrc, const QString& aDst) {
  std::lock_guard lLock(Lock());
  TPathsAndFiles* lSelf = Instance();
  const QString lMethod = QStringLiteral("RestoreFile");
  const TFileData* lSrc = lSelf->FFileLst->Add(aSrc, false, false);
  const TFileData* lDst = lSelf->FFileLst->Add(aDst, true, false);
  if (!lSrc || !lDst)
    return false;
  const bool lResult =
      TLogging::CheckOK(!lSrc->IsLog(), QStringLiteral("Log-Files will not be restored!"),
                        ltWarning, lSelf, lMethod) &&
      TLogging::CheckOK(!IsBackupPath(aDst),
                        QStringLiteral("Target \"%1\" is in the Backup-Directory!").arg(aDst),
                        ltWarning, lSelf, lMethod) &&
      TLogging::CheckOK(IsBackupPath(aSrc),
                        QStringLiteral("Source \"%1\" is not in the Backup-Directory!").arg(aSrc),
                        ltWarning, lSelf, lMethod) &&
      CopyFile(aSrc, aDst);
  return TLogging::SuccessError(lResult, QuotedPair(aSrc, aDst), lSelf, lMethod);
}

int TPathsAndFiles::RestoreAll() {
  return ForAllFiles(QStringLiteral("RestoreAll"),
                     [](TPathsAndFiles*, const QString& aName) { return RestoreFile(aName); });
}

bool TPathsAndFiles::ArchiveFile(const QString& aFileName) {
  TFileData* lArchive = nullptr;
  return ArchiveFile(aFileName, lArchive, 0);
}

bool TPathsAndFiles::ArchiveFile(const QString& aFileName, TFileData*& aArchiveFile, int aIndex) {
  std::lock_guard lLock(Lock());
  return Instance()->ArchiveFileInternal(aFileName, aArchiveFile, aIndex) == arArchived;
}

TPathsAndFiles::TArchiveResult TPathsAndFiles::ArchiveFileInternal(const QString& aFileName,
                                                                   TFileData*& aArchiveFile,
                                                                   int aIndex) {
  const QString lMethod = QStringLiteral("ArchiveFile");
  aArchiveFile = nullptr;
  try {
    const TFileData* lEntry = FFileLst->Add(aFileName, false, false);
    const TPathData* lFolder = FPathLst->GetArchive();
    if (!lEntry || !lEntry->GetExists())
      return arFailed;
    const TVersion lVersion = lEntry->GetVersion();
    const QString lStem =
        lFolder->Path() + lEntry->Name() + QStringLiteral("_CREATEDT_") +
        TFileSystemUtils::TimestampToFileName(lEntry->GetCreatedDateTime()) +
        (lVersion.FHasData ? QStringLiteral("_VERS_") + lVersion.GetAsString() : QString()) +
        QStringLiteral("_IX");
    // The next index while an archived file of that name and another size is in the way.
    for (int lIndex = aIndex;; ++lIndex) {
      const QString lName = lStem + FormatFloat(QStringLiteral("00000"), lIndex) + lEntry->Ext();
      aArchiveFile = FFileLst->Add(lName, true, false);
      if (!aArchiveFile)
        throw Exception(QStringLiteral("No archive name for \"%1\"").arg(aFileName));
      if (!aArchiveFile->GetExists()) {
        // Only a file that really moved counts as archived: a caller may delete the original
        // on the strength of it.
        const bool lMoved = MoveFile(aFileName, lName);
        TLogging::Add(this, lMethod,
                      QStringLiteral("Archive file \"%1\" to \"%2\"").arg(aFileName, lName),
                      lMoved ? ltInformation : ltError);
        return lMoved ? arArchived : arFailed;
      }
      if (aArchiveFile->GetSizeByte() == lEntry->GetSizeByte()) {
        TLogging::Add(this, lMethod, QStringLiteral("File already archived \"%1\"").arg(aFileName),
                      ltWarning);
        return arAlreadyArchived;
      }
    }
  } catch (const std::exception& e) {
    TLogging::Add(this, lMethod, QStringLiteral("Unable to archive file \"%1\"").arg(aFileName), e,
                  false);
  }
  return arFailed;
}

int TPathsAndFiles::ArchiveAll() {
  return ForAllFiles(QStringLiteral("ArchiveAll"), [](TPathsAndFiles* aSelf, const QString& aName) {
    // Files archived by this loop are registered too; archiving them again would only
    // lengthen their names until the move fails.
    const QString lArchive = aSelf->FPathLst->GetPath(ptArchive)->Path();
    return !aName.startsWith(lArchive) && ArchiveFile(aName);
  });
}

bool TPathsAndFiles::DeleteBackup(const QString& aFileName, bool aArchive) {
  std::lock_guard lLock(Lock());
  TFileData* lBackup = Instance()->GetBackupFile(aFileName);
  const bool lGoOn = aArchive ? lBackup && ArchiveFile(lBackup->FileName()) : lBackup != nullptr;
  return lGoOn && lBackup->FileDelete(false);
}
