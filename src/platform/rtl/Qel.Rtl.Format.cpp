#include "Qel.Rtl.Format.h"

#include "Qel.Rtl.Exceptions.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace {

// ----------------------------------------------------------------------------------------
// Decimal digits of a float.
//
// All number formatting works on the value's decimal digits. A double carries about 15 to
// 17 significant decimal digits; we take 15 and round those in decimal, so that a value
// written as 1.005 rounds to 1.01 as its author expects, not to 1.00 as its binary
// neighbour 1.00499999999999989... would.

constexpr int cSignificantDigits = 15;

struct TDecimal {
  bool Negative = false;
  std::string Digits; // significant digits, no leading or trailing zeros; empty for zero
  int Exponent = 0;   // the value is 0.Digits * 10^Exponent
  bool IsZero() const { return Digits.empty(); }
};

void StripTrailingZeros(TDecimal& aValue) {
  while (!aValue.Digits.empty() && aValue.Digits.back() == '0')
    aValue.Digits.pop_back();
  if (aValue.Digits.empty())
    aValue.Exponent = 0;
}

// aValue must be finite.
TDecimal ToDecimal(double aValue, int aSignificant = cSignificantDigits) {
  TDecimal lResult;
  lResult.Negative = std::signbit(aValue);
  if (aValue == 0)
    return lResult;
  char lBuffer[64];
  const auto lConverted = std::to_chars(lBuffer, lBuffer + sizeof(lBuffer), std::fabs(aValue),
                                        std::chars_format::scientific, aSignificant - 1);
  // "d.ddddde+XX" or "de+XX"
  const std::string_view lText(lBuffer, lConverted.ptr - lBuffer);
  const size_t lE = lText.find('e');
  for (size_t i = 0; i < lE; ++i)
    if (lText[i] != '.')
      lResult.Digits += lText[i];
  int lExponent = 0;
  const char* lExpBegin = lText.data() + lE + 1;
  if (*lExpBegin == '+')
    ++lExpBegin;
  std::from_chars(lExpBegin, lText.data() + lText.size(), lExponent);
  lResult.Exponent = lExponent + 1;
  StripTrailingZeros(lResult);
  return lResult;
}

// Keeps aCount significant digits, rounding half away from zero. A count of 0 keeps
// nothing but may round up to the next power of ten; a negative count gives zero.
void RoundDigits(TDecimal& aValue, int aCount) {
  if (aCount < 0) {
    aValue.Digits.clear();
    aValue.Exponent = 0;
    return;
  }
  if (static_cast<int>(aValue.Digits.size()) <= aCount)
    return;
  const bool lUp = aValue.Digits[aCount] >= '5';
  aValue.Digits.resize(aCount);
  if (lUp) {
    int i = aCount - 1;
    while (i >= 0 && aValue.Digits[i] == '9')
      aValue.Digits[i--] = '0';
    if (i < 0) {
      aValue.Digits.insert(aValue.Digits.begin(), '1');
      ++aValue.Exponent;
    } else
      ++aValue.Digits[i];
  }
  StripTrailingZeros(aValue);
}

// Rounds to aDecimals digits after the decimal point.
void RoundDecimals(TDecimal& aValue, int aDecimals) {
  if (!aValue.IsZero())
    RoundDigits(aValue, aValue.Exponent + aDecimals);
}

// The digit at aIndex (0 = first significant digit); zeros outside the stored digits.
char DigitAt(const TDecimal& aValue, int aIndex) {
  return aIndex >= 0 && aIndex < static_cast<int>(aValue.Digits.size()) ? aValue.Digits[aIndex]
                                                                        : '0';
}

// The digits of the integer part, empty when the value is below one.
std::string IntegerDigits(const TDecimal& aValue) {
  std::string lResult;
  for (int i = 0; i < aValue.Exponent; ++i)
    lResult += DigitAt(aValue, i);
  return lResult;
}

void AppendChar(QString& aText, QChar aChar) {
  if (!aChar.isNull())
    aText += aChar;
}

QString Grouped(const std::string& aDigits, QChar aSeparator) {
  QString lResult;
  const int lCount = static_cast<int>(aDigits.size());
  for (int i = 0; i < lCount; ++i) {
    lResult += QLatin1Char(aDigits[i]);
    const int lLeft = lCount - 1 - i;
    if (lLeft > 0 && lLeft % 3 == 0)
      AppendChar(lResult, aSeparator);
  }
  return lResult;
}

// "NAN", "INF" and "-INF" for the values that have no digits.
std::optional<QString> NonFiniteText(double aValue) {
  if (std::isnan(aValue))
    return QStringLiteral("NAN");
  if (std::isinf(aValue))
    return aValue < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  return std::nullopt;
}

// A minus sign for negative values that did not round to zero: "-0.00" is never written.
QString Sign(const TDecimal& aValue) {
  return aValue.Negative && !aValue.IsZero() ? QStringLiteral("-") : QString();
}

// Fixed notation of a value already rounded to aDecimals.
QString FixedText(const TDecimal& aValue, int aDecimals, const TFormatSettings& aSettings,
                  bool aThousands) {
  const std::string lInteger = aValue.Exponent > 0 ? IntegerDigits(aValue) : std::string(1, '0');
  QString lResult = Sign(aValue);
  lResult += aThousands ? Grouped(lInteger, aSettings.ThousandSeparator)
                        : QString::fromLatin1(lInteger.data(), lInteger.size());
  if (aDecimals > 0) {
    AppendChar(lResult, aSettings.DecimalSeparator);
    for (int i = 0; i < aDecimals; ++i)
      lResult += QLatin1Char(DigitAt(aValue, aValue.Exponent + i));
  }
  return lResult;
}

