// A sheet's records written as the rows of a workbook: the writer the engine gives each
// computing thread, and the sink that hands the rows to the workbook in order.
#pragma once

#include <string>

#include "sheets/engine/sheet_engine.h"
#include "sheets/engine/sheet_format.h"
#include "sheets/workbook/xlsx_writer.h"

namespace quorvex::sheets {

// Records as rows: the title rows above the header and the header as texts; each record's
// cells as the input had them (a workbook's numbers, dates and booleans with their formats, a
// text's fields as texts); the outcome's figures (the income found and the result lines) as
// numbers shown by a format that shows their text again.
class BookWriter : public SheetWriter {
 public:
  explicit BookWriter(const Layout& layout) : layout_(layout) {}
  void Begin(Written& out) const override;
  void Write(const Record& record, const RecordOutcome& outcome, Written& out) override;
  std::size_t PerRecordBytes() const override;

 private:
  const Layout& layout_;
};

// Rows into a workbook being written: each sheet computed starts a worksheet.
class BookSink : public SheetSink {
 public:
  explicit BookSink(XlsxWriter& writer) : writer_(writer) {}
  bool Put(const Written& records, std::string& error) override;
  // Starts the result's sheet: named `sheet` (the library's name when empty), its header after
  // `rows` rows of title.
  void HeaderRow(std::size_t rows) override {
    if (writer_.StartSheet(sheet)) writer_.SetHeaderRow(rows);
  }

  std::string sheet;  // the name of the sheet the next rows go to

 private:
  XlsxWriter& writer_;
};

}  // namespace quorvex::sheets
