#include "Qel.Shared.DeChipher.h"

QString TDeChipher::Cipher(const QString& AValue) const {
  return ShiftByKey(AValue, cKey, 1);
}

QString TDeChipher::Decipher(const QString& AValue) const {
  return ShiftByKey(AValue, cKey, -1);
}
