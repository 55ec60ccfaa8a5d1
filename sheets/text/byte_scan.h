// Finding the next byte that ends a run of plain text.
#pragma once

#include <array>
#include <cstddef>

namespace quorvex::sheets {

// A table of the bytes for which `is` holds.
template <class Is>
constexpr std::array<bool, 256> ByteTable(Is is) {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = is(static_cast<unsigned char>(c));
  return table;
}

// The bytes that end a plain CSV field, and those a JSON string cannot hold unescaped.
inline constexpr auto kCsvStops = ByteTable([](unsigned char c) { return c == ',' || c == '\r' || c == '\n'; });
inline constexpr auto kTsvStops = ByteTable([](unsigned char c) { return c == '\t' || c == '\r' || c == '\n'; });
inline constexpr auto kJsonStops = ByteTable([](unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; });

// The position of the first byte of data[at, size) that `stops` holds, or `size`.
inline std::size_t FindStop(const std::array<bool, 256>& stops, const char* data, std::size_t at, std::size_t size) {
  while (at < size && !stops[static_cast<unsigned char>(data[at])]) ++at;
  return at;
}

// The first '"', '\\' or control character in [p, end), or `end`. (Eight bytes at a time
// cost more than they save: record strings are a few bytes long.)
inline const char* FindJsonStop(const char* p, const char* end) {
  while (p != end && !kJsonStops[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

}  // namespace quorvex::sheets
