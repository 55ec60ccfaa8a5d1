// An Excel workbook as the sheet engine's byte stream: the first worksheet read as CSV text
// (one line per sheet row, so line numbers are the sheet's row numbers), and CSV text
// written as the rows of a workbook.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sheets/sheet_engine.h"
#include "sheets/sheet_text.h"
#include "sheets/workbook_rows.h"
#include "sheets/xlsx_writer.h"

namespace quorvex::sheets {

// The rows of an open workbook as CSV text, the first row its header. A cell of a formula
// without a saved result is written as a field no CSV writer makes (kUnsavedCsvField and the
// cell's reference, unquoted), which the CSV reader of a workbook's rows takes out again; in
// the header it is empty.
class WorkbookSource : public ByteSource {
 public:
  explicit WorkbookSource(WorkbookRows& reader) : reader_(reader) {}
  long Read(char* data, std::size_t size, std::string& error) override;
  bool Rewind(std::string& error) override;
  // Progress through the worksheet's XML.
  std::uint64_t Size() const override { return reader_.BytesTotal(); }
  std::int64_t Progress() const override { return static_cast<std::int64_t>(reader_.BytesRead()); }

 private:
  bool Fill(std::string& error);

  WorkbookRows& reader_;
  std::string pending_;
  std::size_t pos_ = 0;
  std::uint64_t line_ = 1;  // the line the next CSV record starts on
  bool end_ = false;
  bool header_ = true;  // the next row is the first
};

// CSV text of whole records, written as rows of a workbook.
class WorkbookSink : public ByteSink {
 public:
  explicit WorkbookSink(XlsxWriter& writer) : writer_(writer) {}
  bool Write(std::string_view data, std::string& error) override;
  // Starts the result's sheet: named `sheet` (the library's name when empty).
  void HeaderRow(std::size_t rows) override {
    if (writer_.StartSheet(sheet)) writer_.SetHeaderRow(rows);
  }

  std::string sheet;  // the name of the sheet the next rows go to

 private:
  XlsxWriter& writer_;
};

}  // namespace quorvex::sheets
