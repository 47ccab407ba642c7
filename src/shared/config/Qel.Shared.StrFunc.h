#pragma once
// Text helpers of the framework.

#include <QString>
#include <QStringList>

class TQelStringFunctions {
public:
  // Splits S at every occurrence of aBorder (case-sensitive) and appends the parts to a;
  // returns the number of parts. An empty S gives 0; an empty border gives S as one part.
  static int Explode(QStringList& a, const QString& aBorder, const QString& S);
  // A comparison key: trimmed, lower case, no blanks, "-" or "_", umlauts and ß spelt out.
  static QString Normalize(const QString& aStr);
  // Appends the note to the memo text unless the memo already holds it (ignoring case);
  // a non-empty memo gets a line "<dd.mm.yy>" before the note.
  static QString AddMemoToMemo(const QString& aOrg, const QString& aNew);
};
