#include "sheets/text/json_line.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "sheets/engine/cell_text.h"
#include "sheets/sheet_messages.h"
#include "sheets/text/byte_scan.h"
#include "sheets/text/utf8.h"

namespace quorvex::sheets {
namespace {

// A record's members are capped as a sheet's columns are, so that its memory is bounded by
// its bytes whatever its shape.
static_assert(kMaxColumns == 16384);

constexpr auto kJsonBlanks = ByteTable([](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });

// The one JSON grammar of a record. It walks the line with a pointer; a string without
// escapes is a view of the line, found by one scan for its closing quote.
class Parser {
 public:
  Parser(std::string_view s, std::string& arena, std::string& error)
      : p_(s.data()), end_(s.data() + s.size()), arena_(arena), error_(error) {}

  bool Object(std::vector<FieldRef>& fields) {
    fields.clear();
    Blank();
    if (!Eat('{')) return Fail(messages::kJsonNotAnObject);
    Blank();
    if (Eat('}')) return End();
    return Members(fields);
  }

 private:
  bool Members(std::vector<FieldRef>& fields) {
    for (;;) {
      Blank();
      if (fields.size() == kMaxColumns) return Fail(messages::kJsonTooManyFields);
      FieldRef& f = fields.emplace_back();
      if (Peek() != '"') return Fail(messages::kJsonKeyNotString);
      const char* start = p_;
      if (!String(f.key)) return false;
      f.rawKey = Since(start);
      Blank();
      if (!Eat(':')) return Fail(messages::kJsonColonMissing);
      Blank();
      start = p_;
      if (!Value(f)) return false;
      f.raw = Since(start);
      Blank();
      if (Eat(',')) continue;
      if (Eat('}')) return End();
      return Fail(messages::kJsonCommaMissing);
    }
  }

  std::string_view Since(const char* start) const { return {start, static_cast<std::size_t>(p_ - start)}; }
  bool End() {
    Blank();
    if (p_ != end_) return Fail(messages::kJsonTextAfter);
    return true;
  }
  bool Fail(const char* why) {
    error_ = why;
    return false;
  }
  char Peek() const { return p_ != end_ ? *p_ : '\0'; }
  bool Eat(char c) {
    if (p_ == end_ || *p_ != c) return false;
    ++p_;
    return true;
  }
  void Blank() {
    while (p_ != end_ && kJsonBlanks[static_cast<unsigned char>(*p_)]) ++p_;
  }
  bool Literal(std::string_view word) {
    if (static_cast<std::size_t>(end_ - p_) < word.size() || std::memcmp(p_, word.data(), word.size()) != 0)
      return false;
    p_ += word.size();
    return true;
  }

  bool Value(FieldRef& f) {
    const char c = Peek();
    if (c == '"') return String(f.text);
    f.literal = true;
    const char* const start = p_;
    if (Literal("true") || Literal("false")) {
      f.text = Since(start);
      return true;
    }
    if (Literal("null")) {
      f.text = {};
      return true;
    }
    if (c == '-' || (c >= '0' && c <= '9')) return Number(f.text);
    return Fail(c == '{' || c == '[' ? messages::kJsonNested : messages::kJsonValueMissing);
  }

  std::size_t Digits() {
    const char* const from = p_;
    while (p_ != end_ && *p_ >= '0' && *p_ <= '9') ++p_;
    return static_cast<std::size_t>(p_ - from);
  }

  bool Number(std::string_view& text) {
    const char* const start = p_;
    Eat('-');
    const char first = Peek();
    const std::size_t n = Digits();
    if (n == 0) return Fail(messages::kJsonNumberMissing);
    if (first == '0' && n > 1) return Fail(messages::kJsonLeadingZero);
    if (Eat('.') && Digits() == 0) return Fail(messages::kJsonNoFraction);
    if (Peek() == 'e' || Peek() == 'E') {
      ++p_;
      if (!Eat('+')) Eat('-');
      if (Digits() == 0) return Fail(messages::kJsonNoExponent);
    }
    text = Since(start);
    return true;
  }

