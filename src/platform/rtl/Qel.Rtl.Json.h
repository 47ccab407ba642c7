#pragma once
// The one JSON writer and reader of the framework (over QJsonDocument): string lists and
// objects to text and back. Readers return false for text that is no such document.

#include <QJsonObject>
#include <QString>
#include <QStringList>

QString JsonFromStringList(const QStringList& aList);
bool StringListFromJson(const QString& aText, QStringList& aList);

QString JsonFromObject(const QJsonObject& aObject);
bool ObjectFromJson(const QString& aText, QJsonObject& aObject);
