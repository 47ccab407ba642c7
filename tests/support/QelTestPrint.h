#pragma once
// Lets GoogleTest print Qt texts readably in failure messages (included into every test).

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& aText, std::ostream* aOut) {
  *aOut << '"' << aText.toStdString() << '"';
}

inline void PrintTo(const QStringList& aList, std::ostream* aOut) {
  *aOut << '{';
  for (qsizetype i = 0; i < aList.size(); ++i)
    *aOut << (i ? ", \"" : "\"") << aList[i].toStdString() << '"';
  *aOut << '}';
}
