#include "tax/amount.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "tax/amount_general.h"
#include "tax/arith.h"

namespace quorvex::tax {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that are exact doubles.
constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Exponents are saturated far outside the double range, so a text with an exponent of any
// length still converts quickly and overflows or underflows as it should.
constexpr long kExponentLimit = 100000;

// Decimal digits of a value rounded to `digits` significant digits, an exact half (judged on
// the value's first 18 significant digits) rounding away from zero.
struct Decimal {
  bool negative = false;
  std::string digits;  // exactly `digits` characters, first one non-zero unless the value is 0
  int exponent = 0;    // value = 0.d1d2d3... x 10^(exponent + 1), i.e. d1 is at 10^exponent
};

// The first `digits` significant digits of a finite value, correctly rounded from its binary
// value (nearest).
Decimal Significant(Ext value, int digits) {
  char buf[96];
  // A value that is a double converts the same through the double overload, which is many
  // times faster than the extended one.
  const auto narrow = static_cast<double>(value);
  auto res = static_cast<Ext>(narrow) == value
                 ? std::to_chars(buf, buf + sizeof buf, narrow, std::chars_format::scientific, digits - 1)
                 : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
  std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
  Decimal d;
  if (text.front() == '-') {
    d.negative = true;
    text.remove_prefix(1);
  }
  const size_t epos = text.find('e');
  for (char c : text.substr(0, epos)) {
    if (IsDigit(c)) d.digits.push_back(c);
  }
  std::from_chars(text.data() + epos + 1 + (text[epos + 1] == '+' ? 1 : 0), text.data() + text.size(), d.exponent);
  return d;
}

Decimal RoundSignificant(Ext value, int digits) {
  // 18 significant digits first, then rounded at `digits`.
  const Decimal first = Significant(value, 18);
  Decimal d;
  d.negative = first.negative;
  const std::string& all = first.digits;
  int exp10 = first.exponent;
  if (digits >= static_cast<int>(all.size())) {
    d.digits = all;
    d.exponent = exp10;
    return d;
  }
  std::string kept = all.substr(0, static_cast<size_t>(digits));
  if (all[static_cast<size_t>(digits)] >= '5') {
    int i = digits - 1;
    while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
    if (i < 0) {
      kept.assign(static_cast<size_t>(digits), '0');
      kept[0] = '1';
      ++exp10;
    } else {
      ++kept[static_cast<size_t>(i)];
    }
  }
  d.digits = kept;
  d.exponent = exp10;
  return d;
}

}  // namespace

