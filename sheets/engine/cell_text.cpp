#include "sheets/engine/cell_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace quorvex::sheets {
namespace {

// The codes of Excel's built-in formats as its Chinese edition shows them; empty: shown as read.
std::string_view BuiltinCode(std::uint16_t id) {
  static constexpr std::string_view kYearMonth = "yyyy\"年\"m\"月\"", kMonthDay = "m\"月\"d\"日\"";
  static constexpr std::string_view kTime = "上午/下午h\"时\"mm\"分\"",
                                    kTimeSeconds = "上午/下午h\"时\"mm\"分\"ss\"秒\"";
  switch (id) {
    case 1:
      return "0";
    case 2:
      return "0.00";
    case 3:
      return "#,##0";
    case 4:
      return "#,##0.00";
    case 5:
    case 6:
      return "￥#,##0;￥-#,##0";
    case 7:
    case 8:
      return "￥#,##0.00;￥-#,##0.00";
    case 9:
      return "0%";
    case 10:
      return "0.00%";
    case 14:
      return "yyyy/m/d";
    case 15:
      return "d-mmm-yy";
    case 16:
      return "d-mmm";
    case 17:
      return "mmm-yy";
    case 18:
      return "h:mm AM/PM";
    case 19:
      return "h:mm:ss AM/PM";
    case 20:
      return "h:mm";
    case 21:
      return "h:mm:ss";
    case 22:
      return "yyyy/m/d h:mm";
    case 27:
    case 36:
    case 50:
    case 52:
    case 57:
      return kYearMonth;
    case 28:
    case 29:
    case 51:
    case 53:
    case 54:
    case 58:
      return kMonthDay;
    case 30:
      return "m-d-yy";
    case 31:
      return "yyyy\"年\"m\"月\"d\"日\"";
    case 32:
      return "h\"时\"mm\"分\"";
    case 33:
      return "h\"时\"mm\"分\"ss\"秒\"";
    case 34:
    case 55:
      return kTime;
    case 35:
    case 56:
      return kTimeSeconds;
    case 37:
    case 38:
      return "#,##0;-#,##0";
    case 39:
    case 40:
      return "#,##0.00;-#,##0.00";
    case 45:
      return "mm:ss";
    default:
      return {};
  }
}

// One piece of a format's section: a literal text, or a run of one placeholder letter.
struct Token {
  std::string text;  // the literal, or the letters as written ("yyyy", "0", "#,##0.00" pieces)
  bool literal = true;
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Splits a section into tokens; false for what is not rendered here.
bool Tokens(std::string_view s, std::vector<Token>& out) {
  const auto literal = [&out](std::string_view text) {
    if (out.empty() || !out.back().literal) out.push_back({});
    out.back().text.append(text);
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      const std::size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos) return false;
      literal(s.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == '\\' && i + 1 < s.size()) {
      literal(s.substr(++i, 1));
    } else if (c == '_' && i + 1 < s.size()) {
      literal(" ");  // the width of the next character
      ++i;
    } else if (c == '*' && i + 1 < s.size()) {
      ++i;  // a fill: nothing in a CSV field
    } else if (c == '[') {
      const std::size_t end = s.find(']', i);
      if (end == std::string_view::npos) return false;
      const std::string_view tag = s.substr(i + 1, end - i - 1);
      if (!tag.empty() && tag[0] == '$') {
        literal(tag.substr(1, tag.find('-') == std::string_view::npos ? std::string_view::npos : tag.find('-') - 1));
      } else if (tag.empty() || tag[0] == '<' || tag[0] == '>' || tag[0] == '=' || Lower(tag[0]) == 'h' ||
                 Lower(tag[0]) == 'm' || Lower(tag[0]) == 's') {
        return false;  // a condition or elapsed time
      }                // a colour or another tag shows nothing
      i = end;
    } else if (s.compare(i, 5, "AM/PM") == 0 || s.compare(i, 5, "am/pm") == 0 || s.compare(i, 13, "上午/下午") == 0) {
      out.push_back({"a", false});
      i += s[i] == 'A' || s[i] == 'a' ? 4 : 12;
    } else if (std::string_view("ymdhs").find(Lower(c)) != std::string_view::npos) {
      std::size_t n = 1;
      while (i + n < s.size() && Lower(s[i + n]) == Lower(c)) ++n;
      out.push_back({std::string(n, Lower(c)), false});
      i += n - 1;
    } else if (c == '0' || c == '#' || c == '?' || c == '.' || c == ',' || c == '%') {
      out.push_back({std::string(1, c), false});
    } else if (c == 'E' || c == 'e') {
      return false;  // exponents
    } else {
      literal(s.substr(i, 1));
    }
  }
  return true;
}

// The calendar date of day `days` since 1970-01-01 (Howard Hinnant's civil_from_days).
void Civil(long days, long& y, unsigned& m, unsigned& d) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<long>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

void Pad(std::string& out, long value, std::size_t width) {
  const std::string digits = std::to_string(value);
  if (digits.size() < width) out.append(width - digits.size(), '0');
  out += digits;
}

bool ShowDate(double serial, const std::vector<Token>& tokens, bool date1904, std::string& out) {
  if (!(serial >= 0) || serial >= 2958466) return false;  // before the epoch, past 9999-12-31
  auto seconds = static_cast<long>(std::llround(serial * 86400));
  long day = seconds / 86400;
  seconds %= 86400;
  // Days since 1970-01-01: the 1900 system counts a 1900-02-29 that never was (day 60).
  const long unixDay = date1904 ? day - 24107 : day - (day <= 60 ? 25568 : 25569);
  long y = 1900;
  unsigned m = 1, d = 0;
  if (date1904 || day > 60 || (day > 0 && day < 60)) {
    Civil(unixDay, y, m, d);
  } else if (day == 60) {
    m = 2, d = 29;
  }
  const bool pm = seconds >= 12L * 3600;
  bool twelve = false;
  for (const Token& t : tokens) twelve = twelve || (!t.literal && t.text == "a");
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    const std::size_t n = t.text.size();
    if (t.literal) {
      out += t.text;
    } else if (t.text[0] == 'y') {
      Pad(out, n <= 2 ? y % 100 : y, n <= 2 ? 2 : 4);
    } else if (t.text[0] == 'm') {
      // Minutes after hours or before seconds, the month otherwise.
      bool minute = false;
      for (std::size_t j = i; j-- > 0 && !minute;) {
        if (!tokens[j].literal) {
          minute = tokens[j].text[0] == 'h';
          break;
        }
      }
      for (std::size_t j = i + 1; j < tokens.size() && !minute; ++j) {
        if (!tokens[j].literal) {
          minute = tokens[j].text[0] == 's';
          break;
        }
      }
      if (minute) {
        Pad(out, seconds / 60 % 60, std::min<std::size_t>(n, 2));
      } else if (n >= 3) {
        out += std::to_string(m) + "月";
      } else {
        Pad(out, m, n);
      }
    } else if (t.text[0] == 'd') {
      if (n >= 3) {
        static constexpr std::array<std::string_view, 7> kDays{"日", "一", "二", "三", "四", "五", "六"};
        out.append(n == 3 ? "周" : "星期").append(kDays[static_cast<std::size_t>(((unixDay + 4) % 7 + 7) % 7)]);
      } else {
        Pad(out, d, n);
      }
    } else if (t.text[0] == 'h') {
      const long h = seconds / 3600;
      Pad(out, twelve ? (h % 12 == 0 ? 12 : h % 12) : h, std::min<std::size_t>(n, 2));
    } else if (t.text[0] == 's') {
      Pad(out, seconds % 60, std::min<std::size_t>(n, 2));
    } else if (t.text[0] == 'a') {
      out += pm ? "下午" : "上午";
    } else {
      return false;  // digits in a date
    }
  }
  return true;
}

