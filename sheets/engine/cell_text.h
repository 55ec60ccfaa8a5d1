// A workbook's number as its sheet shows it: a date as 2010-03-01, a rate as 12%, an amount as
// ￥11,300.00, the way a spreadsheet program writes it when it saves the sheet as CSV.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sheets/engine/sheet_format.h"

namespace quorvex::sheets {

// ShownText() is `value` shown by the number format `code` (or, when that is empty, Excel's
// built-in format `builtin`) in the Chinese edition of a spreadsheet program; dates count from
// 1904 when `date1904`. Empty when the format shows the value as read (General, text) or is
// one it does not render (fractions, exponents, conditions, elapsed time): the caller keeps
// the cell's text then.
std::string ShownText(double value, std::uint16_t builtin, std::string_view code, bool date1904);

// The text field `i` of a record is written with in a text result: a workbook's formatted
// number as shown (into `scratch`), anything else its text.
std::string_view FieldText(const Record& record, std::size_t i, bool date1904, std::string& scratch);

}  // namespace quorvex::sheets