QString ExponentDigits(int aExponent, int aMinDigits) {
  return QString::number(std::abs(aExponent)).rightJustified(std::max(aMinDigits, 1), u'0');
}

// General notation: up to aPrecision significant digits without trailing zeros; the
// exponent form "1.5E20" / "1E-5" when the value has more integer digits than aPrecision
// or is below 0.0001.
QString GeneralText(double aValue, int aPrecision, const TFormatSettings& aSettings) {
  if (const auto lNonFinite = NonFiniteText(aValue))
    return *lNonFinite;
  aPrecision = std::clamp(aPrecision, 1, 18);
  TDecimal lValue = ToDecimal(aValue, std::clamp(aPrecision, cSignificantDigits, 17));
  RoundDigits(lValue, aPrecision);
  if (lValue.IsZero())
    return QStringLiteral("0");
  const QString lDigits = QString::fromLatin1(lValue.Digits.data(), lValue.Digits.size());
  QString lResult = Sign(lValue);
  if (lValue.Exponent > aPrecision || lValue.Exponent < -3) {
    lResult += lDigits[0];
    if (lDigits.size() > 1) {
      AppendChar(lResult, aSettings.DecimalSeparator);
      lResult += lDigits.mid(1);
    }
    const int lExponent = lValue.Exponent - 1;
    lResult += u'E';
    if (lExponent < 0)
      lResult += u'-';
    lResult += QString::number(std::abs(lExponent));
  } else if (lValue.Exponent <= 0) {
    lResult += u'0';
    AppendChar(lResult, aSettings.DecimalSeparator);
    lResult += QString(-lValue.Exponent, u'0') + lDigits;
  } else {
    lResult += QString::fromStdString(IntegerDigits(lValue));
    if (lDigits.size() > lValue.Exponent) {
      AppendChar(lResult, aSettings.DecimalSeparator);
      lResult += lDigits.mid(lValue.Exponent);
    }
  }
  return lResult;
}

// Scientific notation "-d.dddE+ddd" with aPrecision significant digits in all.
QString ExponentText(double aValue, int aPrecision, const TFormatSettings& aSettings) {
  if (const auto lNonFinite = NonFiniteText(aValue))
    return *lNonFinite;
  aPrecision = std::clamp(aPrecision, 1, 18);
  TDecimal lValue = ToDecimal(aValue, std::clamp(aPrecision, cSignificantDigits, 17));
  RoundDigits(lValue, aPrecision);
  QString lResult = Sign(lValue);
  lResult += QLatin1Char(DigitAt(lValue, 0));
  if (aPrecision > 1) {
    AppendChar(lResult, aSettings.DecimalSeparator);
    for (int i = 1; i < aPrecision; ++i)
      lResult += QLatin1Char(DigitAt(lValue, i));
  }
  const int lExponent = lValue.IsZero() ? 0 : lValue.Exponent - 1;
  lResult += lExponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
  lResult += ExponentDigits(lExponent, 3);
  return lResult;
}

// Fixed notation as the "%f", "%n" and "%m" conversions write it. A value with more than
// 18 integer digits falls back to the general notation, as the original runtime does.
QString FixedOrGeneral(double aValue, int aDecimals, const TFormatSettings& aSettings,
                       bool aThousands) {
  if (const auto lNonFinite = NonFiniteText(aValue))
    return *lNonFinite;
  TDecimal lValue = ToDecimal(aValue);
  if (lValue.Exponent > 18)
    return GeneralText(aValue, cSignificantDigits, aSettings);
  RoundDecimals(lValue, aDecimals);
  return FixedText(lValue, aDecimals, aSettings, aThousands);
}

// ----------------------------------------------------------------------------------------
// Format

[[noreturn]] void FormatError(const QString& aTemplate) {
  throw EConvertError(
      QStringLiteral("Format '%1' invalid or incompatible with argument").arg(aTemplate));
}

QString UnsignedText(uint64_t aValue, int aBase) {
  return QString::number(static_cast<qulonglong>(aValue), aBase).toUpper();
}

// Minimum digit count for integers: zeros between the sign and the digits.
QString PadDigits(QString aDigits, int aPrecision) {
  if (aPrecision > aDigits.size())
    aDigits = aDigits.rightJustified(aPrecision, u'0');
  return aDigits;
}

// A variant's text with the formatting settings of the call rather than the process-wide.
QString VariantText(const TVariant& aValue, const TFormatSettings& aSettings) {
  if (const auto* lDouble = std::get_if<double>(&aValue.Value()))
    return FloatToStr(*lDouble, aSettings);
  if (const auto* lDate = std::get_if<TDateTime>(&aValue.Value()))
    return FormatDateTime(QStringLiteral("c"), *lDate, aSettings);
  return aValue.AsString();
}

class TFormatter {
public:
  TFormatter(const QString& aTemplate, const TVarRecs& aArgs, const TFormatSettings& aSettings)
      : FTemplate(aTemplate), FArgs(aArgs), FSettings(aSettings) {}

