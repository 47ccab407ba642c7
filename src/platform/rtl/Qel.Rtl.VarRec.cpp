#include "Qel.Rtl.VarRec.h"

TVarRec TVarRec::OfKind(TVarType aType, const QString& aText, int64_t aInt) {
  TVarRec lResult;
  lResult.FType = aType;
  lResult.FText = aText;
  lResult.FInt = aInt;
  switch (aType) {
  case vtExtended:
    lResult.FFloat = static_cast<double>(aInt);
    break;
  case vtCurrency:
    // The runtime's currency is a count of ten-thousandths; AsFloat gives the amount.
    lResult.FFloat = static_cast<double>(aInt) / 10000.0;
    break;
  case vtVariant:
    // A variant holding the text, or the integer when no text is given.
    lResult.FVariant = aText.isNull() ? TVariant(aInt) : TVariant(aText);
    break;
  default:
    break;
  }
  return lResult;
}

bool TVarRec::IsText() const {
  switch (FType) {
  case vtChar:
  case vtString:
  case vtPChar:
  case vtWideChar:
  case vtPWideChar:
  case vtAnsiString:
  case vtWideString:
  case vtUnicodeString:
    return true;
  default:
    // A variant is no text kind: Text() does not carry its value (see Variant()).
    return false;
  }
}
