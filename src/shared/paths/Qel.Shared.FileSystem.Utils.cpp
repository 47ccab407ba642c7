#include "Qel.Shared.FileSystem.Utils.h"

#include "Qel.Os.VersionInfo.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.Logging.h"

#include <QFileInfo>

namespace {

const char* const cSizeArr[] = {"B", "kB", "MB", "GB", "TB", "PB"};

void AppendMatches(const QString& aPath, const QStringList& aPatterns, QStringList& aFiles,
                   bool aSubDirs) {
  const QString lPath = IncludeTrailingPathDelimiter(aPath);
  const QStringList lFiles = ListDirectory(lPath, true, false);
  for (const QString& lPattern : aPatterns)
    for (const QString& lName : lFiles)
      if (MatchesMask(lName, lPattern))
        aFiles << lPath + lName;
  if (aSubDirs)
    for (const QString& lDir : ListDirectory(lPath, false, true))
      AppendMatches(lPath + lDir, aPatterns, aFiles, true);
}

} // namespace

bool TFileSystemUtils::FindDirectories(const QString& aPath, const QString& aMask,
                                       QStringList& aDirectories) {
  aDirectories.clear();
  if (!DirectoryExists(aPath))
    return false;
  const QString lPath = IncludeTrailingPathDelimiter(aPath);
  for (const QString& lName : ListDirectory(lPath, false, true))
    if (MatchesMask(lName, aMask))
      aDirectories << lPath + lName;
  return true;
}

bool TFileSystemUtils::FindFiles(const QString& aPath, const QString& aMask, QStringList& aFiles,
                                 bool aSubDirs) {
  aFiles.clear();
  if (!DirectoryExists(aPath))
    return false;
  QStringList lPatterns = FromDelimitedText(aMask, u';', u'"', false);
  lPatterns.removeAll(QString());
  AppendMatches(aPath, lPatterns, aFiles, aSubDirs);
  return true;
}

bool TFileSystemUtils::FindFiles(const QString& aPath, const QString& aMask, QStringList& aFiles) {
  return FindFiles(aPath, aMask, aFiles, false);
}

QString TFileSystemUtils::DateTimeToFileName(const QString& aFormat, TDateTime aDateTime) {
  QString lResult = FormatDateTime(aFormat, aDateTime);
  for (const QChar c : {u'.', u':', u',', u';', u' '})
    lResult.replace(c, u'_');
  return lResult;
}

QString TFileSystemUtils::TimestampToFileName(TDateTime aDateTime) {
  return DateTimeToFileName(QStringLiteral("yyyy.mm.dd hh:nn:ss.zzz"), aDateTime);
}

QString TFileSystemUtils::TimestampToFileName() {
  return TimestampToFileName(Now());
}

uint64_t TFileSystemUtils::FileSize(const QString& aFileName) {
  const int64_t lSize = RegularFileSize(aFileName);
  return lSize > 0 ? static_cast<uint64_t>(lSize) : 0;
}

QString TFileSystemUtils::FileSizeToStr(uint64_t aSize) {
  double lValue = static_cast<double>(aSize);
  constexpr int lLast = static_cast<int>(std::size(cSizeArr)) - 1;
  int i = 0;
  for (; lValue >= 1024 && i < lLast; ++i)
    lValue /= 1024;
  return FormatFloat(QStringLiteral("#.##"), lValue) + QLatin1String(cSizeArr[i]);
}

bool TFileSystemUtils::GetFileVersion(const QString& aFileName, TVersion& aVersion) {
  aVersion = TVersion();
  try {
    std::array<uint16_t, 4> lNumbers{};
    QString lError;
    switch (ReadVersionResource(aFileName, lNumbers, lError)) {
    case TVersionResourceResult::vrFileMissing:
      return false;
    case TVersionResourceResult::vrNoResource:
      return true;
    case TVersionResourceResult::vrFound:
      aVersion = TVersion::Create(lNumbers[0], lNumbers[1], lNumbers[2], lNumbers[3]);
      aVersion.FHasData = true;
      return true;
    case TVersionResourceResult::vrUnreadable:
      throw Exception(lError);
    }
  } catch (const std::exception& e) {
    TLogging::Add(nullptr, QStringLiteral("GetFileVersion"),
                  QStringLiteral("Unable to get VersionInfo \"%1\"").arg(aFileName), e, false);
  }
  aVersion = TVersion();
  return false;
}