  QString Run() {
    while (FPos < FTemplate.size()) {
      const QChar lChar = FTemplate[FPos++];
      if (lChar != u'%')
        FResult += lChar;
      else if (FPos < FTemplate.size() && FTemplate[FPos] == u'%') {
        FResult += u'%';
        ++FPos;
      } else
        Conversion();
    }
    return FResult;
  }

private:
  const QString& FTemplate;
  const TVarRecs& FArgs;
  const TFormatSettings& FSettings;
  QString FResult;
  qsizetype FPos = 0;
  size_t FArgIndex = 0;

  [[noreturn]] void Fail() const { FormatError(FTemplate); }

  const TVarRec& NextArg() {
    if (FArgIndex >= FArgs.size())
      Fail();
    return FArgs[FArgIndex++];
  }

  // Digits or "*" (the next argument, which must be an integer); false when neither.
  // A number beyond cMaxNumber makes the template invalid rather than allocate gigabytes.
  bool ReadNumber(int& aValue) {
    static constexpr int cMaxNumber = 1 << 20;
    if (FPos < FTemplate.size() && FTemplate[FPos] == u'*') {
      ++FPos;
      const TVarRec& lArg = NextArg();
      if ((lArg.VType() != vtInteger && lArg.VType() != vtInt64) || lArg.AsInt64() > cMaxNumber)
        Fail();
      aValue = static_cast<int>(std::max<int64_t>(lArg.AsInt64(), -1));
      return true;
    }
    const qsizetype lStart = FPos;
    int lValue = 0;
    while (FPos < FTemplate.size() && FTemplate[FPos] >= u'0' && FTemplate[FPos] <= u'9') {
      lValue = lValue * 10 + (FTemplate[FPos].unicode() - u'0');
      if (lValue > cMaxNumber)
        Fail();
      ++FPos;
    }
    aValue = lValue;
    return FPos > lStart;
  }

  // %[index:][-][width][.precision]type
  void Conversion() {
    int lNumber = 0;
    bool lHasNumber = ReadNumber(lNumber);
    if (lHasNumber && FPos < FTemplate.size() && FTemplate[FPos] == u':') {
      ++FPos;
      if (lNumber < 0)
        Fail();
      FArgIndex = static_cast<size_t>(lNumber);
      lHasNumber = false;
    }
    bool lLeft = false;
    if (!lHasNumber && FPos < FTemplate.size() && FTemplate[FPos] == u'-') {
      lLeft = true;
      ++FPos;
    }
    if (!lHasNumber)
      lHasNumber = ReadNumber(lNumber);
    const int lWidth = lHasNumber ? lNumber : 0;
    int lPrecision = -1;
    if (FPos < FTemplate.size() && FTemplate[FPos] == u'.') {
      ++FPos;
      if (!ReadNumber(lPrecision))
        lPrecision = 0;
      if (lPrecision < 0)
        lPrecision = -1;
    }
    if (FPos >= FTemplate.size())
      Fail();
    const char16_t lType = FTemplate[FPos++].toUpper().unicode();
    const QString lText = Convert(lType, NextArg(), lPrecision);
    if (lWidth > lText.size())
      FResult += lLeft ? lText.leftJustified(lWidth) : lText.rightJustified(lWidth);
    else
      FResult += lText;
  }

  double FloatArg(const TVarRec& aArg) const {
    if (aArg.VType() == vtExtended || aArg.VType() == vtCurrency)
      return aArg.AsFloat();
    Fail();
  }

  QString Convert(char16_t aType, const TVarRec& aArg, int aPrecision) {
    const bool lInteger = aArg.VType() == vtInteger || aArg.VType() == vtInt64;
    switch (aType) {
    case u'D': {
      if (!lInteger)
        Fail();
      const int64_t lValue = aArg.AsInt64();
      const uint64_t lMagnitude =
          lValue < 0 ? 0 - static_cast<uint64_t>(lValue) : static_cast<uint64_t>(lValue);
      return (lValue < 0 ? QStringLiteral("-") : QString()) +
             PadDigits(UnsignedText(lMagnitude, 10), aPrecision);
    }
    case u'U':
    case u'X': {
      if (!lInteger)
        Fail();
      // A 32-bit integer shows as the runtime's 32-bit cardinal: -1 is FFFFFFFF.
      const uint64_t lValue = aArg.VType() == vtInteger ? static_cast<uint32_t>(aArg.AsInt64())
                                                        : static_cast<uint64_t>(aArg.AsInt64());
      return PadDigits(UnsignedText(lValue, aType == u'U' ? 10 : 16), aPrecision);
    }
    case u'E':
      return ExponentText(FloatArg(aArg), aPrecision < 0 ? 15 : aPrecision, FSettings);
    case u'F':
      return FixedOrGeneral(FloatArg(aArg), aPrecision < 0 ? 2 : aPrecision, FSettings, false);
    case u'G':
      return GeneralText(FloatArg(aArg), aPrecision < 0 ? 15 : aPrecision, FSettings);
    case u'N':
      return FixedOrGeneral(FloatArg(aArg), aPrecision < 0 ? 2 : aPrecision, FSettings, true);
    case u'M': {
      const QString lNumber =
          FixedOrGeneral(FloatArg(aArg), aPrecision < 0 ? 2 : aPrecision, FSettings, true);
      if (lNumber.startsWith(u'-'))
        return u'-' + FSettings.CurrencyString + lNumber.mid(1);
      return FSettings.CurrencyString + lNumber;
    }
    case u'P': {
      if (aArg.VType() != vtPointer)
        Fail();
      return UnsignedText(reinterpret_cast<uintptr_t>(aArg.Pointer()), 16)
          .rightJustified(sizeof(void*) * 2, u'0');
    }
    case u'S': {
      QString lText;
      if (aArg.IsText())
        lText = aArg.Text();
      else if (aArg.VType() == vtVariant)
        lText = VariantText(aArg.Variant(), FSettings);
      else
        Fail();
      return aPrecision >= 0 ? lText.left(aPrecision) : lText;
    }
    default:
      Fail();
    }
  }
};

