// What the workbook readers (.xlsx and .xlsm, .xls) share: a worksheet's rows, one by one,
// each cell as the text the workbook shows, and beside it what the cell holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sheets {

// A cell holding a formula whose result was never saved (a workbook written by a script) or is
// to be computed anew when the workbook is opened: its text is this byte, which no text in a
// workbook holds (it is no UTF-8), then the cell's reference ("\xFF" "H2").
inline constexpr char kUnsavedFormula = '\xFF';

// A worksheet of a workbook, in the workbook's order.
struct WorkbookSheet {
  std::string name;
  bool hidden = false;  // hidden (or very hidden) by its owner
};

// What a cell holds: a text, a number or a boolean (a formula's saved value counts as what it
// is), and its number format's id (0: General; the built-in ones below 164, a workbook's own
// from 164 on).
enum class CellKind : std::uint8_t { kText, kNumber, kBoolean };
struct CellInfo {
  CellKind kind = CellKind::kText;
  std::uint16_t format = 0;
};

class WorkbookRows {
 public:
  virtual ~WorkbookRows() = default;
  // The workbook's worksheets; the first is read once the workbook is open.
  [[nodiscard]] virtual const std::vector<WorkbookSheet>& Sheets() const = 0;
  // Select() reads worksheet `index` of Sheets() from its first row on; false (with Error())
  // when it cannot be read.
  virtual bool Select(std::size_t index) = 0;
  // Next() gives the next row that has a cell: its cells' texts from column A on, a cell
  // missing from the row given as "". False at the end of the sheet or on an error (see Error()).
  virtual bool Next(std::vector<std::string>& row) = 0;
  // The error, naming the file and the reason; empty when there was none.
  [[nodiscard]] virtual const std::string& Error() const = 0;
  // The sheet row number (1-based) of the row Next() gave last.
  [[nodiscard]] virtual std::size_t Line() const = 0;
  // How much of the worksheet has been read, of how much.
  [[nodiscard]] virtual std::uint64_t BytesRead() const = 0;
  [[nodiscard]] virtual std::uint64_t BytesTotal() const = 0;
  // The cells of the row Next() gave last, by their place in it: texts without a format past
  // its end. A reader that knows no kinds gives none.
  [[nodiscard]] virtual const std::vector<CellInfo>& Types() const {
    static const std::vector<CellInfo> none;
    return none;
  }
  // Whether the workbook's dates are days from 1904-01-01 (a number format shows a date), not
  // from 1900: a result that copies them must say the same.
  [[nodiscard]] virtual bool Date1904() const { return false; }
  // The code the workbook gives its number format `id` ("yyyy-mm-dd"; Excel also writes those of
  // some built-in ids, such as its currencies, whose code depends on the language); empty for an
  // id the workbook does not define.
  [[nodiscard]] virtual std::string_view FormatCode(std::uint16_t id) const {
    (void)id;
    return {};
  }
};

}  // namespace quorvex::sheets
