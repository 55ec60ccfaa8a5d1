#include "sheets/json_line.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "sheets/byte_scan.h"

namespace quorvex::sheets {
namespace {

class Parser {
 public:
  Parser(std::string_view s, std::string& arena, std::string& error) : s_(s), arena_(arena), error_(error) {}

  bool Object(std::vector<FieldRef>& fields) {
    fields.clear();
    Blank();
    if (!Eat('{')) return Fail("a record must be a JSON object");
    Blank();
    if (Eat('}')) return End();
    for (;;) {
      Blank();
      FieldRef& f = fields.emplace_back();
      if (Peek() != '"') return Fail("a key must be a string");
      std::size_t start = pos_;
      if (!String(f.key)) return false;
      f.rawKey = s_.substr(start, pos_ - start);
      Blank();
      if (!Eat(':')) return Fail("':' expected after a key");
      Blank();
      start = pos_;
      if (!Value(f)) return false;
      f.raw = s_.substr(start, pos_ - start);
      Blank();
      if (Eat(',')) continue;
      if (Eat('}')) return End();
      return Fail("',' or '}' expected");
    }
  }

 private:
  bool End() {
    Blank();
    if (pos_ != s_.size()) return Fail("text after the object");
    return true;
  }
  bool Fail(const char* why) {
    error_ = why;
    return false;
  }
  char Peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
  bool Eat(char c) {
    if (pos_ >= s_.size() || s_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  void Blank() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
  }
  bool Literal(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Value(FieldRef& f) {
    const char c = Peek();
    if (c == '"') return String(f.text);
    f.literal = true;
    const std::size_t start = pos_;
    if (Literal("true") || Literal("false")) {
      f.text = s_.substr(start, pos_ - start);
      return true;
    }
    if (Literal("null")) {
      f.text = {};
      return true;
    }
    if (c == '-' || (c >= '0' && c <= '9')) return Number(f.text);
    return Fail(c == '{' || c == '[' ? "nested values are not part of a record" : "a value expected");
  }

  std::size_t Digits() {
    const std::size_t from = pos_;
    while (Peek() >= '0' && Peek() <= '9') ++pos_;
    return pos_ - from;
  }

  bool Number(std::string_view& text) {
    const std::size_t start = pos_;
    Eat('-');
    const char first = Peek();
    const std::size_t n = Digits();
    if (n == 0) return Fail("a number expected");
    if (first == '0' && n > 1) return Fail("a number with a leading zero");
    if (Eat('.') && Digits() == 0) return Fail("digits expected after '.'");
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (!Eat('+')) Eat('-');
      if (Digits() == 0) return Fail("digits expected in an exponent");
    }
    text = s_.substr(start, pos_ - start);
    return true;
  }

  bool Hex4(std::uint32_t& v) {
    if (pos_ + 4 > s_.size()) return Fail("a \\u escape needs four hex digits");
    v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[pos_++];
      v <<= 4;
      if (c >= '0' && c <= '9') {
        v |= static_cast<std::uint32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        v |= static_cast<std::uint32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        v |= static_cast<std::uint32_t>(c - 'A' + 10);
      } else {
        return Fail("a \\u escape needs four hex digits");
      }
    }
    return true;
  }

  void Utf8(std::uint32_t cp) {
    if (cp < 0x80) {
      arena_.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      arena_.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      arena_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      arena_.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      arena_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      arena_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      arena_.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      arena_.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      arena_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      arena_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }

  bool Escape() {
    const char e = pos_ < s_.size() ? s_[pos_++] : '\0';
    static constexpr char kFrom[] = "\"\\/bfnrt";
    static constexpr char kTo[] = "\"\\/\b\f\n\r\t";
    if (const char* at = e == '\0' ? nullptr : std::strchr(kFrom, e)) {
      arena_.push_back(kTo[at - kFrom]);
      return true;
    }
    if (e != 'u') return Fail("an unknown escape in a string");
    std::uint32_t cp = 0;
    if (!Hex4(cp)) return false;
    if (cp >= 0xD800 && cp < 0xDC00) {
      std::uint32_t low = 0;
      if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000)
        return Fail("an unpaired surrogate in a \\u escape");
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    } else if (cp >= 0xDC00 && cp < 0xE000) {
      return Fail("an unpaired surrogate in a \\u escape");
    }
    Utf8(cp);
    return true;
  }

  // A string's text is a view of the line when it has no escapes, else decoded into the arena.
  bool String(std::string_view& text) {
    const std::size_t start = ++pos_;  // after the opening quote
    const char* const data = s_.data();
    const std::size_t size = s_.size();
    const std::size_t at = FindJsonStop(data, pos_, size);
    pos_ = at;
    if (pos_ < size) {
      const char c = data[pos_];
      if (c == '"') {
        text = s_.substr(start, pos_++ - start);
        return true;
      }
      if (c != '\\') return Fail("a control character inside a string");
    }
    const std::size_t from = arena_.size();
    arena_.append(s_.substr(start, pos_ - start));
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '"') {
        text = std::string_view(arena_).substr(from);
        return true;
      }
      if (c == '\\') {
        if (!Escape()) return false;
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character inside a string");
      arena_.push_back(c);
    }
    return Fail("a string is never closed");
  }

