#include "Qel.Shared.Windows.Utils.h"

#include "Qel.Os.Process.h"
#include "Qel.Shared.Logging.h"

bool TWindowsUtils::IsAdmin() {
  return TLogging::SuccessError(IsProcessElevated(), QStringLiteral("User is Admin"), nullptr,
                                QString());
}
