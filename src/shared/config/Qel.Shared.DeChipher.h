#pragma once
// The character-shift cipher for settings that keep their passwords in plain text in memory
// (the mail accounts of the import/export settings).

#include "Qel.Shared.StrFunc.h"

#include <QString>

class TDeChipher {
public:
  static constexpr const char* cKey = cQelCipherKey;

  QString Cipher(const QString& AValue) const;
  QString Decipher(const QString& AValue) const;
};
