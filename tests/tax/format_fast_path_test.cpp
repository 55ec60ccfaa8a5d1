// The short paths of FormatAmount(), FormatPercent() and FormatGeneral()
// write exactly what the general decimal paths write, for random doubles and for the values
// next to every rounding edge.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "tax/amount.h"
#include "tax/amount_general.h"

namespace quorvex::tax {
namespace {

double FromBits(std::uint64_t bits) {
  double d = 0;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

void ExpectSameAmount(double v) {
  ASSERT_EQ(FormatAmount(v), FormatAmountSlowly(v)) << std::hexfloat << v;
  ASSERT_EQ(FormatAmount(-v), FormatAmountSlowly(-v)) << std::hexfloat << -v;
}

TEST(FormatFastPathTest, RandomBitPatternsAndRandomFenAmounts) {
  std::mt19937_64 rng(20261207);
  // Any double whose magnitude lies in the range of amounts, bit pattern uniform.
  std::uniform_int_distribution<std::uint64_t> bits(0x3F70000000000000u, 0x42E0000000000000u);  // ~0.004 .. ~1.4e14
  for (int i = 0; i < 200000; ++i) ExpectSameAmount(FromBits(bits(rng)));
  // Amounts typed to the fen or the tenth of a fen, as sheets hold them.
  std::uniform_int_distribution<std::int64_t> fen(0, 9007199254740991);
  for (int i = 0; i < 100000; ++i) {
    const std::int64_t n = fen(rng) >> (i % 40);
    ExpectSameAmount(static_cast<double>(n) / 100);
    ExpectSameAmount(static_cast<double>(n) / 1000);
  }
}

TEST(FormatFastPathTest, HalvesAndTheirNeighboursAtEveryMagnitude) {
  // x.xx5 as the nearest double (above or below the half), the double itself and the doubles
  // around it, and exact binary halves (x.125, x.375, ...), from 0.01 to 2^53 fen.
  std::mt19937_64 rng(7);
  for (int magnitude = -2; magnitude <= 13; ++magnitude) {
    const double scale = std::pow(10.0, magnitude);
    for (int i = 0; i < 4000; ++i) {
      const double base = std::floor(std::ldexp(static_cast<double>(rng() >> 11), -53) * scale * 100);
      const double half = (base + 0.5) / 100;
      double v = std::nextafter(std::nextafter(half, 0), 0);
      for (int k = 0; k < 5; ++k) {
        ExpectSameAmount(v);
        v = std::nextafter(v, 1e300);
      }
      ExpectSameAmount(base / 100 + 0.125);
      ExpectSameAmount(base / 100 + 0.375);
      ExpectSameAmount(std::nextafter(base / 100, 0));
    }
  }
  for (double v : {0.005, 0.015, 0.01, 0.0099999999999999985, 2.675, 1.005, 1e13 + 0.03125, 90071992547409.91,
                   90071992547409.92, 0.0, -0.0})
    ExpectSameAmount(v);
  // Next to the bound below which every amount is 0.00, and the tiny values below it.
  for (int i = 0; i < 15000; ++i) {
    double w = std::nextafter(0.00489 + i * 1.3e-9, 0);
    for (int k = 0; k < 3; ++k) {
      ExpectSameAmount(w);
      w = std::nextafter(w, 1.0);
    }
  }
  for (double v : {0.0049, 0.00499999, 0.004999999999999999, 1e-300, 5e-324, 0.0001}) ExpectSameAmount(v);
  for (long double v : {0.0049L, 0.00489999999999999999L, 0.0049000000000000001L, 1e-4000L, 0.004999999999999999999L}) {
    ASSERT_EQ(FormatExtendedAmount(v), FormatExtendedAmountSlowly(v)) << static_cast<double>(v);
    ASSERT_EQ(FormatExtendedAmount(-v), FormatExtendedAmountSlowly(-v)) << static_cast<double>(v);
  }
}

TEST(FormatFastPathTest, ExtendedValuesWithSixtyFourBitMantissas) {
  std::mt19937_64 rng(13);
  for (int i = 0; i < 200000; ++i) {
    // Any mantissa, from 0.25 to about 2^47, and sums and differences of fen amounts as the
    // bonus page shows them without storing them first.
    const long double v =
        std::ldexp(static_cast<long double>(rng() | (std::uint64_t{1} << 63)), static_cast<int>(rng() % 50) - 65);
    ASSERT_EQ(FormatExtendedAmount(v), FormatExtendedAmountSlowly(v)) << static_cast<double>(v);
    ASSERT_EQ(FormatExtendedAmount(-v), FormatExtendedAmountSlowly(-v)) << static_cast<double>(v);
    const long double sum = static_cast<long double>(static_cast<double>(rng() % 10000000000) / 100) +
                            static_cast<double>(rng() % 100000) / 1000 - 0.005L;
    ASSERT_EQ(FormatExtendedAmount(sum), FormatExtendedAmountSlowly(sum)) << static_cast<double>(sum);
  }
  for (long double v : {0.5L, 0.995L, 0.994999999999999999L, 1.005L, 2.675L, 90071992547409.915L, 1e13L + 0.005L})
    ASSERT_EQ(FormatExtendedAmount(v), FormatExtendedAmountSlowly(v)) << static_cast<double>(v);
}

TEST(FormatFastPathTest, PercentOfRatesAndOfRandomValues) {
  for (int k = 0; k <= 100000; ++k) {
    const double rate = k / 1000.0;
    ASSERT_EQ(FormatPercent(rate), FormatPercentSlowly(rate)) << rate;
    ASSERT_EQ(FormatPercent(k / 100.0), FormatPercentSlowly(k / 100.0)) << k;
  }
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> any(0, 12);
  for (int i = 0; i < 100000; ++i) {
    const double rate = any(rng);
    ASSERT_EQ(FormatPercent(rate), FormatPercentSlowly(rate)) << rate;
    const double near = std::nearbyint(rate * 100) / 100;
    double v = std::nextafter(near, 0);
    for (int n = 0; n < 3; ++n) {
      ASSERT_EQ(FormatPercent(v), FormatPercentSlowly(v)) << v;
      v = std::nextafter(v, 100);
    }
  }
}

// Short decimals (up to 15 digits, small exponents) are parsed by one exact division or product;
// it must give the correctly rounded double that from_chars gives for the same text.
TEST(FormatFastPathTest, ParseAmountOfShortDecimalsIsCorrectlyRounded) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(rng() % 17);
    const int point = rng() % 4 != 0 ? static_cast<int>(rng() % static_cast<unsigned>(digits + 1)) : -1;
    std::string text;
    for (int k = 0; k < digits; ++k) {
      if (k == point) text.push_back('.');
      text.push_back(static_cast<char>('0' + rng() % 10));
    }
    if (point == digits) text.push_back('.');
    if (rng() % 3 == 0) {
      text.push_back('e');
      text.append(std::to_string(static_cast<int>(rng() % 51) - 25));
    }
    double expected = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), expected);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) continue;
    const std::optional<double> parsed = ParseAmount(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    ASSERT_EQ(*parsed, expected) << text;
    std::string negative(1, '-');
    negative.append(text);
    ASSERT_EQ(ParseAmount(negative), -expected) << text;
  }
}

}  // namespace
}  // namespace quorvex::tax
