#pragma once
// When the validation last ran, with how many worker threads, and when its service last ran.

#include "Qel.Shared.Config.Ini.Data.h"

#include <cstdint>

class TConfigRun : public TIniData {
  QEL_CLASS("Qel.Shared.Config.Validation.Data", TConfigRun)
  QEL_FIELDS(TConfigRun, TIniData, QEL_FIELD(FThreadCount), QEL_FIELD(FLastRun))

public:
  static constexpr int32_t cMinThreadCount = 1;
  static constexpr int32_t cMaxThreadCount = 25;

  TConfigRun(TCreateKey, TFileData* aFile);

  int32_t ThreadCount() const { return FThreadCount; }
  // Kept within 1 to 25.
  void SetThreadCount(int32_t aValue);
  TDateTime LastRun() const { return FLastRun; }
  // More than a day has passed since the last run.
  bool GetRunRequired() const;
  // Records a run now and writes it into the file at once.
  void Executed();

  // "ThreadCount" and "LastRun" of section "Validation.Run"; missing keys keep the current
  // values. False only without a file.
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

private:
  int32_t FThreadCount = 5;
  TDateTime FLastRun;
};

class TConfigService : public TIniData {
  QEL_CLASS("Qel.Shared.Config.Validation.Data", TConfigService)
  QEL_FIELDS(TConfigService, TIniData, QEL_FIELD(FLastRun))

public:
  TConfigService(TCreateKey, TFileData* aFile);

  TDateTime LastRun() const { return FLastRun; }
  // Records a run now; written with the next Save.
  void SetLastRun();

  // "LastRun" of section "Validation.Service". False only without a file.
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

private:
  TDateTime FLastRun;
};