std::optional<double> ParseAmount(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t intStart = i;
  while (i < n && IsDigit(text[i])) ++i;
  std::string_view intDigits = text.substr(intStart, i - intStart);
  std::string_view fracDigits;
  bool point = false;
  if (i < n && text[i] == '.') {
    point = true;
    const size_t fracStart = ++i;
    while (i < n && IsDigit(text[i])) ++i;
    fracDigits = text.substr(fracStart, i - fracStart);
  }
  if (intDigits.empty() && !point) return std::nullopt;
  long exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    while (i < n && IsDigit(text[i])) {
      if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - '0');
      ++i;
    }
    if (expNegative) exponent = -exponent;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return std::nullopt;

  // Skip leading zeros so the digit string stays short for "000...0001"-like input.
  while (!intDigits.empty() && intDigits.front() == '0') intDigits.remove_prefix(1);
  const bool allZero = intDigits.empty() && fracDigits.find_first_not_of('0') == std::string_view::npos;
  if (allZero) return negative ? -0.0 : 0.0;

  // Up to 15 digits and a power of ten up to 22: both are exact doubles, and one IEEE
  // division or multiplication rounds their quotient or product correctly, as from_chars does.
  if (intDigits.size() + fracDigits.size() <= 15 && exponent >= -22 && exponent <= 22) {
    std::uint64_t digits = 0;
    for (char c : intDigits) digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    for (char c : fracDigits) digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    const long e10 = exponent - static_cast<long>(fracDigits.size());
    if (e10 >= -22 && e10 <= 22) {
      const auto m = static_cast<double>(digits);
      const double value = e10 < 0 ? m / kTens[-e10] : m * kTens[e10];
      return negative ? -value : value;
    }
  }

  std::string normal;
  normal.reserve(intDigits.size() + fracDigits.size() + 16);
  normal.append(intDigits.empty() ? std::string_view("0") : intDigits);
  normal.push_back('.');
  normal.append(fracDigits);
  normal.push_back('e');
  normal.append(std::to_string(exponent));

  double value = 0.0;
  const auto res = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (res.ec == std::errc::result_out_of_range) {
    // Decide between overflow and underflow from the position of the first significant digit.
    long magnitude = exponent;
    if (!intDigits.empty()) {
      magnitude += static_cast<long>(intDigits.size()) - 1;
    } else {
      magnitude -= static_cast<long>(fracDigits.find_first_not_of('0')) + 1;
    }
    if (magnitude >= 0) return std::nullopt;
    value = 0.0;
  } else if (res.ec != std::errc() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

namespace {

// Amounts of at least 0.01 and below 2^53 fen, written without going through decimal strings.
// Worth it: through the general path alone, a 1,000,000-row salary batch (quorvex-calc batch
// -j 1) takes 4.0 times the user time (3.8 times for the mixed sheet) and 2.9 times the
// instructions of a 50,000-row one (callgrind); one salary page calculation 2.7 times the
// instructions.
// The general path rounds the value to 18 significant digits first and then at the second
// decimal, a half up. With a = m / 2^j (m < 2^60 after scaling by 100), 100a = q + r / 2^j, and
// the 18-digit grid of a has the unit 10^(E - 17), E = floor(log10 a). The halfway point
// (q + 0.5) / 100 lies on that grid and its last grid digit is even, so the 18-digit value
// reaches it, ties included, exactly when r / 2^j >= 1/2 - 5 x 10^(E - 16).
// Returns false when the value is outside the range this handles.
__extension__ using U128 = unsigned __int128;

// 10^k for k = 0 ... 18.
constexpr auto kPowersOfTen = [] {
  std::array<U128, 19> powers{};
  U128 p = 1;
  for (U128& v : powers) {
    v = p;
    p *= 10;
  }
  return powers;
}();

// floor(log10 v) for v >= 1: the bit length gives it or one more.
int FloorLog10(std::uint64_t v) {
  static constexpr auto kPowers = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t p = 1;
    for (std::uint64_t& x : powers) {
      x = p;
      p *= 10;
    }
    return powers;
  }();
  const int guess = (static_cast<int>(std::bit_width(v)) * 1233) >> 12;  // 1233 / 4096 is just above log10(2)
  return guess - (v < kPowers[static_cast<std::size_t>(guess)] ? 1 : 0);
}

// Below this, even the 18-digit rounding leaves less than half a fen: the amount shows as
// 0.00, without a sign.
constexpr double kNothing = 0.0049;

// The digits "00" to "99".
constexpr auto kPairs = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Writes fen as yuan with two decimals so that they end at `p`; returns where they start.
// Unsigned is 32 bits for nearly every amount, whose divisions are then cheaper.
template <class Unsigned>
char* WriteFenDigits(Unsigned fen, char* p) {
  Unsigned v = fen / 100;
  const auto cents = static_cast<std::size_t>(fen % 100);
  p -= 3;
  p[0] = '.';
  std::memcpy(p + 1, &kPairs[2 * cents], 2);
  while (v >= 100) {
    const auto pair = static_cast<std::size_t>(v % 100);
    v /= 100;
    p -= 2;
    std::memcpy(p, &kPairs[2 * pair], 2);
  }
  if (v >= 10) {
    p -= 2;
    std::memcpy(p, &kPairs[2 * static_cast<std::size_t>(v)], 2);
  } else {
    *--p = static_cast<char>('0' + v);
  }
  return p;
}

// Writes a number of fen as yuan with two decimals so that it ends at `end`; returns where
// it starts.
char* WriteFen(std::uint64_t fen, bool negative, char* end) {
  char* p = fen <= UINT32_MAX ? WriteFenDigits(static_cast<std::uint32_t>(fen), end) : WriteFenDigits(fen, end);
  if (negative) *--p = '-';
  return p;
}

// An amount too small to show a fen.
constexpr std::string_view kZeroAmount = "0.00";

// The text of an amount the short paths write: 0.00, or at most 16 digits, a sign and a point.
char* WriteZero(char* end) { return std::copy_backward(kZeroAmount.begin(), kZeroAmount.end(), end); }

// How an amount the short path handles is shown.
enum class Fen { kZero, kFen, kOutside };

// x >= 0 rounded to the nearest integer (a tie to the even one), as a Real and in `whole`;
// meaningful below 2^53.
template <class Real>
Real Nearest(Real x, std::uint64_t& whole) {
  const long long n = std::llrint(x);  // the rounding mode in force: to nearest, ties to even
  whole = static_cast<std::uint64_t>(n);
  return static_cast<Real>(n);
}

// Most amounts a (0.01 <= a < 2^53 fen) are far from half a fen: then 100 a, rounded in the
// amount's own arithmetic, rounds to the same fen as the exact paths below. The product's error
// (2^-53 of it for a double, 2^-64 for an extended value) and the nudge of the 17-digit rounding
// (5e-18 of it) both lie well within the margin of 2^-50 of it. False near a half.
template <class Real>
bool FenFarFromHalf(Real a, std::uint64_t& fen) {
  const Real x = a * 100;
  std::uint64_t nearest = 0;
  const Real off = x - Nearest(x, nearest);  // exact; a tie is near a half and so refused
  if (!(Real(0.5) - std::fabs(off) > x * Real(0x1p-50))) return false;
  fen = nearest;
  return true;
}

// The amount in whole fen, rounded as the general path rounds it: kFen with `fen` set, kZero
// for an amount shown as 0.00, kOutside beyond the range this handles.
Fen FenOf(double value, std::uint64_t& fen) {
  constexpr double kLow = 0.01;
  constexpr double kHigh = 9007199254740992.0 / 100;  // 2^53 fen
  const double a = std::fabs(value);
  if (a < kNothing) return Fen::kZero;
  if (!(a >= kLow && a < kHigh)) return Fen::kOutside;
  if (FenFarFromHalf(a, fen)) return Fen::kFen;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &a, sizeof bits);  // a is normal: 0.01 <= a
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int j = 1075 - static_cast<int>(bits >> 52);  // a = m / 2^j
  if (j > 60) return Fen::kOutside;
  const std::uint64_t hundred = m * 100;  // < 2^60
  std::uint64_t q = 0;
  bool up = false;
  if (j <= 0) {
    q = hundred << -j;
  } else {
    q = hundred >> j;
    const std::uint64_t r = hundred & ((std::uint64_t{1} << j) - 1);
    const std::uint64_t half = std::uint64_t{1} << (j - 1);
    if (r >= half) {
      up = true;
    } else {
      // floor(log10 a) for a >= 0.01: q = floor(100 a) has as many digits as 100 a.
      const int e10 = FloorLog10(q) - 2;
      up = static_cast<U128>(half - r) * kPowersOfTen[static_cast<std::size_t>(16 - e10)] <= static_cast<U128>(5) << j;
    }
  }
  fen = q + (up ? 1 : 0);
  return Fen::kFen;
}

