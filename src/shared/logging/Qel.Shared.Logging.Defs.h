#pragma once
// The log types and their captions.

#include <QString>
#include <cstdint>

enum TLogTyp : uint8_t {
  ltNone = 0,
  ltRunTime = 1,
  ltInformation = 2,
  ltSuccess = 3,
  ltWarning = 4,
  ltError = 5,
  ltExcept = 6,
};

inline constexpr int cLogTypCount = 7;

// "", "Run", "Inf", "Succ", "Warn", "Err", "Expt".
QString LogTypCaption(TLogTyp aLogTyp);