// ----------------------------------------------------------------------------------------
// FormatDateTime

char16_t UpperAscii(QChar aChar) {
  const char16_t lChar = aChar.unicode();
  return lChar >= u'a' && lChar <= u'z' ? lChar - (u'a' - u'A') : lChar;
}

bool StartsWithAt(const QString& aText, qsizetype aPos, QLatin1String aWhat) {
  return QStringView(aText).mid(aPos).startsWith(aWhat, Qt::CaseInsensitive);
}

class TDateFormatter {
public:
  TDateFormatter(TDateTime aValue, const TFormatSettings& aSettings) : FSettings(aSettings) {
    DecodeDate(aValue, FYear, FMonth, FDay);
    DecodeTime(aValue, FHour, FMin, FSec, FMSec);
    FDayOfWeek = DayOfWeek(aValue);
  }

  // Patterns nest one level deep (the "c" or "ddddd" of a pattern expands the settings'
  // patterns, whose own "c" or "ddddd" no longer expand), which also stops settings that
  // name themselves from looping.
  void Append(const QString& aFormat, int aLevel = 0) {
    if (aLevel >= 2)
      return;
    char16_t lLastToken = u' ';
    bool lUse12Hour = false;
    const qsizetype lSize = aFormat.size();
    qsizetype i = 0;
    while (i < lSize) {
      const QChar lStarter = aFormat[i++];
      char16_t lToken = UpperAscii(lStarter);
      if (lToken >= u'A' && lToken <= u'Z') {
        // An "m" right after an hour is the minute, whatever lies between them.
        if (lToken == u'M' && lLastToken == u'H')
          lToken = u'N';
        lLastToken = lToken;
      }
      // The length of the run of the same character (case-sensitive, as in the original).
      const auto lCount = [&] {
        int lResult = 1;
        while (i < lSize && aFormat[i] == lStarter) {
          ++lResult;
          ++i;
        }
        return lResult;
      };
      switch (lToken) {
      case u'Y':
        if (lCount() <= 2)
          Number(FYear % 100, 2);
        else
          Number(FYear, 4);
        break;
      case u'M': {
        const int lRun = lCount();
        if (lRun <= 2)
          Number(FMonth, lRun);
        else if (lRun == 3)
          FResult += FSettings.ShortMonthNames[FMonth - 1];
        else
          FResult += FSettings.LongMonthNames[FMonth - 1];
        break;
      }
      case u'D': {
        const int lRun = lCount();
        if (lRun <= 2)
          Number(FDay, lRun);
        else if (lRun == 3)
          FResult += FSettings.ShortDayNames[FDayOfWeek - 1];
        else if (lRun == 4)
          FResult += FSettings.LongDayNames[FDayOfWeek - 1];
        else if (lRun == 5)
          Append(FSettings.ShortDateFormat, aLevel + 1);
        else
          Append(FSettings.LongDateFormat, aLevel + 1);
        break;
      }
      case u'H': {
        const int lRun = lCount();
        if (!lUse12Hour)
          lUse12Hour = AmPmFollows(aFormat, i);
        int lHour = FHour;
        if (lUse12Hour)
          lHour = lHour == 0 ? 12 : lHour > 12 ? lHour - 12 : lHour;
        Number(lHour, std::min(lRun, 2));
        break;
      }
      case u'N':
        Number(FMin, std::min(lCount(), 2));
        break;
      case u'S':
        Number(FSec, std::min(lCount(), 2));
        break;
      case u'Z':
        Number(FMSec, std::min(lCount(), 3));
        break;
      case u'T':
        Append(lCount() == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, aLevel + 1);
        break;
      case u'C':
        lCount();
        Append(FSettings.ShortDateFormat, aLevel + 1);
        if (FHour != 0 || FMin != 0 || FSec != 0) {
          FResult += u' ';
          Append(FSettings.LongTimeFormat, aLevel + 1);
        }
        break;
      case u'A':
        i = AmPm(aFormat, i - 1, lUse12Hour);
        break;
      case u'/':
        AppendChar(FResult, FSettings.DateSeparator);
        break;
      case u':':
        AppendChar(FResult, FSettings.TimeSeparator);
        break;
      case u'\'':
      case u'"': {
        const qsizetype lEnd = aFormat.indexOf(lStarter, i);
        const qsizetype lStop = lEnd < 0 ? lSize : lEnd;
        FResult += QStringView(aFormat).mid(i, lStop - i);
        i = lStop < lSize ? lStop + 1 : lSize;
        break;
      }
      default:
        FResult += lStarter;
      }
    }
  }

  const QString& Result() const { return FResult; }

private:
  const TFormatSettings& FSettings;
  QString FResult;
  int FYear = 0, FMonth = 0, FDay = 0, FHour = 0, FMin = 0, FSec = 0, FMSec = 0;
  int FDayOfWeek = 1;

  void Number(int aValue, int aDigits) {
    FResult += QString::number(aValue).rightJustified(aDigits, u'0');
  }