  bool Hex4(std::uint32_t& v) {
    if (end_ - p_ < 4) return Fail(messages::kJsonShortEscape);
    v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = *p_++;
      v <<= 4;
      if (c >= '0' && c <= '9') {
        v |= static_cast<std::uint32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        v |= static_cast<std::uint32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        v |= static_cast<std::uint32_t>(c - 'A' + 10);
      } else {
        return Fail(messages::kJsonShortEscape);
      }
    }
    return true;
  }

  bool Escape() {
    const char e = p_ != end_ ? *p_++ : '\0';
    static constexpr char kFrom[] = "\"\\/bfnrt";
    static constexpr char kTo[] = "\"\\/\b\f\n\r\t";
    if (const char* at = e == '\0' ? nullptr : std::strchr(kFrom, e)) {
      arena_.push_back(kTo[at - kFrom]);
      return true;
    }
    if (e != 'u') return Fail(messages::kJsonUnknownEscape);
    std::uint32_t cp = 0;
    if (!Hex4(cp)) return false;
    if (cp >= 0xD800 && cp < 0xDC00) {
      std::uint32_t low = 0;
      if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000) return Fail(messages::kJsonLoneSurrogate);
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    } else if (cp >= 0xDC00 && cp < 0xE000) {
      return Fail(messages::kJsonLoneSurrogate);
    }
    AppendUtf8(arena_, cp);
    return true;
  }

  // A string's text is a view of the line when it has no escapes, else decoded into the arena.
  bool String(std::string_view& text) {
    const char* const start = ++p_;  // after the opening quote
    const char* const p = FindJsonStop(start, end_);
    p_ = p;
    if (p == end_ || *p != '"') return Decoded(start, text);
    text = Since(start);
    ++p_;
    return true;
  }

  // The rest of a string from `start`, with escapes, into the arena; the parser is at the first
  // byte that is no plain text.
  bool Decoded(const char* start, std::string_view& text) {
    if (p_ != end_ && *p_ != '\\') return Fail(messages::kJsonControlCharacter);
    const std::size_t from = arena_.size();
    arena_.append(start, p_);
    while (p_ != end_) {
      const char c = *p_++;
      if (c == '"') {
        text = std::string_view(arena_).substr(from);
        return true;
      }
      if (c == '\\') {
        if (!Escape()) return false;
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Fail(messages::kJsonControlCharacter);
      arena_.push_back(c);
    }
    return Fail(messages::kJsonUnclosedString);
  }

  const char* p_;
  const char* const end_;
  std::string& arena_;
  std::string& error_;
};

// Gives each request field its key's text; those that name none go to the last slot. A request
// field named twice makes the record malformed: readers of JSON disagree on which one counts.
void SetRequest(Record& record) {
  record.request = {};
  std::array<bool, kNoRequest> seen{};
  for (const FieldRef& f : record.fields) {
    if (f.request != kNoRequest) {
      if (seen[f.request] && record.error.empty()) {
        record.error = messages::NotARecord(record.line, messages::FieldTwice(f.key));
      }
      seen[f.request] = true;
    }
    record.request[f.request] = f.text;
  }
}

// Names for the keys of a record that outcome columns have: key_1, or _2, ... the first that no
// key of the record, no outcome column and no name given before has. A key's next search
// starts after the name it was given last: a name taken once stays taken.
class FreeNames {
 public:
  explicit FreeNames(const std::vector<FieldRef>& fields) {
    for (const FieldRef& f : fields) taken_.emplace(f.key);
  }

  std::string Next(std::string_view key) {
    std::size_t& n = next_.try_emplace(std::string(key), 0).first->second;
    for (;;) {
      std::string name = std::string(key) + "_" + std::to_string(++n);
      if (!IsOutcomeColumn(name) && taken_.insert(name).second) return name;
    }
  }

 private:
  std::unordered_set<std::string> taken_;
  std::unordered_map<std::string, std::size_t> next_;
};

}  // namespace

bool ParseJsonObject(std::string_view line, std::vector<FieldRef>& fields, std::string& arena, std::string& error) {
  return Parser(line, arena, error).Object(fields);
}

