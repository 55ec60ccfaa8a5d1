// An Excel workbook as the sheet engine's byte stream: the first worksheet read as CSV text
// (one line per sheet row, so line numbers are the sheet's row numbers), and CSV text
// written as the rows of a workbook.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/sheet_engine.h"
#include "sheets/sheet_text.h"
#include "sheets/shown_number.h"
#include "sheets/workbook_rows.h"
#include "sheets/xlsx_writer.h"

namespace quorvex::sheets {

// The rows of an open workbook as CSV text, the first row its header. A cell of a formula
// without a saved result is written as a field no CSV writer makes (kUnsavedCsvField and the
// cell's reference, unquoted), which the CSV reader of a workbook's rows takes out again; in
// the header it is empty.
// The kinds and formats of a workbook's cells, from its rows read to the rows written. The
// engine hands a record's fields on in place, in the input's order; each row written takes
// the kinds of the row read that has the same texts (the next, or one of the next few when rows
// were left out), and a cell only when its text is still the one read. Thread-safe: rows
// are read and written by different threads. It holds only the rows in flight.
class CellKinds {
 public:
  explicit CellKinds(const WorkbookRows& reader) : reader_(reader) {}
  // Add() keeps the kinds of a row read (not the header).
  void Add(const std::vector<std::string>& row, const std::vector<CellInfo>& types);
  // Take() gives the kinds of the input cells of `row`, a row written: its first `columns`
  // cells, and those after the `outcome` columns that follow them. Texts where no row read
  // matches. `kinds` views the reader's format codes.
  void Take(const std::vector<std::string>& row, std::size_t columns, std::size_t outcome,
            std::vector<WrittenCell>& kinds);

 private:
  struct Typed {
    std::uint32_t place = 0;
    CellInfo info;
  };
  struct Row {
    std::uint64_t texts = 0;  // a hash of the row's texts and their places
    std::vector<Typed> typed;
  };
  static constexpr std::size_t kLookAhead = 64;

  const WorkbookRows& reader_;
  std::mutex mutex_;
  std::deque<Row> rows_;
};

class WorkbookSource : public ByteSource {
 public:
  explicit WorkbookSource(WorkbookRows& reader, CellKinds* kinds = nullptr) : reader_(reader), kinds_(kinds) {}
  long Read(char* data, std::size_t size, std::string& error) override;
  bool Rewind(std::string& error) override;
  // Progress through the worksheet's XML.
  std::uint64_t Size() const override { return reader_.BytesTotal(); }
  std::int64_t Progress() const override { return static_cast<std::int64_t>(reader_.BytesRead()); }

 private:
  bool Fill(std::string& error);

  WorkbookRows& reader_;
  CellKinds* kinds_;
  std::string pending_;
  std::size_t pos_ = 0;
  std::uint64_t line_ = 1;  // the line the next CSV record starts on
  bool end_ = false;
  bool header_ = true;  // the next row is the first
};

// CSV text of whole records, written as rows of a workbook: the first row is the header, the
// outcome's figures (the income found and the result lines, the last columns of the header)
// are numbers shown by a format that shows their text again, the input's cells what
// CellKinds says (texts without it).
class WorkbookSink : public ByteSink {
 public:
  // With `kinds`, the input's cells go out as the kinds they were read as.
  explicit WorkbookSink(XlsxWriter& writer, CellKinds* kinds = nullptr) : writer_(writer), cellKinds_(kinds) {}
  bool Write(std::string_view data, std::string& error) override;
  // Starts the result's sheet: named `sheet` (the library's name when empty), its header after
  // `rows` rows of title that pass through as texts.
  void HeaderRow(std::size_t rows) override {
    if (writer_.StartSheet(sheet)) writer_.SetHeaderRow(rows);
    header_ = true;
    titleRows_ = rows;
  }

  std::string sheet;  // the name of the sheet the next rows go to

 private:
  XlsxWriter& writer_;
  CellKinds* cellKinds_;
  bool header_ = true;
  std::size_t titleRows_ = 0;    // rows above the header still to come
  std::size_t columns_ = 0;      // the input's columns, which the outcome's follow
  std::size_t figuresFrom_ = 0;  // the outcome's figure columns [figuresFrom_, figuresTo_)
  std::size_t figuresTo_ = 0;
  std::vector<WrittenCell> kinds_;
  std::vector<ShownNumber> figures_;  // the formats kinds_ views
};

}  // namespace quorvex::sheets
