#include "Qel.Shared.Config.Updater.Data.h"

#include "Qel.Rtl.SysUtils.h"

namespace {
const QString cSection = QStringLiteral("DEFAULT");
const QString cEveryHours = QStringLiteral("UpdateCheckEveryHours");
const QString cStartTime = QStringLiteral("checkStartTime");
const QString cEndTime = QStringLiteral("checkEndTime");
const QString cWeekdays = QStringLiteral("weekdays_update");
} // namespace

TConfigUpdaterData::TConfigUpdaterData(TCreateKey, TFileData* aFile)
    : TIniData(aFile, QStringLiteral("Updater")) {}

void TConfigUpdaterData::SetTimeRange(const TTimeRange& aValue) {
  QString lCaption = FTimeRange.GetCaption();
  Change(lCaption, aValue.GetCaption());
  FTimeRange = aValue;
}

QString TConfigUpdaterData::GetWeekdaysCaption() const {
  QStringList lCaptions;
  for (int lDay = wdMonday; lDay <= wdSunday; ++lDay)
    if (FWeekdays.Contains(static_cast<TWeekDay>(lDay)))
      lCaptions << QString::fromLatin1(cWeekDayData[lDay].Caption);
  return ToCommaText(lCaptions);
}

bool TConfigUpdaterData::GetActive() const {
  return FWeekdays.Contains(TWeekdayUtils::GetWeekday(Now())) && FTimeRange.GetActive();
}

bool TConfigUpdaterData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::LoadFromIni(aSection, aIni))
    return false;
  FUpdateCheckEveryHours = aIni->ReadInteger(cSection, cEveryHours, 2);
  // The range's has-data flag stays as it is.
  FTimeRange.FFrom = aIni->ReadTime(cSection, cStartTime, EncodeTime(18, 0, 0, 0));
  FTimeRange.FTo = aIni->ReadTime(cSection, cEndTime, EncodeTime(6, 0, 0, 0));
  FWeekdays = TWeekdayUtils::StringToWeekdays(aIni->ReadString(cSection, cWeekdays, QString()));
  return true;
}

bool TConfigUpdaterData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::SaveToIni(aSection, aIni))
    return false;
  aIni->WriteInteger(cSection, cEveryHours, FUpdateCheckEveryHours);
  aIni->WriteTime(cSection, cStartTime, FTimeRange.FFrom);
  aIni->WriteTime(cSection, cEndTime, FTimeRange.FTo);
  aIni->WriteString(cSection, cWeekdays, TWeekdayUtils::WeeskdaysToString(FWeekdays));
  return true;
}
