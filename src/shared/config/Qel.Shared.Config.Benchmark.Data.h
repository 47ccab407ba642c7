#pragma once
// The nightly export time: drawn at random inside a fixed window of the night, kept in the
// file, and drawn anew once it has passed.

#include "Qel.Shared.Config.Ini.Data.h"
#include "Qel.Shared.Date.h"

#include <cstdint>

class TConfigBenchmarkData : public TIniData {
  QEL_CLASS("Qel.Shared.Config.Benchmark.Data", TConfigBenchmarkData)
  QEL_FIELDS(TConfigBenchmarkData, TIniData, QEL_FIELD(FCurrentExportDateTime))

public:
  // The longest wait GetMillisecondsToNextExport reports.
  static constexpr int32_t cMaxWaitMilliseconds = 3600000;

  TConfigBenchmarkData(TCreateKey, TFileData* aFile);

  // The export window: 00:30 to 05:30.
  static TTime GetMinExportTime();
  static TTime GetMaxExportTime();

  // Draws a whole second of today's window; a time already past (or, with aNextDay, any time
  // today) moves to the next day. Saves and logs the new time and returns it.
  TDateTime NewExportDateTime(bool aNextDay);
  // The stored time, or a new one when the stored one lies in an earlier night or tonight's
  // window has closed.
  TDateTime GetCurrentExportDateTime();
  // The export time has come and the window is open.
  bool CanExport();
  // The next export falls into the following night.
  void Exported();
  // The distance to the export time, at most one hour.
  int32_t GetMillisecondsToNextExport();
  // The season (1 July to 30 June) that today lies in.
  TDateRange GetSeasonDateRange() const;

  // "currentExportTime" of section "BENCHMARK" as ISO 8601 text; a missing or unreadable value
  // draws a new time.
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

private:
  TDateTime FCurrentExportDateTime;
};
