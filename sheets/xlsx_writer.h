// Writes a sheet as an Excel workbook (.xlsx): one worksheet, the first row a frozen header in
// bold, every cell a text cell (so "3%" and "0.00" stay as written), each column as wide as
// its longest text. Rows go to scratch files beside the workbook as they come (constant
// memory); the workbook itself is written by Close(), which reads it through before it counts
// as written.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sheets/sheet_format.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace quorvex::sheets {

class XlsxWriter {
 public:
  // Excel's limits: rows in a sheet, characters in a cell.
  static constexpr std::size_t kMaxRows = sheets::kMaxRows;
  static constexpr std::size_t kMaxCellChars = 32767;

  XlsxWriter() = default;
  ~XlsxWriter();
  XlsxWriter(const XlsxWriter&) = delete;
  XlsxWriter& operator=(const XlsxWriter&) = delete;

  // Open() starts a workbook to be written at `path` by Close(); errors name the file
  // `shownName` (default: `path`), for a workbook written under a temporary name.
  bool Open(const std::string& path, const std::string& shownName = {});
  // WriteRow() adds a row; the first one is the header. False (with Error()) when the row
  // does not fit in a worksheet.
  bool WriteRow(const std::vector<std::string>& cells);
  // StartSheet() starts a worksheet named `name` (the library's "Sheet1" ... when empty); the
  // rows written go to it. WriteRow() starts one itself when none was.
  bool StartSheet(const std::string& name);
  // SetHeaderRow() makes row `row` (0-based; the first by default) the bold, frozen header,
  // the rows above it a title; before that row is written.
  void SetHeaderRow(std::size_t row);
  // AddChoices() offers `choices` as a drop-down list in `column` of rows 2 to `lastRow`
  // (1-based); another text there is questioned with `advice` (and may be kept: the sheet
  // takes other names too); an empty cell stays allowed.
  bool AddChoices(std::size_t column, std::size_t lastRow, const std::vector<std::string>& choices,
                  const std::string& advice);
  // Close() writes the file and reads it back; false (with Error()) when it could not be
  // written or does not read back with every row written.
  bool Close();

  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& reason);
  bool ScratchFailed(int why);
  bool ReadBack();
  // Gives the current sheet its column widths.
  void EndSheet();

  std::string name_;
  std::string path_;
  std::string scratch_;  // the folder of the scratch files
  std::string error_;
  lxw_workbook* workbook_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;  // the sheet written
  std::vector<lxw_worksheet*> sheets_;
  lxw_format* bold_ = nullptr;
  std::size_t rows_ = 0;
  std::size_t headerRow_ = 0;
  std::vector<std::size_t> filledRows_;  // per sheet, rows with a cell that is not empty: those that read back
  std::vector<std::size_t> widths_;
};

// DisplayWidth() counts the columns a text takes in a cell: two for a wide (CJK) character.
std::size_t DisplayWidth(const std::string& text);

}  // namespace quorvex::sheets
