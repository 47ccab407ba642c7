#include "Qel.Shared.Config.Validation.Data.h"

#include <algorithm>

namespace {
const QString cRunSection = QStringLiteral("Validation.Run");
const QString cServiceSection = QStringLiteral("Validation.Service");
const QString cThreadCount = QStringLiteral("ThreadCount");
const QString cLastRun = QStringLiteral("LastRun");
} // namespace

TConfigRun::TConfigRun(TCreateKey, TFileData* aFile) : TIniData(aFile, cRunSection) {}

void TConfigRun::SetThreadCount(int32_t aValue) {
  FThreadCount = std::clamp(aValue, cMinThreadCount, cMaxThreadCount);
}

bool TConfigRun::GetRunRequired() const {
  return IncDay(FLastRun, 1) < Now();
}

void TConfigRun::Executed() {
  FLastRun = Now();
  Save();
}

// These sections do not ask the base: they read and write whenever there is a file.
bool TConfigRun::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  if (!aIni)
    return false;
  SetThreadCount(aIni->ReadInteger(cRunSection, cThreadCount, FThreadCount));
  FLastRun = aIni->ReadDateTime(cRunSection, cLastRun, FLastRun);
  return true;
}

bool TConfigRun::SaveToIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  if (!aIni)
    return false;
  aIni->WriteInteger(cRunSection, cThreadCount, FThreadCount);
  aIni->WriteDateTime(cRunSection, cLastRun, FLastRun);
  return true;
}

TConfigService::TConfigService(TCreateKey, TFileData* aFile) : TIniData(aFile, cServiceSection) {}

void TConfigService::SetLastRun() {
  FLastRun = Now();
}

bool TConfigService::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  if (!aIni)
    return false;
  FLastRun = aIni->ReadDateTime(cServiceSection, cLastRun, FLastRun);
  return true;
}

bool TConfigService::SaveToIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  if (!aIni)
    return false;
  aIni->WriteDateTime(cServiceSection, cLastRun, FLastRun);
  return true;
}
