#include "Qel.Shared.Data.h"

#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.Utils.h"

TData::TData() : FID(NewGuidText()), FFileExt(QStringLiteral(".dat")) {}

TData::~TData() = default;

TColor TData::GetColor() const {
  return BoolToColor(GetActive());
}

bool TData::CountChange(bool aDiffers) {
  const bool lCounts = !FReadOnly && aDiffers;
  if (lCounts && (FAction == daNone || FAction == daInsert))
    FAction = daUpdate;
  return lCounts;
}

bool TData::Change(QString& aVar, const QString& aVal) {
  const bool lResult = CountChange(aVar != aVal);
  aVar = aVal;
  return lResult;
}

bool TData::Change(bool& aVar, bool aVal) {
  const bool lResult = CountChange(aVar != aVal);
  aVar = aVal;
  return lResult;
}

bool TData::Change(int32_t& aVar, int32_t aVal) {
  const bool lResult = CountChange(aVar != aVal);
  aVar = aVal;
  return lResult;
}
