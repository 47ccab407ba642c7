// Format: the message templates of the runtime.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

struct TFormatCase {
  const char* Template;
  TVarRecs Args;
  const char* Expected;
};

void ExpectFormats(const std::vector<TFormatCase>& aCases,
                   const TFormatSettings& aSettings = TFormatSettings::Invariant()) {
  for (const TFormatCase& c : aCases)
    EXPECT_EQ(Format(QString::fromUtf8(c.Template), c.Args, aSettings).toStdString(), c.Expected)
        << "template " << c.Template;
}

TEST(Format, IntegersTakeWidthPrecisionAndSign) {
  ExpectFormats({
      {"%d", {42}, "42"},
      {"%d", {-42}, "-42"},
      {"%D", {7}, "7"},
      {"%5d|", {42}, "   42|"},
      {"%-5d|", {42}, "42   |"},
      {"%1d", {12345}, "12345"},
      {"%.4d", {5}, "0005"},
      {"%.4d", {-5}, "-0005"},
      {"%6.4d", {-5}, " -0005"},
      {"%.2d", {12345}, "12345"},
      {"%d", {std::numeric_limits<int64_t>::min()}, "-9223372036854775808"},
      {"%d", {int64_t(10000000000)}, "10000000000"},
      {"%d", {uint32_t(4000000000u)}, "4000000000"},
  });
}

