#include "Qel.Rtl.IniFiles.h"

#include "Qel.Rtl.SysUtils.h"

#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.Variant.h"

#include <QChar>
#include <QFile>

// Plain 8-bit storage: the text stays in the locale's codeset, SimpleIni converts nothing.
// The template's bodies are compiled here, for the case-insensitive order of our own.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// The next code point of a UTF-8 text, folded for case-insensitive matching. A byte that
// starts no valid sequence stands for itself, above the range of code points, so that
// names that are no valid UTF-8 still compare consistently.
char32_t NextFolded(const unsigned char*& p) {
  const unsigned char c = *p;
  int lLength = 0;
  char32_t lCode = 0;
  if (c < 0x80) {
    ++p;
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
  } else if ((c & 0xE0) == 0xC0) {
    lLength = 2;
    lCode = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    lLength = 3;
    lCode = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    lLength = 4;
    lCode = c & 0x07;
  }
  for (int i = 1; i < lLength; ++i) {
    if ((p[i] & 0xC0) != 0x80) {
      lLength = 0;
      break;
    }
    lCode = (lCode << 6) | (p[i] & 0x3F);
  }
  if (lLength == 0 || lCode > 0x10FFFF) {
    ++p;
    return 0x110000 + c;
  }
  p += lLength;
  return QChar::toCaseFolded(lCode);
}

// Orders names without regard to letter case, also beyond ASCII (the private-profile
// functions ignore case for every letter).
struct TNoCaseLess {
  bool operator()(const char* aLeft, const char* aRight) const {
    auto l = reinterpret_cast<const unsigned char*>(aLeft);
    auto r = reinterpret_cast<const unsigned char*>(aRight);
    while (*l && *r) {
      const char32_t lc = NextFolded(l);
      const char32_t rc = NextFolded(r);
      if (lc != rc)
        return lc < rc;
    }
    return !*l && *r;
  }
};

using TSimpleIni = CSimpleIniTempl<char, TNoCaseLess, SI_ConvertA<char>>;

// Collects the saved text; SimpleIni puts two blank lines between sections, one is enough.
class TTextWriter : public TSimpleIni::OutputWriter {
public:
  explicit TTextWriter(std::string& aText) : FText(aText) {}
  void Write(const char* aText) override {
    if (std::strcmp(aText, "\n") == 0 && FText.ends_with("\n\n"))
      return;
    FText.append(aText);
  }

private:
  std::string& FText;
};

// What identifies the state of the file on disk; a rename over it changes the inode.
struct TFileStamp {
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  int64_t MTime = 0;
  int64_t CTime = 0;
  bool operator==(const TFileStamp&) const = default;
};

int64_t Nanoseconds(const timespec& aTime) {
  return static_cast<int64_t>(aTime.tv_sec) * 1000000000 + aTime.tv_nsec;
}

TFileStamp StampOf(const QByteArray& aNativeName) {
  struct stat lStat {};
  TFileStamp lResult;
  if (::stat(aNativeName.constData(), &lStat) != 0 || !S_ISREG(lStat.st_mode))
    return lResult;
  lResult.Exists = true;
  lResult.Device = lStat.st_dev;
  lResult.Inode = lStat.st_ino;
  lResult.Size = lStat.st_size;
  lResult.MTime = Nanoseconds(lStat.st_mtim);
  lResult.CTime = Nanoseconds(lStat.st_ctim);
  return lResult;
}

// Prepares raw file text for the parser: NUL bytes (which would end the text early) become
// blanks, and a line that opens a section header without closing it is blanked out, so
// that it neither starts a section nor swallows the lines after it.
void Sanitize(QByteArray& aData) {
  char* p = aData.data();
  char* const lEnd = p + aData.size();
  for (char* q = p; q < lEnd; ++q)
    if (*q == '\0')
      *q = ' ';
  while (p < lEnd) {
    char* lLineEnd = p;
    while (lLineEnd < lEnd && *lLineEnd != '\n' && *lLineEnd != '\r')
      ++lLineEnd;
    char* q = p;
    while (q < lLineEnd && (*q == ' ' || *q == '\t'))
      ++q;
    if (q < lLineEnd && *q == '[' && std::find(q, lLineEnd, ']') == lLineEnd)
      std::fill(q, lLineEnd, ' ');
    p = lLineEnd + 1;
  }
}

// A section or key name as stored: trimmed, without line breaks; empty means invalid.
QByteArray NameBytes(const QString& aName) {
  QString lName = aName;
  for (QChar& c : lName)
    if (c == u'\0' || c == u'\r' || c == u'\n')
      c = u' ';
  return lName.trimmed().toLocal8Bit();
}

