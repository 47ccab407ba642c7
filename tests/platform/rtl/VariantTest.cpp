// TVariant conversions and comparison, and the kinds of TVarRec elements.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.VarRec.h"
#include "Qel.Rtl.Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

TDateTime SampleDate() {
  return EncodeDateTime(2026, 1, 5, 14, 7, 9, 0);
}

TEST(Variant, AsString) {
  const struct {
    TVariant Value;
    const char* Expected;
  } cCases[] = {
      {TVariant(), ""},
      {TVariant::Null(), ""},
      {TVariant(true), "True"},
      {TVariant(false), "False"},
      {TVariant(int32_t(-5)), "-5"},
      {TVariant(int64_t(10000000000)), "10000000000"},
      {TVariant(1.5), "1.5"},
      {TVariant(1e20), "1E20"},
      {TVariant("text"), "text"},
      {TVariant(SampleDate()), "2026-01-05 14:07:09"},
      {TVariant(EncodeDate(2026, 1, 5)), "2026-01-05"},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(c.Value.AsString().toStdString(), c.Expected);
}

TEST(Variant, AsInt64) {
  const struct {
    TVariant Value;
    int64_t Expected;
  } cCases[] = {
      {TVariant(), 0},
      {TVariant::Null(), 0},
      {TVariant(true), -1},
      {TVariant(false), 0},
      {TVariant(int32_t(-5)), -5},
      {TVariant(int64_t(10000000000)), 10000000000},
      {TVariant(2.4), 2},
      {TVariant(2.5), 3},
      {TVariant(-2.5), -3},
      {TVariant("42"), 42},
      {TVariant(" -7 "), -7},
      {TVariant("+8"), 8},
      {TVariant("9223372036854775807"), INT64_MAX},
      {TVariant(EncodeDate(1900, 1, 1)), 2},
      {TVariant(SampleDate()), EncodeDate(2026, 1, 5).Day()},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(c.Value.AsInt64(), c.Expected) << c.Value.AsString().toStdString();
}

TEST(Variant, AsInt64RejectsWhatIsNoInteger) {
  const TVariant cCases[] = {TVariant("abc"),        TVariant("1.5"),
                             TVariant(""),           TVariant("12abc"),
                             TVariant("1 2"),        TVariant("9223372036854775808"),
                             TVariant(std::nan("")), TVariant(1e30)};
  for (const TVariant& lValue : cCases)
    EXPECT_THROW(lValue.AsInt64(), EConvertError) << lValue.AsString().toStdString();
  try {
    TVariant("abc").AsInt64();
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message().toStdString(), "'abc' is not a valid integer value");
  }
}

TEST(Variant, AsBoolean) {
  const struct {
    TVariant Value;
    bool Expected;
  } cCases[] = {
      {TVariant(), false},           {TVariant::Null(), false},    {TVariant(true), true},
      {TVariant(int32_t(0)), false}, {TVariant(int64_t(2)), true}, {TVariant(-1.5), true},
      {TVariant(0.0), false},        {TVariant("TRUE"), true},     {TVariant("false"), false},
      {TVariant(" True "), true},    {TVariant("0"), false},       {TVariant("2"), true},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(c.Value.AsBoolean(), c.Expected) << c.Value.AsString().toStdString();
  for (const char* lText : {"yes", "", "truex"})
    EXPECT_THROW(TVariant(lText).AsBoolean(), EConvertError) << lText;
}

TEST(Variant, AsDouble) {
  const struct {
    TVariant Value;
    double Expected;
  } cCases[] = {
      {TVariant(), 0},
      {TVariant(true), -1},
      {TVariant(int32_t(42)), 42},
      {TVariant(int64_t(-10000000000)), -10000000000.0},
      {TVariant(1.25), 1.25},
      {TVariant("1.5"), 1.5},
      {TVariant("-2.5e3"), -2500},
      {TVariant(" .5 "), 0.5},
      {TVariant(EncodeDateTime(1899, 12, 31, 12, 0, 0, 0)), 1.5},
  };
  for (const auto& c : cCases)
    EXPECT_DOUBLE_EQ(c.Value.AsDouble(), c.Expected) << c.Value.AsString().toStdString();
  // The process-wide settings decide the decimal separator (here "."), as in the runtime.
  for (const char* lText : {"1,5", "abc", "", "1.5.1", "inf", "0x10"})
    EXPECT_THROW(TVariant(lText).AsDouble(), EConvertError) << lText;
}

TEST(Variant, EqualityNeedsTheSameKindExceptForIntegerWidths) {
  const struct {
    TVariant A, B;
    bool Equal;
  } cCases[] = {
      {TVariant(), TVariant(), true},
      {TVariant::Null(), TVariant::Null(), true},
      {TVariant::Null(), TVariant(), false},
      {TVariant(int32_t(1)), TVariant(int64_t(1)), true},
      {TVariant(int32_t(1)), TVariant(int64_t(2)), false},
      {TVariant(int32_t(-1)), TVariant(int64_t(0xFFFFFFFF)), false},
      {TVariant(int32_t(1)), TVariant(1.0), false},
      {TVariant(int32_t(1)), TVariant(true), false},
      {TVariant(int32_t(0)), TVariant(), false},
      {TVariant(""), TVariant::Null(), false},
      {TVariant(""), TVariant(), false},
      {TVariant("a"), TVariant("a"), true},
      {TVariant("a"), TVariant("A"), false},
      {TVariant("1"), TVariant(int32_t(1)), false},
      {TVariant(1.5), TVariant(1.5), true},
      {TVariant(true), TVariant(true), true},
      {TVariant(true), TVariant(false), false},
      {TVariant(SampleDate()), TVariant(SampleDate()), true},
      {TVariant(SampleDate()), TVariant(SampleDate().AsDays()), false},
  };
  for (const auto& c : cCases) {
    EXPECT_EQ(c.A == c.B, c.Equal)
        << c.A.AsString().toStdString() << " / " << c.B.AsString().toStdString();
    EXPECT_EQ(c.B == c.A, c.Equal)
        << c.B.AsString().toStdString() << " / " << c.A.AsString().toStdString();
  }
}

TEST(VarRec, KindsAndText) {
  const struct {
    TVarRec Value;
    TVarType Kind;
    bool IsText;
  } cCases[] = {
      {TVarRec('c'), vtChar, true},
      {TVarRec(QChar(u'c')), vtWideChar, true},
      {TVarRec("text"), vtPChar, true},
      {TVarRec(u"text"), vtPWideChar, true},
      {TVarRec(std::string("text")), vtAnsiString, true},
      {TVarRec(QStringLiteral("text")), vtUnicodeString, true},
      {TVarRec::OfKind(vtString, QStringLiteral("text")), vtString, true},
      {TVarRec::OfKind(vtWideString, QStringLiteral("text")), vtWideString, true},
      {TVarRec(int16_t(1)), vtInteger, false},
      {TVarRec(int32_t(1)), vtInteger, false},
      // An unsigned 32-bit value does not fit the runtime's 32-bit integer.
      {TVarRec(uint32_t(1)), vtInt64, false},
      {TVarRec(int64_t(1)), vtInt64, false},
      {TVarRec(true), vtBoolean, false},
      {TVarRec(1.5), vtExtended, false},
      {TVarRec(TVariant("text")), vtVariant, false},
      {TVarRec(nullptr), vtPointer, false},
      {TVarRec::OfKind(vtInterface), vtInterface, false},
  };
  for (const auto& c : cCases) {
    EXPECT_EQ(c.Value.VType(), c.Kind);
    EXPECT_EQ(c.Value.IsText(), c.IsText) << "kind " << c.Kind;
    if (c.IsText) {
      EXPECT_FALSE(c.Value.Text().isEmpty()) << "kind " << c.Kind;
    }
  }
}

TEST(VarRec, OfKindCarriesTheValues) {
  const TVarRec lCurrency = TVarRec::OfKind(vtCurrency, QString(), 12345);
  EXPECT_EQ(lCurrency.AsInt64(), 12345);
  EXPECT_DOUBLE_EQ(lCurrency.AsFloat(), 1.2345) << "currency counts ten-thousandths";
  EXPECT_DOUBLE_EQ(TVarRec::OfKind(vtExtended, QString(), 3).AsFloat(), 3.0);
  EXPECT_EQ(TVarRec::OfKind(vtVariant, QStringLiteral("x")).Variant(), TVariant("x"));
  EXPECT_EQ(TVarRec::OfKind(vtVariant, QString(), 7).Variant(), TVariant(int64_t(7)));
  EXPECT_EQ(TVarRec::OfKind(vtInt64, QString(), -3).AsInt64(), -3);
}

} // namespace
