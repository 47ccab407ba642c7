#include "Qel.Shared.Logging.Defs.h"

namespace {
const char* const cLogTypCaption[cLogTypCount] = {"", "Run", "Inf", "Succ", "Warn", "Err", "Expt"};
}

QString LogTypCaption(TLogTyp aLogTyp) {
  return aLogTyp < cLogTypCount ? QString::fromLatin1(cLogTypCaption[aLogTyp]) : QString();
}
