// Finding the next byte that ends a run of plain text, 16 bytes at a time where the machine
// has SSE2 (every x86-64), a byte at a time elsewhere and near the end of the data.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
inline constexpr auto kJsonStops = ByteTable([](unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; });

namespace scan_detail {

inline std::size_t Slowly(const std::array<bool, 256>& stops, const char* data, std::size_t at, std::size_t size) {
  while (at < size && !stops[static_cast<unsigned char>(data[at])]) ++at;
  return at;
}

}  // namespace scan_detail

#if defined(__SSE2__)
// Bit i set when byte i of the 16 at `p` is one of `chars`.
template <char... chars>
unsigned Match16(const char* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i hit = _mm_setzero_si128();
  ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(chars)))), ...);
  return static_cast<unsigned>(_mm_movemask_epi8(hit));
}
// Bit i set when byte i of the 16 at `p` would make a CSV field quoted (',', '"', CR, LF).
inline unsigned CsvSpecial16(const char* p) { return Match16<',', '"', '\r', '\n'>(p); }
// The same for the 64 bytes at `p`, bit i for byte i.
inline std::uint64_t CsvSpecial64(const char* p) {
  return std::uint64_t{CsvSpecial16(p)} | std::uint64_t{CsvSpecial16(p + 16)} << 16 |
         std::uint64_t{CsvSpecial16(p + 32)} << 32 | std::uint64_t{CsvSpecial16(p + 48)} << 48;
}
// Bit i set when byte i of the 16 at `p` cannot stand unescaped in a JSON string ('"', '\\',
// a control character).
inline unsigned JsonSpecial16(const char* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Unsigned v <= 0x1F exactly when v - 0x1F, saturated at 0, is 0.
  const __m128i low = _mm_cmpeq_epi8(_mm_subs_epu8(v, _mm_set1_epi8(0x1F)), _mm_setzero_si128());
  return static_cast<unsigned>(_mm_movemask_epi8(low)) | Match16<'"', '\\'>(p);
}
#endif

// The position of the first ',', CR or LF in data[at, size), or `size`.
inline std::size_t FindCsvStop(const char* data, std::size_t at, std::size_t size) {
#if defined(__SSE2__)
  for (; at + 16 <= size; at += 16) {
    if (const unsigned bits = Match16<',', '\r', '\n'>(data + at); bits != 0)
      return at + static_cast<std::size_t>(std::countr_zero(bits));
  }
#endif
  return scan_detail::Slowly(kCsvStops, data, at, size);
}

// The position of the first '"', '\\' or control character in data[at, size), or `size`.
inline std::size_t FindJsonStop(const char* data, std::size_t at, std::size_t size) {
#if defined(__SSE2__)
  for (; at + 16 <= size; at += 16) {
    if (const unsigned bits = JsonSpecial16(data + at); bits != 0)
      return at + static_cast<std::size_t>(std::countr_zero(bits));
  }
#endif
  return scan_detail::Slowly(kJsonStops, data, at, size);
}

#if defined(__SSE2__)
namespace scan_detail {

// Counts the lanes `match` marks (0xFF) in the 16 bytes at data + at, stepping 16 bytes while
// `reach` bytes from `at` are in data[0, size); `at` is left where the steps stopped.
template <class Match>
std::uint64_t CountLanes(const char* data, std::size_t& at, std::size_t size, std::size_t reach, Match match) {
  std::uint64_t count = 0;
  while (at + reach <= size) {
    // Each of the 16 byte lanes counts at most 255 matches, then the lanes are summed.
    __m128i lanes = _mm_setzero_si128();
    for (int round = 0; round < 255 && at + reach <= size; ++round, at += 16)
      lanes = _mm_sub_epi8(lanes, match(data + at));
    alignas(16) std::uint64_t sums[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), _mm_sad_epu8(lanes, _mm_setzero_si128()));
    count += sums[0] + sums[1];
  }
  return count;
}

}  // namespace scan_detail
#endif

// How many bytes of data[0, size) are `c`.
inline std::uint64_t CountByte(const char* data, std::size_t size, char c) {
  std::uint64_t count = 0;
  std::size_t at = 0;
#if defined(__SSE2__)
  const __m128i needle = _mm_set1_epi8(c);
  count = scan_detail::CountLanes(data, at, size, 16, [needle](const char* p) {
    return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), needle);
  });
#endif
  for (; at < size; ++at) count += data[at] == c ? 1 : 0;
  return count;
}

// How many bytes of data[0, size) are a CR not followed by a LF (a CR at the very end is one).
inline std::uint64_t CountLoneCr(const char* data, std::size_t size) {
  const void* first = size == 0 ? nullptr : std::memchr(data, '\r', size);
  if (first == nullptr) return 0;
  std::uint64_t count = 0;
  auto at = static_cast<std::size_t>(static_cast<const char*>(first) - data);
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  // Each lane compares its byte with CR and the byte after it with LF.
  count = scan_detail::CountLanes(data, at, size, 17, [cr, lf](const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    return _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(v, cr));
  });
#endif
  for (; at < size; ++at) count += data[at] == '\r' && (at + 1 == size || data[at + 1] != '\n') ? 1 : 0;
  return count;
}

}  // namespace quorvex::sheets
