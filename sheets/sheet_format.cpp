#include "sheets/sheet_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "sheets/byte_scan.h"
#include "sheets/csv.h"
#include "sheets/json_line.h"
#include "sheets/sheet_headers.h"

namespace quorvex::sheets {

namespace {

using outcome_names::kOutcomeNames;

// The bytes that make a CSV field quoted.
constexpr auto kCsvSpecial = ByteTable([](unsigned char c) { return kCsvStops[c] || c == '"'; });

// A result line's text of up to 16 bytes: its std::string has 16 readable bytes at data() (a
// capacity of at least 15, and the terminator), so it is copied and checked 16 bytes at once.
constexpr std::size_t kShortText = 16;
bool ShortLine(const std::string& text) { return text.size() <= kShortText && text.capacity() >= kShortText - 1; }

// Writes `text` as a CSV field at `p` and returns the end; `p` has room for twice the text
// and two quotes.
char* PutCsvField(char* p, std::string_view text) {
  const char* s = text.data();
  const std::size_t n = text.size();
  // Byte by byte, leaving at the first special one: most texts are a few bytes long.
  std::size_t plain = 0;
  while (plain < n && !kCsvSpecial[static_cast<unsigned char>(s[plain])]) {
    p[plain] = s[plain];
    ++plain;
  }
  if (plain == n) return p + n;
  *p++ = '"';
  for (std::size_t i = 0; i < n; ++i) {
    if (s[i] == '"') *p++ = '"';
    *p++ = s[i];
  }
  *p++ = '"';
  return p;
}

// A result line's text; `p` has room for kShortText bytes too.
char* PutCsvField(char* p, const std::string& text) {
#if defined(__SSE2__)
  if (ShortLine(text)) {
    std::memcpy(p, text.data(), kShortText);
    if ((CsvSpecial16(text.data()) & ((1U << text.size()) - 1)) == 0) return p + text.size();
  }
#endif
  return PutCsvField(p, std::string_view(text));
}

}  // namespace

void OutBuffer::Grow(std::size_t most) {
  // Doubling, so that growing costs little over a block; once grown, a buffer is reused.
  bytes_.resize(std::max({bytes_.size() * 2, size_ + most, std::size_t{4096}}));
}

void OutBuffer::Append(std::string_view text) {
  std::memcpy(Room(text.size()), text.data(), text.size());
  size_ += text.size();
}

namespace {

// Writes `text` escaped for a JSON string (without the quotes) at `p` and returns the end; `p`
// has room for six times the text.
char* PutJsonText(char* p, std::string_view text) {
  if (text.empty()) return p;
  const std::size_t plain = FindJsonStop(text.data(), 0, text.size());
  std::memcpy(p, text.data(), plain);
  p += plain;
  for (const char c : text.substr(plain)) {
    const auto u = static_cast<unsigned char>(c);
    if (!kJsonStops[u]) {
      *p++ = c;
      continue;
    }
    *p++ = '\\';
    switch (c) {
      case '"':
        *p++ = '"';
        break;
      case '\\':
        *p++ = '\\';
        break;
      case '\n':
        *p++ = 'n';
        break;
      case '\r':
        *p++ = 'r';
        break;
      case '\t':
        *p++ = 't';
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        *p++ = 'u';
        *p++ = '0';
        *p++ = '0';
        *p++ = kHex[u >> 4];
        *p++ = kHex[u & 0xF];
      }
    }
  }
  return p;
}

char* PutJsonString(char* p, std::string_view text) {
  *p++ = '"';
  p = PutJsonText(p, text);
  *p++ = '"';
  return p;
}

}  // namespace

