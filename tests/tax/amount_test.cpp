#include "tax/amount.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace quorvex::tax {
namespace {

struct ParseCase {
  const char* name;
  const char* text;
  bool accepted;
  double value;
};

class ParseAmountTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseAmountTest, ReadsTheAmountGrammar) {
  const ParseCase& c = GetParam();
  const std::optional<double> v = ParseAmount(c.text);
  ASSERT_EQ(v.has_value(), c.accepted) << '"' << c.text << '"';
  if (c.accepted) {
    EXPECT_EQ(*v, c.value) << '"' << c.text << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseAmountTest,
    testing::Values(
        ParseCase{"Integer", "5000", true, 5000}, ParseCase{"Decimal", "12.5", true, 12.5},
        ParseCase{"InnerBlanksAround", "  12.5  ", true, 12.5}, ParseCase{"PlusSign", "+7", true, 7},
        ParseCase{"MinusSign", "-5", true, -5}, ParseCase{"LonePoint", ".", true, 0},
        ParseCase{"LeadingPoint", ".5", true, 0.5}, ParseCase{"TrailingPoint", "5.", true, 5},
        ParseCase{"SignAndPoint", "-.", true, 0}, ParseCase{"Exponent", "1e3", true, 1000},
        ParseCase{"UpperExponent", "2.5E2", true, 250}, ParseCase{"NegativeExponent", "125e-3", true, 0.125},
        ParseCase{"ExponentWithoutDigits", "7e", true, 7}, ParseCase{"ExponentSignWithoutDigits", "7e+", true, 7},
        ParseCase{"PointThenExponent", ".e5", true, 0},
        ParseCase{"ManyLeadingZeros", "0000000000000000000000012", true, 12},
        ParseCase{"FifteenDigitsAndPoint", "1234567890.12345", true, 1234567890.12345},
        ParseCase{"SixteenDigits", "1234567890123456", true, 1234567890123456.0},
        ParseCase{"SixteenDigitsAndPoint", "123456789012.3456", true, 123456789012.3456},
        ParseCase{"UnderflowIsZero", "1e-400", true, 0},
        ParseCase{"HugeNegativeExponent", "5e-99999999999999999999", true, 0},
        ParseCase{"ZeroWithHugeExponent", "0e99999999999", true, 0},
        ParseCase{"LargestDouble", "1.7976931348623157e308", true, std::numeric_limits<double>::max()},
        ParseCase{"RoundsToNearestDouble", "0.1", true, 0.1}, ParseCase{"Empty", "", false, 0},
        ParseCase{"OnlyBlanks", "   ", false, 0}, ParseCase{"LoneSign", "-", false, 0},
        ParseCase{"DoubleMinus", "--5", false, 0}, ParseCase{"Comma", "1,000", false, 0},
        ParseCase{"InnerBlank", "1 000", false, 0}, ParseCase{"Unit", "100元", false, 0},
        ParseCase{"SecondPoint", "1.2.3", false, 0}, ParseCase{"Letters", "abc", false, 0},
        ParseCase{"Hex", "0x10", false, 0}, ParseCase{"Infinity", "inf", false, 0}, ParseCase{"NaN", "nan", false, 0},
        ParseCase{"LoneExponent", "e5", false, 0}, ParseCase{"SignThenExponent", "+e5", false, 0},
        ParseCase{"DoubleExponent", "1e5e5", false, 0}, ParseCase{"Tab", "1\t", false, 0},
        ParseCase{"FullWidthDigits", "\xEF\xBC\x91\xEF\xBC\x92", false, 0}, ParseCase{"Overflow", "1e309", false, 0},
        ParseCase{"NegativeOverflow", "-2e308", false, 0},
        ParseCase{"HugeExponent", "1e99999999999999999999", false, 0},
        ParseCase{"LongMantissaOverflow", "999999999999999999999e300", false, 0}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(ParseAmountTest, VeryLongDigitStringsAreExact) {
  std::string text = "1" + std::string(300, '0');
  EXPECT_EQ(ParseAmount(text), 1e300);
  text = "0." + std::string(5000, '0') + "1";
  EXPECT_EQ(ParseAmount(text), 0.0);
  EXPECT_EQ(ParseAmount(std::string(400, '9')), std::nullopt);
}

TEST(TrimAmountTextTest, RemovesControlCharactersAndBlanksAtBothEnds) {
  EXPECT_EQ(TrimAmountText(" \t12.5\r\n "), "12.5");
  EXPECT_EQ(TrimAmountText(std::string_view("\0x1 2\x1f", 6)), "x1 2");
  EXPECT_EQ(TrimAmountText(" \x01 "), "");
}

struct FormatCase {
  const char* name;
  double value;
  const char* text;
};

class FormatAmountTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatAmountTest, WritesTwoDecimalsWithHalvesAwayFromZero) {
  EXPECT_EQ(FormatAmount(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatAmountTest,
    testing::Values(
        FormatCase{"Zero", 0, "0.00"}, FormatCase{"NegativeZero", -0.0, "0.00"},
        FormatCase{"NoGrouping", 9876.543, "9876.54"}, FormatCase{"ExactHalfUp", 0.125, "0.13"},
        FormatCase{"ExactHalfUp2", 0.375, "0.38"}, FormatCase{"DoubleBelowHalf", 2.675, "2.67"},
        FormatCase{"TieAtThirdDecimal", 1245.125, "1245.13"}, FormatCase{"NegativeHalfAwayFromZero", -0.125, "-0.13"},
        FormatCase{"TinyNegativeIsZero", -0.004, "0.00"}, FormatCase{"Carry", 9.999, "10.00"},
        FormatCase{"DoubleBelowHalfNoCarry", 9.995, "9.99"}, FormatCase{"CarryAllNines", 999.999, "1000.00"},
        FormatCase{"EighteenDigitRounding", 1.0049999999999999, "1.00"}, FormatCase{"HalfCent", 0.005, "0.01"},
        FormatCase{"Whole", 45, "45.00"}, FormatCase{"Large", 123456789012345.67, "123456789012345.67"},
        FormatCase{"BeyondEighteenDigits", 1e20, "100000000000000000000.00"}, FormatCase{"Tiny", 1e-300, "0.00"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST(FormatAmountTest, NonFiniteValuesGiveNoText) {
  EXPECT_EQ(FormatAmount(std::numeric_limits<double>::infinity()), "");
  EXPECT_EQ(FormatAmount(std::nan("")), "");
}

class FormatGeneralTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatGeneralTest, WritesFifteenSignificantDigits) {
  EXPECT_EQ(FormatGeneral(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatGeneralTest,
    testing::Values(FormatCase{"Whole", 5000, "5000"}, FormatCase{"Thirds", 6833.333333333333, "6833.33333333333"},
                    FormatCase{"RoundsUp", 46016.666666666664, "46016.6666666667"},
                    FormatCase{"TrailingZerosRemoved", 12.5, "12.5"}, FormatCase{"Zero", 0, "0"},
                    FormatCase{"Negative", -3.25, "-3.25"}, FormatCase{"SmallPlain", 0.00012, "0.00012"},
                    FormatCase{"BelowPlainRange", 1.5e-6, "1.5E-06"},
                    FormatCase{"LargestPlain", 999999999999999.0, "999999999999999"},
                    FormatCase{"ExponentForm", 1.5e15, "1.5E+15"}, FormatCase{"HugeExponent", 1e300, "1E+300"},
                    FormatCase{"CarryIntoNewDigit", 9999999999999999.0, "1E+16"},
                    FormatCase{"LargestDoubleRoundsUp", 1.7976931348623157e308, "1.79769313486232E+308"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST(FormatGeneralTest, TextReadsBackWithinFifteenDigits) {
  for (double v : {37493.333333333336, 1e-7, 123.456, 8.5e22, 1.7e308, 4.9e-324}) {
    const std::optional<double> back = ParseAmount(FormatGeneral(v));
    ASSERT_TRUE(back.has_value()) << FormatGeneral(v);
    EXPECT_NEAR(*back, v, std::abs(v) * 1e-14) << FormatGeneral(v);
  }
}

TEST(FormatPercentTest, WritesRateTimesHundred) {
  EXPECT_EQ(FormatPercent(0.03), "3%");
  EXPECT_EQ(FormatPercent(0.1), "10%");
  EXPECT_EQ(FormatPercent(0.2), "20%");
  EXPECT_EQ(FormatPercent(0.25), "25%");
  EXPECT_EQ(FormatPercent(0.35), "35%");
  EXPECT_EQ(FormatPercent(0.45), "45%");
  EXPECT_EQ(FormatPercent(0.05), "5%");
  EXPECT_EQ(FormatPercent(0.125), "12.5%");
  EXPECT_EQ(FormatPercent(0), "0%");
}

}  // namespace
}  // namespace quorvex::tax
