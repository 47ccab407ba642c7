#include "Qel.Os.Folders.h"

#include <mutex>

namespace {
std::mutex gLock;
std::optional<QString> gOverride;
} // namespace

QString CommonAppDataFolder() {
  std::lock_guard lLock(gLock);
  QString lFolder = gOverride.value_or(QStringLiteral("/var/lib"));
  if (!lFolder.endsWith(u'/'))
    lFolder += u'/';
  return lFolder;
}

void SetCommonAppDataFolderOverride(std::optional<QString> aFolder) {
  std::lock_guard lLock(gLock);
  gOverride = std::move(aFolder);
}
