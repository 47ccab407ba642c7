#pragma once
// The controlled services as the main configuration names them: plain name and ident pairs.

#include "Qel.Rtl.Object.h"

#include <QString>
#include <memory>
#include <vector>

class TConfigServiceData : public TObject {
  QEL_CLASS("Qel.Shared.Config.Service.Data", TConfigServiceData)

public:
  const QString& Name() const { return FName; }
  void SetName(const QString& aName) { FName = aName; }
  const QString& Ident() const { return FIdent; }
  void SetIdent(const QString& aIdent) { FIdent = aIdent; }

private:
  QString FName;
  QString FIdent;
};

// Owns its entries; they are handed out as plain pointers.
class TConfigServiceDataList : public TObject {
  QEL_CLASS("Qel.Shared.Config.Service.Data", TConfigServiceDataList)

public:
  TConfigServiceDataList() = default;
  ~TConfigServiceDataList() override;
  TConfigServiceDataList(const TConfigServiceDataList&) = delete;
  TConfigServiceDataList& operator=(const TConfigServiceDataList&) = delete;

  qsizetype Count() const { return static_cast<qsizetype>(FItems.size()); }
  TConfigServiceData* Items(qsizetype aIx) const {
    return FItems.at(static_cast<size_t>(aIx)).get();
  }
  // The first entry named aName (ignoring letter case), else a new one appended; either way it
  // gets aName and aIdent.
  TConfigServiceData* AddOrSet(const QString& aName, const QString& aIdent);
  // The first entry named aName (ignoring letter case), or none.
  TConfigServiceData* Find(const QString& aName) const;
  // Removes and frees the entry; false when it is none of ours.
  bool Remove(const TConfigServiceData* aItem);
  void Clear() { FItems.clear(); }

private:
  std::vector<std::unique_ptr<TConfigServiceData>> FItems;
};
