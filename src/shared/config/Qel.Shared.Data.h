#pragma once
// The base of every configuration object and catalogue entry, and the owning list of them.

#include "Qel.Rtl.Color.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Object.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

enum TDataAction : uint8_t { daNone, daInsert, daUpdate, daDelete };

class TData : public TObject {
  QEL_CLASS("Qel.Shared.Data", TData)

public:
  TData();
  ~TData() override;

  const QString& ID() const { return FID; }
  void SetID(const QString& aID) { FID = aID; }
  virtual QString GetCaption() const { return FID; }
  virtual TColor GetColor() const;
  virtual bool GetActive() const { return FActive; }
  TDataAction Action() const { return FAction; }
  void SetAction(TDataAction aAction) { FAction = aAction; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool aReadOnly) { FReadOnly = aReadOnly; }
  const QString& FileExt() const { return FFileExt; }

  void MarkForDelete() { FAction = daDelete; }
  void ResetAction() { FAction = daNone; }

  // Setters store through Change: the new value is always stored; a differing value on an
  // object that is not read-only counts as a change and turns daNone/daInsert into daUpdate.
  bool Change(QString& aVar, const QString& aVal);
  bool Change(bool& aVar, bool aVal);
  bool Change(int32_t& aVar, int32_t aVal);

protected:
  QString FID;
  TDateTime FCreatedDateTime;
  QString FCreatedUser;
  TDateTime FModifiedDateTime;
  QString FModifiedUser;
  QString FFileExt;
  bool FActive = false;
  TDataAction FAction = daNone;
  bool FReadOnly = false;

private:
  bool CountChange(bool aDiffers);
};

// An ordered list that owns its items; items are handed out as plain pointers.
template <typename T> class TDataList : public TObject {
  QEL_CLASS("Qel.Shared.Data", TDataList)

public:
  TDataList() = default;
  ~TDataList() override = default;
  TDataList(const TDataList&) = delete;
  TDataList& operator=(const TDataList&) = delete;

  qsizetype Count() const { return static_cast<qsizetype>(FItems.size()); }
  T* Items(qsizetype aIx) const { return FItems.at(static_cast<size_t>(aIx)).get(); }
  T* First() const { return FItems.empty() ? nullptr : FItems.front().get(); }
  T* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }

  // A new item of T, marked daInsert, appended to the list.
  T* New() {
    auto lItem = std::make_unique<T>();
    lItem->SetAction(daInsert);
    lItem->SetReadOnly(FReadOnly);
    T* lResult = lItem.get();
    FItems.push_back(std::move(lItem));
    AfterNewData(lResult);
    return lResult;
  }

  // The first item whose identifier equals aID without regard to letter case.
  T* FindItemByID(const QString& aID) const {
    for (const auto& lItem : FItems)
      if (lItem->ID().compare(aID, Qt::CaseInsensitive) == 0)
        return lItem.get();
    return nullptr;
  }
  bool IDExists(const QString& aID) const { return FindItemByID(aID) != nullptr; }

  // Removes (destroys) every item with aData's identifier; false without aData.
  bool Remove(const TData* aData) {
    if (!aData)
      return false;
    const QString lID = aData->ID();
    std::erase_if(FItems, [&](const std::unique_ptr<T>& p) { return p->ID() == lID; });
    return true;
  }
  virtual void Clear() { FItems.clear(); }

  struct TIterator {
    typename std::vector<std::unique_ptr<T>>::const_iterator FIt;
    T* operator*() const { return FIt->get(); }
    TIterator& operator++() {
      ++FIt;
      return *this;
    }
    bool operator!=(const TIterator& o) const { return FIt != o.FIt; }
  };
  TIterator begin() const { return {FItems.begin()}; }
  TIterator end() const { return {FItems.end()}; }

protected:
  virtual void AfterNewData(T*) {}
  bool FReadOnly = false;

private:
  std::vector<std::unique_ptr<T>> FItems;
};
