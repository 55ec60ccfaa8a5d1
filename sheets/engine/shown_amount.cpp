#include "sheets/engine/shown_amount.h"
#include "sheets/text/utf8.h"

#include <cstddef>
#include <cstdint>

namespace quorvex::sheets {
namespace {

// Unicode's white space, the controls up to 32 and the zero-width no-break space.
bool IsBlank(char32_t c) {
  return c <= 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// Digits, each group of three after a comma: "1,234,567" but not "80,00" or ",100".
bool GroupedWell(std::string_view whole) {
  std::size_t first = whole.find(',');
  if (first == 0 || first > 3) return false;
  for (std::size_t at = first; at < whole.size(); at += 4) {
    if (whole[at] != ',' || whole.size() - at < 4) return false;
    for (std::size_t k = 1; k <= 3; ++k) {
      if (whole[at + k] < '0' || whole[at + k] > '9') return false;
    }
  }
  for (std::size_t k = 0; k < first; ++k) {
    if (whole[k] < '0' || whole[k] > '9') return false;
  }
  return true;
}

}  // namespace

bool ReadShownAmount(std::string_view text, std::string& plain) {
  // The text as ASCII: full-width characters made narrow, every blank a space, the currency
  // signs 'Y' and 元 'U'; any other character shows no amount.
  std::string narrow;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = DecodeUtf8(text, i);
    if (c == kReplacementCharacter) return false;
    if (IsBlank(c)) {
      narrow += ' ';
    } else if (c >= 0xFF10 && c <= 0xFF19) {
      narrow += static_cast<char>('0' + (c - 0xFF10));
    } else if (c == 0xFF0E || c == 0xFF0C) {
      narrow += c == 0xFF0E ? '.' : ',';
    } else if (c == 0xFFE5 || c == 0xA5) {
      narrow += 'Y';
    } else if (c == 0x5143) {
      narrow += 'U';
    } else if (c < 0x80 && c != 'Y' && c != 'U') {
      narrow += static_cast<char>(c);
    } else {
      return false;
    }
  }
  std::string_view s = narrow;
  const auto trim = [&s] {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  };
  trim();
  if (s.empty()) {
    plain.clear();
    return true;
  }
  std::string_view sign;
  const auto takeSign = [&s, &sign] {
    if (sign.empty() && !s.empty() && (s.front() == '-' || s.front() == '+')) {
      sign = s.substr(0, 1);
      s.remove_prefix(1);
    }
  };
  takeSign();
  if (!s.empty() && s.front() == 'Y') {
    s.remove_prefix(1);
    trim();
    takeSign();
  }
  if (!s.empty() && s.back() == 'U') {
    s.remove_suffix(1);
    trim();
  }
  if (s.empty() || s.find_first_of(" YU+-") != std::string_view::npos) return false;
  const std::size_t point = s.find('.');
  const std::string_view whole = s.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : s.substr(point);
  if (fraction.find(',') != std::string_view::npos) return false;
  plain.assign(sign);
  if (whole.find(',') == std::string_view::npos) {
    plain.append(s);
    return true;
  }
  if (!GroupedWell(whole) || fraction.find_first_not_of(".0123456789") != std::string_view::npos) return false;
  for (const char c : whole) {
    if (c != ',') plain += c;
  }
  plain.append(fraction);
  return true;
}

}  // namespace quorvex::sheets
