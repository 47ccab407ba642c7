#pragma once
// When the program may look for updates: every so many hours, inside a time range of the day,
// on chosen weekdays.

#include "Qel.Shared.Config.Ini.Data.h"
#include "Qel.Shared.Date.h"
#include "Qel.Shared.Utils.h"

#include <cstdint>

class TConfigUpdaterData : public TIniData {
  QEL_CLASS("Qel.Shared.Config.Updater.Data", TConfigUpdaterData)
  QEL_FIELDS(TConfigUpdaterData, TIniData, QEL_FIELD(FUpdateCheckEveryHours))

public:
  TConfigUpdaterData(TCreateKey, TFileData* aFile);

  int32_t UpdateCheckEveryHours() const { return FUpdateCheckEveryHours; }
  void SetUpdateCheckEveryHours(int32_t aValue) { Change(FUpdateCheckEveryHours, aValue); }
  const TTimeRange& TimeRange() const { return FTimeRange; }
  // Counts as a change when the range reads differently.
  void SetTimeRange(const TTimeRange& aValue);
  TWeekDays Weekdays() const { return FWeekdays; }
  void SetWeekdays(TWeekDays aValue) { FWeekdays = aValue; }
  // The captions of the chosen weekdays, Monday first, as comma text.
  QString GetWeekdaysCaption() const;

  // Today is a chosen weekday and now lies in the time range.
  bool GetActive() const override;

  // "UpdateCheckEveryHours", "checkStartTime", "checkEndTime" and "weekdays_update" of
  // section "DEFAULT".
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

private:
  int32_t FUpdateCheckEveryHours = 0;
  TTimeRange FTimeRange;
  TWeekDays FWeekdays;
};
