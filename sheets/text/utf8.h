// UTF-8, character by character: the sheet library's one decoder and one encoder. (Whole
// texts are checked by Utf8Prefix(), sheets/text/sheet_text.h, eight ASCII bytes at a time.)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvex::sheets {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// DecodeUtf8() is the character at `i` of `s` (i < s.size()), with `i` advanced past it. A
// byte that starts no valid character (a cut sequence, an overlong form, a surrogate, beyond
// U+10FFFF) is kReplacementCharacter, and `i` advances by that byte alone. Inline: a workbook's
// every character goes through it (out of line, 20,000 rows CSV -> xlsx took 5 % more
// instructions).
inline char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  std::size_t extra = 0;
  char32_t c = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    extra = 1;
    c = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2;
    c = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3;
    c = b & 0x07u;
  } else {
    ++i;
    return kReplacementCharacter;
  }
  if (i + extra >= s.size()) {
    ++i;
    return kReplacementCharacter;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto n = static_cast<unsigned char>(s[i + k]);
    if ((n & 0xC0u) != 0x80u) {
      ++i;
      return kReplacementCharacter;
    }
    c = (c << 6) | (n & 0x3Fu);
  }
  const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return kReplacementCharacter;
  }
  i += extra + 1;
  return c;
}

// AppendUtf8() appends character `c` (at most U+10FFFF) to `out`.
inline void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace quorvex::sheets
