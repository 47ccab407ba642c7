#include "Qel.Rtl.Json.h"

#include <QJsonArray>
#include <QJsonDocument>

QString JsonFromStringList(const QStringList& aList) {
  return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(aList)).toJson(QJsonDocument::Indented));
}

bool StringListFromJson(const QString& aText, QStringList& aList) {
  QJsonParseError lError{};
  const QJsonDocument lDoc = QJsonDocument::fromJson(aText.toUtf8(), &lError);
  if (lError.error != QJsonParseError::NoError || !lDoc.isArray())
    return false;
  QStringList lResult;
  for (const QJsonValue& lValue : lDoc.array()) {
    if (!lValue.isString())
      return false;
    lResult << lValue.toString();
  }
  aList = lResult;
  return true;
}

QString JsonFromObject(const QJsonObject& aObject) {
  return QString::fromUtf8(QJsonDocument(aObject).toJson(QJsonDocument::Indented));
}

bool ObjectFromJson(const QString& aText, QJsonObject& aObject) {
  QJsonParseError lError{};
  const QJsonDocument lDoc = QJsonDocument::fromJson(aText.toUtf8(), &lError);
  if (lError.error != QJsonParseError::NoError || !lDoc.isObject())
    return false;
  aObject = lDoc.object();
  return true;
}