namespace {

// Writes `text` escaped for a JSON string (without the quotes) at `p` and returns the end; `p`
// has room for six times the text.
char* PutJsonText(char* p, std::string_view text) {
  for (const char c : text) {
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

// Writes `text` as a JSON string literal at `p` and returns the end; `p` has room for six
// times the text and two quotes.
char* PutJsonString(char* p, std::string_view text) {
  *p++ = '"';
  p = PutJsonText(p, text);
  *p++ = '"';
  return p;
}

char* Put(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

}  // namespace

void AppendJsonString(OutBuffer& out, std::string_view text) {
  out.Done(PutJsonString(out.Room(6 * text.size() + 2), text));
}

std::string Quote(std::string_view text) {
  OutBuffer out;
  AppendJsonString(out, text);
  return std::string(out.View());
}

std::size_t JsonLinesReader::LastRecordEnd(std::string_view data, bool atEnd) const {
  if (atEnd) return data.size();
  const void* lf = memrchr(data.data(), '\n', data.size());
  return lf == nullptr ? std::string_view::npos
                       : static_cast<std::size_t>(static_cast<const char*>(lf) - data.data()) + 1;
}

bool JsonLinesReader::Parse(std::string_view s, std::size_t& pos, std::uint64_t& line, Record& record,
                            std::string& arena) const {
  for (;;) {
    if (pos >= s.size()) return false;
    const void* lf = std::memchr(s.data() + pos, '\n', s.size() - pos);
    const std::size_t end =
        lf == nullptr ? s.size() : static_cast<std::size_t>(static_cast<const char*>(lf) - s.data());
    std::string_view text = s.substr(pos, end - pos);
    pos = lf == nullptr ? end : end + 1;
    record.line = line++;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.empty() || (text.front() != '{' && text.find_first_not_of(" \t\r") == std::string_view::npos)) continue;
    record.raw = text;
    record.error.clear();
    if (!Parser(text, arena, record.error).Object(record.fields)) {
      record.fields.clear();
      record.request = {};
      record.error = messages::NotARecord(record.line, record.error);
      return true;
    }
    for (FieldRef& f : record.fields) {
      const KeyMeaning meaning = MeaningOf(f.key);
      f.request = meaning.request;
      f.outcomeName = meaning.outcome;
    }
    SetRequest(record);
    return true;
  }
}

JsonLinesWriter::JsonLinesWriter(const Layout& layout) : layout_(layout) {
  for (const std::string& name : layout.names) {
    keys_.push_back(Quote(name) + ":");
    keyBytes_ += keys_.back().size() + 3;
  }
  // ,"status":"","field":"","message":"","warning":,"income":"","allowance":"",...}\n
  const std::vector<std::string>& names = OutcomeColumns();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool quoted = i != 3;
    outcome_ += ',';
    outcome_ += Quote(names[i]);
    outcome_ += quoted ? ":\"" : ":";
    textAt_[i] = outcome_.size();
    if (quoted) outcome_ += '"';
  }
  outcome_ += "}\n";
}

void JsonLinesWriter::Begin(Written& out) const {
  if (layout_.bom) out.text.Append("\xEF\xBB\xBF");
}

void JsonLinesWriter::Write(const Record& record, const RecordOutcome& outcome, Written& written) {
  OutBuffer& out = written.text;
  out.Put('{');
  const bool named = !layout_.sheet.empty();
  if (named) {
    AppendJsonString(out, SheetColumnName(layout_.chinese));
    out.Put(':');
    AppendJsonString(out, layout_.sheet);
  }
  if (IsTable(layout_.in)) {
    if (named && (!keys_.empty() || !record.fields.empty())) out.Put(',');
    WriteFromTable(record, out);
    WriteOutcome(outcome, !named && keys_.empty() && record.fields.size() <= keys_.size(), out);
  } else {
    if (named && !record.fields.empty()) out.Put(',');
    WriteFromJson(record, out);
    WriteOutcome(outcome, !named && record.fields.empty(), out);
  }
}

void JsonLinesWriter::WriteFromTable(const Record& record, OutBuffer& out) {
  const std::size_t given = record.fields.size();
  const bool cells = !record.kinds.empty();
  if (cells) {
    shown_.resize(given);
    scratch_.resize(given);
    for (std::size_t i = 0; i < given; ++i) shown_[i] = FieldText(record, i, layout_.date1904, scratch_[i]);
  }
  const auto text = [&](std::size_t i) { return cells ? shown_[i] : record.fields[i].text; };
  // Values beyond the header are written one by one below.
  std::size_t texts = 0;
  for (std::size_t i = 0; i < std::min(given, keys_.size()); ++i) texts += text(i).size();
  char* p = out.Room(keyBytes_ + 6 * texts);
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (i > 0) *p++ = ',';
    p = Put(p, keys_[i]);
    p = PutJsonString(p, i < given ? text(i) : std::string_view());
  }
  out.Done(p);
  // Values beyond the header keep their position in the key.
  for (std::size_t i = keys_.size(); i < given; ++i) {
    out.Append(i == 0 ? "\"column_" : ",\"column_");
    out.Append(std::to_string(i + 1));
    out.Append("\":");
    AppendJsonString(out, text(i));
  }
}

