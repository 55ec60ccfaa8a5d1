// Reads a worksheet of an Excel workbook (.xlsx), the first unless another is selected, row by
// row.
//
// The worksheet is streamed: its XML is inflated and parsed a chunk at a time, so memory
// stays flat however many rows the sheet has. The shared-strings table is the one thing held
// whole, and its size is capped. Archives that inflate beyond the caps or at an implausible
// ratio (zip bombs) are refused before anything is inflated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sheets/workbook/workbook_rows.h"

namespace quorvex::sheets {

struct XlsxLimits {
  std::uint64_t maxPartSize = std::uint64_t{4} << 30;         // inflated size of any one part
  std::uint64_t maxSharedStrings = std::uint64_t{256} << 20;  // bytes of text held from sharedStrings.xml
  std::uint64_t ratioFloor = std::uint64_t{1} << 20;          // parts smaller than this skip the ratio check
  double maxRatio = 200;                                      // inflated size / stored size
  std::size_t maxCellBytes = 1 << 20;                         // one cell's text
};

class XlsxReader : public WorkbookRows {
 public:
  XlsxReader();
  ~XlsxReader() override;
  XlsxReader(const XlsxReader&) = delete;
  XlsxReader& operator=(const XlsxReader&) = delete;

  // Open() opens the workbook at `path` and finds its first worksheet; false (with Error()
  // set) when the file is not a workbook, is damaged or is refused by `limits`.
  bool Open(const std::string& path, const XlsxLimits& limits = {});

  // Next() gives the next row that has a cell: its cells' texts from column A on, a cell
  // missing from the row's references given as "". Cells right of the first row's last
  // column (or of a wider row among those a header may lie in whose cells fill most of its
  // columns) follow it in their order, without the empty columns between them. Numbers come as the text the workbook
  // stores them in ("5000.5"), rounded to Excel's 15 significant digits when stored with
  // more; formulas by their saved value (the cell's reference, of kind kUnsavedFormula, when
  // there is none, or when the workbook asks to be computed anew on opening); booleans as TRUE or
  // FALSE. False at the end of the sheet or on an error (see Error()).
  bool Next(std::vector<std::string>& row) override;

  const std::vector<WorkbookSheet>& Sheets() const override;
  bool Select(std::size_t index) override;
  const std::string& Error() const override;
  // The error's reason alone, without the file's name.
  const std::string& Reason() const;
  bool Date1904() const override;
  std::size_t Line() const override;
  // Progress through the worksheet's XML.
  std::uint64_t BytesRead() const override;
  std::uint64_t BytesTotal() const override;
  // Numbers and formulas with a numeric result are numbers, booleans booleans, with the
  // number format of the cell's style.
  const std::vector<CellInfo>& Types() const override;
  std::string_view FormatCode(std::uint16_t id) const override;

  // CountRows(), called right after Open() or Select(), reads the worksheet through, only counting its row
  // elements (for a workbook our own writer made: its texts escape every "<"); false (with
  // Error()) when its part is damaged (a wrong checksum or length).
  bool CountRows(std::uint64_t& rows);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvex::sheets