// A value as stored: a line break or NUL would split or cut the line, so they become blanks.
QByteArray ValueBytes(const QString& aValue) {
  QString lValue = aValue;
  for (QChar& c : lValue)
    if (c == u'\0' || c == u'\r' || c == u'\n')
      c = u' ';
  return lValue.toLocal8Bit();
}

// Decimal, or hexadecimal after "0x" or "$", with an optional sign.
std::optional<int64_t> ParseInteger(const QString& aText) {
  QByteArray lText = aText.trimmed().toLatin1();
  bool lNegative = false;
  if (lText.startsWith('-') || lText.startsWith('+')) {
    lNegative = lText.startsWith('-');
    lText.remove(0, 1);
  }
  int lBase = 10;
  if (lText.startsWith("0x") || lText.startsWith("0X")) {
    lBase = 16;
    lText.remove(0, 2);
  } else if (lText.startsWith('$')) {
    lBase = 16;
    lText.remove(0, 1);
  }
  if (lText.isEmpty())
    return std::nullopt;
  uint64_t lValue = 0;
  const char* lEnd = lText.constData() + lText.size();
  const auto lParsed = std::from_chars(lText.constData(), lEnd, lValue, lBase);
  if (lParsed.ec != std::errc() || lParsed.ptr != lEnd)
    return std::nullopt;
  if (lBase == 10 && lValue > (lNegative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX)))
    return std::nullopt;
  // Hexadecimal digits are a bit pattern: $FFFFFFFFFFFFFFFF is -1.
  const auto lSigned = static_cast<int64_t>(lValue);
  return lNegative ? static_cast<int64_t>(0 - static_cast<uint64_t>(lSigned)) : lSigned;
}

} // namespace

// The parsed file and what it looked like on disk when it was read.
class TIniFileCache {
public:
  explicit TIniFileCache(const QString& aFileName)
      : FFileName(aFileName), FNativeName(QFile::encodeName(aFileName)) {}

  // The current content: read again when the file changed since it was last read.
  TSimpleIni& Ini() {
    const TFileStamp lStamp = StampOf(FNativeName);
    if (!FIni || !FStamp || *FStamp != lStamp) {
      QByteArray lData;
      FUnreadable = false;
      if (lStamp.Exists) {
        QFile lFile(FFileName);
        if (lFile.open(QIODevice::ReadOnly))
          lData = lFile.readAll();
        else
          FUnreadable = true;
      }
      const qsizetype lFirstLF = lData.indexOf('\n');
      FCrLf = lFirstLF > 0 && lData.at(lFirstLF - 1) == '\r';
      FBom = lData.startsWith("\xEF\xBB\xBF");
      Parse(lData);
      FStamp = lStamp;
    }
    return *FIni;
  }

  // Writes the content atomically. Afterwards the cache holds what the file now says (the
  // text is parsed again, so the cache reads exactly as any other reader of the file);
  // after a failure it is dropped, so the next call reads the unchanged file.
  bool Commit() {
    std::string lText;
    TTextWriter lWriter(lText);
    // A file that exists but could not be read would be written as if it were empty: every
    // key it holds would be lost.
    if (!FIni || FUnreadable || FIni->Save(lWriter, FBom) < 0) {
      Invalidate();
      ++FFailedWrites;
      return false;
    }
    QByteArray lData = QByteArray::fromStdString(lText);
    if (FCrLf)
      lData.replace("\n", "\r\n");
    QString lError;
    if (!SaveFileAtomically(FFileName, lData, lError)) {
      Invalidate();
      ++FFailedWrites;
      return false;
    }
    Parse(lData);
    FStamp = StampOf(FNativeName);
    return true;
  }

  void Invalidate() { FStamp.reset(); }
  int FailedWrites() const { return FFailedWrites; }

private:
  void Parse(QByteArray aData) {
    Sanitize(aData);
    auto lIni = std::make_unique<TSimpleIni>(false, true, false);
    lIni->SetSpaces(false);
    lIni->SetQuotes(true);
    if (lIni->LoadData(aData.constData(), static_cast<size_t>(aData.size())) < 0)
      lIni->Reset();
    FIni = std::move(lIni);
  }

  QString FFileName;
  QByteArray FNativeName;
  std::unique_ptr<TSimpleIni> FIni;
  std::optional<TFileStamp> FStamp;
  int FFailedWrites = 0;
  bool FCrLf = false;
  bool FBom = false;
  bool FUnreadable = false;
};

