#include "Qel.Rtl.SysUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>
#include <cerrno>
#include <fnmatch.h>
#include <sys/stat.h>

namespace {

// One stat call per question: these run several times for every file a copy touches.
bool StatName(const QString& aName, struct stat& aInfo) {
  QByteArray lName;
  return NativeFileName(aName, lName) && ::stat(lName.constData(), &aInfo) == 0;
}

// The name without trailing delimiters (the root stays "/").
QByteArray WithoutTrailingDelimiters(QByteArray aName) {
  while (aName.size() > 1 && aName.endsWith('/'))
    aName.chop(1);
  return aName;
}

bool IsDirectoryName(const QByteArray& aName) {
  struct stat lInfo {};
  return ::stat(aName.constData(), &lInfo) == 0 && S_ISDIR(lInfo.st_mode);
}

// mkdir first, since the folder exists in most calls; the parents only when it reports them
// missing. With aVerify, a name that exists is only accepted when it is a folder.
bool MakeDirectories(const QByteArray& aName, bool aVerify) {
  if (::mkdir(aName.constData(), 0777) == 0)
    return true;
  if (errno == EEXIST)
    return !aVerify || IsDirectoryName(aName);
  // The parent as written: ".." after a link to a folder is the link's target's parent,
  // which only the file system knows.
  const QByteArray lName = WithoutTrailingDelimiters(aName);
  const qsizetype lSlash = lName.lastIndexOf('/');
  if (errno != ENOENT || lSlash <= 0)
    return false;
  if (!MakeDirectories(WithoutTrailingDelimiters(lName.left(lSlash)), aVerify))
    return false;
  return ::mkdir(aName.constData(), 0777) == 0 ||
         (errno == EEXIST && (!aVerify || IsDirectoryName(aName)));
}

bool IsTrimmed(QChar c) {
  return c.unicode() <= u' ';
}

bool NeedsQuotes(const QString& aItem, QChar aDelimiter, QChar aQuote) {
  for (const QChar c : aItem)
    if (c.unicode() <= u' ' || c == aDelimiter || c == aQuote)
      return true;
  return false;
}

QString Quoted(const QString& aItem, QChar aQuote) {
  QString lInner = aItem;
  lInner.replace(aQuote, QString(2, aQuote));
  return aQuote + lInner + aQuote;
}

} // namespace

QString TrimLeft(const QString& aText) {
  qsizetype i = 0;
  while (i < aText.size() && IsTrimmed(aText[i]))
    ++i;
  return aText.mid(i);
}

QString TrimRight(const QString& aText) {
  qsizetype n = aText.size();
  while (n > 0 && IsTrimmed(aText[n - 1]))
    --n;
  return aText.left(n);
}

QString Trim(const QString& aText) {
  return TrimLeft(TrimRight(aText));
}

bool IsInteger(const QString& aText) {
  int64_t lIgnored;
  return TryStrToInt64(aText, lIgnored);
}

bool TryStrToInt64(const QString& aText, int64_t& aValue) {
  // Leading blanks are skipped, trailing ones are not, as the runtime's conversion does.
  const QString lText = TrimLeft(aText);
  if (lText.isEmpty() || lText.back().isSpace())
    return false;
  bool lOk = false;
  const qlonglong lValue = lText.toLongLong(&lOk, 10);
  if (lOk)
    aValue = lValue;
  return lOk;
}

bool TryStrToInt(const QString& aText, int& aValue) {
  int64_t lValue = 0;
  if (!TryStrToInt64(aText, lValue) || lValue < INT32_MIN || lValue > INT32_MAX)
    return false;
  aValue = static_cast<int>(lValue);
  return true;
}

QString ToDelimitedText(const QStringList& aItems, QChar aDelimiter, QChar aQuote) {
  QString lResult;
  for (qsizetype i = 0; i < aItems.size(); ++i) {
    if (i > 0)
      lResult += aDelimiter;
    const QString& lItem = aItems[i];
    lResult += NeedsQuotes(lItem, aDelimiter, aQuote) ? Quoted(lItem, aQuote) : lItem;
  }
  return lResult;
}

QString ToCommaText(const QStringList& aItems) {
  return ToDelimitedText(aItems, u',', u'"');
}

QStringList FromDelimitedText(const QString& aText, QChar aDelimiter, QChar aQuote, bool aStrict) {
  QStringList lResult;
  const auto lIsSeparator = [&](QChar c) {
    return c == aDelimiter || (!aStrict && c.unicode() <= u' ');
  };
  qsizetype i = 0;
  const qsizetype n = aText.size();
  const auto lSkipBlanks = [&] {
    while (!aStrict && i < n && aText[i].unicode() <= u' ' && aText[i] != aDelimiter)
      ++i;
  };
  lSkipBlanks();
  while (i < n) {
    QString lItem;
    if (aText[i] == aQuote) {
      ++i;
      while (i < n) {
        if (aText[i] == aQuote) {
          if (i + 1 < n && aText[i + 1] == aQuote) {
            lItem += aQuote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        lItem += aText[i++];
      }
      while (i < n && !lIsSeparator(aText[i]))
        lItem += aText[i++];
    } else {
      while (i < n && !lIsSeparator(aText[i]))
        lItem += aText[i++];
    }
    lResult << lItem;
    lSkipBlanks();
    if (i < n && aText[i] == aDelimiter) {
      ++i;
      lSkipBlanks();
      if (i >= n)
        lResult << QString();
    }
  }
  return lResult;
}

QStringList FromCommaText(const QString& aText) {
  return FromDelimitedText(aText, u',', u'"', false);
}

QString NewGuidText() {
  return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}
QString NewGuidHex() {
  return QUuid::createUuid().toString(QUuid::Id128).toUpper();
}

bool SameFileName(const QString& a, const QString& b) {
  return CompareFileName(a, b) == 0;
}
QString FileNameKey(const QString& aFileName) {
  return aFileName;
}
int CompareFileName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseSensitive);
}

