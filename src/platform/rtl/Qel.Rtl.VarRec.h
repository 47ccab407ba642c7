#pragma once
// One element of an argument list of mixed kinds (the runtime's "array of const"),
// carrying the kind code the runtime gives it.

#include "Qel.Rtl.Object.h"
#include "Qel.Rtl.Variant.h"

#include <QString>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

enum TVarType : int {
  vtInteger = 0,
  vtBoolean = 1,
  vtChar = 2,
  vtExtended = 3,
  vtString = 4,
  vtPointer = 5,
  vtPChar = 6,
  vtObject = 7,
  vtClass = 8,
  vtWideChar = 9,
  vtPWideChar = 10,
  vtAnsiString = 11,
  vtCurrency = 12,
  vtVariant = 13,
  vtInterface = 14,
  vtWideString = 15,
  vtInt64 = 16,
  vtUnicodeString = 17,
};

class TVarRec {
public:
  TVarRec(bool aValue) : FType(vtBoolean), FInt(aValue) {}
  TVarRec(char aValue) : FType(vtChar), FText(QString(QChar::fromLatin1(aValue))) {}
  TVarRec(QChar aValue) : FType(vtWideChar), FText(QString(aValue)) {}
  template <std::integral I>
  requires(!std::same_as<I, bool> && !std::same_as<I, char> && !std::same_as<I, char16_t>)
      TVarRec(I aValue)
      : FType(sizeof(I) < 4 || (sizeof(I) == 4 && std::is_signed_v<I>) ? vtInteger : vtInt64),
        FInt(static_cast<int64_t>(aValue)) {}
  TVarRec(double aValue) : FType(vtExtended), FFloat(aValue) {}
  TVarRec(float aValue) : FType(vtExtended), FFloat(aValue) {}
  TVarRec(const char* aValue) : FType(vtPChar), FText(QString::fromUtf8(aValue)) {}
  TVarRec(const char16_t* aValue) : FType(vtPWideChar), FText(QString::fromUtf16(aValue)) {}
  TVarRec(const std::string& aValue) : FType(vtAnsiString), FText(QString::fromStdString(aValue)) {}
  TVarRec(const QString& aValue) : FType(vtUnicodeString), FText(aValue) {}
  TVarRec(const TObject* aValue) : FType(vtObject), FPtr(aValue) {
    if (aValue)
      FText = aValue->ClassName();
  }
  TVarRec(const TClassRef& aValue) : FType(vtClass), FText(aValue.ClassName) {}
  TVarRec(const TVariant& aValue) : FType(vtVariant), FVariant(aValue) {}
  TVarRec(const void* aValue) : FType(vtPointer), FPtr(aValue) {}
  TVarRec(std::nullptr_t) : FType(vtPointer) {}

  // An element of any kind code, for kinds C++ has no natural type for (currency,
  // interface, short string, wide string).
  static TVarRec OfKind(TVarType aType, const QString& aText = QString(), int64_t aInt = 0);

  TVarType VType() const { return FType; }
  int64_t AsInt64() const { return FInt; }
  double AsFloat() const { return FFloat; }
  // Text kinds: the text; objects and classes: the class name.
  const QString& Text() const { return FText; }
  const void* Pointer() const { return FPtr; }
  const TVariant& Variant() const { return FVariant; }
  bool IsText() const;

private:
  TVarRec() = default;
  TVarType FType = vtPointer;
  int64_t FInt = 0;
  double FFloat = 0;
  QString FText;
  const void* FPtr = nullptr;
  TVariant FVariant;
};

using TVarRecs = std::vector<TVarRec>;
