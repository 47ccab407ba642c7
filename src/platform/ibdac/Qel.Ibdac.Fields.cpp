#include "Qel.Ibdac.Fields.h"

#include "Qel.Ibdac.Query.h"
#include "Qel.Rtl.Exceptions.h"

#include <limits>

TIBCField::TIBCField(TIBCQuery* aDataSet, int aIndex, const QString& aName, TFieldType aDataType,
                     int aSize)
    : FDataSet(aDataSet), FIndex(aIndex), FFieldName(aName), FDataType(aDataType), FSize(aSize) {}

TVariant TIBCField::AsVariant() const {
  return FDataSet->FieldValue(FIndex);
}

int32_t TIBCField::AsInteger() const {
  const int64_t lValue = AsVariant().AsInt64();
  if (lValue < std::numeric_limits<int32_t>::min() || lValue > std::numeric_limits<int32_t>::max())
    throw ERangeError(
        QStringLiteral("Value of field '%1' is out of the integer range").arg(FFieldName));
  return static_cast<int32_t>(lValue);
}

TDateTime TIBCField::AsDateTime() const {
  const TVariant lValue = AsVariant();
  if (const auto* lDate = std::get_if<TDateTime>(&lValue.Value()))
    return *lDate;
  if (lValue.IsNullOrEmpty())
    return TDateTime();
  throw EConvertError(QStringLiteral("Field '%1' holds no date-time value").arg(FFieldName));
}

void TIBCField::SetAsVariant(const TVariant& aValue) {
  FDataSet->SetFieldValue(FIndex, aValue);
}