// `value` (not negative) in fixed notation with `decimals` places, rounded half away from zero
// on the 15 significant digits a workbook keeps.
std::string Fixed(double value, int decimals) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  if (ec != std::errc()) return {};
  const std::string_view sci(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t e = sci.find('e');
  std::string digits(1, sci[0]);
  digits.append(sci.substr(2, e - 2));  // 15 significant digits
  int exponent = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
  // The decimal point lies after digit `exponent`: pad so that it and `decimals` places exist.
  int point = exponent + 1;
  if (point <= 0) {
    digits.insert(0, static_cast<std::size_t>(1 - point), '0');
    point = 1;
  }
  const auto keep = static_cast<std::size_t>(point) + static_cast<std::size_t>(decimals);
  if (digits.size() < keep + 1) digits.append(keep + 1 - digits.size(), '0');
  const bool up = digits[keep] >= '5';
  digits.resize(keep);
  for (std::size_t i = keep; up && i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      break;
    }
    digits[i] = '0';
    if (i == 0) {
      digits.insert(0, 1, '1');
      ++point;
    }
  }
  std::string out = digits.substr(0, static_cast<std::size_t>(point));
  out.erase(0, std::min(out.find_first_not_of('0'), out.size()));
  if (decimals > 0) out.append(".").append(digits.substr(static_cast<std::size_t>(point)));
  return out;
}

