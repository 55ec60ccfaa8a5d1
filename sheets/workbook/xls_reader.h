// Reads a worksheet of an Excel 97-2003 workbook (.xls), the first unless another is selected,
// row by row, through FreeXL.
// The file is read whole when opened (the format holds at most 65,536 rows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/workbook/workbook_rows.h"

namespace quorvex::sheets {

class XlsReader : public WorkbookRows {
 public:
  XlsReader() = default;
  ~XlsReader() override;
  XlsReader(const XlsReader&) = delete;
  XlsReader& operator=(const XlsReader&) = delete;

  // Open() opens the workbook at `path` and selects its first worksheet; false when FreeXL
  // cannot read it, with Encrypted() telling a workbook protected by a password.
  bool Open(const std::string& path);
  [[nodiscard]] bool Encrypted() const { return encrypted_; }

  // Numbers as Excel's General format shows them (15 significant digits), formulas by their
  // saved value (a workbook of this format always has one), dates as YYYY-MM-DD.
  bool Next(std::vector<std::string>& row) override;
  const std::vector<WorkbookSheet>& Sheets() const override { return sheets_; }
  bool Select(std::size_t index) override;
  // Numbers are numbers (in General: FreeXL gives no formats), everything else texts.
  const std::vector<CellInfo>& Types() const override { return types_; }
  const std::string& Error() const override { return error_; }
  std::size_t Line() const override { return line_; }
  // Progress in rows.
  std::uint64_t BytesRead() const override { return next_; }
  std::uint64_t BytesTotal() const override { return rows_; }

 private:
  const void* handle_ = nullptr;
  std::string path_;
  std::string error_;
  std::vector<WorkbookSheet> sheets_;
  unsigned rows_ = 0;
  unsigned short columns_ = 0;
  unsigned next_ = 0;  // the next row to read, from 0
  std::size_t line_ = 0;
  bool encrypted_ = false;
  std::vector<CellInfo> types_;  // of the row Next() gave last
};

}  // namespace quorvex::sheets