  // Whether the next "a" after an hour (outside quotes, before another hour) starts an
  // am/pm marker, which switches the hour to the 12-hour clock.
  static bool AmPmFollows(const QString& aFormat, qsizetype aPos) {
    bool lQuoted = false;
    for (qsizetype p = aPos; p < aFormat.size(); ++p) {
      const QChar c = aFormat[p];
      if ((c == u'a' || c == u'A') && !lQuoted)
        return StartsWithAt(aFormat, p, QLatin1String("am/pm")) ||
               StartsWithAt(aFormat, p, QLatin1String("a/p")) ||
               StartsWithAt(aFormat, p, QLatin1String("ampm"));
      if (c == u'h' || c == u'H')
        return false;
      if (c == u'\'' || c == u'"')
        lQuoted = !lQuoted;
    }
    return false;
  }

  // The markers starting with "a" at aPos; returns the position after the marker.
  qsizetype AmPm(const QString& aFormat, qsizetype aPos, bool& aUse12Hour) {
    const bool lPm = FHour >= 12;
    if (StartsWithAt(aFormat, aPos, QLatin1String("am/pm"))) {
      // The marker keeps the pattern's own letter case: "am/pm" gives "pm", "AM/PM" "PM".
      FResult += aFormat.mid(lPm ? aPos + 3 : aPos, 2);
      aUse12Hour = true;
      return aPos + 5;
    }
    if (StartsWithAt(aFormat, aPos, QLatin1String("a/p"))) {
      FResult += aFormat[lPm ? aPos + 2 : aPos];
      aUse12Hour = true;
      return aPos + 3;
    }
    if (StartsWithAt(aFormat, aPos, QLatin1String("ampm"))) {
      FResult += lPm ? FSettings.TimePMString : FSettings.TimeAMString;
      aUse12Hour = true;
      return aPos + 4;
    }
    if (StartsWithAt(aFormat, aPos, QLatin1String("aaaa"))) {
      FResult += FSettings.LongDayNames[FDayOfWeek - 1];
      return aPos + 4;
    }
    if (StartsWithAt(aFormat, aPos, QLatin1String("aaa"))) {
      FResult += FSettings.ShortDayNames[FDayOfWeek - 1];
      return aPos + 3;
    }
    FResult += aFormat[aPos];
    return aPos + 1;
  }
};

// ----------------------------------------------------------------------------------------
// Parsing dates and times

class TScanner {
public:
  explicit TScanner(const QString& aText) : FText(aText) {}

  qsizetype Pos() const { return FPos; }
  bool AtEnd() const { return FPos >= FText.size(); }
  bool BlankBefore() const { return FPos > 0 && FText[FPos - 1] == u' '; }

  void Blanks() {
    while (FPos < FText.size() && FText[FPos] == u' ')
      ++FPos;
  }

  // A decimal number after optional blanks, at most four significant digits as the
  // original reads them; aDigits is the count of characters read.
  bool Number(int& aValue, int& aDigits) {
    Blanks();
    const qsizetype lStart = FPos;
    int lValue = 0;
    while (FPos < FText.size() && IsDigit(FText[FPos]) && lValue < 1000) {
      lValue = lValue * 10 + (FText[FPos].unicode() - u'0');
      ++FPos;
    }
    aDigits = static_cast<int>(FPos - lStart);
    aValue = lValue;
    return aDigits > 0;
  }

  bool Number(int& aValue) {
    int lDigits = 0;
    return Number(aValue, lDigits);
  }

  // Digits right here, read as a decimal fraction scaled to milliseconds (".5" is 500).
  bool Milliseconds(int& aValue) {
    const qsizetype lStart = FPos;
    int lValue = 0;
    while (FPos < FText.size() && IsDigit(FText[FPos])) {
      if (FPos - lStart < 3)
        lValue = lValue * 10 + (FText[FPos].unicode() - u'0');
      ++FPos;
    }
    const qsizetype lCount = FPos - lStart;
    for (qsizetype i = lCount; i < 3; ++i)
      lValue *= 10;
    aValue = lValue;
    return lCount > 0;
  }

  bool Char(QChar aChar) {
    Blanks();
    if (aChar.isNull() || FPos >= FText.size() || FText[FPos] != aChar)
      return false;
    ++FPos;
    return true;
  }

  bool Text(const QString& aWhat) {
    Blanks();
    if (aWhat.isEmpty() || !QStringView(FText).mid(FPos).startsWith(aWhat, Qt::CaseInsensitive))
      return false;
    FPos += aWhat.size();
    return true;
  }

private:
  const QString& FText;
  qsizetype FPos = 0;

  static bool IsDigit(QChar aChar) { return aChar >= u'0' && aChar <= u'9'; }
};

// The order of day, month and year in a date pattern: the first "d", "m" and "y" outside
// quotes. Letters the pattern lacks keep the order month, day, year.
struct TDateOrder {
  int Day = 1, Month = 0, Year = 2; // positions 0..2
};