bool ShowNumber(double value, const std::vector<Token>& tokens, std::string& out) {
  int decimals = 0, fixedDecimals = 0, percent = 0, minimum = 0, scale = 0;
  bool point = false, grouped = false, digitsSeen = false;
  for (const Token& t : tokens) {
    if (t.literal) continue;
    const char c = t.text[0];
    if (c == '.') {
      point = true;
    } else if (c == '%') {
      ++percent;
    } else if (c == ',') {
      // Between digit places it groups thousands; after the last one it divides by 1000.
      if (digitsSeen && !point) ++scale;
    } else if (c == '0' || c == '#' || c == '?') {
      if (scale > 0 && !point) grouped = true, scale = 0;
      digitsSeen = true;
      if (point) ++decimals;
      if (point && c == '0') fixedDecimals = decimals;
      if (c == '0' && !point) ++minimum;
    } else {
      return false;  // a date's letter among digits
    }
  }
  if (!digitsSeen) return false;
  for (const Token& t : tokens) {
    if (t.literal && t.text.find('/') != std::string::npos) return false;  // a fraction
  }
  value = std::fabs(value) * std::pow(100.0, percent) / std::pow(1000.0, scale);
  std::string number = Fixed(value, decimals);
  if (number.empty()) return false;
  std::string whole = number.substr(0, number.find('.'));
  if (whole.size() < static_cast<std::size_t>(minimum)) whole.insert(0, minimum - whole.size(), '0');
  if (grouped) {
    for (std::size_t i = whole.size(); i > 3; i -= 3) whole.insert(i - 3, 1, ',');
  }
  std::string fraction = decimals > 0 ? number.substr(number.find('.')) : "";
  // Places of '#' show no trailing zeros; the point stays ("#.##" shows 1 as "1.").
  while (fraction.size() > static_cast<std::size_t>(fixedDecimals) + 1 && fraction.back() == '0') fraction.pop_back();
  if (point && fraction.empty()) fraction.push_back('.');
  number = whole + fraction;
  bool written = false;
  for (const Token& t : tokens) {
    if (t.literal) {
      out += t.text;
    } else if (t.text[0] == '%') {
      out += '%';
    } else if (!written) {
      out += number;
      written = true;
    }
  }
  return true;
}

}  // namespace

std::string ShownText(double value, std::uint16_t builtin, std::string_view code, bool date1904) {
  if (code.empty()) code = BuiltinCode(builtin);
  if (code.empty() || code == "@" || code == "General" || code == "general" || !std::isfinite(value)) return {};
  // The sections for positive numbers, negative ones, zero; one section serves all, with a
  // minus before the negative.
  std::vector<std::string_view> sections;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i] == '"') quoted = !quoted;
    if (code[i] == '\\') ++i;
    if (code[i] == ';' && !quoted) {
      sections.push_back(code.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(code.substr(start));
  std::size_t pick = 0;
  if (value < 0 && sections.size() > 1) pick = 1;
  if (value == 0 && sections.size() > 2) pick = 2;
  std::vector<Token> tokens;
  if (!Tokens(sections[pick], tokens)) return {};
  bool date = false;
  for (const Token& t : tokens)
    date = date || (!t.literal && std::string_view("ymdhsa").find(t.text[0]) != std::string_view::npos);
  std::string out;
  if (date) return ShowDate(value, tokens, date1904, out) ? out : std::string();
  if (value < 0 && pick == 0) out = "-";
  return ShowNumber(value, tokens, out) ? out : std::string();
}

std::string_view FieldText(const Record& record, std::size_t i, bool date1904, std::string& scratch) {
  const std::string_view text = record.fields[i].text;
  if (i >= record.kinds.size()) return text;
  const WrittenCell& how = record.kinds[i];
  if (how.kind != CellKind::kNumber || (how.builtin == 0 && how.code.empty())) return text;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return text;
  scratch = ShownText(value, how.builtin, how.code, date1904);
  return scratch.empty() ? text : std::string_view(scratch);
}

}  // namespace quorvex::sheets
