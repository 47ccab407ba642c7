#include "Qel.Shared.Config.Data.h"

#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Shared.Windows.Utils.h"

#include <algorithm>

namespace {
constexpr int cLegacyCount = 10;
const QString cServices = QStringLiteral("Services");
const QString cApplications = QStringLiteral("Applications");
const QString cCount = QStringLiteral("Count");
const QString cIdent = QStringLiteral("Ident");
const QString cName = QStringLiteral("Name");

QString ServiceSection(int aIx) {
  return QStringLiteral("Service_") + QString::number(aIx);
}

QString ApplicationSection(int aIx) {
  return QStringLiteral("Application_") + QString::number(aIx);
}
} // namespace

TConfigData::TConfigData(TCreateKey, TFileData* aFile)
    : TIniData(aFile, QString()), FLanguageLst{QStringLiteral("german"), QStringLiteral("english"),
                                               QStringLiteral("french"), QStringLiteral("italian"),
                                               QStringLiteral("czech"),  QStringLiteral("-")},
      FDatabase(TIniData::Create<TConfigDatabaseData>(aFile)),
      FUpdater(TIniData::Create<TConfigUpdaterData>(aFile)),
      FCustomer(TIniData::Create<TConfigCustomerData>(aFile)),
      FBenchmark(TIniData::Create<TConfigBenchmarkData>(aFile)),
      FValidationRun(TIniData::Create<TConfigRun>(aFile)),
      FValidationService(TIniData::Create<TConfigService>(aFile)),
      FImportExport(TIniData::Create<TConfigImportExport>(aFile)),
      FServiceLst(std::make_unique<TConfigServiceDataList>()) {}

TConfigData::~TConfigData() {
  Save();
  // Freed in the order they were made.
  FLanguageLst.clear();
  FDatabase.reset();
  FUpdater.reset();
  FCustomer.reset();
  FBenchmark.reset();
  FValidationRun.reset();
  FValidationService.reset();
  FImportExport.reset();
  FServiceLst.reset();
  FApplicationLst.clear();
}

bool TConfigData::Load(TFileData* aFile) {
  return TIniData::Load(TPathsAndFiles::Instance()->FileLst()->ApplicationIni()) &&
         TIniData::Load(aFile) && FValidationRun->Load(aFile) && FValidationService->Load(aFile);
}

bool TConfigData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::LoadFromIni(aSection, aIni))
    return false;
  FDatabase->LoadFromIni(QStringLiteral("Database"), aIni);
  FUpdateConfigFileName = aIni->ReadString(QStringLiteral("Update"), QStringLiteral("ConfigFile"),
                                           QStringLiteral("download/qel_update_config.dat"));
  FLanguage = aIni->ReadString(QStringLiteral("DEFAULT"), QStringLiteral("language"),
                               QStringLiteral("german"));
  LoadServices(aIni);
  LoadApplications(aIni);
  return true;
}

namespace {

// The count of numbered sections under aSection/"Count". The file cannot hold more entries
// than it has sections, so a count beyond that (a damaged file) is cut there instead of
// reading some billion missing sections.
int NumberedCount(const TIniFile* aIni, const QString& aSection) {
  QStringList lSections;
  aIni->ReadSections(lSections);
  return std::clamp(aIni->ReadInteger(aSection, cCount, 0), 0, static_cast<int>(lSections.size()));
}

} // namespace

void TConfigData::LoadServices(TIniFile* aIni) {
  // The old numbering from 1, in files the program has not written a count into yet (once it
  // has, those sections hold entries of the new numbering, and an entry removed since would
  // come back from them): a missing section repeats the pair before it. A pair without a name
  // names no service and is skipped (it would be saved and read back as an empty entry).
  if (!aIni->ValueExists(cServices, cCount)) {
    QString lIdent;
    QString lName;
    for (int n = 1; n <= cLegacyCount; ++n) {
      lIdent = aIni->ReadString(ServiceSection(n), cIdent, lIdent);
      lName = aIni->ReadString(ServiceSection(n), cName, lName);
      if (!lName.isEmpty())
        FServiceLst->AddOrSet(lName, lIdent);
    }
  }
  const int lCount = NumberedCount(aIni, cServices);
  for (int n = 0; n < lCount; ++n) {
    const QString lNewName = aIni->ReadString(ServiceSection(n), cName, QString());
    if (!lNewName.isEmpty())
      FServiceLst->AddOrSet(lNewName, aIni->ReadString(ServiceSection(n), cIdent, QString()));
  }
}

void TConfigData::LoadApplications(TIniFile* aIni) {
  // The old "App" keys, as long as the program has not written a count (see LoadServices).
  if (!aIni->ValueExists(cApplications, cCount))
    for (int n = 1; n <= cLegacyCount; ++n)
      AddApplication(
          aIni->ReadString(cApplications, QStringLiteral("App") + QString::number(n), QString()));
  const int lCount = NumberedCount(aIni, cApplications);
  for (int n = 0; n < lCount; ++n)
    AddApplication(aIni->ReadString(ApplicationSection(n), cName, QString()));
}

void TConfigData::AddApplication(const QString& aFileName) {
  if (aFileName.trimmed().isEmpty())
    return;
  // Both files are read, often the same one twice: an entry is listed once, or the list
  // would grow with every start.
  TFileData* lFile = TPathsAndFiles::AddFile(aFileName, true, true);
  if (lFile &&
      std::find(FApplicationLst.begin(), FApplicationLst.end(), lFile) == FApplicationLst.end())
    FApplicationLst.push_back(lFile);
}

bool TConfigData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::SaveToIni(aSection, aIni))
    return false;
  FDatabase->SaveToIni(QStringLiteral("Database"), aIni);
  aIni->WriteString(QStringLiteral("Update"), QStringLiteral("ConfigFile"), FUpdateConfigFileName);
  aIni->WriteString(QStringLiteral("DEFAULT"), QStringLiteral("language"), FLanguage);
  SaveServices(aIni);
  SaveApplications(aIni);
  return true;
}

// Sections numbered beyond the new count stay in the file; the count tells what is read.
void TConfigData::SaveServices(TIniFile* aIni) const {
  aIni->WriteInteger(cServices, cCount, static_cast<int32_t>(FServiceLst->Count()));
  for (qsizetype n = 0; n < FServiceLst->Count(); ++n) {
    const TConfigServiceData* lService = FServiceLst->Items(n);
    aIni->WriteString(ServiceSection(static_cast<int>(n)), cIdent, lService->Ident());
    aIni->WriteString(ServiceSection(static_cast<int>(n)), cName, lService->Name());
  }
}

void TConfigData::SaveApplications(TIniFile* aIni) const {
  aIni->WriteInteger(cApplications, cCount, static_cast<int32_t>(FApplicationLst.size()));
  for (size_t n = 0; n < FApplicationLst.size(); ++n)
    aIni->WriteString(ApplicationSection(static_cast<int>(n)), cName,
                      FApplicationLst[n]->FileName());
}

bool TConfigData::GetIsAdmin() const {
  return TWindowsUtils::IsAdmin();
}
