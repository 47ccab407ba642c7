#pragma once
// The main configuration: one object per section of the configuration INI file, the
// controlled services, the application files and the user-interface language. It reads the
// program's own INI file and then the configuration file, and writes itself back into the
// configuration file when it is freed.

#include "Qel.Shared.Config.Benchmark.Data.h"
#include "Qel.Shared.Config.Customer.Data.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.Config.ImportExport.Data.h"
#include "Qel.Shared.Config.Ini.Data.h"
#include "Qel.Shared.Config.Service.Data.h"
#include "Qel.Shared.Config.Updater.Data.h"
#include "Qel.Shared.Config.Validation.Data.h"

#include <QStringList>
#include <memory>
#include <vector>

class TFileData;

class TConfigData final : public TIniData {
  QEL_CLASS("Qel.Shared.Config.Data", TConfigData)
  QEL_FIELDS(TConfigData, TIniData, QEL_FIELD(FLanguage), QEL_FIELD(FUpdateConfigFileName))

public:
  // Builds every section object, each loaded from aFile at once; Create then loads the whole
  // configuration (see Load).
  TConfigData(TCreateKey, TFileData* aFile);
  // Saves into the configuration file, then frees the sections.
  ~TConfigData() override;

  // The program's own INI file first, then aFile, which stays open for saving; then the
  // validation sections again from aFile. Values of aFile replace those of the first file,
  // services accumulate by name, application files are added.
  bool Load(TFileData* aFile) override;
  using TIniData::Load;

  // The named sections; aSection is not used (the main configuration has none of its own).
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  // Writes the database section, the language, the update file name and the service and
  // application lists; the other sections write themselves on request.
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

  const QStringList& LanguageLst() const { return FLanguageLst; }
  const QString& Language() const { return FLanguage; }
  void SetLanguage(const QString& aValue) { Change(FLanguage, aValue); }
  const QString& UpdateConfigFileName() const { return FUpdateConfigFileName; }
  void SetUpdateConfigFileName(const QString& aValue) { Change(FUpdateConfigFileName, aValue); }

  TConfigDatabaseData* Database() const { return FDatabase.get(); }
  TConfigUpdaterData* Updater() const { return FUpdater.get(); }
  TConfigCustomerData* Customer() const { return FCustomer.get(); }
  TConfigBenchmarkData* Benchmark() const { return FBenchmark.get(); }
  TConfigRun* ValidationRun() const { return FValidationRun.get(); }
  TConfigService* ValidationService() const { return FValidationService.get(); }
  TConfigImportExport* ImportExport() const { return FImportExport.get(); }
  TConfigServiceDataList* ServiceLst() const { return FServiceLst.get(); }
  // The entries belong to the known-files catalogue.
  std::vector<TFileData*>& ApplicationLst() { return FApplicationLst; }
  const std::vector<TFileData*>& ApplicationLst() const { return FApplicationLst; }

  // Whether the program runs with administrator rights; asked anew on every call.
  bool GetIsAdmin() const;

private:
  void LoadServices(TIniFile* aIni);
  void LoadApplications(TIniFile* aIni);
  // Registers the file and adds it to the application list unless the list holds it already.
  void AddApplication(const QString& aFileName);
  void SaveServices(TIniFile* aIni) const;
  void SaveApplications(TIniFile* aIni) const;

  QStringList FLanguageLst;
  QString FLanguage;
  std::unique_ptr<TConfigDatabaseData> FDatabase;
  std::unique_ptr<TConfigUpdaterData> FUpdater;
  std::unique_ptr<TConfigCustomerData> FCustomer;
  std::unique_ptr<TConfigBenchmarkData> FBenchmark;
  std::unique_ptr<TConfigRun> FValidationRun;
  std::unique_ptr<TConfigService> FValidationService;
  std::unique_ptr<TConfigImportExport> FImportExport;
  QString FUpdateConfigFileName;
  std::unique_ptr<TConfigServiceDataList> FServiceLst;
  std::vector<TFileData*> FApplicationLst;
};
