#pragma once
// The four-part version number (major.minor.release.build) of programs, databases and archives.

#include <QString>
#include <cstdint>

enum TVersionLevel { vlMajor, vlMinor, vlRelease, vlBuild };

struct TVersion {
  // The largest leading number a version in a file name may have, and the filler of missing
  // parts there. (35535, not 65535: file names with dates such as 20231201 carry no version.)
  static constexpr uint16_t cMaxWord = 35535;

  uint16_t FMinor = 0;
  uint16_t FRelease = 0;
  uint16_t FMajor = 0;
  uint16_t FBuild = 0;
  bool FHasData = false;

  // The four parts, each 0..65535 (ERangeError otherwise); leaves FHasData unset.
  static TVersion Create(int64_t aMajor, int64_t aMinor, int64_t aRelease, int64_t aBuild);

  QString GetAsString() const;
  // Empty text: all parts 0 and no data; otherwise parts split at "." (missing or
  // non-numeric parts 0, further parts ignored, a part above 65535 an ERangeError).
  void SetAsString(const QString& aValue);
  uint16_t GetNumber(TVersionLevel aLevel) const;
  void SetMajor(uint16_t aValue) { FMajor = aValue; }
  void SetMinor(uint16_t aValue) { FMinor = aValue; }
  void SetRelease(uint16_t aValue) { FRelease = aValue; }
  void SetBuild(uint16_t aValue) { FBuild = aValue; }
  void Reset();
  // aFormat filled with the four parts (major, minor, release, build) as integers.
  QString ToString(const QString& aFormat) const;

  // The difference of the first part that differs; FHasData plays no part.
  static int Compare(const TVersion& a, const TVersion& b);
  static bool IsLarger(const TVersion& aVersion1, const TVersion& aVersion2);
  // A version carried in a file name (Tool_7, Setup_2.5.exe, app 12.3.4.5678 final).
  static bool ParseVersionFromString(const QString& aStr, TVersion& aVersion);

  static TVersion FromString(const QString& aValue) {
    TVersion lResult;
    lResult.SetAsString(aValue);
    return lResult;
  }

  friend bool operator==(const TVersion& a, const TVersion& b) { return Compare(a, b) == 0; }
  friend bool operator!=(const TVersion& a, const TVersion& b) { return Compare(a, b) != 0; }
  friend bool operator<(const TVersion& a, const TVersion& b) { return Compare(a, b) < 0; }
  friend bool operator<=(const TVersion& a, const TVersion& b) { return Compare(a, b) <= 0; }
  friend bool operator>(const TVersion& a, const TVersion& b) { return Compare(a, b) > 0; }
  friend bool operator>=(const TVersion& a, const TVersion& b) { return Compare(a, b) >= 0; }
};
