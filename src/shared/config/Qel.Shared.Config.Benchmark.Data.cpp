#include "Qel.Shared.Config.Benchmark.Data.h"

#include "Qel.Rtl.Random.h"
#include "Qel.Shared.Attributes.h"
#include "Qel.Shared.Logging.h"

#include <cmath>
#include <cstdlib>

namespace {
const QString cSection = QStringLiteral("BENCHMARK");
const QString cCurrentExportTime = QStringLiteral("currentExportTime");
} // namespace

TConfigBenchmarkData::TConfigBenchmarkData(TCreateKey, TFileData* aFile)
    : TIniData(aFile, cSection) {}

TTime TConfigBenchmarkData::GetMinExportTime() {
  return EncodeTime(0, 30, 0, 0);
}

TTime TConfigBenchmarkData::GetMaxExportTime() {
  return EncodeTime(5, 30, 0, 0);
}

TDateTime TConfigBenchmarkData::NewExportDateTime(bool aNextDay) {
  const TDateTime lToday = Date();
  const TDateTime lStart = lToday + GetMinExportTime();
  const int64_t lWindowSeconds = (GetMaxExportTime().MSecs() - GetMinExportTime().MSecs()) / 1000;
  TDateTime lResult =
      IncSecond(lStart, std::llround(Random() * static_cast<double>(lWindowSeconds)));
  if (lResult < Now() || (aNextDay && SameDate(lResult, lToday)))
    lResult = IncDay(lResult, 1);
  FCurrentExportDateTime = lResult;
  Save();
  TLogging::Add(this, QStringLiteral("NewExportDateTime"),
                QStringLiteral("CurrentExportDateTime set to ") + DateTimeToJsonText(lResult),
                ltSuccess);
  return lResult;
}

TDateTime TConfigBenchmarkData::GetCurrentExportDateTime() {
  const TDateTime lNow = Now();
  const TDateTime lStored = DateOf(FCurrentExportDateTime);
  const TDateTime lToday = DateOf(lNow);
  if (lStored < lToday || (lStored == lToday && TimeOf(lNow) > GetMaxExportTime()))
    return NewExportDateTime(false);
  return FCurrentExportDateTime;
}

bool TConfigBenchmarkData::CanExport() {
  const TDateTime lNow = Now();
  const TTime lTime = TimeOf(lNow);
  return lNow > GetCurrentExportDateTime() && lTime >= GetMinExportTime() &&
         lTime <= GetMaxExportTime();
}

void TConfigBenchmarkData::Exported() {
  NewExportDateTime(true);
}

int32_t TConfigBenchmarkData::GetMillisecondsToNextExport() {
  const int64_t lDistance = std::llabs((GetCurrentExportDateTime() - Now()).MSecs());
  return static_cast<int32_t>(std::min<int64_t>(lDistance, cMaxWaitMilliseconds));
}

TDateRange TConfigBenchmarkData::GetSeasonDateRange() const {
  int lYear = 0, lMonth = 0, lDay = 0;
  const TDateTime lNow = Now();
  DecodeDate(lNow, lYear, lMonth, lDay);
  // The season of today: 30 June is its last day, so only from 1 July on does the next one
  // begin.
  if (lNow < EncodeDate(lYear, 7, 1))
    --lYear;
  const TDate lFrom = EncodeDate(lYear, 7, 1);
  TDateRange lResult;
  lResult.Init(true, lFrom, IncDay(EncodeDate(lYear + 1, 7, 1), -1));
  return lResult;
}

bool TConfigBenchmarkData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::LoadFromIni(aSection, aIni))
    return false;
  TDateTime lValue;
  if (JsonTextToDateTime(aIni->ReadString(cSection, cCurrentExportTime, QString()), lValue))
    FCurrentExportDateTime = lValue;
  else
    NewExportDateTime(false);
  return true;
}

bool TConfigBenchmarkData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::SaveToIni(aSection, aIni))
    return false;
  aIni->WriteString(cSection, cCurrentExportTime, DateTimeToJsonText(FCurrentExportDateTime));
  return true;
}
