#pragma once
// Text helpers of the framework.

#include <QString>
#include <QStringList>

class TIBCConnection;
class TIBCQuery;

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

  // Fills a text template: lines starting with "REM" (any case) are dropped, then every
  // varPrefix + field name + varPostfix (any case) gets the value of that field in the
  // query's current row, then the built-in values of the connection form below.
  static QString PerformTemplateReplace(const QString& Template, const TIBCQuery* DataSetRecord,
                                        const QString& varPrefix, const QString& varPostfix);
  // The built-in placeholders __TODAY, __TIME, __SSL_NAME (setting ANSCHRIFT / ssName),
  // __CURRENCY, __CONNECT_DB, __CONNECT_USER and __CONNECT_PWD, each used when the upper-cased
  // text holds it as formed. Text put in by a replacement is never searched again, so values
  // from the database cannot pull in other values (such as the password).
  static QString PerformTemplateReplace(const TIBCConnection* AConnection, const QString& Template,
                                        const QString& varPrefix, const QString& varPostfix);

  // The character-shift cipher of user names and passwords: each 16-bit code unit is moved by
  // the key letter of its position (A = 1 .. Z = 26, the four letters repeating), wrapping
  // around at 65536. It keeps credentials from casual reading of the INI file, no more.
  static QString Cipher(const QString& AValue);
  static QString Decipher(const QString& AValue);
  // A text encrypted by EncryptQel, decrypted; empty for an empty text and on any failure
  // (bad Base64, too short, wrong MAC).
  static QString DecryptQel(const QString& AText);
  // The matching encryption: Base64 of a random 16-byte seed, the UTF-16 text encrypted with
  // AES in CBCx mode under a key derived from the seed, and the cipher's MAC. Empty when the
  // cipher fails.
  static QString EncryptQel(const QString& AText);
  // Each byte as two upper-case hexadecimal digits.
  static QString StringToHex(const QByteArray& S);
};

// The key letters of the character-shift cipher; part of the INI file format: files written
// with other letters do not read back.
inline constexpr char cQelCipherKey[] = "QELU";

// Shifts each code unit of aValue by the key letter of its position, forward for aDirection 1
// and backward for -1.
QString ShiftByKey(const QString& aValue, const char* aKey, int aDirection);