  std::string_view s_;
  std::string& arena_;
  std::string& error_;
  std::size_t pos_ = 0;
};

// The request field a key names (its place in kRequestKeys), or kNoRequest.
std::uint8_t RequestIndex(std::string_view key) {
  constexpr std::uint8_t kNone = kNoRequest;
  switch (key.size()) {
    case 4:
      return key == "calc" ? 1 : kNone;
    case 6:
      return key == "amount" ? 2 : key == "salary" ? 3 : key == "months" ? 6 : kNone;
    case 8:
      return key == "category" ? 0 : kNone;
    case 9:
      return key == "threshold" ? 5 : kNone;
    case 13:
      return key == "contributions" ? 4 : key == "planned_bonus" ? 7 : kNone;
    default:
      return kNone;
  }
}

// A key's first occurrence gives the request field: the fields are taken last to first, each
// over the one before; those that name none go to the last slot.
void SetRequest(Record& record) {
  record.request = {};
  for (std::size_t i = record.fields.size(); i-- > 0;) record.request[record.fields[i].request] = record.fields[i].text;
}

// A name for `key` that no key of the record has, no outcome column and no name given
// before; it is added to `given`.
const std::string& FreeName(std::string_view key, const std::vector<FieldRef>& fields,
                            std::vector<std::string>& given) {
  for (int n = 1;; ++n) {
    std::string name = std::string(key) + "_" + std::to_string(n);
    bool taken = IsOutcomeColumn(name);
    for (const FieldRef& f : fields) taken = taken || f.key == name;
    for (const std::string& g : given) taken = taken || g == name;
    if (!taken) return given.emplace_back(std::move(name));
  }
}

}  // namespace

bool ParseJsonObject(std::string_view line, std::vector<FieldRef>& fields, std::string& arena, std::string& error) {
  return Parser(line, arena, error).Object(fields);
}

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

void AppendJsonString(OutBuffer& out, std::string_view text) {
  char* p = out.Room(6 * text.size() + 2);
  *p++ = '"';
  p = PutJsonText(p, text);
  *p++ = '"';
  out.Done(p);
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
      record.error = "第" + std::to_string(record.line) + "行不是有效的记录：" + record.error;
      return true;
    }
    for (FieldRef& f : record.fields) {
      f.request = RequestIndex(f.key);
      f.outcomeName = IsOutcomeColumn(f.key);
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
  for (const std::string& name : OutcomeColumns()) outcomeKeys_.push_back("," + Quote(name) + ":");
  for (std::size_t k = 0; k < kLineCount; ++k) emptyLines_.push_back(outcomeKeys_[5 + k] + "\"\"");
}

void JsonLinesWriter::Begin(OutBuffer& out) const {
  if (layout_.bom) out.Append("\xEF\xBB\xBF");
}

void JsonLinesWriter::Write(const Record& record, const RecordOutcome& outcome, OutBuffer& out) {
  out.Put('{');
  bool first = true;
  if (IsTable(layout_.in)) {
    const std::size_t given = record.fields.size();
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      if (i > 0) out.Put(',');
      out.Append(keys_[i]);
      AppendJsonString(out, i < given ? record.fields[i].text : std::string_view());
    }
    first = keys_.empty();
    // Values beyond the header keep their position in the key.
    for (std::size_t i = keys_.size(); i < given; ++i) {
      out.Append(first ? "\"column_" : ",\"column_");
      out.Append(std::to_string(i + 1));
      out.Append("\":");
      AppendJsonString(out, record.fields[i].text);
      first = false;
    }
  } else {
    WriteFromJson(record, out);
    first = record.fields.empty();
  }
  // The outcome's members; the warning is true or false, the others strings.
  const std::array<std::string_view, 5> head = OutcomeHead(outcome);
  for (std::size_t i = 0; i < head.size(); ++i) {
    out.Append(first && i == 0 ? std::string_view(outcomeKeys_[i]).substr(1) : std::string_view(outcomeKeys_[i]));
    if (i == 3)
      out.Append(head[i]);
    else
      AppendJsonString(out, head[i]);
  }
  for (std::size_t k = 0; k < kLineCount; ++k) {
    const std::string_view text = LineText(outcome, k);
    if (text.empty()) {
      out.Append(emptyLines_[k]);
    } else {
      out.Append(outcomeKeys_[head.size() + k]);
      AppendJsonString(out, text);
    }
  }
  char* const p = out.Room(2);
  p[0] = '}';
  p[1] = '\n';
  out.Done(p + 2);
}

void JsonLinesWriter::WriteFromJson(const Record& record, OutBuffer& out) const {
  // Written as the members were read, without blanks; a key named like an outcome member
  // gets a new name.
  bool first = true;
  std::vector<std::string> given;
  for (const FieldRef& f : record.fields) {
    if (!first) out.Put(',');
    first = false;
    if (f.outcomeName) {
      AppendJsonString(out, FreeName(f.key, record.fields, given));
    } else {
      out.Append(f.rawKey);
    }
    out.Put(':');
    out.Append(f.raw);
  }
}

}  // namespace quorvex::sheets