// Writes the amount so that it ends at `end` (room for 24 characters) and returns where it
// starts; nullptr outside the range this handles.
char* FormatAmountFast(double value, char* end) {
  std::uint64_t fen = 0;
  switch (FenOf(value, fen)) {
    case Fen::kZero:
      return WriteZero(end);
    case Fen::kFen:
      return WriteFen(fen, value < 0, end);
    case Fen::kOutside:
      break;
  }
  return nullptr;
}

// The same for an extended value of at least 0.5 (so that j <= 64 below): a = m / 2^j with a
// 64-bit m, the products taken in 128 bits.
char* FormatExtendedFast(long double value, char* end) {
  constexpr long double kLow = 0.5L;
  constexpr long double kHigh = 9007199254740992.0L / 100;
  const long double a = std::fabs(value);
  if (a < kNothing) return WriteZero(end);
  if (!(a >= kLow && a < kHigh)) return nullptr;
  if (std::uint64_t fen = 0; FenFarFromHalf(a, fen)) return WriteFen(fen, value < 0, end);
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &a, 10);
  std::uint64_t m = 0;
  std::memcpy(&m, bytes, sizeof m);
  const int biased = bytes[8] | ((bytes[9] & 0x7F) << 8);
  const int j = 16383 + 63 - biased;  // a = m / 2^j
  if (j > 64 || j < 0) return nullptr;
  const U128 hundred = static_cast<U128>(m) * 100;
  U128 q = hundred >> j;
  const U128 r = hundred - (q << j);
  bool up = false;
  if (j > 0) {
    const U128 half = static_cast<U128>(1) << (j - 1);
    if (r >= half) {
      up = true;
    } else {
      // floor(log10 a) for a >= 0.5: q = floor(100 a) has as many digits as 100 a.
      const int e10 = FloorLog10(static_cast<std::uint64_t>(q)) - 2;
      up = (half - r) * kPowersOfTen[static_cast<std::size_t>(16 - e10)] <= static_cast<U128>(5) << j;
    }
  }
  q += up ? 1 : 0;
  return WriteFen(static_cast<std::uint64_t>(q), value < 0, end);
}

}  // namespace

