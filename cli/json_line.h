// JSON Lines: one flat JSON object per line. Values are strings, numbers, true, false or
// null; nested objects and arrays are not part of a record.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvex::cli {

struct JsonField {
  std::string key;
  std::string text;  // the value as text: a string's characters, a number as written, "" for null
  std::string raw;   // the value as written in the line, to pass it through unchanged
};

// ParseJsonLine() reads one object; nullopt (with `error` set) when the line is not one.
std::optional<std::vector<JsonField>> ParseJsonLine(std::string_view line, std::string& error);

// Quote() writes a JSON string literal.
std::string Quote(std::string_view text);

}  // namespace quorvex::cli
