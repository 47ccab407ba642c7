#include "Qel.Shared.Logging.Statistic.h"

#include <memory>

namespace {
// Never destroyed itself: the list ends in its module's finalisation.
std::unique_ptr<TLoggingStatisticList>& InstanceHolder() {
  static auto* lHolder = new std::unique_ptr<TLoggingStatisticList>;
  return *lHolder;
}
} // namespace

TLoggingStatisticList* TLoggingStatisticList::Instance() {
  std::unique_ptr<TLoggingStatisticList>& lInstance = InstanceHolder();
  if (!lInstance)
    lInstance = std::make_unique<TLoggingStatisticList>();
  return lInstance.get();
}

void TLoggingStatisticList::Finalize() {
  InstanceHolder().reset();
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
