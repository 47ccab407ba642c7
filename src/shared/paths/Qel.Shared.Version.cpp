#include "Qel.Shared.Version.h"

#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"

#include <QStringList>

namespace {

uint16_t CheckedPart(int64_t aValue) {
  if (aValue < 0 || aValue > 65535)
    throw ERangeError(QStringLiteral("Range check error"));
  return static_cast<uint16_t>(aValue);
}

} // namespace

TVersion TVersion::Create(int64_t aMajor, int64_t aMinor, int64_t aRelease, int64_t aBuild) {
  TVersion lResult;
  lResult.FMajor = CheckedPart(aMajor);
  lResult.FMinor = CheckedPart(aMinor);
  lResult.FRelease = CheckedPart(aRelease);
  lResult.FBuild = CheckedPart(aBuild);
  return lResult;
}

QString TVersion::GetAsString() const {
  if (!FHasData)
    return QString();
  return QStringLiteral("%1.%2.%3.%4").arg(FMajor).arg(FMinor).arg(FRelease).arg(FBuild);
}

void TVersion::SetAsString(const QString& aValue) {
  if (aValue.isEmpty()) {
    Reset();
    return;
  }
  const QStringList lParts = aValue.split(u'.');
  uint16_t lNumbers[4] = {0, 0, 0, 0};
  for (qsizetype i = 0; i < 4 && i < lParts.size(); ++i) {
    int64_t lValue = 0;
    if (TryStrToInt64(lParts[i], lValue))
      lNumbers[i] = CheckedPart(lValue);
  }
  FMajor = lNumbers[0];
  FMinor = lNumbers[1];
  FRelease = lNumbers[2];
  FBuild = lNumbers[3];
  FHasData = true;
}

uint16_t TVersion::GetNumber(TVersionLevel aLevel) const {
  switch (aLevel) {
  case vlMajor:
    return FMajor;
  case vlMinor:
    return FMinor;
  case vlRelease:
    return FRelease;
  case vlBuild:
    return FBuild;
  }
  return 0;
}

void TVersion::Reset() {
  *this = TVersion();
}

QString TVersion::ToString(const QString& aFormat) const {
  return Format(aFormat, {static_cast<int>(FMajor), static_cast<int>(FMinor),
                          static_cast<int>(FRelease), static_cast<int>(FBuild)});
}

int TVersion::Compare(const TVersion& a, const TVersion& b) {
  for (TVersionLevel lLevel : {vlMajor, vlMinor, vlRelease, vlBuild}) {
    const int lDiff = static_cast<int>(a.GetNumber(lLevel)) - static_cast<int>(b.GetNumber(lLevel));
    if (lDiff != 0)
      return lDiff;
  }
  return 0;
}

bool TVersion::IsLarger(const TVersion& aVersion1, const TVersion& aVersion2) {
  const auto lKey = [](const TVersion& v) {
    return QStringList{FormatFloat(QStringLiteral("00000"), v.FMajor),
                       FormatFloat(QStringLiteral("00000"), v.FMinor),
                       FormatFloat(QStringLiteral("00000"), v.FRelease),
                       FormatFloat(QStringLiteral("00000"), v.FBuild)}
        .join(u',');
  };
  return lKey(aVersion1).compare(lKey(aVersion2), Qt::CaseSensitive) > 0;
}

bool TVersion::ParseVersionFromString(const QString& aStr, TVersion& aVersion) {
  QString lText;
  int lDots = 0;
  bool lNumber = false;
  for (const QChar c : aStr) {
    if (lDots > 4)
      break;
    if (c == u'.' && lNumber) {
      lText += u'.';
      ++lDots;
    } else if (c >= u'0' && c <= u'9') {
      lText += c;
      lNumber = true;
    } else {
      continue;
    }
    // A leading number above cMaxWord (a date, a serial) is no version.
    int64_t lLeading = 0;
    if (TryStrToInt64(lText, lLeading) && lLeading > cMaxWord) {
      lText.clear();
      lNumber = false;
      break;
    }
  }
  if (lNumber)
    for (; lDots < 4; ++lDots)
      lText += u'.' + QString::number(cMaxWord);
  if (!std::any_of(lText.begin(), lText.end(), [](QChar c) { return c.isDigit(); }))
    lText.clear();
  if (lText.endsWith(u'.'))
    lText.chop(1);
  if (lText.isEmpty()) {
    aVersion.Reset();
    return false;
  }
  // A later part above the largest number a part can hold ("Setup_1.70000.exe") makes no
  // version either.
  try {
    aVersion.SetAsString(lText);
  } catch (const ERangeError&) {
    aVersion.Reset();
    return false;
  }
  return true;
}
