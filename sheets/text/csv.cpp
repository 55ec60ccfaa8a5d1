#include "sheets/text/csv.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "sheets/engine/cell_text.h"
#include "sheets/engine/sheet_headers.h"
#include "sheets/sheet_messages.h"
#include "sheets/text/byte_scan.h"
#include "sheets/text/sheet_text.h"

namespace quorvex::sheets {
namespace {

// Skips one line break at `pos` (CR LF, LF or CR), counting it.
void SkipBreak(std::string_view s, std::size_t& pos, std::uint64_t& line) {
  if (s[pos++] == '\r' && pos < s.size() && s[pos] == '\n') ++pos;
  ++line;
}

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// A row whose cells are all empty (the ",,,,," rows a spreadsheet leaves below its table) is
// no record.
bool AllEmpty(const Record& record, char separator) {
  for (const FieldRef& f : record.fields) {
    if (!f.text.empty()) return false;
  }
  // Fields beyond those a record keeps: empty when nothing but their commas.
  return record.rest.find_first_not_of(separator) == std::string_view::npos;
}

// Reads a quoted field starting at the opening quote; the text goes to `arena`. Returns
// false when text follows the closing quote (it is kept in the field, as a reader of the
// sheet would see it).
bool QuotedField(std::string_view s, std::size_t& pos, std::uint64_t& line, std::string& arena, std::string_view& text,
                 char separator) {
  const std::size_t start = arena.size();
  ++pos;
  for (;;) {
    const void* q = std::memchr(s.data() + pos, '"', s.size() - pos);
    const std::size_t end = q == nullptr ? s.size() : static_cast<std::size_t>(static_cast<const char*>(q) - s.data());
    const std::string_view part = s.substr(pos, end - pos);
    line += CountLines(part, true);
    arena.append(part);
    pos = end;
    if (pos >= s.size()) break;  // unclosed: only at the end of the input, refused before
    ++pos;
    if (pos < s.size() && s[pos] == '"') {
      arena.push_back('"');
      ++pos;
      continue;
    }
    break;
  }
  bool clean = true;
  while (pos < s.size() && s[pos] != separator && !IsBreak(s[pos])) {
    arena.push_back(s[pos++]);
    clean = false;
  }
  text = std::string_view(arena).substr(start);
  return clean;
}

}  // namespace

bool CsvReader::ReadHeader(std::string_view text, bool atEnd, std::size_t& used, std::uint64_t& line, Layout& layout,
                           std::string& error) {
  // Given again with more text when it found no header: it starts over.
  search_ = HeaderSearch();
  layout.above.clear();
  missing_ = false;
  Record header;
  std::string arena;
  arena.reserve(text.size());
  std::vector<std::string_view> cells;
  std::size_t pos = used;
  std::uint64_t at = line;
  for (;;) {
    const bool more = Parse(text, pos, at, header, arena);
    if (!more && !atEnd) return false;                      // no header in the text so far
    HeaderSearch::Seen seen = HeaderSearch::Seen::kTooFar;  // no row is left
    if (more) {
      cells.clear();
      for (const FieldRef& f : header.fields) cells.push_back(f.text);
      seen = search_.Offer(cells, header.line, at, layout);
    }
    if (seen == HeaderSearch::Seen::kHeader) break;
    if (seen == HeaderSearch::Seen::kTooFar) {
      missing_ = true;
      error = search_.NoHeader();
      return false;
    }
  }
  if (header.moreFields != 0) {
    error = messages::HeaderTooWide(header.fields.size() + header.moreFields, kMaxColumns);
    return false;
  }
  used = pos;
  line = at;
  columns_ = layout.columns.size();
  requestColumn_ = layout.requestColumn;
  return true;
}

std::size_t CsvReader::LastRecordEnd(std::string_view data, bool atEnd) const {
  const std::size_t n = data.size();
  if (std::memchr(data.data(), '"', n) == nullptr) {
    if (atEnd) return n;
    const void* lf = memrchr(data.data(), '\n', n);
    const std::size_t afterLf =
        lf == nullptr ? 0 : static_cast<std::size_t>(static_cast<const char*>(lf) - data.data()) + 1;
    // A lone CR after the last LF ends a record too, but one at the very end may be half of a
    // CR LF: the record ends at the CR before it.
    const std::size_t tail = n - afterLf - (n > afterLf && data[n - 1] == '\r' ? 1 : 0);
    const void* cr = memrchr(data.data() + afterLf, '\r', tail);
    if (cr != nullptr) return static_cast<std::size_t>(static_cast<const char*>(cr) - data.data()) + 1;
    return lf != nullptr ? afterLf : std::string_view::npos;
  }
  std::size_t last = std::string_view::npos;
  bool quoted = false;
  bool fieldStart = true;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = data[i];
    if (quoted) {
      if (c != '"') continue;
      if (i + 1 == n && !atEnd) return last;
      if (i + 1 < n && data[i + 1] == '"') {
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"' && fieldStart) {
      quoted = true;
      fieldStart = false;
    } else if (c == separator_) {
      fieldStart = true;
    } else if (c == '\n') {
      last = i + 1;
      fieldStart = true;
    } else if (c == '\r') {
      if (i + 1 == n && !atEnd) return last;
      if (i + 1 == n || data[i + 1] != '\n') last = i + 1;
      fieldStart = true;
    } else {
      fieldStart = false;
    }
  }
  if (atEnd) return quoted ? std::string_view::npos : n;
  return last;
}

bool CsvReader::Parse(std::string_view s, std::size_t& pos, std::uint64_t& line, Record& record,
                      std::string& arena) const {
  for (;;) {
    while (pos < s.size() && IsBreak(s[pos])) SkipBreak(s, pos, line);
    if (pos >= s.size()) return false;
    record.fields.clear();
    record.moreFields = 0;
    record.rest = {};
    record.error.clear();
    record.line = line;
    const std::size_t start = pos;
    const char* const data = s.data();
    const std::size_t size = s.size();
    std::size_t at = pos;
    for (;;) {
      FieldRef& f = record.fields.emplace_back();
      const std::size_t fieldStart = at;
      if (data[at] == '"') {
        // Excel reads text after the closing quote into the field in its Unicode text.
        if (!QuotedField(s, at, line, arena, f.text, separator_) && record.error.empty() && separator_ == ',')
          record.error = messages::TextAfterQuote(record.line);
        f.raw = s.substr(fieldStart, at - fieldStart);
      } else {
        at = FindStop(*stops_, data, at, size);
        const std::string_view value(data + fieldStart, at - fieldStart);
        f.raw = value;
        f.text = value;
      }
      if (at < size && data[at] == separator_) {
        ++at;
        if (record.fields.size() == kMaxColumns) {
          SkipFields(s, at, line, record, arena);
          break;
        }
        if (at == size || IsBreak(data[at])) {
          const std::string_view empty = s.substr(at, 0);  // an empty last field
          FieldRef& last = record.fields.emplace_back();
          last.raw = empty;
          last.text = empty;
          break;
        }
        continue;
      }
      break;
    }
    Finish(s, start, at, pos, line, record);
    if (keepEmptyRows_ || !record.fields[0].text.empty() || !AllEmpty(record, separator_)) return true;
  }
}

void CsvReader::SkipFields(std::string_view s, std::size_t& at, std::uint64_t& line, Record& record,
                           std::string& arena) const {
  // The fields from `at` on, beyond those a record keeps: counted, and kept as one text.
  const std::size_t restStart = at;
  for (;;) {
    ++record.moreFields;
    if (at < s.size() && s[at] == '"') {
      std::string_view text;
      QuotedField(s, at, line, arena, text, separator_);
    } else {
      at = FindStop(*stops_, s.data(), at, s.size());
    }
    if (at >= s.size() || s[at] != separator_) break;
    ++at;
  }
  record.rest = s.substr(restStart, at - restStart);
}

void CsvReader::Finish(std::string_view s, std::size_t start, std::size_t end, std::size_t& pos, std::uint64_t& line,
                       Record& record) const {
  pos = end;
  record.raw = s.substr(start, pos - start);
  if (pos < s.size()) SkipBreak(s, pos, line);
  if ((record.fields.size() > columns_ || record.moreFields != 0) && record.error.empty())
    record.error = messages::MoreFieldsThanHeader(record.line);
  const std::size_t given = record.fields.size();
  for (std::size_t k = 0; k < kRequestKeys.size(); ++k) {
    const auto c = static_cast<std::size_t>(requestColumn_[k]);  // -1 becomes larger than any count
    record.request[k] = c < given ? record.fields[c].text : std::string_view();
  }
}

namespace {

// The bytes that make a CSV field quoted.
constexpr auto kCsvSpecial = ByteTable([](unsigned char c) { return kCsvStops[c] || c == '"'; });

// Writes `text` as a CSV field at `p` and returns the end; `p` has room for twice the text
// and two quotes. Plain bytes are copied as they are scanned.
char* PutCsvField(char* p, std::string_view text) {
  std::size_t i = 0;
  for (; i < text.size() && !kCsvSpecial[static_cast<unsigned char>(text[i])]; ++i) p[i] = text[i];
  if (i == text.size()) return p + i;
  *p++ = '"';
  for (const char c : text) {
    if (c == '"') *p++ = '"';
    *p++ = c;
  }
  *p++ = '"';
  return p;
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view text) {
  const std::size_t start = out.size();
  out.resize(start + 2 * text.size() + 2);
  out.resize(static_cast<std::size_t>(PutCsvField(out.data() + start, text) - out.data()));
}

void AppendCsvField(OutBuffer& out, std::string_view text) {
  out.Done(PutCsvField(out.Room(2 * text.size() + 2), text));
}

void AppendOutcomeCsv(OutBuffer& out, const std::array<std::string_view, 5>& head, const RecordOutcome& outcome,
                      bool leadingComma) {
  // Room for every field at once, then the fields written straight into it.
  const std::uint32_t shown = ShownLines(outcome);
  std::size_t most = 3 * (head.size() + kLineCount);
  for (const std::string_view text : head) most += 2 * text.size();
  for (std::uint32_t rest = shown; rest != 0; rest &= rest - 1)
    most += 2 * outcome.lines()[std::countr_zero(rest)].size();
  char* p = out.Room(most);
  if (leadingComma) *p++ = ',';
  p = PutCsvField(p, head[0]);
  for (std::size_t i = 1; i < head.size(); ++i) {
    *p++ = ',';
    p = PutCsvField(p, head[i]);
  }
  for (std::size_t k = 0; k < kLineCount; ++k) {
    *p++ = ',';
    if ((shown >> k & 1U) != 0) p = PutCsvField(p, outcome.lines()[k]);
  }
  out.Done(p);
}

void CsvWriter::Begin(Written& written) const {
  OutBuffer& out = written.text;
  if (layout_.bom) out.Append("\xEF\xBB\xBF");
  bool first = true;
  if (!layout_.sheet.empty()) {
    out.Append(SheetColumnName(layout_.chinese));
    first = false;
  }
  for (const std::string& name : layout_.names) {
    if (!first) out.Put(',');
    first = false;
    AppendCsvField(out, name);
  }
  for (const std::string& name : OutcomeColumns()) {
    if (!first) out.Put(',');
    first = false;
    AppendCsvField(out, layout_.chinese ? ChineseCaption(name) : std::string_view(name));
  }
  out.Append("\r\n");
}

std::size_t CsvWriter::PerRecordBytes() const {
  // The outcome's texts (messages of up to ~60 bytes, thirteen figures) and, from JSON
  // Lines, one comma per column.
  return 400 + (IsTable(layout_.in) ? 0 : layout_.columns.size());
}

void CsvWriter::Write(const Record& record, const RecordOutcome& outcome, Written& written) {
  OutBuffer& out = written.text;
  const std::size_t columns = layout_.columns.size();
  const std::size_t given = record.fields.size();
  const bool beyond = given > columns || record.moreFields != 0;
  if (!layout_.sheet.empty()) {
    AppendCsvField(out, layout_.sheet);
    if (columns != 0) out.Put(',');
  }
  if (!IsTable(layout_.in)) {
    WriteFromJson(record, out);
  } else if (!IsCsvText(layout_)) {
    WriteFields(record, 0, columns, out);
  } else if (given == columns && !beyond) {
    out.Append(record.raw);
  } else if (given < columns) {
    char* const p = out.Room(record.raw.size() + columns - given);
    std::memcpy(p, record.raw.data(), record.raw.size());
    std::memset(p + record.raw.size(), ',', columns - given);
    out.Done(p + record.raw.size() + columns - given);
  } else {
    const FieldRef& last = record.fields[columns - 1];
    out.Append({record.raw.data(), static_cast<std::size_t>(last.raw.data() + last.raw.size() - record.raw.data())});
  }
  bool first = columns == 0 && layout_.sheet.empty();
  AppendOutcomeCsv(out, OutcomeHead(outcome, layout_), outcome, !first);
  // Values beyond the header stay in the row as written, after the outcome.
  if (beyond && !IsCsvText(layout_)) {
    out.Put(',');
    WriteFields(record, columns, given, out);
    if (record.moreFields != 0) {  // tab-separated fields past those a record keeps, as one
      if (given > columns) out.Put(',');
      AppendCsvField(out, record.rest);
    }
  } else if (beyond && IsTable(layout_.in)) {
    const char* const from = given > columns ? record.fields[columns].raw.data() : record.rest.data();
    out.Put(',');
    out.Append({from, static_cast<std::size_t>(record.raw.data() + record.raw.size() - from)});
  }
  char* const p = out.Room(2);
  p[0] = '\r';
  p[1] = '\n';
  out.Done(p + 2);
}

void CsvWriter::WriteFields(const Record& record, std::size_t from, std::size_t to, OutBuffer& out) {
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) out.Put(',');
    if (i < record.fields.size()) AppendCsvField(out, FieldText(record, i, layout_.date1904, shown_));
  }
}

void CsvWriter::WriteFromJson(const Record& record, OutBuffer& out) {
  const std::size_t columns = layout_.columns.size();
  if (values_.size() < columns) {
    values_.resize(columns);
    setBy_.resize(columns, 0);
    seen_.resize(columns, 0);
  }
  ++serial_;
  for (const FieldRef& f : record.fields) {
    const long first = FindColumn(layout_, f.key, 0);
    if (first < 0) continue;
    std::size_t nth = 0;
    if (setBy_[first] == serial_)
      nth = ++seen_[first];
    else
      seen_[first] = 0;
    const long column = nth == 0 ? first : FindColumn(layout_, f.key, nth);
    if (column < 0) continue;
    values_[column] = f.text;
    setBy_[column] = serial_;
  }
  for (std::size_t i = 0; i < columns; ++i) {
    if (i > 0) out.Put(',');
    if (setBy_[i] == serial_) AppendCsvField(out, values_[i]);
  }
}

}  // namespace quorvex::sheets
