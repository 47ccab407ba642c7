#pragma once
// Named parameters of a statement (":name" in its SQL) and the translation of such SQL into
// Firebird's positional '?' markers.

#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Object.h"
#include "Qel.Rtl.Variant.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

// The SQL as Firebird gets it, and for each '?' marker in order the parameter it stands for
// (its name as first written; empty for a '?' the SQL itself contained).
struct TParsedSql {
  QString Sql;
  QStringList Markers;
};

// Finds ":name" markers (a letter or '_' after the colon, then letters, digits, '_' and '$').
// Names match without regard to case. Nothing inside string literals ('...'), quoted
// identifiers ("...") and comments (-- to the line end, /* ... */) counts. With aParamCheck
// false the SQL goes through unchanged and only its own '?' markers count.
TParsedSql ParseSqlParams(const QString& aSql, bool aParamCheck = true);

class TIBCParam : public TObject {
  QEL_CLASS("Qel.Ibdac.Params", TIBCParam)

public:
  explicit TIBCParam(const QString& aName) : FName(aName) {}

  const QString& Name() const { return FName; }
  // Unassigned (Empty) and Null both go to the database as NULL.
  const TVariant& Value() const { return FValue; }
  void SetValue(const TVariant& aValue) { FValue = aValue; }
  bool IsNull() const { return FValue.IsNullOrEmpty(); }
  void Clear() { FValue = TVariant::Null(); }

  QString AsString() const { return FValue.AsString(); }
  void SetAsString(const QString& aValue) { FValue = aValue; }
  int32_t AsInteger() const { return static_cast<int32_t>(FValue.AsInt64()); }
  void SetAsInteger(int32_t aValue) { FValue = aValue; }
  int64_t AsLargeInt() const { return FValue.AsInt64(); }
  void SetAsLargeInt(int64_t aValue) { FValue = aValue; }
  double AsFloat() const { return FValue.AsDouble(); }
  void SetAsFloat(double aValue) { FValue = aValue; }
  bool AsBoolean() const { return FValue.AsBoolean(); }
  void SetAsBoolean(bool aValue) { FValue = aValue; }
  // Raises EConvertError when the value is no date-time.
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime aValue) { FValue = aValue; }
  void SetAsDate(TDateTime aValue) { FValue = DateOf(aValue); }

private:
  QString FName;
  TVariant FValue;
};

class TIBCParams : public TObject {
  QEL_CLASS("Qel.Ibdac.Params", TIBCParams)

public:
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises ERangeError for an index outside 0 .. Count - 1.
  TIBCParam* Items(int aIndex) const;
  // Without regard to case; nullptr when there is none.
  TIBCParam* FindParam(const QString& aName) const;
  // Raises EDatabaseError when there is none.
  TIBCParam* ParamByName(const QString& aName) const;

  // Makes the list hold one parameter per distinct name of aMarkers, in order of first
  // appearance; values of names that stay are kept. Unnamed markers get a parameter each.
  void Rebuild(const QStringList& aMarkers);
  // The parameter of each marker, in marker order.
  std::vector<const TIBCParam*> ForMarkers(const QStringList& aMarkers) const;

private:
  std::vector<std::unique_ptr<TIBCParam>> FItems;
};
