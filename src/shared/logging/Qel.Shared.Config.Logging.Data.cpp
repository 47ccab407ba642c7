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
