#pragma once
// Reads what the code under test logged: empties the logger's buffer when created and hands
// out copies of the records buffered since.

#include "Qel.Shared.Logging.h"

#include <vector>

class TLogCapture {
public:
  TLogCapture();
  std::vector<TLoggingData> Records() const;
  // Records of the type whose text contains aText (ignoring case).
  qsizetype Count(TLogTyp aTyp, const QString& aText = QString()) const;
  bool Contains(TLogTyp aTyp, const QString& aText) const { return Count(aTyp, aText) > 0; }
  void Clear() const;
};
