#include "Qel.Rtl.Variant.h"

#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"

#include <charconv>
#include <cmath>

namespace {

// The digits of a text with an optional sign, surrounding blanks allowed; nullopt when the
// text is anything else.
std::optional<QByteArray> Latin1Number(const QString& aText, QChar aDecimalSeparator) {
  const QString lText = aText.trimmed();
  QByteArray lResult;
  for (qsizetype i = 0; i < lText.size(); ++i) {
    const QChar c = lText[i];
    if (!aDecimalSeparator.isNull() && c == aDecimalSeparator)
      lResult += '.';
    else if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'e' || c == u'E')
      lResult += static_cast<char>(c.unicode());
    else
      return std::nullopt;
  }
  // from_chars takes no plus sign.
  if (lResult.startsWith('+'))
    lResult.remove(0, 1);
  if (lResult.isEmpty())
    return std::nullopt;
  return lResult;
}

bool ParseInt64(const QString& aText, int64_t& aValue) {
  const auto lText = Latin1Number(aText, QChar());
  if (!lText)
    return false;
  const char* lEnd = lText->constData() + lText->size();
  const auto lParsed = std::from_chars(lText->constData(), lEnd, aValue);
  return lParsed.ec == std::errc() && lParsed.ptr == lEnd;
}

// A float in the user's notation (the settings' decimal separator, optional exponent).
bool ParseDouble(const QString& aText, double& aValue) {
  const auto lText = Latin1Number(aText, FormatSettings().DecimalSeparator);
  if (!lText)
    return false;
  const char* lEnd = lText->constData() + lText->size();
  const auto lParsed = std::from_chars(lText->constData(), lEnd, aValue);
  return lParsed.ec == std::errc() && lParsed.ptr == lEnd;
}

[[noreturn]] void ConversionError(const QString& aText, const char* aKind) {
  throw EConvertError(
      QStringLiteral("'%1' is not a valid %2 value").arg(aText, QLatin1String(aKind)));
}

} // namespace

QString TVariant::AsString() const {
  return std::visit(
      [](const auto& aValue) -> QString {
        using T = std::decay_t<decltype(aValue)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TNull>)
          return QString();
        else if constexpr (std::is_same_v<T, bool>)
          return aValue ? QStringLiteral("True") : QStringLiteral("False");
        else if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t>)
          return QString::number(aValue);
        else if constexpr (std::is_same_v<T, double>)
          return FloatToStr(aValue);
        else if constexpr (std::is_same_v<T, QString>)
          return aValue;
        else
          return DateTimeToStr(aValue);
      },
      FValue);
}

int64_t TVariant::AsInt64() const {
  return std::visit(
      [](const auto& aValue) -> int64_t {
        using T = std::decay_t<decltype(aValue)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TNull>)
          return 0;
        else if constexpr (std::is_same_v<T, bool>)
          return aValue ? -1 : 0; // the runtime's True as an integer
        else if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t>)
          return aValue;
        else if constexpr (std::is_same_v<T, double>) {
          // 2^63 is the first double beyond the range.
          if (!std::isfinite(aValue) || std::fabs(aValue) >= 9223372036854775807.0)
            ConversionError(FloatToStr(aValue), "integer");
          return std::llround(aValue);
        } else if constexpr (std::is_same_v<T, QString>) {
          int64_t lResult = 0;
          if (!ParseInt64(aValue, lResult))
            ConversionError(aValue, "integer");
          return lResult;
        } else
          return aValue.Day();
      },
      FValue);
}

bool TVariant::AsBoolean() const {
  return std::visit(
      [](const auto& aValue) -> bool {
        using T = std::decay_t<decltype(aValue)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TNull>)
          return false;
        else if constexpr (std::is_same_v<T, bool>)
          return aValue;
        else if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t> ||
                           std::is_same_v<T, double>)
          return aValue != 0;
        else if constexpr (std::is_same_v<T, QString>) {
          const QString lText = aValue.trimmed();
          if (lText.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
          if (lText.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
          double lNumber = 0;
          if (!ParseDouble(lText, lNumber))
            ConversionError(aValue, "boolean");
          return lNumber != 0;
        } else
          return aValue.MSecs() != 0;
      },
      FValue);
}

double TVariant::AsDouble() const {
  return std::visit(
      [](const auto& aValue) -> double {
        using T = std::decay_t<decltype(aValue)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TNull>)
          return 0;
        else if constexpr (std::is_same_v<T, bool>)
          return aValue ? -1 : 0;
        else if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t>)
          return static_cast<double>(aValue);
        else if constexpr (std::is_same_v<T, double>)
          return aValue;
        else if constexpr (std::is_same_v<T, QString>) {
          double lResult = 0;
          if (!ParseDouble(aValue, lResult))
            ConversionError(aValue, "floating point");
          return lResult;
        } else
          return aValue.AsDays();
      },
      FValue);
}

bool TVariant::operator==(const TVariant& aOther) const {
  const auto lInteger = [](const TValue& aValue) -> std::optional<int64_t> {
    if (const auto* l32 = std::get_if<int32_t>(&aValue))
      return *l32;
    if (const auto* l64 = std::get_if<int64_t>(&aValue))
      return *l64;
    return std::nullopt;
  };
  const auto lLeft = lInteger(FValue);
  const auto lRight = lInteger(aOther.FValue);
  if (lLeft && lRight)
    return *lLeft == *lRight;
  return FValue == aOther.FValue;
}
