// Writes a sheet as an Excel workbook (.xlsx): worksheets whose first row (or the one
// SetHeaderRow() names) is a frozen header in bold text, the other cells texts unless the
// caller gives a cell as a number (with the number format that shows it) or a boolean, each
// column as wide as its longest text. Rows are deflated as they come into one scratch file
// beside the workbook (constant memory; the file has no name, so nothing is left behind); the
// workbook itself is written by Close(), which reads it through before it counts as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheets/engine/sheet_format.h"
#include "sheets/workbook/workbook_rows.h"
#include "sheets/workbook/xlsx_parts.h"
#include "sheets/workbook/zip_writer.h"

namespace quorvex::sheets {

class XlsxWriter {
 public:
  // Excel's limits: rows in a sheet, characters in a cell.
  static constexpr std::size_t kMaxRows = sheets::kMaxRows;
  static constexpr std::size_t kMaxCellChars = 32767;

  XlsxWriter();
  ~XlsxWriter();
  XlsxWriter(const XlsxWriter&) = delete;
  XlsxWriter& operator=(const XlsxWriter&) = delete;

  // Open() starts a workbook to be written at `path` by Close(); errors name the file
  // `shownName` (default: `path`), for a workbook written under a temporary name. Its rows
  // wait in `folder` (default: the path's), on the disk that is to hold the workbook.
  bool Open(const std::string& path, const std::string& shownName = {}, const std::string& folder = {});
  // WriteRow() adds row `index` of `rows`; the first one written is the header. Each cell is
  // written as its kind says (a number or boolean when it is one; the header is always text);
  // a number's text is still what the column's width is measured by. False (with Error())
  // when the row does not fit in a worksheet.
  bool WriteRow(const CellRows& rows, std::size_t index);
  // The same for a row of texts.
  bool WriteRow(const std::vector<std::string>& cells);
  // StartSheet() starts a worksheet named `name` (the library's "Sheet1" ... when empty); the
  // rows written go to it. WriteRow() starts one itself when none was.
  bool StartSheet(const std::string& name);
  // SetHeaderRow() makes row `row` (0-based; the first by default) the bold, frozen header,
  // the rows above it a title; before that row is written.
  void SetHeaderRow(std::size_t row);
  // SetDate1904() makes the workbook count dates from 1904, as the one its cells came from.
  void SetDate1904(bool on) { date1904_ = on; }
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
  struct Sheet;
  bool Fail(const std::string& reason);
  bool ScratchFailed(int why);
  bool WriteFailed(int why);
  // Deflates the rows gathered; `last` ends the current sheet with `tail`.
  bool Drain(bool last, std::string_view tail = {});
  // Ends the current sheet: its widths, lists and the end of its stream.
  bool EndSheet();
  bool WriteBook();
  bool ReadBack();
  std::size_t StyleOf(const WrittenCell& cell);

  std::string name_;
  std::string path_;
  std::string error_;
  bool open_ = false;
  int scratch_ = -1;  // the deflated rows of every sheet, one after the other
  std::uint64_t scratchSize_ = 0;
  std::vector<Sheet> sheets_;
  std::unique_ptr<Deflater> deflater_;  // the current sheet's rows
  std::string xml_;                     // rows not yet deflated
  std::string deflated_;                // deflated rows not yet in the scratch file
  std::size_t rows_ = 0;
  std::size_t headerRow_ = 0;
  bool date1904_ = false;
  std::vector<std::size_t> widths_;
  std::vector<xlsx::ListChoices> choices_;
  std::vector<std::string> columnNames_;  // "A", "B", ...
  // The cells' styles after the plain (0) and the bold header (1): one per number format, the
  // built-in ones by id, the others by their code. Past kMaxFormats distinct formats a cell
  // goes without one.
  static constexpr std::size_t kMaxFormats = 4096;
  xlsx::NumberStyles styles_;
  std::unordered_map<std::string, std::size_t> styleOfCode_;
  std::vector<std::size_t> styleOfBuiltin_;
};

// DisplayWidth() counts the columns a text takes in a cell: two for a wide (CJK) character.
std::size_t DisplayWidth(std::string_view text);
// ShownWidth() is about the columns a number or boolean with the text `text` takes, shown as `cell` says.
std::size_t ShownWidth(std::string_view text, const WrittenCell& cell);

}  // namespace quorvex::sheets
