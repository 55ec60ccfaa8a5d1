#include "sheets/workbook/shown_number.h"

#include <charconv>
#include <cstddef>

namespace quorvex::sheets {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<ShownNumber> ShownNumberOf(std::string_view text) {
  std::string_view rest = text;
  const bool negative = !rest.empty() && rest.front() == '-';
  if (negative) rest.remove_prefix(1);
  const bool percent = !rest.empty() && rest.back() == '%';
  if (percent) rest.remove_suffix(1);
  const std::size_t point = rest.find('.');
  const std::string_view whole = rest.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : rest.substr(point + 1);
  if (whole.empty() || (point != std::string_view::npos && fraction.empty())) return std::nullopt;
  for (char c : fraction) {
    if (!IsDigit(c)) return std::nullopt;
  }
  // The whole part: digits, or a group of one to three and groups of three, between commas.
  const bool grouped = whole.find(',') != std::string_view::npos;
  std::string digits;
  digits.reserve(rest.size() + 4);
  std::size_t group = 0;
  for (const char c : whole) {
    if (c == ',') {
      if (group == 0 || group > 3 || (digits.size() > group && group != 3)) return std::nullopt;
      group = 0;
    } else if (IsDigit(c)) {
      digits += c;
      ++group;
    } else {
      return std::nullopt;
    }
  }
  if (grouped && group != 3) return std::nullopt;
  if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
  std::size_t significant = 0;
  bool zero = true;
  for (const std::string_view part : {std::string_view(digits), fraction}) {
    for (char c : part) {
      if (c != '0') zero = false;
      if (!zero) ++significant;
    }
  }
  if (significant > 15 || (negative && zero)) return std::nullopt;

  if (!fraction.empty()) digits.append(".").append(fraction);
  if (percent) digits += "e-2";  // the hundredth, rounded once from the decimal
  ShownNumber number;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number.value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (negative) number.value = -number.value;
  number.format = grouped ? "#,##0" : "0";
  if (!fraction.empty()) number.format.append(".").append(fraction.size(), '0');
  if (percent) number.format += '%';
  return number;
}

}  // namespace quorvex::sheets
