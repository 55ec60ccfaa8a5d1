#include "cli/sheet_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "cli/byte_scan.h"
#include "cli/csv.h"
#include "cli/json_line.h"
#include "cli/sheet_headers.h"

namespace quorvex::cli {

namespace {

using outcome_names::kOutcomeNames;

// The bytes that make a CSV field quoted.
constexpr auto kCsvSpecial = ByteTable([](unsigned char c) { return kCsvStops[c] || c == '"'; });

bool AnyOf(const std::array<bool, 256>& table, std::string_view text) {
  bool any = false;
  for (const char c : text) any |= table[static_cast<unsigned char>(c)];
  return any;
}

// Copies n bytes; a short run as one copy of kLoose bytes, whatever n (a branch on each
// run's length costs more than the bytes): up to kLoose - 1 bytes past n may be read and
// written too, which both sides must have room for.
constexpr std::size_t kLoose = 64;
void CopyLoose(char* to, const char* from, std::size_t n) {
  if (n > kLoose) {
    std::memcpy(to, from, n);
    return;
  }
  std::memcpy(to, from, kLoose);
}

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

// Whether a result line's text needs no escaping in JSON.
bool JsonPlain(const std::string& text) {
#if defined(__SSE2__)
  if (ShortLine(text)) return (JsonSpecial16(text.data()) & ((1U << text.size()) - 1)) == 0;
#endif
  return !AnyOf(kJsonStops, text);
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view text) {
  const std::size_t start = out.size();
  out.resize(start + 2 * text.size() + 2);
  const char* end = PutCsvField(out.data() + start, text);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  if (!AnyOf(kJsonStops, text)) {
    out += text;
    out.push_back('"');
    return;
  }
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (!kJsonStops[u]) continue;
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u00";
        out.push_back(kHex[u >> 4]);
        out.push_back(kHex[u & 0xF]);
      }
    }
  }
  out.append(text.data() + plain, text.size() - plain);
  out.push_back('"');
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

void AppendOutcomeCsv(std::string& out, const std::array<std::string_view, 5>& head, const Outcome& outcome,
                      bool leadingComma) {
  const std::array<std::string, kLineCount>& lines = outcome.lines();
  // Only the lines given a text are visited; the others are empty fields.
  const std::uint32_t shown = outcome.ok ? outcome.page.shown : 0;
  std::size_t most = 1 + head.size() + kLineCount;
  for (std::string_view t : head) most += 2 * t.size() + 2;
  for (std::uint32_t bits = shown; bits != 0; bits &= bits - 1) most += 2 * lines[std::countr_zero(bits)].size() + 2;
  const std::size_t start = out.size();
  out.resize(start + most + kCommaRun);  // the comma runs may write past the end
  char* const begin = out.data();
  char* p = begin + start;
  if (leadingComma) *p++ = ',';
  p = PutCsvField(p, head[0]);
  for (std::size_t i = 1; i < head.size(); ++i) {
    *p++ = ',';
    p = PutCsvField(p, head[i]);
  }
  std::size_t at = 0;  // the lines before this one are written
  for (std::uint32_t bits = shown; bits != 0; bits &= bits - 1) {
    const auto i = static_cast<std::size_t>(std::countr_zero(bits));
    p = PutCommas(p, i + 1 - at);
    p = PutCsvField(p, lines[i]);
    at = i + 1;
  }
  p = PutCommas(p, kLineCount - at);
  out.resize(static_cast<std::size_t>(p - begin));
}

OutcomeJson::OutcomeJson() {
  for (std::size_t i = 0; i < kOutcomeNames.size(); ++i) {
    start_[i] = empty_.size();
    empty_ += ",";
    AppendJsonString(empty_, kOutcomeNames[i]);
    empty_ += i == 3 ? ":" : ":\"";
    value_[i] = empty_.size();
    empty_ += i == 3 ? "false" : "\"";
  }
  start_[kOutcomeNames.size()] = empty_.size();
  size_ = empty_.size();
  empty_.append(kLoose, ' ');
}

void OutcomeJson::Append(std::string& out, const Outcome& outcome, bool skipFirstComma) const {
  const std::array<std::string_view, 5> head = OutcomeHead(outcome);
  const std::uint32_t shown = outcome.ok ? outcome.page.shown : 0;
  // Member i's text: one of the head's, or line i - 5.
  const auto text = [&](std::size_t i) -> std::string_view {
    return i < head.size() ? head[i] : std::string_view(outcome.lines()[i - head.size()]);
  };
  // The members with a text: the head's (the warning always) and the lines given one.
  std::uint64_t given = std::uint64_t{shown} << head.size();
  for (std::size_t i = 0; i < head.size(); ++i) {
    if (!head[i].empty()) given |= std::uint64_t{1} << i;
  }
  std::size_t most = size_;
  bool plain = true;
  for (std::uint64_t bits = given; bits != 0; bits &= bits - 1) {
    const auto i = static_cast<std::size_t>(std::countr_zero(bits));
    const std::string_view t = text(i);
    most += t.size();
    plain = plain && (i >= head.size() ? JsonPlain(outcome.lines()[i - head.size()]) : !AnyOf(kJsonStops, t));
  }
  const char* const from = empty_.data();
  const std::size_t begin = out.size();
  if (!plain) {
    // Rare: a text with characters to escape goes the general way.
    for (std::size_t i = 0; i < kOutcomeNames.size(); ++i) {
      out.append(from + start_[i], value_[i] - start_[i] - (i == 3 ? 0 : 1));
      if (i == 3) {
        out += text(i);
      } else {
        AppendJsonString(out, text(i));
      }
    }
  } else {
    // Room for the loose copies' overrun too: the template is copied in whole steps of
    // kLoose bytes (it has that many spare bytes after its end).
    out.resize(begin + most + kLoose);
    char* const base = out.data();
    char* p = base + begin;
    std::size_t copied = 0;  // empty_ is written up to here
    for (std::uint64_t bits = given; bits != 0; bits &= bits - 1) {
      const auto i = static_cast<std::size_t>(std::countr_zero(bits));
      const std::string_view t = text(i);
      // The members before this one as they are, then this one's key, its text and the rest.
      CopyLoose(p, from + copied, value_[i] - copied);
      p += value_[i] - copied;
      if (i >= head.size() && ShortLine(outcome.lines()[i - head.size()])) {
        std::memcpy(p, t.data(), kShortText);
      } else {
        std::memcpy(p, t.data(), t.size());
      }
      p += t.size();
      copied = i == 3 ? value_[i] + 5 : value_[i];  // past "false", or at the closing quote
    }
    CopyLoose(p, from + copied, size_ - copied);
    p += size_ - copied;
    out.resize(static_cast<std::size_t>(p - base));
  }
  if (skipFirstComma) out.erase(begin, 1);
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

Request RequestOf(const Record& record) {
  const auto& r = record.request;
  return {r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]};
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

}  // namespace quorvex::cli
