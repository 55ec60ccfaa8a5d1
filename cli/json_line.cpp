#include "cli/json_line.h"

#include <cstdint>

namespace quorvex::cli {
namespace {

class Parser {
 public:
  Parser(std::string_view s, std::string& error) : s_(s), error_(error) {}

  std::optional<std::vector<JsonField>> Object() {
    std::vector<JsonField> fields;
    Blank();
    if (!Eat('{')) return Fail("a record must be a JSON object");
    Blank();
    if (Eat('}')) return End(std::move(fields));
    for (;;) {
      Blank();
      JsonField f;
      if (Peek() != '"') return Fail("a key must be a string");
      if (!String(f.key)) return std::nullopt;
      Blank();
      if (!Eat(':')) return Fail("':' expected after a key");
      Blank();
      const size_t start = pos_;
      if (!Value(f.text)) return std::nullopt;
      f.raw = std::string(s_.substr(start, pos_ - start));
      fields.push_back(std::move(f));
      Blank();
      if (Eat(',')) continue;
      if (Eat('}')) return End(std::move(fields));
      return Fail("',' or '}' expected");
    }
  }

 private:
  std::optional<std::vector<JsonField>> End(std::vector<JsonField> fields) {
    Blank();
    if (pos_ != s_.size()) return Fail("text after the object");
    return fields;
  }
  std::nullopt_t Fail(const char* why) {
    error_ = why;
    return std::nullopt;
  }
  char Peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
  bool Eat(char c) {
    if (Peek() != c || pos_ >= s_.size()) return false;
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

  bool Value(std::string& text) {
    const char c = Peek();
    if (c == '"') return String(text);
    if (Literal("true")) return text = "true", true;
    if (Literal("false")) return text = "false", true;
    if (Literal("null")) return text.clear(), true;
    if (c == '-' || (c >= '0' && c <= '9')) return Number(text);
    Fail(c == '{' || c == '[' ? "nested values are not part of a record" : "a value expected");
    return false;
  }

  bool Number(std::string& text) {
    const size_t start = pos_;
    Eat('-');
    auto digits = [&] {
      const size_t from = pos_;
      while (Peek() >= '0' && Peek() <= '9') ++pos_;
      return pos_ > from;
    };
    if (!digits()) return Fail("a number expected"), false;
    if (Eat('.') && !digits()) return Fail("digits expected after '.'"), false;
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (!Eat('+')) Eat('-');
      if (!digits()) return Fail("digits expected in an exponent"), false;
    }
    text = std::string(s_.substr(start, pos_ - start));
    return true;
  }

  bool Hex4(uint32_t& v) {
    if (pos_ + 4 > s_.size()) return Fail("a \\u escape needs four hex digits"), false;
    v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[pos_++];
      v <<= 4;
      if (c >= '0' && c <= '9')
        v |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        v |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        v |= static_cast<uint32_t>(c - 'A' + 10);
      else
        return Fail("a \\u escape needs four hex digits"), false;
    }
    return true;
  }

  static void Utf8(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }

  bool Escape(std::string& out) {
    const char e = pos_ < s_.size() ? s_[pos_++] : '\0';
    switch (e) {
      case '"':
      case '\\':
      case '/':
        out.push_back(e);
        return true;
      case 'b':
        out.push_back('\b');
        return true;
      case 'f':
        out.push_back('\f');
        return true;
      case 'n':
        out.push_back('\n');
        return true;
      case 'r':
        out.push_back('\r');
        return true;
      case 't':
        out.push_back('\t');
        return true;
      case 'u': {
        uint32_t cp = 0;
        if (!Hex4(cp)) return false;
        if (cp >= 0xD800 && cp < 0xDC00) {
          uint32_t low = 0;
          if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000)
            return Fail("an unpaired surrogate in a \\u escape"), false;
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        } else if (cp >= 0xDC00 && cp < 0xE000) {
          return Fail("an unpaired surrogate in a \\u escape"), false;
        }
        Utf8(cp, out);
        return true;
      }
      default:
        return Fail("an unknown escape in a string"), false;
    }
  }

  bool String(std::string& out) {
    ++pos_;  // the opening quote
    out.clear();
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '"') return true;
      if (c == '\\') {
        if (!Escape(out)) return false;
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character inside a string"), false;
      out.push_back(c);
    }
    return Fail("a string is never closed"), false;
  }

  std::string_view s_;
  std::string& error_;
  size_t pos_ = 0;
};

}  // namespace

std::optional<std::vector<JsonField>> ParseJsonLine(std::string_view line, std::string& error) {
  return Parser(line, error).Object();
}

std::string Quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  for (char c : text) {
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
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static const char hex[] = "0123456789abcdef";
          out += "\\u00";
          out.push_back(hex[(c >> 4) & 0xF]);
          out.push_back(hex[c & 0xF]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace quorvex::cli
