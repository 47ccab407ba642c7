// The four-part version number.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Shared.Version.h"

#include <gtest/gtest.h>

namespace {

TEST(Version, SetAsString) {
  const struct {
    const char* Text;
    const char* AsString;
    bool HasData;
  } cCases[] = {
      {"5.2.0.17", "5.2.0.17", true},
      {"1.2", "1.2.0.0", true},
      {"", "", false},
      {"a.b.c.d", "0.0.0.0", true},
      {"1.2.3.4.5", "1.2.3.4", true},
      {"1. 2.3 .4", "1.2.0.4", true},
      {"65535.0.0.1", "65535.0.0.1", true},
      {"7", "7.0.0.0", true},
      {"1..3", "1.0.3.0", true},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Text);
    TVersion lVersion;
    lVersion.SetAsString(QString::fromUtf8(c.Text));
    EXPECT_EQ(lVersion.FHasData, c.HasData);
    EXPECT_EQ(lVersion.GetAsString(), QString::fromUtf8(c.AsString));
  }
}

TEST(Version, PartsAbove65535AreRangeErrors) {
  TVersion lVersion;
  EXPECT_THROW(lVersion.SetAsString(QStringLiteral("1.65536")), ERangeError);
  EXPECT_THROW(TVersion::Create(65536, 0, 0, 0), ERangeError);
  EXPECT_THROW(TVersion::Create(0, 0, 0, -1), ERangeError);
  const TVersion lMax = TVersion::Create(65535, 65535, 65535, 65535);
  EXPECT_EQ(lMax.GetNumber(vlBuild), 65535);
  EXPECT_FALSE(lMax.FHasData);
}

TEST(Version, GetNumberAndToString) {
  const TVersion lVersion = TVersion::FromString(QStringLiteral("5.2.1.17"));
  EXPECT_EQ(lVersion.GetNumber(vlMajor), 5);
  EXPECT_EQ(lVersion.GetNumber(vlMinor), 2);
  EXPECT_EQ(lVersion.GetNumber(vlRelease), 1);
  EXPECT_EQ(lVersion.GetNumber(vlBuild), 17);
  EXPECT_EQ(lVersion.ToString(QStringLiteral("v%d_%d_%d (build %.4d)")),
            QStringLiteral("v5_2_1 (build 0017)"));
}

TEST(Version, CompareAndIsLargerAgree) {
  const struct {
    const char* A;
    const char* B;
    int Sign;
  } cCases[] = {
      {"1.10.0.0", "1.9.0.0", 1},
      {"1.9.0.0", "1.10.0.0", -1},
      {"2.0.0.0", "1.65535.65535.65535", 1},
      {"1.2.3.4", "1.2.3.4", 0},
      {"1.2.3.5", "1.2.3.4", 1},
      {"0.0.0.0", "", 0},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(std::string(c.A) + " vs " + c.B);
    const TVersion a = TVersion::FromString(QString::fromUtf8(c.A));
    const TVersion b = TVersion::FromString(QString::fromUtf8(c.B));
    const int lCompare = TVersion::Compare(a, b);
    EXPECT_EQ((lCompare > 0) - (lCompare < 0), c.Sign);
    EXPECT_EQ(TVersion::IsLarger(a, b), c.Sign > 0);
    EXPECT_EQ(a > b, c.Sign > 0);
    EXPECT_EQ(a == b, c.Sign == 0);
    EXPECT_EQ(a <= b, c.Sign <= 0);
  }
}

TEST(Version, ParseVersionFromFileNames) {
  const struct {
    const char* Name;
    const char* Version; // nullptr: no version
  } cCases[] = {
      {"app 12.3.4.5678 final", "12.3.4.5678"},
      {"Tool_7", "7.35535.35535.35535"},
      {"Setup_2.5.exe", "2.5.0.35535"},
      {"40000.1", nullptr},
      {"report_20231201", nullptr},
      {"readme.txt", nullptr},
      {"", nullptr},
      {".5", "5.35535.35535.35535"},
      {"v35535", "35535.35535.35535.35535"},
      {"v35536", nullptr},
      {"Setup_1.2.3.4.5.6.exe", "1.2.3.4"},
      {"Setup_1.70000.exe", nullptr}, // a later part beyond what a part holds
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Name);
    TVersion lVersion = TVersion::FromString(QStringLiteral("9.9.9.9"));
    const bool lFound = TVersion::ParseVersionFromString(QString::fromUtf8(c.Name), lVersion);
    EXPECT_EQ(lFound, c.Version != nullptr);
    EXPECT_EQ(lVersion.GetAsString(), c.Version ? QString::fromUtf8(c.Version) : QString());
  }
}

} // namespace
