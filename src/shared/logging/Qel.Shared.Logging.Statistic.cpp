#include "Qel.Shared.Logging.Statistic.h"

#include <memory>

namespace {
std::unique_ptr<TLoggingStatisticList> gInstance;
}

TLoggingStatisticList* TLoggingStatisticList::Instance() {
  if (!gInstance)
    gInstance = std::make_unique<TLoggingStatisticList>();
  return gInstance.get();
}

void TLoggingStatisticList::Finalize() {
  gInstance.reset();
}

void TLoggingStatisticList::Inc(const TObject* aObject) {
  if (!aObject)
    return;
  auto& lCounts = Instance()->FCounts;
  const QString lKey = aObject->ClassName();
  lCounts[lKey] = lCounts.value(lKey, 0) + 1;
}

void TLoggingStatisticList::Dec(const TObject* aObject) {
  if (!aObject)
    return;
  auto& lCounts = Instance()->FCounts;
  const QString lKey = aObject->ClassName();
  auto lIt = lCounts.find(lKey);
  if (lIt == lCounts.end())
    lCounts.insert(lKey, 0);
  else
    --lIt.value();
}
