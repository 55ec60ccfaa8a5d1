// Amount text: how typed amounts are read and how figures are written.
//
// Everything here is locale-independent: Qt calls setlocale() at start-up, and the
// C library's conversions would then read and write a locale's decimal separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvex::tax {

// TrimAmountText() removes every leading and trailing character whose code is 32 or less
// (blanks, tabs, line breaks, other control characters). Inner characters are kept.
// Inline: the pages and the sheets call it on every field of every record.
[[nodiscard]] inline std::string_view TrimAmountText(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

// ParseAmount() reads an amount written as
//   blanks, optional sign, digits, optional "." and digits, optional exponent, blanks
// where the digits before and after the point may both be missing as long as at least one
// digit or the point is there ("." alone is 0), and the exponent is E or e with an optional
// sign and zero or more digits (no digits means exponent 0). The value is the decimal number
// rounded to the nearest double; values too small for a double become 0. Returns nullopt
// for any other text and for a number beyond the range of a double.
[[nodiscard]] std::optional<double> ParseAmount(std::string_view text);

// FormatAmount() writes a figure with exactly two decimals ("%.2f" form, no grouping).
// The double is first written with 18 significant digits, then rounded at the second
// decimal, an exact half away from zero: 0.125 -> "0.13", 2.675 -> "2.67" (its double lies
// below the half). A value that rounds to zero is "0.00", never "-0.00".
// Returns "" for infinity and NaN.
[[nodiscard]] std::string FormatAmount(double value);

// FormatExtendedAmount() writes an extended-precision figure the way FormatAmount() writes a
// double, from the first 18 significant digits of the extended value itself. For sums that
// are shown without first being stored as a double.
[[nodiscard]] std::string FormatExtendedAmount(long double value);

// FormatPercent() writes rate x 100 with at most 15 significant digits, without trailing
// zeros or a trailing point, followed by "%": 0.03 -> "3%", 0.45 -> "45%".
[[nodiscard]] std::string FormatPercent(double rate);

// FormatGeneral() writes a value with at most 15 significant digits (rounded as
// FormatAmount() rounds, at the 15th digit), trailing zeros and point removed, no grouping:
// 6833.333333333333 -> "6833.33333333333", 5000 -> "5000". Values of 1e15 and more, or below
// 1e-5, are written in exponent form ("1.5E+15"), which ParseAmount() reads back.
// Returns "" for infinity and NaN.
[[nodiscard]] std::string FormatGeneral(double value);

}  // namespace quorvex::tax
