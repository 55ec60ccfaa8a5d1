// The XML of a workbook's parts as the result writer makes them: the package's content types
// and relationships, the workbook, the styles, and a worksheet's head and tail around its rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvex::sheets::xlsx {

// The text as a worksheet can hold it: a malformed UTF-8 byte becomes U+FFFD (a workbook
// must be UTF-8 throughout, or Excel refuses the whole file), a character XML cannot carry
// its escape, and a text that reads like such an escape ("_x0041_") gets its "_" escaped
// ("_x005F_x0041_"), or a reader would show the character instead of the text. `chars`
// counts the characters of the text as read back.
std::string CellText(std::string_view text, std::size_t& chars);
// `text` as XML character data, or (`attribute`) as an attribute's value between double quotes.
void AppendXml(std::string& out, std::string_view text, bool attribute = false);
// The shortest text that reads back as `value`, without an exponent where the number has at
// most 16 digits before its point ("100000", not "1e+05").
void AppendNumber(std::string& out, double value);
// A number as Excel shows it, from the text a workbook stores it in: that text, or, when it has
// more than the 15 significant digits Excel keeps (0.1+0.2 is stored as 0.30000000000000004),
// rounded to 15. Both workbook readers give numbers so, the same stored number the same text.
std::string ExcelNumber(std::string text);
// A column's letters: A ... Z, AA ... XFD.
std::string ColumnName(std::size_t column);

std::string ContentTypes(std::size_t sheets);
std::string RootLinks();
// `date1904`: the dates written count from 1904 (as those of the workbook they came from).
std::string WorkbookPart(const std::vector<std::string>& sheetNames, bool date1904 = false);
std::string WorkbookLinks(std::size_t sheets);

// The styles after the plain (0) and the bold header (1), one per number format: its id and,
// for a workbook's own format (id 164 on), its code.
using NumberStyles = std::vector<std::pair<std::uint16_t, std::string>>;
std::string StylesPart(const NumberStyles& styles);

struct SheetLook {
  std::size_t headerRow = 0;  // 0-based: the rows up to it stay in view
  std::size_t lastRow = 0;    // the last row and column with a cell, 1-based; 0 when none
  std::size_t lastColumn = 0;
  const std::vector<std::size_t>& widths;  // the characters of each column's widest cell
  bool first = false;                      // the sheet shown when the workbook opens
};
// Up to <sheetData>.
std::string SheetHead(const SheetLook& sheet);

// A drop-down list in `column` (0-based) of rows 2 to `lastRow`: its formula, and the advice
// shown for another text.
struct ListChoices {
  std::size_t column;
  std::size_t lastRow;
  std::string list;
  std::string advice;
};
// From </sheetData> on.
std::string SheetTail(const std::vector<ListChoices>& lists);

}  // namespace quorvex::sheets::xlsx
