// What the sheet formats share: the record a reader hands to the calculation, the sheet's
// layout, and the reader and writer each format provides. A format plugs in with one reader
// and one writer class and a line in MakeReader()/MakeWriter() (sheets/engine/sheet_engine.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sheets/engine/cell_rows.h"
#include "sheets/engine/record.h"

namespace quorvex::sheets {

// `text` with A-Z made a-z, whatever the locale (a file's extension, a worksheet's name).
std::string AsciiLower(std::string text);

// A text format (CSV, JSON Lines) reaches the engine as bytes; an Excel workbook (kXlsx) as
// rows of typed cells, and leaves it as rows of typed cells (sheets/engine/cell_rows.h).
enum class Format { kCsv, kJsonLines, kXlsx };

// Whether records of the format are rows under a header row (CSV and workbooks).
inline bool IsTable(Format format) { return format != Format::kJsonLines; }

// Limits that keep memory flat whatever the input's shape.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 20;  // a record (CSV row, JSON line)
inline constexpr std::size_t kMaxColumns = 16384;                     // columns of a sheet (Excel's last: XFD)
inline constexpr std::size_t kMaxRows = 1048576;                      // rows of a workbook's sheet

// The request fields a record may carry, in Request order.
inline constexpr std::array<std::string_view, 8> kRequestKeys{"category",      "calc",      "amount", "salary",
                                                              "contributions", "threshold", "months", "planned_bonus"};

// The request field of a key that names none.
inline constexpr std::uint8_t kNoRequest = kRequestKeys.size();

// One field of a record, as views into the block being processed (or the worker's arena).
struct FieldRef {
  std::string_view key;     // JSON Lines: the key; CSV: empty (the column's position names it)
  std::string_view rawKey;  // JSON Lines: the key as written, quotes included
  std::string_view raw;     // the value as written: CSV with its quotes, JSON as a literal
  std::string_view text;    // the value as text
  bool literal = false;     // JSON number, true, false or null (written unquoted)
  // JSON Lines: the request field the key names (its place in kRequestKeys, or kNoRequest),
  // and whether an outcome column has its name.
  std::uint8_t request = kNoRequest;
  bool outcomeName = false;
};

struct Record {
  std::uint64_t line = 0;  // the line the record starts on; the first line of the input is 1
  std::string_view raw;    // the record as written, without its line break
  // At most kMaxColumns fields, so that a record's memory is bounded by its bytes whatever its
  // shape; CSV: the fields beyond are counted in moreFields, and `rest` is their text as
  // written, from the first of them to the record's end.
  std::vector<FieldRef> fields;
  std::size_t moreFields = 0;
  std::string_view rest;
  std::string error;  // not empty: the record is malformed, this says how
  // The request fields' texts, by their place in kRequestKeys; the last takes those of keys that name
  // none (JSON Lines).
  std::array<std::string_view, kNoRequest + 1> request{};
  // A workbook's row: what each field's cell holds, by place (its `raw` the cell's reference when
  // a formula without a saved result, its text then empty); none for a text format, whose
  // `raw` is the record's text.
  std::vector<WrittenCell> kinds;
};

// Heterogeneous hashing, so column look-ups take a string_view without a copy.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using NameIndex = std::unordered_map<std::string, std::uint32_t, NameHash, std::equal_to<>>;

// The sheet as the writer sees it.
struct Layout {
  Format in = Format::kCsv;
  Format out = Format::kCsv;
  bool bom = false;  // write a UTF-8 byte-order mark first
  // The header names input fields in Chinese: the outcome columns get Chinese headers, the
  // status reads 正常/有误 and the blind-zone warning 是/否.
  bool chinese = false;
  std::vector<std::string> columns;  // input columns: the CSV header, or every JSON key seen
  std::vector<std::string> names;    // their output names (renamed where they clash with the outcome's)
  // JSON Lines in, CSV out: the column of a key's first occurrence in a record, and for each
  // column, the columns of the same key's second, third, ... occurrence.
  NameIndex index;
  std::vector<std::vector<std::uint32_t>> repeats;
  // A workbook's dates count from 1904-01-01, not from 1900.
  bool date1904 = false;
  // A table's fields are separated by this: a comma, or a tab in Excel's Unicode text.
  char separator = ',';
  // CSV in: the column of each request field, or -1.
  std::array<int, kRequestKeys.size()> requestColumn{-1, -1, -1, -1, -1, -1, -1, -1};
  // The rows above the header (a title, a group caption), one per sheet row from the first of
  // them on (an empty one for an empty row): a workbook result writes them before its header,
  // as they were.
  std::vector<std::vector<std::string>> above;
  // Several worksheets into one CSV or JSON Lines result: the name of this one, written first
  // in every record under 工作表 (or "sheet" under English headers); empty for one sheet.
  std::string sheet;
};

// Whether a table's records are CSV text, which a CSV result copies as it is; a workbook's rows
// and tab-separated text are written field by field.
inline bool IsCsvText(const Layout& layout) { return layout.in == Format::kCsv && layout.separator == ','; }

// The header of the leading column that names a record's worksheet.
inline std::string_view SheetColumnName(bool chinese) { return chinese ? "工作表" : "sheet"; }

// The header is the first row within this many of a sheet that names a category and an amount
// column; the rows above it are no records.
inline constexpr std::uint64_t kHeaderSearchRows = 20;

// The search for a sheet's header: the first row within kHeaderSearchRows that names a category
// and an amount column. The rows above it are kept in the layout.
class HeaderSearch {
 public:
  enum class Seen { kAbove, kHeader, kTooFar };
  // Offer() looks at the next row that is not blank, on sheet line `line`, the next row
  // starting on line `next`: the header sets the layout's columns.
  Seen Offer(const std::vector<std::string_view>& cells, std::uint64_t line, std::uint64_t next, Layout& layout);
  // Why no header was found.
  [[nodiscard]] std::string NoHeader() const;

