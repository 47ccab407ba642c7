#pragma once
// Field descriptions of the data classes, for the generic code that works on an object's
// fields by name (copying, JSON, table views, column names).
//
// Every data class lists its own fields in a static table that points to the table of its
// base class; an object's description is its class's table followed by those of the base
// classes. An entry holds the field's declared name (with the leading "F"), its kind, and
// functions that read and write the field as a variant and as a JSON value. The functions
// are generated from a pointer to the member, so a class declares its fields like this:
//
//   class TMyData : public TData {
//     QEL_CLASS("My.Unit", TMyData)
//     QEL_FIELDS(TMyData, TData, QEL_FIELD(FName), QEL_FIELD(FCount))
//   public:
//     ...
//   private:
//     QString FName;
//     int32_t FCount = 0;
//   };
//
// QEL_FIELD_COLUMN(FName, "Name") gives a field a column name of its own (the TAttribute
// marker). A member of a type the description does not know gets kind fkUnknown and is left
// out by the generic code; TFieldTraits can be specialised for further types.

#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Object.h"
#include "Qel.Rtl.Variant.h"

#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

class TData;

enum TFieldKind : uint8_t {
  fkUnknown,
  fkString,
  fkBoolean,
  fkInteger,
  fkInt64,
  fkFloat,
  fkDateTime,
  fkEnumeration,
  fkObject,
  fkClass
};

// The column-name marker of a field.
class TAttribute {
public:
  explicit TAttribute(const QString& aName) : FName(aName) {}
  const QString& Name() const { return FName; }

private:
  QString FName;
};

// One field of a data class.
struct TFieldInfo {
  QString Name; // as declared, with the leading "F"
  TFieldKind Kind = fkUnknown;
  // All four missing for fields the generic code cannot handle (unknown kind, objects,
  // classes).
  TVariant (*GetValue)(const TData& aData) = nullptr;
  // Raises EConvertError or ERangeError for a value the field cannot take.
  void (*SetValue)(TData& aData, const TVariant& aValue) = nullptr;
  QJsonValue (*GetJson)(const TData& aData) = nullptr;
  // False (and the field unchanged) for a JSON value of the wrong type.
  bool (*SetJson)(TData& aData, const QJsonValue& aValue) = nullptr;
  std::optional<TAttribute> Attribute;

  // Plain fields: copied, compared, serialised (neither objects nor classes, kind known).
  bool IsPlain() const { return GetValue && SetValue; }

  template <auto aMember>
  static TFieldInfo Of(const char* aName, std::optional<TAttribute> aAttribute = std::nullopt);
};

// The fields a class declares itself, and the table of its base class.
struct TFieldTable {
  const TFieldTable* Base = nullptr;
  std::vector<TFieldInfo> Fields;
};

// All fields of an object, those of its own class first, then those of its base classes.
using TFieldArr = std::vector<const TFieldInfo*>;

class TRTTIFieldHelper {
public:
  // The column name of a field: its marker's name, else the declared name without its
  // first character (FID gives "ID").
  static QString GetFieldName(const TFieldInfo& aField);
  // The JSON member name: without the leading "F", first letter in lower case (FID: "iD").
  static QString GetJsonName(const TFieldInfo& aField);
};

// --- conversions per member type --------------------------------------------------------

// Dates and times in JSON: ISO 8601 marked as UTC, the stored value written unconverted.
QString DateTimeToJsonText(TDateTime aValue);
bool JsonTextToDateTime(const QString& aText, TDateTime& aValue);
// A variant as a date-time: a date-time as it is, a number as days, a text in the user's
// format settings; Empty and Null give 0. Raises EConvertError otherwise.
TDateTime VariantToDateTime(const TVariant& aValue);
// A variant as an integer in [aMin, aMax]; raises ERangeError outside.
int64_t VariantToRange(const TVariant& aValue, int64_t aMin, int64_t aMax);

template <typename V, typename = void> struct TFieldTraits {
  static constexpr TFieldKind Kind = fkUnknown;
};

template <> struct TFieldTraits<QString> {
  static constexpr TFieldKind Kind = fkString;
  static TVariant ToVariant(const QString& v) { return v; }
  static void FromVariant(QString& v, const TVariant& a) { v = a.AsString(); }
  static QJsonValue ToJson(const QString& v) { return v; }
  static bool FromJson(QString& v, const QJsonValue& j) {
    if (!j.isString())
      return false;
    v = j.toString();
    return true;
  }
};

template <> struct TFieldTraits<bool> {
  static constexpr TFieldKind Kind = fkBoolean;
  static TVariant ToVariant(bool v) { return v; }
  static void FromVariant(bool& v, const TVariant& a) { v = a.AsBoolean(); }
  static QJsonValue ToJson(bool v) { return v; }
  static bool FromJson(bool& v, const QJsonValue& j) {
    if (!j.isBool())
      return false;
    v = j.toBool();
    return true;
  }
};

// Integers up to 32 bits are "integer", wider ones "64-bit integer".
template <typename V>
struct TFieldTraits<V, std::enable_if_t<std::is_integral_v<V> && !std::is_same_v<V, bool>>> {
  static constexpr bool cWide = sizeof(V) > 4 || (sizeof(V) == 4 && std::is_unsigned_v<V>);
  static constexpr TFieldKind Kind = cWide ? fkInt64 : fkInteger;
  static TVariant ToVariant(V v) {
    if constexpr (cWide)
      return TVariant(static_cast<int64_t>(v));
    else
      return TVariant(static_cast<int32_t>(v));
  }
  static void FromVariant(V& v, const TVariant& a) {
    if constexpr (sizeof(V) == 8)
      v = static_cast<V>(a.AsInt64());
    else
      v = static_cast<V>(
          VariantToRange(a, std::numeric_limits<V>::min(), std::numeric_limits<V>::max()));
  }
  static QJsonValue ToJson(V v) { return QJsonValue(static_cast<qint64>(v)); }
  static bool FromJson(V& v, const QJsonValue& j) {
    if (!j.isDouble())
      return false;
    v = static_cast<V>(j.toInteger());
    return true;
  }
};