TIniFile::TIniFile(const QString& aFileName)
    : FFileName(aFileName), FCache(std::make_unique<TIniFileCache>(aFileName)) {}

TIniFile::~TIniFile() = default;

QString TIniFile::ReadString(const QString& aSection, const QString& aIdent,
                             const QString& aDefault) const {
  const QByteArray lSection = NameBytes(aSection);
  const QByteArray lIdent = NameBytes(aIdent);
  if (lSection.isEmpty() || lIdent.isEmpty())
    return aDefault;
  const char* lValue = FCache->Ini().GetValue(lSection.constData(), lIdent.constData(), nullptr);
  return lValue ? QString::fromLocal8Bit(lValue) : aDefault;
}

bool TIniFile::WriteString(const QString& aSection, const QString& aIdent, const QString& aValue) {
  const QByteArray lSection = NameBytes(aSection);
  QByteArray lIdent = NameBytes(aIdent);
  if (lSection.isEmpty() || lIdent.isEmpty())
    return false;
  const QByteArray lValue = ValueBytes(aValue);
  TSimpleIni& lIni = FCache->Ini();
  const char* lOld = lIni.GetValue(lSection.constData(), lIdent.constData(), nullptr);
  if (lOld && lValue == lOld)
    return true;
  // An existing key keeps its spelling in the file.
  if (const TSimpleIni::TKeyVal* lKeys = lIni.GetSection(lSection.constData())) {
    const auto lKey = lKeys->find(TSimpleIni::Entry(lIdent.constData()));
    if (lKey != lKeys->end())
      lIdent = QByteArray(lKey->first.pItem);
  }
  // Replacing removes duplicates of the key; the value takes the place of the first one.
  if (lIni.SetValue(lSection.constData(), lIdent.constData(), lValue.constData(), nullptr, true) <
      0) {
    FCache->Invalidate();
    return false;
  }
  return FCache->Commit();
}

int64_t TIniFile::ReadInt64(const QString& aSection, const QString& aIdent,
                            int64_t aDefault) const {
  return ParseInteger(ReadString(aSection, aIdent, QString())).value_or(aDefault);
}

bool TIniFile::WriteInt64(const QString& aSection, const QString& aIdent, int64_t aValue) {
  return WriteString(aSection, aIdent, QString::number(aValue));
}

int32_t TIniFile::ReadInteger(const QString& aSection, const QString& aIdent,
                              int32_t aDefault) const {
  const QString lText = ReadString(aSection, aIdent, QString());
  const std::optional<int64_t> lValue = ParseInteger(lText);
  if (!lValue)
    return aDefault;
  // Hexadecimal texts up to eight digits are 32-bit patterns ($FFFFFFFF is -1).
  const bool lHex = lText.contains(u'$') || lText.contains(u'x', Qt::CaseInsensitive);
  if (lHex && *lValue >= 0 && *lValue <= int64_t(UINT32_MAX))
    return static_cast<int32_t>(static_cast<uint32_t>(*lValue));
  if (*lValue < INT32_MIN || *lValue > INT32_MAX)
    return aDefault;
  return static_cast<int32_t>(*lValue);
}

bool TIniFile::WriteInteger(const QString& aSection, const QString& aIdent, int32_t aValue) {
  return WriteString(aSection, aIdent, QString::number(aValue));
}

bool TIniFile::ReadBool(const QString& aSection, const QString& aIdent, bool aDefault) const {
  return ReadInteger(aSection, aIdent, aDefault ? 1 : 0) != 0;
}

bool TIniFile::WriteBool(const QString& aSection, const QString& aIdent, bool aValue) {
  return WriteString(aSection, aIdent, aValue ? QStringLiteral("1") : QStringLiteral("0"));
}

double TIniFile::ReadFloat(const QString& aSection, const QString& aIdent, double aDefault) const {
  const QString lText = ReadString(aSection, aIdent, QString());
  if (lText.trimmed().isEmpty())
    return aDefault;
  try {
    return TVariant(lText).AsDouble();
  } catch (const EConvertError&) {
    return aDefault;
  }
}

bool TIniFile::WriteFloat(const QString& aSection, const QString& aIdent, double aValue) {
  return WriteString(aSection, aIdent, FloatToStr(aValue));
}

TDateTime TIniFile::ReadDateTime(const QString& aSection, const QString& aIdent,
                                 TDateTime aDefault) const {
  TDateTime lValue;
  return TryStrToDateTime(ReadString(aSection, aIdent, QString()), lValue) ? lValue : aDefault;
}

bool TIniFile::WriteDateTime(const QString& aSection, const QString& aIdent, TDateTime aValue) {
  return WriteString(aSection, aIdent, DateTimeToStr(aValue));
}