 private:
  // The first row met (a row has a cell) and whether it names a category and an amount column.
  std::vector<std::string> seen_;
  bool seenCategory_ = false;
  bool seenAmount_ = false;
  std::uint64_t nextRow_ = 0;  // the line after the last row above the header
};

// A reader is shared by the computing threads, which only read it.
class SheetReader {
 public:
  virtual ~SheetReader() = default;
  // Whether every record shares the columns of a header row (CSV). Without one (JSON Lines),
  // a CSV output's columns are every key of every record, collected in a first pass.
  virtual bool HasHeader() const = 0;
  // Reads the header from `text`, which ends with a whole record unless the input is that
  // short (`atEnd`: it is the rest of the input); `used` and `line` are advanced past it (and
  // past the rows above it). false with `error` set when the sheet cannot be processed, false
  // with `error` empty when `text` holds no header yet (it is then given again, with more text).
  virtual bool ReadHeader(std::string_view text, bool atEnd, std::size_t& used, std::uint64_t& line, Layout& layout,
                          std::string& error) = 0;
  // Whether ReadHeader() failed for want of a header row.
  virtual bool HeaderMissing() const { return false; }
  // The end of the last complete record within `data`: records may only be cut there.
  // `atEnd`: no more input follows. npos when no record ends within `data`, and at the end
  // when the last record is unfinished (an unclosed quote).
  virtual std::size_t LastRecordEnd(std::string_view data, bool atEnd) const = 0;
  // Parses the record starting at `pos` of `s`, a block of whole records, skipping blank
  // lines; false when the block holds no more. `line` is the line at `pos` and is advanced.
  // Views point into `s` or `arena`, which the caller clears for each block and reserves
  // to the block's size, so that it never moves.
  virtual bool Parse(std::string_view s, std::size_t& pos, std::uint64_t& line, Record& record,
                     std::string& arena) const = 0;
  // Whether a lone carriage return ends a line (for line numbers).
  virtual bool LoneCrBreaksLines() const = 0;
  // SetSeparator(): fields are separated by `separator` (a tab in Excel's Unicode text), not
  // commas; before anything is read.
  virtual void SetSeparator(char /*separator*/) {}
};

// What writers write into: the bytes written, and beyond them room that is kept from block to
// block and never cleared, so that a record's text is written straight into it.
class OutBuffer {
 public:
  // Room for `most` bytes after those written; valid until the next Room(), Put() or Append().
  char* Room(std::size_t most) {
    if (bytes_.size() - size_ < most) Grow(most);
    return bytes_.data() + size_;
  }
  // The room's bytes up to `end` are written.
  void Done(const char* end) { size_ = static_cast<std::size_t>(end - bytes_.data()); }
  void Append(std::string_view text) {
    std::memcpy(Room(text.size()), text.data(), text.size());
    size_ += text.size();
  }
  void Put(char c) {
    *Room(1) = c;
    ++size_;
  }
  std::string_view View() const { return {bytes_.data(), size_}; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return bytes_.size(); }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }
  void swap(OutBuffer& other) noexcept {
    bytes_.swap(other.bytes_);
    std::swap(size_, other.size_);
  }

