// Amount cells of a sheet as a spreadsheet shows them: "￥8,000.00", "1,234,567.8元", full-width
// digits, blanks of any kind around. The pages read amounts as typed; a sheet's cells are
// read this way only when the text is no plain amount.
#pragma once

#include <string>
#include <string_view>

namespace quorvex::sheets {

// MaybeShownAmount() is true when `text` holds a byte no plain amount has (a comma or a
// character beyond ASCII), so that ReadShownAmount() may read it; it costs a scan of the text.
[[nodiscard]] inline bool MaybeShownAmount(std::string_view text) {
  for (const char c : text) {
    if (c == ',' || static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// ReadShownAmount() writes into `plain` the amount `text` shows, as the pages take it typed:
// blanks (any Unicode space, U+3000 and U+00A0 among them) around it, a ￥ or ¥ before it (with
// a sign before or after the symbol), 元 after it, full-width digits, point and comma, and
// thousands separators in groups of three are taken off ("￥8,000.00" -> "8000.00"). False,
// `plain` unspecified, for a text that shows no amount ("80,00", "八千", "8000美元").
[[nodiscard]] bool ReadShownAmount(std::string_view text, std::string& plain);

}  // namespace quorvex::sheets