void JsonLinesWriter::WriteOutcome(const RecordOutcome& outcome, bool first, OutBuffer& out) const {
  // The members are written from a template that holds them all with empty texts (the
  // warning's, true or false, without quotes): the template up to a text's place, then the text.
  // Member by member instead, 50,000 salary records JSON Lines -> JSON Lines take 36 % more
  // instructions (419M instead of 309M, callgrind, quorvex-calc batch -j 1; mixed 442M/332M).
  const std::array<std::string_view, 5> head = OutcomeHead(outcome);
  const std::uint32_t shown = ShownLines(outcome);
  std::size_t most = outcome_.size();
  for (const std::string_view text : head) most += 6 * text.size();
  for (std::uint32_t rest = shown; rest != 0; rest &= rest - 1)
    most += 6 * outcome.lines()[std::countr_zero(rest)].size();
  char* p = out.Room(most);
  const std::string_view outcomeTemplate = outcome_;
  std::size_t from = first ? 1 : 0;  // past the template's first comma
  const auto insert = [&](std::size_t member, std::string_view text) {
    p = Put(p, outcomeTemplate.substr(from, textAt_[member] - from));
    p = PutJsonText(p, text);
    from = textAt_[member];
  };
  for (std::size_t i = 0; i < head.size(); ++i) {
    if (!head[i].empty()) insert(i, head[i]);
  }
  for (std::uint32_t rest = shown; rest != 0; rest &= rest - 1) {
    const auto k = static_cast<std::size_t>(std::countr_zero(rest));
    insert(head.size() + k, outcome.lines()[k]);
  }
  out.Done(Put(p, outcomeTemplate.substr(from)));
}

void JsonLinesWriter::WriteFromJson(const Record& record, OutBuffer& out) const {
  // Written as the members were read, without blanks; a key named like an outcome member
  // gets a new name. Members read without blanks stand in the line as they are written
  // (one byte between key and value is the colon, between members the comma): then the
  // line's text from the first key to the last value is copied in one piece.
  const std::vector<FieldRef>& fields = record.fields;
  if (fields.empty()) return;
  const char* const from = fields.front().rawKey.data();
  const char* end = from - 1;
  bool asRead = true;
  for (const FieldRef& f : fields) {
    asRead =
        asRead && !f.outcomeName && f.rawKey.data() == end + 1 && f.raw.data() == f.rawKey.data() + f.rawKey.size() + 1;
    end = f.raw.data() + f.raw.size();
  }
  if (asRead) {
    out.Append({from, static_cast<std::size_t>(end - from)});
    return;
  }
  bool first = true;
  std::optional<FreeNames> names;
  for (const FieldRef& f : fields) {
    if (!first) out.Put(',');
    first = false;
    if (f.outcomeName) {
      if (!names) names.emplace(fields);
      AppendJsonString(out, names->Next(f.key));
    } else {
      out.Append(f.rawKey);
    }
    out.Put(':');
    out.Append(f.raw);
  }
}

}  // namespace quorvex::sheets
