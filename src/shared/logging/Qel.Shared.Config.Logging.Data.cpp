#include "Qel.Shared.Config.Logging.Data.h"

#include "Qel.Rtl.Exceptions.h"

#include <algorithm>

uint64_t TConfigLoggingData::MaxFileSizeByte() const {
  return std::max(FMaxFileSizeByte, cGigaByte);
}

int64_t TConfigLoggingData::MaxFileSizeMB() const {
  return static_cast<int64_t>(MaxFileSizeByte() / cGigaByte);
}

void TConfigLoggingData::SetMaxFileSizeMB(int64_t aValue) {
  if (aValue < 0)
    throw ERangeError(QStringLiteral("Range check error"));
  FMaxFileSizeByte = static_cast<uint64_t>(std::clamp<int64_t>(aValue, 1, 10)) * cGigaByte;
}

int TConfigLoggingData::WriteIntervalMilliseconds() const {
  return std::max(FWriteIntervalCount5Ticks * 5, 125);
}

void TConfigLoggingData::SetWriteIntervalMilliseconds(int aValue) {
  FWriteIntervalCount5Ticks = std::clamp(aValue / 5, 2, 200);
}

bool TConfigLoggingData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  if (!TData::LoadFromIni(aSection, aIni))
    return false;
  // A value the file cannot mean (a level beyond the last type, a negative size) must not
  // silence the logger or stop the program: it reads as the most permissive value.
  const int32_t lLevel = aIni->ReadInteger(QStringLiteral("Main"), QStringLiteral("LogLevel"), 0);
  FLogLevel = lLevel >= ltNone && lLevel <= ltExcept ? static_cast<TLogTyp>(lLevel) : ltNone;
  SetMaxFileSizeMB(
      std::max<int64_t>(aIni->ReadInteger(aSection, QStringLiteral("MaxFileSizeMB"), 5), 0));
  SetWriteIntervalMilliseconds(
      aIni->ReadInteger(aSection, QStringLiteral("WriteIntervalMilliseconds"), 50));
  return true;
}

bool TConfigLoggingData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  if (!TData::SaveToIni(aSection, aIni))
    return false;
  aIni->WriteInteger(aSection, QStringLiteral("MaxFileSizeMB"),
                     static_cast<int32_t>(MaxFileSizeMB()));
  aIni->WriteInteger(aSection, QStringLiteral("WriteIntervalMilliseconds"),
                     WriteIntervalMilliseconds());
  return true;
}