 private:
  void Grow(std::size_t most);

  std::string bytes_;
  std::size_t size_ = 0;
};

// What the records of a block become: text (CSV, JSON Lines) or a workbook's rows.
struct Written {
  OutBuffer text;
  CellRows rows;
  void clear() {
    text.clear();
    rows.clear();
  }
  [[nodiscard]] std::size_t Capacity() const { return text.capacity() + rows.Capacity(); }
};

// Each computing thread has a writer of its own.
class SheetWriter {
 public:
  virtual ~SheetWriter() = default;
  // What precedes the records: the byte-order mark and the CSV header, a workbook's title rows
  // and header.
  virtual void Begin(Written& out) const = 0;
  // One record with its outcome.
  virtual void Write(const Record& record, const RecordOutcome& outcome, Written& out) = 0;
  // An upper estimate of the bytes written for a record, beyond twice its input bytes.
  virtual std::size_t PerRecordBytes() const = 0;
};

// The texts of the outcome's first five columns (status, field, message, warning, income);
// the result lines follow them. `warning` is "true" or "false"; with `chinese`, the status is
// 正常 or 有误, the field its Chinese header and the warning 是 or 否.
std::array<std::string_view, 5> OutcomeHead(const RecordOutcome& outcome, bool chinese = false);
// The same for a table: under Chinese headers, the field at fault is named by its header in
// the sheet (税前收入 where the sheet says so).
std::array<std::string_view, 5> OutcomeHead(const RecordOutcome& outcome, const Layout& layout);

// AddColumn() returns the column of the `nth` (0 = first) occurrence of `key` within a
// record, adding it to the layout when new; -1 beyond kMaxColumns.
long AddColumn(Layout& layout, std::string_view key, std::size_t nth);
// FindColumn() is the same look-up without adding: -1 when the layout lacks it.
long FindColumn(const Layout& layout, std::string_view key, std::size_t nth);

// The result lines the outcome shows: bit k for line k.
inline std::uint32_t ShownLines(const RecordOutcome& outcome) { return outcome.ok ? outcome.page.shown : 0; }

// The result line's text; empty for a line the outcome does not show.
inline std::string_view LineText(const RecordOutcome& outcome, std::size_t line) {
  return (ShownLines(outcome) >> line & 1U) != 0 ? std::string_view(outcome.lines()[line]) : std::string_view();
}

// The names of the outcome columns, in output order.
const std::vector<std::string>& OutcomeColumns();

// What a key's name means: the request field it names (its place in kRequestKeys, or
// kNoRequest), and whether an outcome column has the name.
struct KeyMeaning {
  std::uint8_t request = kNoRequest;
  bool outcome = false;
};
KeyMeaning MeaningOf(std::string_view key);

// Whether an input column or key is named like an outcome column.
bool IsOutcomeColumn(std::string_view name);

// Output names for input columns: a name that an outcome column also has becomes name_1
// (or _2, ... the first not taken), so the outcome never lands in a column of the input.
// With `chinese` (the outcome columns headed in Chinese) their Chinese headers count too:
// an input column 状态 becomes 状态_1.
// `reserved`, when not empty, is a name the result gives a column of its own (the leading
// sheet column), taken likewise: an input column 工作表 becomes 工作表_1.
std::vector<std::string> OutputNames(const std::vector<std::string>& columns, bool chinese = false,
                                     std::string_view reserved = {});

// The request fields of a record, for the calculation.
inline Request RequestOf(const Record& record) {
  const auto& r = record.request;
  return {r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]};
}

}  // namespace quorvex::sheets
