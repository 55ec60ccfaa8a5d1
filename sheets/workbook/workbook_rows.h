// What the workbook readers (.xlsx and .xlsm, .xls) share: a worksheet's rows, one by one,
// each cell as the text the workbook shows, and beside it what the cell holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/engine/cell_rows.h"

namespace quorvex::sheets {

// A worksheet of a workbook, in the workbook's order.
struct WorkbookSheet {
  std::string name;
  bool hidden = false;  // hidden (or very hidden) by its owner
};

// What a cell holds, and its number format's id (0: General; the built-in ones below 164, a
// workbook's own from 164 on).
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
  // missing from the row given as "", a formula without a saved result as its reference (its
  // kind says so). False at the end of the sheet or on an error (see Error()).
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
