// CSV as RFC 4180 describes it: fields separated by commas, records by CRLF (LF and a lone
// CR accepted), fields quoted with '"' when they hold a comma, a quote or a line break,
// quotes doubled. A quote opens a quoted field only at the field's start.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/engine/sheet_format.h"
#include "sheets/text/byte_scan.h"

namespace quorvex::sheets {

class CsvReader : public SheetReader {
 public:
  // Rows whose fields are all empty (the ",,,," rows a spreadsheet leaves below its table) are
  // skipped unless kept.
  explicit CsvReader(bool keepEmptyRows = false) : keepEmptyRows_(keepEmptyRows) {}
  bool HasHeader() const override { return true; }
  bool ReadHeader(std::string_view text, bool atEnd, std::size_t& used, std::uint64_t& line, Layout& layout,
                  std::string& error) override;
  bool HeaderMissing() const override { return missing_; }
  std::size_t LastRecordEnd(std::string_view data, bool atEnd) const override;
  bool Parse(std::string_view s, std::size_t& pos, std::uint64_t& line, Record& record,
             std::string& arena) const override;
  bool LoneCrBreaksLines() const override { return true; }
  void SetSeparator(char separator) override {
    separator_ = separator;
    stops_ = separator == '\t' ? &kTsvStops : &kCsvStops;
  }

 private:
  // Reads the fields from `at` on that a record does not keep (beyond kMaxColumns).
  void SkipFields(std::string_view s, std::size_t& at, std::uint64_t& line, Record& record, std::string& arena) const;
  // Ends a record whose fields end at `end`: its raw text, the line break and the request.
  void Finish(std::string_view s, std::size_t start, std::size_t end, std::size_t& pos, std::uint64_t& line,
              Record& record) const;

  bool keepEmptyRows_;
  char separator_ = ',';
  const std::array<bool, 256>* stops_ = &kCsvStops;  // the bytes that end a plain field
  HeaderSearch search_;
  bool missing_ = false;
  std::size_t columns_ = 0;
  std::array<int, kRequestKeys.size()> requestColumn_{-1, -1, -1, -1, -1, -1, -1, -1};
};

class CsvWriter : public SheetWriter {
 public:
  explicit CsvWriter(const Layout& layout) : layout_(layout) {}
  void Begin(Written& written) const override;
  void Write(const Record& record, const RecordOutcome& outcome, Written& written) override;
  std::size_t PerRecordBytes() const override;

 private:
  void WriteFromJson(const Record& record, OutBuffer& out);
  // Fields [from, to) of the record one by one (a workbook's cells), empty ones past its end.
  // A workbook's formatted numbers are written as the sheet shows them.
  void WriteFields(const Record& record, std::size_t from, std::size_t to, OutBuffer& out);

  const Layout& layout_;
  // JSON Lines in: each column's value in this record, which record last set it, and for a
  // key's first column, how often the key came in this record so far.
  std::vector<std::string_view> values_;
  std::vector<std::uint64_t> setBy_;
  std::vector<std::size_t> seen_;
  std::uint64_t serial_ = 0;
  std::string shown_;
};

// AppendCsvField() writes `text` as a CSV field, quoted when it holds a comma, a quote or a
// line break.
void AppendCsvField(std::string& out, std::string_view text);
void AppendCsvField(OutBuffer& out, std::string_view text);

// The outcome's texts as CSV fields, each after a comma (the first too when `leadingComma`):
// the five of `head` (status, field, message, warning, income), then the result lines, all
// empty unless the outcome is ok.
void AppendOutcomeCsv(OutBuffer& out, const std::array<std::string_view, 5>& head, const RecordOutcome& outcome,
                      bool leadingComma);

}  // namespace quorvex::sheets
