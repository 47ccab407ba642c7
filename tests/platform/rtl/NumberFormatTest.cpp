// FormatFloat and FloatToStr: the runtime's number patterns and its general float text.
#include "Qel.Rtl.Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct TNumberCase {
  const char* Pattern;
  double Value;
  const char* Expected;
};

void ExpectNumbers(const std::vector<TNumberCase>& aCases,
                   const TFormatSettings& aSettings = TFormatSettings::Invariant()) {
  for (const TNumberCase& c : aCases)
    EXPECT_EQ(FormatFloat(QString::fromUtf8(c.Pattern), c.Value, aSettings).toStdString(),
              c.Expected)
        << "pattern " << c.Pattern << " value " << c.Value;
}

TEST(FormatFloat, OptionalAndForcedDigits) {
  ExpectNumbers({
      // "#" writes nothing where the number has no digit: zero gives an empty text.
      {"#.##", 0, ""},
      {"#.##", 0.5, ".5"},
      {"#.##", 1.5, "1.5"},
      {"#.##", 1, "1"},
      {"#.##", 1.234, "1.23"},
      {"0.00", 1.5, "1.50"},
      {"0.00", 0, "0.00"},
      {"0.##", 0.5, "0.5"},
      {"0.0#", 2, "2.0"},
      {"00000", 42, "00042"},
      {"0000000000", 7, "0000000007"},
      {"0", 12345, "12345"},
      {"#", 0.4, ""},
      {".00", 12.5, "12.50"},
      {"0.", 3, "3"},
      {"0.###", 1.23456, "1.235"},
      // Integer digits beyond the placeholders all go before the first one.
      {"#.##", 1e20, "100000000000000000000"},
      {"0", 1e15, "1000000000000000"},
      {"0-0", 12345, "1234-5"},
  });
}

TEST(FormatFloat, RoundsHalfAwayFromZeroInDecimal) {
  ExpectNumbers({
      {"0.00", 1.005, "1.01"},
      {"0.00", 2.675, "2.68"},
      {"0.00", -1.005, "-1.01"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0", 0.5, "1"},
      {"0.0", 0.05, "0.1"},
      {"0.00", 9.995, "10.00"},
      {"#", 999.5, "1000"},
      {"0.00", 0.1 + 0.2, "0.30"},
  });
}

TEST(FormatFloat, NegativeValues) {
  ExpectNumbers({
      {"0.00", -1.5, "-1.50"},
      {"#.##", -0.5, "-.5"},
      {"'$'0.00", -5, "-$5.00"},
      // A value that rounds to zero gets no minus sign.
      {"0.00", -0.001, "0.00"},
      {"0", -0.4, "0"},
      {"0.00", -0.0, "0.00"},
  });
}

TEST(FormatFloat, ThousandSeparators) {
  ExpectNumbers({
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0", 999.5, "1,000"},
      {"#,##0", 5, "5"},
      {"#,##0", 0, "0"},
      {"#,##0", -1234, "-1,234"},
      {"#,#", 1e9, "1,000,000,000"},
      {"0,000", 5, "0,005"},
      {"#,##0.00", 123, "123.00"},
  });
  ExpectNumbers({{"#,##0.00", 1234567.891, "1.234.567,89"}, {"0.00", 1.5, "1,50"}},
                TFormatSettings::German());
  TFormatSettings lNoGroups = TFormatSettings::Invariant();
  lNoGroups.ThousandSeparator = QChar();
  ExpectNumbers({{"#,##0", 1234567, "1234567"}}, lNoGroups);
}

TEST(FormatFloat, Scientific) {
  ExpectNumbers({
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.00E+00", 0.00012345, "1.23E-04"},
      {"0.00E-00", 1234.5, "1.23E03"},
      {"0.0E-0", 0.00012345, "1.2E-4"},
      {"0.0e+000", -1234.5, "-1.2e+003"},
      {"00.0E+0", 1234, "12.3E+2"},
      {"0.00E+00", 0, "0.00E+00"},
      {"0.##E+00", 1000, "1E+03"},
      {"0.00E+00", 9.999, "1.00E+01"},
      // An "E" without a sign is text.
      {"0 E", 5, "5 E"},
  });
}

TEST(FormatFloat, LiteralsAndQuotes) {
  ExpectNumbers({
      {"'Total: '0.00", 5, "Total: 5.00"},
      {"\"#\"0", 5, "#5"},
      {"0 'kg'", 5, "5 kg"},
      {"0 %", 5, "5 %"},
      {"$#,##0.00", 1234.5, "$1,234.50"},
      {"'a;b'0", 5, "a;b5"},
      {"0 \"E+0\"", 5, "5 E+0"},
      {"(0)", 5, "(5)"},
  });
}

TEST(FormatFloat, Sections) {
  ExpectNumbers({
      {"0.00;(0.00)", 5, "5.00"},
      {"0.00;(0.00)", -5, "(5.00)"},
      {"0.00;(0.00)", 0, "0.00"},
      {"0.00;(0.00);'zero'", 0, "zero"},
      {"0.00;(0.00);'zero'", -5, "(5.00)"},
      // An empty section stands for the first one, which then writes the minus.
      {"0.00;;'zero'", -5, "-5.00"},
      {"0.00;;'zero'", 0, "zero"},
      {"0.00;(0.00);", 0, "0.00"},
      // What rounds to zero is written as zero.
      {"0.00;(0.00);'zero'", -0.001, "zero"},
      {"0.00;(0.00)", -0.001, "0.00"},
      {"0;(0);'zero'", 0.4, "zero"},
  });
}

TEST(FormatFloat, EmptyPatternIsTheGeneralFormat) {
  ExpectNumbers({{"", 1.5, "1.5"}, {"", -1e20, "-1E20"}, {";(0)", 2.5, "2.5"}});
}

TEST(FormatFloat, NanAndInfinity) {
  const double cInf = std::numeric_limits<double>::infinity();
  ExpectNumbers({{"0.00", std::nan(""), "NAN"}, {"#,##0", cInf, "INF"}, {"0;(0)", -cInf, "-INF"}});
}

TEST(FloatToStr, GeneralFormat) {
  const struct {
    double Value;
    const char* Expected;
  } cCases[] = {
      {0, "0"},
      {-0.0, "0"},
      {1.5, "1.5"},
      {-0.5, "-0.5"},
      {100, "100"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {0.0001, "0.0001"},
      {0.00001, "1E-5"},
      {-1.5e-10, "-1.5E-10"},
      {999999999999999, "999999999999999"},
      {1e15, "1E15"},
      {1e20, "1E20"},
      {123456789012345678.0, "1.23456789012346E17"},
      {1.7976931348623157e308, "1.79769313486232E308"},
      {5e-324, "4.94065645841247E-324"},
      {std::nan(""), "NAN"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(FloatToStr(c.Value, TFormatSettings::Invariant()).toStdString(), c.Expected)
        << c.Value;
  EXPECT_EQ(FloatToStr(1.5, TFormatSettings::German()).toStdString(), "1,5");
  EXPECT_EQ(FloatToStr(-1.25e-7, TFormatSettings::German()).toStdString(), "-1,25E-7");
  EXPECT_EQ(FloatToStr(0.25).toStdString(), "0.25");
}

} // namespace