namespace {

// Appends what `put` writes at a pointer with room for `most` bytes and returns the end of.
template <class Put>
void AppendWith(std::string& out, std::size_t most, Put put) {
  const std::size_t start = out.size();
  out.resize(start + most);
  const char* end = put(out.data() + start);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view text) {
  AppendWith(out, 2 * text.size() + 2, [text](char* p) { return PutCsvField(p, text); });
}

void AppendCsvField(OutBuffer& out, std::string_view text) {
  out.Done(PutCsvField(out.Room(2 * text.size() + 2), text));
}

void AppendJsonString(std::string& out, std::string_view text) {
  AppendWith(out, 6 * text.size() + 2, [text](char* p) { return PutJsonString(p, text); });
}

void AppendJsonString(OutBuffer& out, std::string_view text) {
  out.Done(PutJsonString(out.Room(6 * text.size() + 2), text));
}

namespace {

// Writes n commas at `p` and returns the end; up to kCommaRun bytes are written whatever n
// (a whole run of empty lines at once).
constexpr std::size_t kCommaRun = 32;
static_assert(kLineCount <= kCommaRun);
char* PutCommas(char* p, std::size_t n) {
  std::memset(p, ',', kCommaRun);
  return p + n;
}

}  // namespace

void AppendOutcomeCsv(OutBuffer& out, const std::array<std::string_view, 5>& head, const Outcome& outcome,
                      bool leadingComma) {
  const std::array<std::string, kLineCount>& lines = outcome.lines();
  // Only the lines given a text are visited; the others are empty fields.
  const std::uint32_t shown = outcome.ok ? outcome.page.shown : 0;
  // Room for the head and for every line with a text of up to kShortText bytes, quoted or not
  // (the comma runs may write past the end); a longer text asks for more when it comes.
  constexpr std::size_t kLinesMost = kLineCount * (2 * kShortText + 3) + kCommaRun;
  std::size_t most = 1 + head.size() + kLinesMost;
  for (std::string_view t : head) most += 2 * t.size() + 2;
  char* p = out.Room(most);
  if (leadingComma) *p++ = ',';
  p = PutCsvField(p, head[0]);
  for (std::size_t i = 1; i < head.size(); ++i) {
    *p++ = ',';
    p = PutCsvField(p, head[i]);
  }
  std::size_t at = 0;  // the lines before this one are written
  for (std::uint32_t bits = shown; bits != 0; bits &= bits - 1) {
    const auto i = static_cast<std::size_t>(std::countr_zero(bits));
    const std::string& text = lines[i];
    if (text.size() > kShortText) {
      out.Done(p);
      p = out.Room(2 * text.size() + 2 + kLinesMost);
    }
    p = PutCommas(p, i + 1 - at);
    p = PutCsvField(p, text);
    at = i + 1;
  }
  out.Done(PutCommas(p, kLineCount - at));
}

namespace {

static_assert(std::all_of(kOutcomeNames.begin(), kOutcomeNames.end(),
                          [](std::string_view name) { return name.size() <= 20; }),
              "an outcome member's key, quotes and neighbours fit a piece's 32 bytes");

JsonPiece MakePiece(std::string_view text) {
  JsonPiece piece;
  std::copy(text.begin(), text.end(), piece.bytes.begin());
  piece.size = text.size();
  return piece;
}

// The template is copied in pieces of this many bytes, whatever a piece's length.
constexpr std::size_t kPieceCopy = 32;

// Copies `length` bytes of a run of the template in whole 32-byte copies: the template is
// padded, and the room allows for it. Not a memcpy of `length`, which is made a `rep movs`
// here, slow to start.
void CopyPieces(char* p, const char* from, std::size_t length) {
  for (std::size_t copied = 0; copied < length; copied += kPieceCopy)
    std::memcpy(p + copied, from + copied, kPieceCopy);
}

// Copies a piece's bytes from `skip` on; kPieceCopy bytes are written whatever its length.
char* PutPiece(char* p, const JsonPiece& piece, std::size_t skip = 0) {
  std::memcpy(p, piece.bytes.data() + skip, kPieceCopy);
  return p + piece.size - skip;
}

// Bit i set when byte i of the 16 at `p` must be escaped in JSON.
unsigned JsonSpecialIn16(const char* p) {
#if defined(__SSE2__)
  return JsonSpecial16(p);
#else
  unsigned bits = 0;
  for (unsigned i = 0; i < kShortText; ++i) bits |= kJsonStops[static_cast<unsigned char>(p[i])] ? 1U << i : 0U;
  return bits;
#endif
}

}  // namespace

OutcomeJson::OutcomeJson() {
  static_assert(kOutcomeNames.size() == 5 + kLineCount);
  // Member i's key as it follows a value: ,"name":
  const auto key = [](std::size_t i) { return std::string(",\"").append(kOutcomeNames[i]).append("\":"); };
  const std::string quote = "\"";
  status_ = {MakePiece(key(0).append("\"ok\"").append(key(1)).append(quote)),
             MakePiece(key(0).append("\"rejected\"").append(key(1)).append(quote))};
  message_ = MakePiece(quote + key(2).append(quote));
  warning_ = {MakePiece(quote + key(3).append("false").append(key(4)).append(quote)),
              MakePiece(quote + key(3).append("true").append(key(4)).append(quote))};
  for (std::size_t k = 0; k < kLineCount; ++k) line_[k] = MakePiece(quote + key(5 + k).append(quote));
  for (std::size_t k = 0; k < kLineCount; ++k) {
    emptyFrom_[k] = emptyLines_.size();
    emptyLines_.append(line_[k].bytes.data(), line_[k].size);
  }
  emptyFrom_[kLineCount] = emptyLines_.size();
  emptyLines_ += quote;
  emptySize_ = emptyLines_.size();
  emptyLines_.append(kPieceCopy, ' ');  // room to copy its runs in whole pieces' copies
  headMost_ = std::max(status_[0].size, status_[1].size) + message_.size +
              std::max(warning_[0].size, warning_[1].size) + 32;  // 32: a piece's copy past its end
  for (const JsonPiece& piece : line_) linesMost_ += piece.size + kShortText;
  linesMost_ += 32 + 1;  // the last piece's copy, and the closing quote
}

void OutcomeJson::Append(OutBuffer& out, const Outcome& outcome, bool skipFirstComma) const {
  const std::array<std::string, kLineCount>& lines = outcome.lines();
  const std::uint32_t shown = outcome.ok ? outcome.page.shown : 0;
  const std::string_view field = outcome.field;
  const std::string_view message = outcome.message;
  const std::string_view income = outcome.income();
  char* const room = out.Room(headMost_ + 6 * (field.size() + message.size() + income.size()) + linesMost_);
  char* p = PutPiece(room, status_[outcome.ok ? 0 : 1], skipFirstComma ? 1 : 0);
  p = PutJsonText(p, field);
  p = PutPiece(p, message_);
  p = PutJsonText(p, message);
  p = PutPiece(p, warning_[outcome.warning ? 1 : 0]);
  p = PutJsonText(p, income);
  const std::size_t linesAt = out.size() + static_cast<std::size_t>(p - room);
  // The lines with a text, each after the empty lines before it (one copy from the template,
  // of the line's own piece too). A text of up to 16 bytes is copied and checked as 16 bytes;
  // a longer text, or one to escape, is rare. The empty lines after the last are one copy.
  std::size_t at = 0;  // the lines before this one are written
  unsigned special = 0;
  bool longer = false;
  for (std::uint32_t bits = shown & ((std::uint32_t{1} << kLineCount) - 1); bits != 0; bits &= bits - 1) {
    const auto k = static_cast<std::size_t>(std::countr_zero(bits));
    const std::size_t from = emptyFrom_[at];
    const std::size_t length = emptyFrom_[k + 1] - from;
    CopyPieces(p, emptyLines_.data() + from, length);
    p += length;
    const std::string& text = lines[k];
    const std::size_t n = text.size();
    longer = longer || n > kShortText;
    const std::size_t copied = n > kShortText ? 0 : n;
    std::memcpy(p, text.data(), kShortText);
    special |= JsonSpecialIn16(text.data()) & ((1U << copied) - 1);
    p += copied;
    at = k + 1;
  }
  const std::size_t rest = emptySize_ - emptyFrom_[at];
  CopyPieces(p, emptyLines_.data() + emptyFrom_[at], rest);
  out.Done(p + rest);
  if (special == 0 && !longer) return;
  // The lines again, each text escaped as it needs.
  std::size_t most = linesMost_;
  for (std::size_t k = 0; k < kLineCount; ++k) most += (shown >> k & 1U) != 0 ? 6 * lines[k].size() : 0;
  out.Keep(linesAt);
  p = out.Room(most);
  for (std::size_t k = 0; k < kLineCount; ++k) {
    p = PutPiece(p, line_[k]);
    if ((shown >> k & 1U) != 0) p = PutJsonText(p, lines[k]);
  }
  *p++ = '"';
  out.Done(p);
}

const std::vector<std::string>& OutcomeColumns() {
  static const std::vector<std::string> columns(kOutcomeNames.begin(), kOutcomeNames.end());
  return columns;
}

bool outcome_names::IsListed(std::string_view name) {
  return std::find(kOutcomeNames.begin(), kOutcomeNames.end(), name) != kOutcomeNames.end();
}

std::vector<std::string> OutputNames(const std::vector<std::string>& columns) {
  std::vector<std::string> names = columns;
  NameIndex taken;
  for (const std::string& c : columns) taken.emplace(c, 0);
  for (std::string& name : names) {
    if (!IsOutcomeColumn(name)) continue;
    for (int n = 1;; ++n) {
      std::string candidate = name + "_" + std::to_string(n);
      if (IsOutcomeColumn(candidate) || taken.count(candidate) != 0) continue;
      taken.emplace(candidate, 0);
      name = std::move(candidate);
      break;
    }
  }
  return names;
}

long FindColumn(const Layout& layout, std::string_view key, std::size_t nth) {
  const auto it = layout.index.find(key);
  if (it == layout.index.end()) return -1;
  if (nth == 0) return it->second;
  const std::vector<std::uint32_t>& more = layout.repeats[it->second];
  return nth <= more.size() ? static_cast<long>(more[nth - 1]) : -1L;
}

long AddColumn(Layout& layout, std::string_view key, std::size_t nth) {
  const long found = FindColumn(layout, key, nth);
  if (found >= 0) return found;
  if (layout.columns.size() >= kMaxColumns) return -1;
  const auto column = static_cast<std::uint32_t>(layout.columns.size());
  layout.columns.emplace_back(key);
  layout.repeats.emplace_back();
  if (nth == 0) {
    layout.index.emplace(std::string(key), column);
  } else {
    // Occurrences are met in order, so the one before this exists.
    layout.repeats[layout.index.find(key)->second].push_back(column);
  }
  return column;
}

std::array<std::string_view, 5> OutcomeHead(const Outcome& outcome, bool chinese) {
  if (chinese) {
    return {outcome.ok ? std::string_view(kStatusOk) : std::string_view(kStatusRejected),
            outcome.field == "record" ? std::string_view(kWholeRecord) : ChineseCaption(outcome.field), outcome.message,
            outcome.warning ? std::string_view(kWarningYes) : std::string_view(kWarningNo), outcome.income()};
  }
  using std::string_view_literals::operator""sv;  // measured once, not by strlen on each record
  return {outcome.ok ? "ok"sv : "rejected"sv, outcome.field, outcome.message, outcome.warning ? "true"sv : "false"sv,
          outcome.income()};
}

std::unique_ptr<SheetReader> MakeReader(Format format) {
  switch (format) {
    case Format::kCsv:
    case Format::kXlsx:
      return std::make_unique<CsvReader>();
    case Format::kJsonLines:
      return std::make_unique<JsonLinesReader>();
  }
  return nullptr;
}

std::unique_ptr<SheetWriter> MakeWriter(const Layout& layout) {
  switch (layout.out) {
    case Format::kCsv:
    case Format::kXlsx:
      return std::make_unique<CsvWriter>(layout);
    case Format::kJsonLines:
      return std::make_unique<JsonLinesWriter>(layout);
  }
  return nullptr;
}

}  // namespace quorvex::sheets