TEST(Format, UnsignedAndHexShowTheTwosComplement) {
  ExpectFormats({
      {"%u", {42}, "42"},
      // A 32-bit integer is read as a 32-bit cardinal, a 64-bit one as 64 bits.
      {"%u", {-1}, "4294967295"},
      {"%u", {int64_t(-1)}, "18446744073709551615"},
      {"%x", {255}, "FF"},
      {"%X", {48879}, "BEEF"},
      {"%.4x", {255}, "00FF"},
      {"%6x|", {255}, "    FF|"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%x", {int64_t(-1)}, "FFFFFFFFFFFFFFFF"},
  });
}

TEST(Format, FloatConversions) {
  ExpectFormats({
      {"%f", {3.14159}, "3.14"},
      {"%.3f", {2.0005}, "2.001"},
      {"%.0f", {2.5}, "3"},
      {"%.0f", {-2.5}, "-3"},
      {"%f", {-0.001}, "0.00"},
      {"%8.2f|", {3.14159}, "    3.14|"},
      {"%-8.1f|", {3.14159}, "3.1     |"},
      {"%f", {1e20}, "1E20"},
      {"%e", {1000.0}, "1.00000000000000E+003"},
      {"%.3e", {1234.5}, "1.23E+003"},
      {"%.3e", {-0.00012345}, "-1.23E-004"},
      {"%.1e", {5.0}, "5E+000"},
      {"%.2e", {0.0}, "0.0E+000"},
      {"%.3e", {9.9996}, "1.00E+001"},
      {"%g", {1234.5}, "1234.5"},
      {"%g", {0.1 + 0.2}, "0.3"},
      {"%g", {1e20}, "1E20"},
      {"%g", {0.00001}, "1E-5"},
      {"%.3g", {1234.5}, "1.23E3"},
      {"%.3g", {0.5}, "0.5"},
      {"%n", {1234567.891}, "1,234,567.89"},
      {"%.0n", {999.5}, "1,000"},
      {"%.1n", {-1234.0}, "-1,234.0"},
      {"%m", {1234.5}, "$1,234.50"},
      {"%m", {-5.0}, "-$5.00"},
      {"%f", {std::nan("")}, "NAN"},
      {"%e", {-std::numeric_limits<double>::infinity()}, "-INF"},
      {"%.4f", {TVarRec::OfKind(vtCurrency, {}, 12345)}, "1.2345"},
  });
}

TEST(Format, FloatsUseTheSeparatorsOfTheSettings) {
  ExpectFormats({{"%f", {3.14159}, "3,14"},
                 {"%n", {1234567.891}, "1.234.567,89"},
                 {"%m", {1234.5}, "€1.234,50"},
                 {"%.3e", {1234.5}, "1,23E+003"},
                 {"%g", {0.25}, "0,25"}},
                TFormatSettings::German());
}

TEST(Format, TextKinds) {
  ExpectFormats({
      {"%s", {"abc"}, "abc"},
      {"[%5s]", {"abc"}, "[  abc]"},
      {"[%-5s]", {"abc"}, "[abc  ]"},
      {"[%.2s]", {"abcdef"}, "[ab]"},
      {"[%4.2s]", {"abcdef"}, "[  ab]"},
      {"%s", {'x'}, "x"},
      {"%s", {QChar(u'ß')}, "ß"},
      {"%s", {u"wide"}, "wide"},
      {"%s", {std::string("ansi")}, "ansi"},
      {"%s", {QStringLiteral("unicode")}, "unicode"},
      {"%s", {TVarRec::OfKind(vtString, QStringLiteral("short"))}, "short"},
      {"%s", {TVarRec::OfKind(vtWideString, QStringLiteral("widestring"))}, "widestring"},
      {"%s", {TVariant(int32_t(42))}, "42"},
      {"%s", {TVariant::Null()}, ""},
      {"%s", {TVariant(true)}, "True"},
  });
}

TEST(Format, VariantTextFollowsTheSettingsOfTheCall) {
  const TVarRecs lArgs{TVariant(1.5), TVariant(EncodeDateTime(2026, 1, 5, 14, 7, 9, 0))};
  EXPECT_EQ(Format(QStringLiteral("%s %s"), lArgs, TFormatSettings::German()).toStdString(),
            "1,5 05.01.2026 14:07:09");
  EXPECT_EQ(Format(QStringLiteral("%s %s"), lArgs).toStdString(), "1.5 2026-01-05 14:07:09");
}

TEST(Format, IndexesStarsAndPercent) {
  ExpectFormats({
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%0:s%0:s", {"x"}, "xx"},
      {"%1:-4s|", {"a", "b"}, "b   |"},
      {"%*d", {5, 42}, "   42"},
      {"%-*d|", {5, 42}, "42   |"},
      {"%.*f", {3, 3.14159}, "3.142"},
      {"%*.*f", {8, 1, 2.25}, "     2.3"},
      {"%*d", {-5, 42}, "42"},
      {"%.f", {2.5}, "3"},
      {"100%%", {}, "100%"},
      {"%d%%", {5}, "5%"},
      {"plain text", {1, 2}, "plain text"},
      {"", {}, ""},
  });
}

TEST(Format, PointersShowAllHexDigits) {
  const std::string lZeros(sizeof(void*) * 2, '0');
  EXPECT_EQ(Format(QStringLiteral("%p"), {nullptr}).toStdString(), lZeros);
  const void* lPointer = reinterpret_cast<const void*>(uintptr_t(0xBEEF));
  EXPECT_EQ(Format(QStringLiteral("%p"), {lPointer}).toStdString(), lZeros.substr(4) + "BEEF");
}

TEST(Format, WrongKindOrMissingArgumentRaises) {
  const struct {
    const char* Template;
    TVarRecs Args;
  } cCases[] = {
      {"%d", {1.5}},
      {"%d", {"12"}},
      {"%d", {true}},
      {"%d", {TVariant(int32_t(1))}},
      {"%x", {2.0}},
      {"%f", {42}},
      {"%e", {int64_t(42)}},
      {"%g", {"1.5"}},
      {"%m", {TVariant(1.5)}},
      {"%s", {42}},
      {"%s", {true}},
      {"%s", {1.5}},
      {"%p", {42}},
      {"%p", {"abc"}},
      {"%d", {}},
      {"%s %s", {"one"}},
      {"%2:s", {"a", "b"}},
      {"%*d", {"5", 42}},
      {"%*d", {5}},
      {"%k", {1}},
      {"abc%", {}},
      {"%5", {1}},
      // Widths of gigabytes are a broken template, not a request for memory.
      {"%999999999d", {1}},
      {"%*d", {int64_t(1) << 40, 1}},
      {"%.*f", {1 << 30, 1.0}},
  };
  for (const auto& c : cCases)
    EXPECT_THROW(Format(QString::fromUtf8(c.Template), c.Args), EConvertError)
        << "template " << c.Template;
}

TEST(Format, ErrorNamesTheTemplate) {
  try {
    Format(QStringLiteral("Value %d"), {"text"});
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message().toStdString(), "Format 'Value %d' invalid or incompatible with argument");
  }
}

} // namespace
