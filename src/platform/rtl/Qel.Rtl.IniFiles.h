#pragma once
// An INI file that behaves like the Windows private-profile functions: section and key names
// match without regard to letter case, a missing key gives the caller's default, and every
// write reaches the file at once. Writes replace the file atomically (a temporary file in the
// same folder, synced, then renamed over it), so a failed write leaves the old file intact.
//
// The file is held in memory between calls and read again whenever its identity, size or
// time stamps changed, so writes of other objects and processes are seen. Its text is 8-bit
// in the locale's codeset (UTF-8 here).
//
// Reading is forgiving: a missing or unreadable file reads as empty, binary bytes and
// overlong lines do no harm, a section header without its closing bracket is ignored (the
// keys after it stay in the section before), of duplicate keys the first one counts, as with
// the Windows functions, and sections that occur twice are read as one. Values are trimmed
// and lose surrounding double quotes, as with the Windows functions; a value written with
// leading or trailing blanks is put in quotes, so it reads back unchanged. When the file is
// rewritten, lines that are neither a section header, a key=value pair nor a comment are
// dropped, NUL bytes become blanks, and the line ends (CR LF or LF) and a leading byte-order
// mark are kept as the file had them.
//
// Write operations return whether the file now holds the change; they fail quietly (a
// missing folder, a full disk) and log nothing. Section and key names are trimmed; an empty
// name reads the default and writes nothing.

#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Object.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class TIniFileCache;

class TIniFile : public TObject {
  QEL_CLASS("System.IniFiles", TIniFile)

public:
  explicit TIniFile(const QString& aFileName);
  ~TIniFile() override;
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const QString& FileName() const { return FFileName; }

  QString ReadString(const QString& aSection, const QString& aIdent, const QString& aDefault) const;
  bool WriteString(const QString& aSection, const QString& aIdent, const QString& aValue);
  // Decimal, or hexadecimal with "0x" or "$"; anything else gives the default.
  int32_t ReadInteger(const QString& aSection, const QString& aIdent, int32_t aDefault) const;
  bool WriteInteger(const QString& aSection, const QString& aIdent, int32_t aValue);
  int64_t ReadInt64(const QString& aSection, const QString& aIdent, int64_t aDefault) const;
  bool WriteInt64(const QString& aSection, const QString& aIdent, int64_t aValue);
  // An integer value other than 0 is true; written as "1" or "0".
  bool ReadBool(const QString& aSection, const QString& aIdent, bool aDefault) const;
  bool WriteBool(const QString& aSection, const QString& aIdent, bool aValue);
  // Numbers, dates and times in the user's format settings; an unreadable text gives the
  // default.
  double ReadFloat(const QString& aSection, const QString& aIdent, double aDefault) const;
  bool WriteFloat(const QString& aSection, const QString& aIdent, double aValue);
  TDateTime ReadDateTime(const QString& aSection, const QString& aIdent, TDateTime aDefault) const;
  bool WriteDateTime(const QString& aSection, const QString& aIdent, TDateTime aValue);
  TDateTime ReadDate(const QString& aSection, const QString& aIdent, TDateTime aDefault) const;
  bool WriteDate(const QString& aSection, const QString& aIdent, TDateTime aValue);
  TDateTime ReadTime(const QString& aSection, const QString& aIdent, TDateTime aDefault) const;
  bool WriteTime(const QString& aSection, const QString& aIdent, TDateTime aValue);

  // A section exists when it holds at least one key (an empty header does not count).
  bool SectionExists(const QString& aSection) const;
  bool ValueExists(const QString& aSection, const QString& aIdent) const;
  // Key names of a section, in file order.
  void ReadSection(const QString& aSection, QStringList& aStrings) const;
  // Section names, in file order (empty sections included).
  void ReadSections(QStringList& aStrings) const;
  // "key=value" lines of a section, in file order.
  void ReadSectionValues(const QString& aSection, QStringList& aStrings) const;
  // Removing what is not there succeeds without touching the file.
  bool EraseSection(const QString& aSection);
  bool DeleteKey(const QString& aSection, const QString& aIdent);
  // Every write is on disk already; this only makes the next call read the file again.
  void UpdateFile();
  // How many writes could not reach the file since this object was created.
  int FailedWrites() const;

private:
  QString FFileName;
  // Reads refresh the cache, hence it is changed also by const operations.
  std::unique_ptr<TIniFileCache> FCache;
};