QString IncludeTrailingPathDelimiter(const QString& aPath) {
  return aPath.endsWith(PathDelim) ? aPath : aPath + PathDelim;
}

QString ExcludeTrailingPathDelimiter(const QString& aPath) {
  return aPath.endsWith(PathDelim) ? aPath.left(aPath.size() - 1) : aPath;
}

QString ExtractFilePath(const QString& aFileName) {
  return aFileName.left(aFileName.lastIndexOf(PathDelim) + 1);
}

QString ExtractFileDir(const QString& aFileName) {
  const QString lPath = ExtractFilePath(aFileName);
  return lPath.size() > 1 ? ExcludeTrailingPathDelimiter(lPath) : lPath;
}

QString ExtractFileName(const QString& aFileName) {
  return aFileName.mid(aFileName.lastIndexOf(PathDelim) + 1);
}

QString ExtractFileExt(const QString& aFileName) {
  const qsizetype lDot = aFileName.lastIndexOf(u'.');
  return lDot > aFileName.lastIndexOf(PathDelim) ? aFileName.mid(lDot) : QString();
}

QString ChangeFileExt(const QString& aFileName, const QString& aExtension) {
  const qsizetype lDot = aFileName.lastIndexOf(u'.');
  const QString lStem = lDot > aFileName.lastIndexOf(PathDelim) ? aFileName.left(lDot) : aFileName;
  return lStem + aExtension;
}

QString ExtractFileDrive(const QString& aFileName) {
  return aFileName.startsWith(PathDelim) ? QString(PathDelim) : QString();
}

bool IsPathDelimiter(const QString& aText, qsizetype aIndex) {
  return aIndex >= 0 && aIndex < aText.size() && aText[aIndex] == PathDelim;
}

bool MatchesMask(const QString& aFileName, const QString& aMask) {
  // "*.*" means every file, also one without a dot, as masks written for Windows expect.
  if (aMask == QStringLiteral("*.*"))
    return true;
  return fnmatch(aMask.toUtf8().constData(), aFileName.toUtf8().constData(), 0) == 0;
}

bool FileExists(const QString& aFileName) {
  struct stat lInfo {};
  return StatName(aFileName, lInfo) && !S_ISDIR(lInfo.st_mode);
}

bool DirectoryExists(const QString& aDirectory) {
  struct stat lInfo {};
  return StatName(aDirectory, lInfo) && S_ISDIR(lInfo.st_mode);
}

int64_t RegularFileSize(const QString& aFileName) {
  struct stat lInfo {};
  return StatName(aFileName, lInfo) && S_ISREG(lInfo.st_mode) ? lInfo.st_size : -1;
}

bool SaveFileAtomically(const QString& aFileName, const QByteArray& aData, QString& aError) {
  QSaveFile lFile(aFileName);
  // The write goes into a buffer when it is small: only the flush tells whether the bytes
  // reached the file, and commit would rename a file cut short all the same.
  if (lFile.open(QIODevice::WriteOnly) && lFile.write(aData) == aData.size() && lFile.flush() &&
      lFile.commit())
    return true;
  aError = lFile.errorString();
  lFile.cancelWriting();
  return false;
}

bool NativeFileName(const QString& aName, QByteArray& aNative) {
  if (aName.isEmpty() || aName.contains(QChar(u'\0')))
    return false;
  aNative = QFile::encodeName(aName);
  return true;
}

bool ForceDirectories(const QString& aDirectory) {
  QByteArray lName;
  return NativeFileName(aDirectory, lName) && MakeDirectories(lName, true);
}

void CreateDirectories(const QString& aDirectory) {
  QByteArray lName;
  if (NativeFileName(aDirectory, lName))
    MakeDirectories(lName, false);
}

QStringList ListDirectory(const QString& aDirectory, bool aFiles, bool aDirectories) {
  QStringList lNames;
  const QFileInfoList lEntries =
      QDir(aDirectory)
          .entryInfoList(QDir::NoDotAndDotDot | QDir::Hidden | QDir::Files | QDir::Dirs,
                         QDir::Unsorted);
  for (const QFileInfo& lEntry : lEntries) {
    // A link to a folder is not walked into: two links back up would never end.
    const bool lListed =
        lEntry.isDir() ? aDirectories && !lEntry.isSymLink() : aFiles && lEntry.isFile();
    if (lListed)
      lNames << lEntry.fileName();
  }
  return lNames;
}