TDateOrder DateOrder(const QString& aPattern) {
  qsizetype lDay = -1, lMonth = -1, lYear = -1;
  QChar lQuote;
  for (qsizetype i = 0; i < aPattern.size(); ++i) {
    const QChar c = aPattern[i];
    if (!lQuote.isNull()) {
      if (c == lQuote)
        lQuote = QChar();
      continue;
    }
    const char16_t lUpper = UpperAscii(c);
    if (c == u'"' || c == u'\'')
      lQuote = c;
    else if (lUpper == u'D' && lDay < 0)
      lDay = i;
    else if (lUpper == u'M' && lMonth < 0)
      lMonth = i;
    else if (lUpper == u'Y' && lYear < 0)
      lYear = i;
  }
  // Missing letters sort after the present ones, in the default order month, day, year.
  const auto lKey = [](qsizetype aPos, int aDefault) {
    return aPos < 0 ? INT_MAX - 2 + aDefault : static_cast<int64_t>(aPos);
  };
  const int64_t lKeys[3] = {lKey(lDay, 1), lKey(lMonth, 0), lKey(lYear, 2)};
  TDateOrder lResult;
  int* lFields[3] = {&lResult.Day, &lResult.Month, &lResult.Year};
  for (int i = 0; i < 3; ++i) {
    *lFields[i] = 0;
    for (int j = 0; j < 3; ++j)
      if (lKeys[j] < lKeys[i])
        ++*lFields[i];
  }
  return lResult;
}

bool ScanDate(TScanner& aScanner, const TFormatSettings& aSettings, TDateTime& aValue) {
  const QChar lSeparator = aSettings.DateSeparator;
  int lNumbers[3] = {};
  int lDigits[3] = {};
  if (!aScanner.Number(lNumbers[0], lDigits[0]) || !aScanner.Char(lSeparator) ||
      !aScanner.Number(lNumbers[1], lDigits[1]))
    return false;
  const TDateOrder lOrder = DateOrder(aSettings.ShortDateFormat);
  int lYear, lMonth, lDay;
  int lCurrentYear, lCurrentMonth, lCurrentDay;
  DecodeDate(Date(), lCurrentYear, lCurrentMonth, lCurrentDay);
  // A separator after the second number may also close a date without year ("24.12.").
  const bool lFullDate = aScanner.Char(lSeparator) && aScanner.Number(lNumbers[2], lDigits[2]);
  if (lFullDate) {
    lYear = lNumbers[lOrder.Year];
    lMonth = lNumbers[lOrder.Month];
    lDay = lNumbers[lOrder.Day];
    if (lDigits[lOrder.Year] <= 2) {
      // Two-digit years fall into the window that starts TwoDigitYearCenturyWindow years
      // before the current year.
      const int lWindow = aSettings.TwoDigitYearCenturyWindow;
      const int lCenturyBase = lCurrentYear - lWindow;
      lYear += lCenturyBase / 100 * 100;
      if (lWindow > 0 && lYear < lCenturyBase)
        lYear += 100;
    }
  } else {
    // Day and month of the current year, in the pattern's order of the two.
    lYear = lCurrentYear;
    const bool lDayFirst = lOrder.Day < lOrder.Month;
    lDay = lNumbers[lDayFirst ? 0 : 1];
    lMonth = lNumbers[lDayFirst ? 1 : 0];
  }
  // A closing separator is allowed after a full date as well ("24.12.2026.").
  if (lFullDate)
    aScanner.Char(lSeparator);
  aScanner.Blanks();
  return TryEncodeDate(lYear, lMonth, lDay, aValue);
}

bool ScanAmPm(TScanner& aScanner, const QString& aSetting, const char* aDefault) {
  return aScanner.Text(aSetting) || aScanner.Text(QString::fromLatin1(aDefault));
}

bool ScanTime(TScanner& aScanner, const TFormatSettings& aSettings, TDateTime& aValue) {
  int lBaseHour = -1;
  const auto lScanMarker = [&] {
    if (ScanAmPm(aScanner, aSettings.TimeAMString, "AM"))
      lBaseHour = 0;
    else if (ScanAmPm(aScanner, aSettings.TimePMString, "PM"))
      lBaseHour = 12;
  };
  lScanMarker();
  int lHour = 0, lMin = 0, lSec = 0, lMSec = 0;
  if (!aScanner.Number(lHour))
    return false;
  if (aScanner.Char(aSettings.TimeSeparator)) {
    if (!aScanner.Number(lMin))
      return false;
    if (aScanner.Char(aSettings.TimeSeparator)) {
      if (!aScanner.Number(lSec))
        return false;
      if (aScanner.Char(aSettings.DecimalSeparator) || aScanner.Char(u'.'))
        if (!aScanner.Milliseconds(lMSec))
          return false;
    }
  }
  if (lBaseHour < 0)
    lScanMarker();
  if (lBaseHour >= 0) {
    if (lHour == 0 || lHour > 12)
      return false;
    lHour = lHour % 12 + lBaseHour;
  }
  aScanner.Blanks();
  return TryEncodeTime(lHour, lMin, lSec, lMSec, aValue);
}

// ----------------------------------------------------------------------------------------
// FormatFloat

// Splits a number pattern at the ";" outside quotes.
QStringList Sections(const QString& aFormat) {
  QStringList lResult;
  QString lCurrent;
  QChar lQuote;
  for (const QChar c : aFormat) {
    if (!lQuote.isNull()) {
      if (c == lQuote)
        lQuote = QChar();
    } else if (c == u'"' || c == u'\'')
      lQuote = c;
    else if (c == u';') {
      lResult << lCurrent;
      lCurrent.clear();
      continue;
    }
    lCurrent += c;
  }
  lResult << lCurrent;
  return lResult;
}

bool IsExponentAt(const QString& aSection, qsizetype aPos) {
  return (aSection[aPos] == u'E' || aSection[aPos] == u'e') && aPos + 1 < aSection.size() &&
         (aSection[aPos + 1] == u'+' || aSection[aPos + 1] == u'-');
}