std::string FormatAmount(double value) {
  // The fast path: without it a 50,000-row salary sheet to /dev/null takes 2.9 times the
  // instructions (619M instead of 215M, callgrind, quorvex-calc batch -j 1; mixed: 680M/249M).
  // Built straight from the buffer: a string made empty and then assigned costs more.
  char buf[32];
  char* const end = buf + sizeof buf;
  if (const char* begin = FormatAmountFast(value, end))
    return std::string(begin, static_cast<std::size_t>(end - begin));
  return FormatExtendedAmount(Widen(value));
}

std::string FormatAmountSlowly(double value) { return FormatExtendedAmountSlowly(Widen(value)); }

std::string FormatExtendedAmount(long double value) {
  char buf[32];
  char* const end = buf + sizeof buf;
  if (const char* begin = FormatExtendedFast(value, end))
    return std::string(begin, static_cast<std::size_t>(end - begin));
  return FormatExtendedAmountSlowly(value);
}

std::string FormatExtendedAmountSlowly(long double value) {
  if (!std::isfinite(value)) return {};
  const Decimal d = RoundSignificant(value, 18);
  // Digits of the value at positions 10^exponent down to 10^(exponent - 17).
  // Keep everything down to the hundredths, rounding on the thousandths digit.
  std::string intPart;
  std::string frac;  // digits after the point, as many as the 18 digits reach (at least 3)
  const int e = d.exponent;
  if (e >= 0) {
    for (int k = 0; k <= e; ++k) intPart.push_back(k < 18 ? d.digits[static_cast<size_t>(k)] : '0');
    for (int k = e + 1; k < 18; ++k) frac.push_back(d.digits[static_cast<size_t>(k)]);
  } else {
    intPart = "0";
    frac.assign(static_cast<size_t>(-e - 1), '0');
    frac += d.digits;
  }
  while (frac.size() < 3) frac.push_back('0');
  std::string kept = intPart;
  kept.append(frac, 0, 2);
  if (frac[2] >= '5') {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
    if (i < 0) {
      std::string carried(1, '1');
      carried.append(kept);
      kept.swap(carried);
    } else {
      ++kept[static_cast<size_t>(i)];
    }
  }
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  std::string out;
  out.reserve(kept.size() + 2);
  if (d.negative && !zero) out.push_back('-');
  out.append(kept, 0, kept.size() - 2);
  out.push_back('.');
  out.append(kept, kept.size() - 2, 2);
  return out;
}

