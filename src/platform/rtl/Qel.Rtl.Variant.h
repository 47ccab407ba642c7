#pragma once
// A tagged value that can also be Null or unassigned, as the runtime's variant.

#include "Qel.Rtl.DateTime.h"

#include <QString>
#include <cstdint>
#include <variant>

class TVariant {
public:
  struct TNull {
    bool operator==(const TNull&) const = default;
  };
  using TValue =
      std::variant<std::monostate, TNull, bool, int32_t, int64_t, double, QString, TDateTime>;

  TVariant() = default;
  TVariant(bool aValue) : FValue(aValue) {}
  TVariant(int32_t aValue) : FValue(aValue) {}
  TVariant(int64_t aValue) : FValue(aValue) {}
  TVariant(double aValue) : FValue(aValue) {}
  TVariant(const QString& aValue) : FValue(aValue) {}
  TVariant(const char* aValue) : FValue(QString::fromUtf8(aValue)) {}
  TVariant(TDateTime aValue) : FValue(aValue) {}
  static TVariant Null() {
    TVariant v;
    v.FValue = TNull{};
    return v;
  }

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(FValue); }
  bool IsNull() const { return std::holds_alternative<TNull>(FValue); }
  // Empty or Null.
  bool IsNullOrEmpty() const { return IsEmpty() || IsNull(); }
  const TValue& Value() const { return FValue; }

  // The value as text: empty for Empty and Null, "True"/"False", decimal numbers,
  // floats and dates in the user's format settings.
  QString AsString() const;
  // Integral value; Empty and Null give 0; a text that is no integer raises EConvertError.
  int64_t AsInt64() const;
  bool AsBoolean() const;
  double AsDouble() const;

  // Same kind and same value (a 32-bit and a 64-bit integer of equal value are equal).
  bool operator==(const TVariant& aOther) const;

private:
  TValue FValue;
};
