// A figure as the page shows it ("905.10", "3%", "9750"), as a workbook stores it: the exact
// decimal the text shows and the number format that shows it the same way again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvex::sheets {

struct ShownNumber {
  double value = 0;
  std::string format;  // "0.00", "0", "0%", "#,##0.00", ...
};

// ShownNumberOf() reads a plain decimal: an optional minus, digits (grouped by commas in
// threes, or not at all), an optional point with digits, an optional "%" (the value is then
// the hundredth: "3%" is 0.03). Nothing else is one: an empty text, a word, an exponent, a
// leading zero ("007"), a negative zero, or more than the 15 significant digits a workbook
// keeps, which would not show the same text again.
std::optional<ShownNumber> ShownNumberOf(std::string_view text);

}  // namespace quorvex::sheets
