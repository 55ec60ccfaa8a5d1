// JSON Lines: one flat JSON object per line. Values are strings, numbers, true, false or
// null; nested objects and arrays are not part of a record. Numbers follow JSON's grammar
// (no leading zeros, no '+'), so what is passed through stays valid JSON.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/engine/sheet_format.h"

namespace quorvex::sheets {

// ParseJsonObject() reads one object into `fields` (views into `line` or `arena`, which must
// have room for line.size() more bytes); false with `error` set when the line is not one.
bool ParseJsonObject(std::string_view line, std::vector<FieldRef>& fields, std::string& arena, std::string& error);

// Quote() writes a JSON string literal.
std::string Quote(std::string_view text);

class JsonLinesReader : public SheetReader {
 public:
  bool HasHeader() const override { return false; }
  bool ReadHeader(std::string_view, bool, std::size_t&, std::uint64_t&, Layout&, std::string&) override { return true; }
  std::size_t LastRecordEnd(std::string_view data, bool atEnd) const override;
  bool Parse(std::string_view s, std::size_t& pos, std::uint64_t& line, Record& record,
             std::string& arena) const override;
  bool LoneCrBreaksLines() const override { return false; }
};

class JsonLinesWriter : public SheetWriter {
 public:
  explicit JsonLinesWriter(const Layout& layout);
  void Begin(Written& out) const override;
  void Write(const Record& record, const RecordOutcome& outcome, Written& written) override;
  std::size_t PerRecordBytes() const override { return 600 + keyBytes_; }

 private:
  void WriteFromTable(const Record& record, OutBuffer& out);
  void WriteFromJson(const Record& record, OutBuffer& out) const;
  // The outcome's members and the end of the object; `first`: no member precedes them.
  void WriteOutcome(const RecordOutcome& outcome, bool first, OutBuffer& out) const;

  const Layout& layout_;
  std::vector<std::string> keys_;                     // CSV in: "name": for each column
  std::string outcome_;                               // the outcome's members with empty texts, and the object's end
  std::array<std::size_t, 5 + kLineCount> textAt_{};  // where each member's text goes in it
  std::size_t keyBytes_ = 0;
  // A workbook's fields as the sheet shows them, and the texts of its formatted numbers.
  std::vector<std::string_view> shown_;
  std::vector<std::string> scratch_;
};

// AppendJsonString() writes `text` as a JSON string literal.
void AppendJsonString(OutBuffer& out, std::string_view text);

}  // namespace quorvex::sheets
