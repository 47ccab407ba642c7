#pragma once
// The logger's settings: lowest accepted log type, size at which the log file is archived,
// and the write spacing.

#include "Qel.Shared.Data.h"
#include "Qel.Shared.Logging.Defs.h"

#include <cstdint>

class TConfigLoggingData : public TData {
  QEL_CLASS("Qel.Shared.Config.Logging.Data", TConfigLoggingData)
  QEL_FIELDS(TConfigLoggingData, TData, QEL_FIELD(FLogLevel), QEL_FIELD(FMaxFileSizeByte),
             QEL_FIELD(FWriteIntervalCount5Ticks))

public:
  static constexpr uint64_t cGigaByte = 1073741824; // the size unit of MaxFileSizeMB

  TLogTyp LogLevel() const { return FLogLevel; }
  void SetLogLevel(TLogTyp aValue) { FLogLevel = aValue; }
  // Never below one unit.
  uint64_t MaxFileSizeByte() const;
  int64_t MaxFileSizeMB() const;
  // Clamped to 1..10 units; a negative value is an ERangeError.
  void SetMaxFileSizeMB(int64_t aValue);
  // At least 125 ms.
  int WriteIntervalMilliseconds() const;
  // Stored in steps of 5 ms, clamped to 10..1000 ms.
  void SetWriteIntervalMilliseconds(int aValue);

  // "LogLevel" always from section "Main" (read only), "MaxFileSizeMB" and
  // "WriteIntervalMilliseconds" from aSection; saving writes the read-back values.
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

private:
  TLogTyp FLogLevel = ltNone;
  uint64_t FMaxFileSizeByte = 0;
  int32_t FWriteIntervalCount5Ticks = 0;
};
