// UTF-8, character by character: the sheet library's one decoder and one encoder. (Whole
// texts are checked by Utf8Prefix(), sheets/sheet_text.h, eight ASCII bytes at a time.)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvex::sheets {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// DecodeUtf8() is the character at `i` of `s` (i < s.size()), with `i` advanced past it. A
// byte that starts no valid character (a cut sequence, an overlong form, a surrogate, beyond
// U+10FFFF) is kReplacementCharacter, and `i` advances by that byte alone.
char32_t DecodeUtf8(std::string_view s, std::size_t& i);

// AppendUtf8() appends character `c` (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace quorvex::sheets
