#pragma once
// The columns of an open query, read in the current row.

#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Object.h"
#include "Qel.Rtl.Variant.h"

#include <QString>
#include <cstdint>

class TIBCQuery;

enum TFieldType : uint8_t {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftLargeint,
  ftFloat,
  ftBCD, // NUMERIC and DECIMAL with decimals, read as a float
  ftBoolean,
  ftDate,
  ftTime,
  ftDateTime,
  ftMemo, // BLOB SUB_TYPE TEXT
  ftBlob
};

class TIBCField : public TObject {
  QEL_CLASS("Qel.Ibdac.Fields", TIBCField)

public:
  TIBCField(TIBCQuery* aDataSet, int aIndex, const QString& aName, TFieldType aDataType, int aSize);

  // The name the select list gives the column.
  const QString& FieldName() const { return FFieldName; }
  int Index() const { return FIndex; }
  TFieldType DataType() const { return FDataType; }
  // Characters of text columns, 0 for the others.
  int Size() const { return FSize; }

  // Null for SQL NULL and in an empty result.
  TVariant AsVariant() const;
  bool IsNull() const { return AsVariant().IsNullOrEmpty(); }
  // Empty for NULL; numbers and dates in the user's format settings.
  QString AsString() const { return AsVariant().AsString(); }
  // 0 for NULL; raises EConvertError for text that is no number and ERangeError for a value
  // outside 32 bits.
  int32_t AsInteger() const;
  int64_t AsLargeInt() const { return AsVariant().AsInt64(); }
  double AsFloat() const { return AsVariant().AsDouble(); }
  bool AsBoolean() const { return AsVariant().AsBoolean(); }
  // Day 0 for NULL; raises EConvertError for a value that is no date-time.
  TDateTime AsDateTime() const;

  // Writing needs the query in edit mode (Edit), else EDatabaseError.
  void SetAsVariant(const TVariant& aValue);
  void SetAsString(const QString& aValue) { SetAsVariant(aValue); }
  void SetAsInteger(int32_t aValue) { SetAsVariant(aValue); }
  void SetAsLargeInt(int64_t aValue) { SetAsVariant(aValue); }
  void SetAsFloat(double aValue) { SetAsVariant(aValue); }
  void SetAsDateTime(TDateTime aValue) { SetAsVariant(aValue); }
  void Clear() { SetAsVariant(TVariant::Null()); }

private:
  TIBCQuery* FDataSet;
  int FIndex;
  QString FFieldName;
  TFieldType FDataType;
  int FSize;
};