struct TNumberPattern {
  int IntPlaces = 0;  // digit placeholders before the decimal point
  int FracPlaces = 0; // after it
  int ForcedInt = 0;  // integer digits always written: from the first "0" to the point
  int ForcedFrac = 0; // decimals always written: up to the last "0"
  bool Thousands = false;
  bool Scientific = false;
};

TNumberPattern ScanSection(const QString& aSection) {
  TNumberPattern lResult;
  int lCount = 0, lDecimal = -1, lFirstZero = INT_MAX, lLastZero = 0;
  for (qsizetype i = 0; i < aSection.size(); ++i) {
    const QChar c = aSection[i];
    if (c == u'#')
      ++lCount;
    else if (c == u'0') {
      lFirstZero = std::min(lFirstZero, lCount);
      lLastZero = ++lCount;
    } else if (c == u'.') {
      if (lDecimal < 0)
        lDecimal = lCount;
    } else if (c == u',')
      lResult.Thousands = true;
    else if (IsExponentAt(aSection, i)) {
      lResult.Scientific = true;
      i += 2;
      while (i < aSection.size() && aSection[i] == u'0')
        ++i;
      --i;
    } else if (c == u'"' || c == u'\'') {
      const qsizetype lEnd = aSection.indexOf(c, i + 1);
      i = lEnd < 0 ? aSection.size() : lEnd;
    }
  }
  if (lDecimal < 0)
    lDecimal = lCount;
  lResult.IntPlaces = lDecimal;
  lResult.FracPlaces = lCount - lDecimal;
  lResult.ForcedInt = std::max(0, lDecimal - lFirstZero);
  lResult.ForcedFrac = std::max(0, lLastZero - lDecimal);
  return lResult;
}

// Writes the digits into the section: the integer digits aInt (already padded to the
// forced count) and the decimals aFrac fill the placeholders from the decimal point
// outwards; integer digits without a placeholder of their own go to the first one.
QString ApplySection(const QString& aSection, const TNumberPattern& aPattern,
                     const std::string& aInt, const std::string& aFrac, int aExponent, bool aMinus,
                     const TFormatSettings& aSettings) {
  QString lResult = aMinus ? QStringLiteral("-") : QString();
  const int lIntCount = static_cast<int>(aInt.size());
  const QChar lThousands = aPattern.Thousands ? aSettings.ThousandSeparator : QChar();
  // The integer digit that has aPlace - 1 digits after it.
  const auto lPutInt = [&](int aPlace) {
    lResult += QLatin1Char(aInt[lIntCount - aPlace]);
    if (aPlace > 1 && (aPlace - 1) % 3 == 0)
      AppendChar(lResult, lThousands);
  };
  int lPlaceholder = 0;
  for (qsizetype i = 0; i < aSection.size(); ++i) {
    const QChar c = aSection[i];
    if (c == u'#' || c == u'0') {
      if (lPlaceholder == 0) {
        const int lFirstPlace = std::max(aPattern.IntPlaces, 0);
        for (int lPlace = lIntCount; lPlace > lFirstPlace; --lPlace)
          lPutInt(lPlace);
      }
      if (lPlaceholder < aPattern.IntPlaces) {
        const int lPlace = aPattern.IntPlaces - lPlaceholder;
        if (lPlace <= lIntCount)
          lPutInt(lPlace);
      } else {
        const int lIndex = lPlaceholder - aPattern.IntPlaces;
        if (lIndex < static_cast<int>(aFrac.size())) {
          if (lIndex == 0)
            AppendChar(lResult, aSettings.DecimalSeparator);
          lResult += QLatin1Char(aFrac[lIndex]);
        }
      }
      ++lPlaceholder;
    } else if (c == u'.' || c == u',') {
      // Placed by the digits: the decimal separator before the first decimal written,
      // thousand separators between the groups.
    } else if (aPattern.Scientific && IsExponentAt(aSection, i)) {
      const bool lAlwaysSign = aSection[i + 1] == u'+';
      i += 2;
      int lMinDigits = 0;
      while (i < aSection.size() && aSection[i] == u'0') {
        ++lMinDigits;
        ++i;
      }
      --i;
      lResult += c;
      if (aExponent < 0)
        lResult += u'-';
      else if (lAlwaysSign)
        lResult += u'+';
      lResult += ExponentDigits(aExponent, lMinDigits);
    } else if (c == u'"' || c == u'\'') {
      const qsizetype lEnd = aSection.indexOf(c, i + 1);
      const qsizetype lStop = lEnd < 0 ? aSection.size() : lEnd;
      lResult += QStringView(aSection).mid(i + 1, lStop - i - 1);
      i = lStop;
    } else
      lResult += c;
  }
  return lResult;
}

