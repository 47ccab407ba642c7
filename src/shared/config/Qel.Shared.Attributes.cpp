#include "Qel.Shared.Attributes.h"

#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"

#include <QRegularExpression>
#include <cmath>

QString TRTTIFieldHelper::GetFieldName(const TFieldInfo& aField) {
  if (aField.Attribute)
    return aField.Attribute->Name();
  return aField.Name.mid(1);
}

QString TRTTIFieldHelper::GetJsonName(const TFieldInfo& aField) {
  QString lName = aField.Name.startsWith(u'F') ? aField.Name.mid(1) : aField.Name;
  if (!lName.isEmpty())
    lName[0] = lName[0].toLower();
  return lName;
}

QString DateTimeToJsonText(TDateTime aValue) {
  int lYear = 0, lMonth = 0, lDay = 0, lHour = 0, lMin = 0, lSec = 0, lMSec = 0;
  DecodeDate(aValue, lYear, lMonth, lDay);
  DecodeTime(aValue, lHour, lMin, lSec, lMSec);
  return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", lYear, lMonth, lDay, lHour, lMin,
                           lSec, lMSec);
}

bool JsonTextToDateTime(const QString& aText, TDateTime& aValue) {
  // The zone is accepted but not applied: the text carries the stored value as it is.
  static const QRegularExpression cIso(QStringLiteral(
      R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2})(?:[.,](\d+))?)?)?)"
      R"((?:Z|[+-]\d{2}(?::?\d{2})?)?$)"));
  const QRegularExpressionMatch lMatch = cIso.match(aText.trimmed());
  if (!lMatch.hasMatch())
    return false;
  const auto lNumber = [&](int aGroup) { return lMatch.captured(aGroup).toInt(); };
  const int lMSec = (lMatch.captured(7) + QStringLiteral("00")).left(3).toInt();
  TDateTime lDate;
  TDateTime lTime;
  if (!TryEncodeDate(lNumber(1), lNumber(2), lNumber(3), lDate) ||
      !TryEncodeTime(lNumber(4), lNumber(5), lNumber(6), lMSec, lTime))
    return false;
  aValue = lDate + lTime;
  return true;
}

TDateTime VariantToDateTime(const TVariant& aValue) {
  return std::visit(
      [&](const auto& aItem) -> TDateTime {
        using T = std::decay_t<decltype(aItem)>;
        if constexpr (std::is_same_v<T, TDateTime>)
          return aItem;
        else if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TVariant::TNull>)
          return TDateTime();
        else if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t> ||
                           std::is_same_v<T, double>) {
          TDateTime lResult;
          if (!TDateTime::TryFromDays(static_cast<double>(aItem), lResult))
            throw EConvertError(
                QStringLiteral("'%1' is not a valid date and time").arg(aValue.AsString()));
          return lResult;
        } else if constexpr (std::is_same_v<T, QString>) {
          TDateTime lResult;
          if (!TryStrToDateTime(aItem, lResult))
            throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(aItem));
          return lResult;
        } else
          throw EConvertError(
              QStringLiteral("'%1' is not a valid date and time").arg(aValue.AsString()));
      },
      aValue.Value());
}

int64_t VariantToRange(const TVariant& aValue, int64_t aMin, int64_t aMax) {
  const int64_t lValue = aValue.AsInt64();
  if (lValue < aMin || lValue > aMax)
    throw ERangeError(QStringLiteral("%1 is not within %2 .. %3").arg(lValue).arg(aMin).arg(aMax));
  return lValue;
}