namespace {

// Writes significant `digits` (the first not 0, the last not 0 unless it is the only one),
// the first at 10^e with -5 <= e < 15, in plain notation at `q` (room for 40 bytes); returns
// the end.
char* WritePlainDigits(char* q, std::string_view digits, int e) {
  const auto n = static_cast<int>(digits.size());
  if (e >= 0) {
    for (int k = 0; k <= e; ++k) *q++ = k < n ? digits[static_cast<std::size_t>(k)] : '0';
    if (e + 1 < n) {
      *q++ = '.';
      for (int k = e + 1; k < n; ++k) *q++ = digits[static_cast<std::size_t>(k)];
    }
  } else {
    *q++ = '0';
    *q++ = '.';
    for (int k = 0; k < -e - 1; ++k) *q++ = '0';
    for (const char c : digits) *q++ = c;
  }
  return q;
}

// Writes a rounded decimal in plain notation when its exponent is within [-5, 14], otherwise
// as d.ddddE+XX.
std::string WriteGeneral(const Decimal& d) {
  std::string digits = d.digits;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  if (d.negative) out.push_back('-');
  if (digits == "0") return "0";
  const int e = d.exponent;
  if (e >= 15 || e < -5) {
    out.push_back(digits[0]);
    if (digits.size() > 1) {
      out.push_back('.');
      out.append(digits, 1);
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    return out + buf;
  }
  char plain[40];
  out.append(plain, WritePlainDigits(plain, digits, e));
  return out;
}

}  // namespace

// The income a reverse calculation found is written once a record: a short path of its own
// here saved 3.5 % of a mixed sheet's time, too little to keep.
std::string FormatGeneral(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0.0) return "0";
  // Next to the largest double, rounding up can leave the range of a double; the text is
  // still the rounded one, and reading it back then fails as for any amount that large.
  return WriteGeneral(RoundSignificant(value, 15));
}

std::string FormatPercentSlowly(double rate) {
  // rate x 100 in extended precision, then 15 significant digits of that extended value.
  const Ext hundredfold = Widen(rate) * 100;
  if (!std::isfinite(hundredfold)) return {};
  if (hundredfold == 0) return "0%";
  return WriteGeneral(Significant(hundredfold, 15)) + "%";
}

std::string FormatPercent(double rate) {
  const Ext hundredfold = Widen(rate) * 100;
  // Whole percentages (every rate of the schedules): when the value is within a fraction of
  // the 15-digit rounding unit of an integer, the 15 digits are that integer's. Without this a
  // 1,000,000-row salary batch takes 2.6 times the user time (1.7 times the mixed sheet).
  if (hundredfold >= 1 && hundredfold < 1000) {
    std::uint64_t nearest = 0;
    const Ext whole = Nearest(hundredfold, nearest);
    const Ext tolerance = hundredfold < 10 ? 2e-15L : 2e-14L;
    if (std::fabs(hundredfold - whole) < tolerance) {
      char text[8];
      char* const end = text + sizeof text;
      char* p = end;
      *--p = '%';
      for (auto percent = static_cast<unsigned>(nearest); p == end - 1 || percent != 0; percent /= 10)
        *--p = static_cast<char>('0' + percent % 10);
      return {p, static_cast<std::size_t>(end - p)};
    }
  }
  return FormatPercentSlowly(rate);
}

}  // namespace quorvex::tax