QString FormatFloatText(const QString& aFormat, double aValue, const TFormatSettings& aSettings) {
  if (const auto lNonFinite = NonFiniteText(aValue))
    return *lNonFinite;
  const QStringList lSections = Sections(aFormat);
  // An empty section stands for the first one.
  const auto lSection = [&](int aIndex) {
    return aIndex < lSections.size() && !lSections[aIndex].isEmpty() ? aIndex : 0;
  };
  int lIndex = lSection(aValue > 0 ? 0 : aValue < 0 ? 1 : 2);
  TNumberPattern lPattern = ScanSection(lSections[lIndex]);
  TDecimal lValue = ToDecimal(aValue);
  const auto lRound = [&] {
    if (lPattern.Scientific)
      RoundDigits(lValue, std::min(lPattern.IntPlaces + lPattern.FracPlaces, cSignificantDigits));
    else
      RoundDecimals(lValue, lPattern.FracPlaces);
  };
  lRound();
  // A value that rounds to zero is written as zero: with the zero section if there is one,
  // and never with a minus sign.
  if (lValue.IsZero() && lIndex != lSection(2)) {
    lIndex = lSection(2);
    lPattern = ScanSection(lSections[lIndex]);
  }
  const QString& lText = lSections[lIndex];
  if (lText.isEmpty())
    return FloatToStr(aValue, aSettings);
  const bool lMinus = lValue.Negative && !lValue.IsZero() && lIndex != 1;

  std::string lInt, lFrac;
  int lExponent = 0;
  if (lPattern.Scientific) {
    if (!lValue.IsZero()) {
      for (int i = 0; i < lPattern.IntPlaces; ++i)
        lInt += DigitAt(lValue, i);
      if (static_cast<int>(lValue.Digits.size()) > lPattern.IntPlaces)
        lFrac = lValue.Digits.substr(lPattern.IntPlaces);
      lExponent = lValue.Exponent - lPattern.IntPlaces;
    }
  } else {
    lInt = IntegerDigits(lValue);
    for (int i = 0; i < lPattern.FracPlaces; ++i)
      lFrac += DigitAt(lValue, lValue.Exponent + i);
    while (!lFrac.empty() && lFrac.back() == '0')
      lFrac.pop_back();
  }
  if (static_cast<int>(lInt.size()) < lPattern.ForcedInt)
    lInt.insert(0, lPattern.ForcedInt - lInt.size(), '0');
  if (static_cast<int>(lFrac.size()) < lPattern.ForcedFrac)
    lFrac.append(lPattern.ForcedFrac - lFrac.size(), '0');
  return ApplySection(lText, lPattern, lInt, lFrac, lExponent, lMinus, aSettings);
}

} // namespace

QString Format(const QString& aTemplate, const TVarRecs& aArgs) {
  return Format(aTemplate, aArgs, FormatSettings());
}

QString Format(const QString& aTemplate, const TVarRecs& aArgs, const TFormatSettings& aSettings) {
  return TFormatter(aTemplate, aArgs, aSettings).Run();
}

QString FormatDateTime(const QString& aFormat, TDateTime aValue) {
  return FormatDateTime(aFormat, aValue, FormatSettings());
}

QString FormatDateTime(const QString& aFormat, TDateTime aValue, const TFormatSettings& aSettings) {
  TDateFormatter lFormatter(aValue, aSettings);
  // An empty pattern writes the date and time as "c" does.
  lFormatter.Append(aFormat.isEmpty() ? QStringLiteral("c") : aFormat);
  return lFormatter.Result();
}

QString DateToStr(TDateTime aValue) {
  return FormatDateTime(FormatSettings().ShortDateFormat, aValue);
}

QString TimeToStr(TDateTime aValue) {
  return FormatDateTime(FormatSettings().LongTimeFormat, aValue);
}

QString DateTimeToStr(TDateTime aValue) {
  return FormatDateTime(QStringLiteral("c"), aValue);
}

bool TryStrToDate(const QString& aText, TDateTime& aValue) {
  return TryStrToDate(aText, aValue, FormatSettings());
}

bool TryStrToDate(const QString& aText, TDateTime& aValue, const TFormatSettings& aSettings) {
  TScanner lScanner(aText);
  TDateTime lDate;
  if (!ScanDate(lScanner, aSettings, lDate) || !lScanner.AtEnd())
    return false;
  aValue = lDate;
  return true;
}

bool TryStrToTime(const QString& aText, TDateTime& aValue) {
  return TryStrToTime(aText, aValue, FormatSettings());
}

bool TryStrToTime(const QString& aText, TDateTime& aValue, const TFormatSettings& aSettings) {
  TScanner lScanner(aText);
  TDateTime lTime;
  if (!ScanTime(lScanner, aSettings, lTime) || !lScanner.AtEnd())
    return false;
  aValue = lTime;
  return true;
}

bool TryStrToDateTime(const QString& aText, TDateTime& aValue) {
  return TryStrToDateTime(aText, aValue, FormatSettings());
}

bool TryStrToDateTime(const QString& aText, TDateTime& aValue, const TFormatSettings& aSettings) {
  TScanner lScanner(aText);
  TDateTime lDate;
  if (!ScanDate(lScanner, aSettings, lDate))
    return false;
  TDateTime lTime;
  if (!lScanner.AtEnd()) {
    // The time must be apart from the date by at least one blank.
    if (!lScanner.BlankBefore() || !ScanTime(lScanner, aSettings, lTime) || !lScanner.AtEnd())
      return false;
  }
  aValue = lDate + lTime;
  return true;
}

QString FormatFloat(const QString& aFormat, double aValue) {
  return FormatFloat(aFormat, aValue, FormatSettings());
}

QString FormatFloat(const QString& aFormat, double aValue, const TFormatSettings& aSettings) {
  return FormatFloatText(aFormat, aValue, aSettings);
}

QString FloatToStr(double aValue) {
  return FloatToStr(aValue, FormatSettings());
}

QString FloatToStr(double aValue, const TFormatSettings& aSettings) {
  return GeneralText(aValue, cSignificantDigits, aSettings);
}