template <typename V> struct TFieldTraits<V, std::enable_if_t<std::is_floating_point_v<V>>> {
  static constexpr TFieldKind Kind = fkFloat;
  static TVariant ToVariant(V v) { return static_cast<double>(v); }
  static void FromVariant(V& v, const TVariant& a) { v = static_cast<V>(a.AsDouble()); }
  static QJsonValue ToJson(V v) { return static_cast<double>(v); }
  static bool FromJson(V& v, const QJsonValue& j) {
    if (!j.isDouble())
      return false;
    v = static_cast<V>(j.toDouble());
    return true;
  }
};

template <> struct TFieldTraits<TDateTime> {
  static constexpr TFieldKind Kind = fkDateTime;
  static TVariant ToVariant(TDateTime v) { return v; }
  static void FromVariant(TDateTime& v, const TVariant& a) { v = VariantToDateTime(a); }
  static QJsonValue ToJson(TDateTime v) { return DateTimeToJsonText(v); }
  static bool FromJson(TDateTime& v, const QJsonValue& j) {
    return j.isString() && JsonTextToDateTime(j.toString(), v);
  }
};

// Enumerations by their ordinal.
template <typename V> struct TFieldTraits<V, std::enable_if_t<std::is_enum_v<V>>> {
  using TBase = std::underlying_type_t<V>;
  static constexpr TFieldKind Kind = fkEnumeration;
  static TVariant ToVariant(V v) { return TVariant(static_cast<int32_t>(v)); }
  static void FromVariant(V& v, const TVariant& a) {
    v = static_cast<V>(
        VariantToRange(a, std::numeric_limits<TBase>::min(), std::numeric_limits<TBase>::max()));
  }
  static QJsonValue ToJson(V v) { return static_cast<int>(v); }
  static bool FromJson(V& v, const QJsonValue& j) {
    if (!j.isDouble())
      return false;
    v = static_cast<V>(j.toInteger());
    return true;
  }
};

// Object references: described, never copied or serialised.
template <typename V> struct TFieldTraits<V*> { static constexpr TFieldKind Kind = fkObject; };
template <typename V> struct TFieldTraits<std::unique_ptr<V>> {
  static constexpr TFieldKind Kind = fkObject;
};
// Class references: described, never copied or serialised.
template <> struct TFieldTraits<TClassRef> { static constexpr TFieldKind Kind = fkClass; };

namespace QelFieldDetail {
template <typename M> struct TMemberOf;
template <typename C, typename V> struct TMemberOf<V C::*> {
  using TClass = C;
  using TValue = V;
};
template <typename V, typename = void> struct THasValueAccess : std::false_type {};
template <typename V>
struct THasValueAccess<V, std::void_t<decltype(TFieldTraits<V>::ToVariant)>> : std::true_type {};
} // namespace QelFieldDetail

template <auto aMember>
TFieldInfo TFieldInfo::Of(const char* aName, std::optional<TAttribute> aAttribute) {
  using TClass = typename QelFieldDetail::TMemberOf<decltype(aMember)>::TClass;
  using TValue = typename QelFieldDetail::TMemberOf<decltype(aMember)>::TValue;
  using TTraits = TFieldTraits<TValue>;
  static_assert(std::is_base_of_v<TData, TClass>, "fields of data classes only");
  TFieldInfo lResult;
  lResult.Name = QString::fromLatin1(aName);
  lResult.Kind = TTraits::Kind;
  lResult.Attribute = std::move(aAttribute);
  if constexpr (QelFieldDetail::THasValueAccess<TValue>::value) {
    lResult.GetValue = [](const TData& aData) -> TVariant {
      return TTraits::ToVariant(static_cast<const TClass&>(aData).*aMember);
    };
    lResult.SetValue = [](TData& aData, const TVariant& aValue) {
      TTraits::FromVariant(static_cast<TClass&>(aData).*aMember, aValue);
    };
    lResult.GetJson = [](const TData& aData) -> QJsonValue {
      return TTraits::ToJson(static_cast<const TClass&>(aData).*aMember);
    };
    lResult.SetJson = [](TData& aData, const QJsonValue& aValue) -> bool {
      return TTraits::FromJson(static_cast<TClass&>(aData).*aMember, aValue);
    };
  }
  return lResult;
}

// Declares the field table of a class (after its QEL_CLASS); the fields are QEL_FIELD
// entries. Leaves the class body in its private part, as QEL_CLASS does.
#define QEL_FIELDS(ClassIdent, BaseIdent, ...)                                                     \
public:                                                                                            \
  using TQelFieldsOf = ClassIdent;                                                                 \
  static const TFieldTable& ClassFieldTable() {                                                    \
    static const TFieldTable lTable{&BaseIdent::ClassFieldTable(), {__VA_ARGS__}};                 \
    return lTable;                                                                                 \
  }                                                                                                \
  const TFieldTable& FieldTable() const override {                                                 \
    return ClassFieldTable();                                                                      \
  }                                                                                                \
                                                                                                   \
private:

#define QEL_FIELD(Member) TFieldInfo::Of<&TQelFieldsOf::Member>(#Member)
#define QEL_FIELD_COLUMN(Member, Column)                                                           \
  TFieldInfo::Of<&TQelFieldsOf::Member>(#Member, TAttribute(QStringLiteral(Column)))
