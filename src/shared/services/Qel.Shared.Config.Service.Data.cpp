#include "Qel.Shared.Config.Service.Data.h"

#include <algorithm>

TConfigServiceDataList::~TConfigServiceDataList() = default;

TConfigServiceData* TConfigServiceDataList::Find(const QString& aName) const {
  for (const auto& lItem : FItems)
    if (lItem->Name().compare(aName, Qt::CaseInsensitive) == 0)
      return lItem.get();
  return nullptr;
}

TConfigServiceData* TConfigServiceDataList::AddOrSet(const QString& aName, const QString& aIdent) {
  TConfigServiceData* lResult = Find(aName);
  if (!lResult) {
    FItems.push_back(std::make_unique<TConfigServiceData>());
    lResult = FItems.back().get();
  }
  lResult->SetName(aName);
  lResult->SetIdent(aIdent);
  return lResult;
}

bool TConfigServiceDataList::Remove(const TConfigServiceData* aItem) {
  return std::erase_if(FItems, [&](const auto& p) { return p.get() == aItem; }) > 0;
}
