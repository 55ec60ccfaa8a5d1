// Reads a worksheet of an Excel 97-2003 workbook (.xls), the first unless another is selected,
// row by row.
//
// The workbook is read by our own code, from its compound file (compound_file.h) to its
// records, rather than through a C library such as FreeXL, which crashes on damaged files,
// cannot tell a formula from an empty cell, an error cell from a number or a hidden sheet from
// a shown one, and allocates by the dimensions a file claims. Here every loop is bounded by the
// bytes the file has, nothing is sized by a claim, and a damaged workbook is refused whole
// rather than read in part.
//
// The Workbook stream is read into memory when the workbook is opened, and a worksheet's cells
// when it is selected (the format holds at most 65,536 rows of 256 columns), by what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/workbook/workbook_rows.h"

namespace quorvex::sheets {

class XlsReader : public WorkbookRows {
 public:
  XlsReader();
  ~XlsReader() override;
  XlsReader(const XlsReader&) = delete;
  XlsReader& operator=(const XlsReader&) = delete;

  // Open() opens the workbook at `path`, checks each of its worksheets and selects the first;
  // false (with Error()) when it is no workbook of this format or is damaged, and with
  // Encrypted() for a workbook protected by a password.
  bool Open(const std::string& path);
  [[nodiscard]] bool Encrypted() const;

  // Numbers as the .xlsx reader gives the same stored number (at most 15 significant digits),
  // formulas by their saved result, booleans as TRUE or FALSE, error cells as Excel shows them
  // ("#N/A"); a formula without a result (a script's) as its reference ("E4").
  bool Next(std::vector<std::string>& row) override;
  const std::vector<WorkbookSheet>& Sheets() const override;
  bool Select(std::size_t index) override;
  // Numbers and numeric results are numbers, booleans booleans, with the number format of the
  // cell's style.
  const std::vector<CellInfo>& Types() const override;
  const std::string& Error() const override;
  // The error's reason alone, without the file's name.
  [[nodiscard]] const std::string& Reason() const;
  std::size_t Line() const override;
  // Progress in cells of the worksheet.
  std::uint64_t BytesRead() const override;
  std::uint64_t BytesTotal() const override;
  bool Date1904() const override;
  std::string_view FormatCode(std::uint16_t id) const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvex::sheets