TDateTime TIniFile::ReadDate(const QString& aSection, const QString& aIdent,
                             TDateTime aDefault) const {
  TDateTime lValue;
  return TryStrToDate(ReadString(aSection, aIdent, QString()), lValue) ? lValue : aDefault;
}

bool TIniFile::WriteDate(const QString& aSection, const QString& aIdent, TDateTime aValue) {
  return WriteString(aSection, aIdent, DateToStr(aValue));
}

TDateTime TIniFile::ReadTime(const QString& aSection, const QString& aIdent,
                             TDateTime aDefault) const {
  TDateTime lValue;
  return TryStrToTime(ReadString(aSection, aIdent, QString()), lValue) ? lValue : aDefault;
}

bool TIniFile::WriteTime(const QString& aSection, const QString& aIdent, TDateTime aValue) {
  return WriteString(aSection, aIdent, TimeToStr(aValue));
}

bool TIniFile::SectionExists(const QString& aSection) const {
  const QByteArray lSection = NameBytes(aSection);
  if (lSection.isEmpty())
    return false;
  const TSimpleIni::TKeyVal* lKeys = FCache->Ini().GetSection(lSection.constData());
  return lKeys && !lKeys->empty();
}

bool TIniFile::ValueExists(const QString& aSection, const QString& aIdent) const {
  const QByteArray lSection = NameBytes(aSection);
  const QByteArray lIdent = NameBytes(aIdent);
  if (lSection.isEmpty() || lIdent.isEmpty())
    return false;
  return FCache->Ini().GetValue(lSection.constData(), lIdent.constData(), nullptr) != nullptr;
}

void TIniFile::ReadSection(const QString& aSection, QStringList& aStrings) const {
  aStrings.clear();
  const QByteArray lSection = NameBytes(aSection);
  if (lSection.isEmpty())
    return;
  TSimpleIni::TNamesDepend lKeys;
  FCache->Ini().GetAllKeys(lSection.constData(), lKeys);
  lKeys.sort(TSimpleIni::Entry::LoadOrder());
  for (const TSimpleIni::Entry& lKey : lKeys)
    aStrings << QString::fromLocal8Bit(lKey.pItem);
}

void TIniFile::ReadSections(QStringList& aStrings) const {
  aStrings.clear();
  TSimpleIni::TNamesDepend lSections;
  FCache->Ini().GetAllSections(lSections);
  lSections.sort(TSimpleIni::Entry::LoadOrder());
  // Lines before the first header belong to no section a caller could name.
  for (const TSimpleIni::Entry& lSection : lSections)
    if (*lSection.pItem)
      aStrings << QString::fromLocal8Bit(lSection.pItem);
}

void TIniFile::ReadSectionValues(const QString& aSection, QStringList& aStrings) const {
  aStrings.clear();
  const QByteArray lSection = NameBytes(aSection);
  if (lSection.isEmpty())
    return;
  TSimpleIni& lIni = FCache->Ini();
  TSimpleIni::TNamesDepend lKeys;
  lIni.GetAllKeys(lSection.constData(), lKeys);
  lKeys.sort(TSimpleIni::Entry::LoadOrder());
  for (const TSimpleIni::Entry& lKey : lKeys)
    aStrings << QString::fromLocal8Bit(lKey.pItem) + u'=' +
                    QString::fromLocal8Bit(lIni.GetValue(lSection.constData(), lKey.pItem, ""));
}

bool TIniFile::EraseSection(const QString& aSection) {
  const QByteArray lSection = NameBytes(aSection);
  if (lSection.isEmpty())
    return false;
  TSimpleIni& lIni = FCache->Ini();
  if (!lIni.GetSection(lSection.constData()))
    return true;
  lIni.Delete(lSection.constData(), nullptr);
  return FCache->Commit();
}

bool TIniFile::DeleteKey(const QString& aSection, const QString& aIdent) {
  const QByteArray lSection = NameBytes(aSection);
  const QByteArray lIdent = NameBytes(aIdent);
  if (lSection.isEmpty() || lIdent.isEmpty())
    return false;
  TSimpleIni& lIni = FCache->Ini();
  if (!lIni.GetValue(lSection.constData(), lIdent.constData(), nullptr))
    return true;
  lIni.Delete(lSection.constData(), lIdent.constData(), false);
  return FCache->Commit();
}

void TIniFile::UpdateFile() {
  FCache->Invalidate();
}

int TIniFile::FailedWrites() const {
  return FCache->FailedWrites();
}
