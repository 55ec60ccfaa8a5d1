// ParseAmount and the trimming the pages apply before it: never crash, and every accepted
// text yields a finite value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tax/amount.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string_view trimmed = quorvex::tax::TrimAmountText(text);
  if (!trimmed.empty() &&
      (static_cast<unsigned char>(trimmed.front()) <= 32 || static_cast<unsigned char>(trimmed.back()) <= 32))
    std::abort();
  if (const auto v = quorvex::tax::ParseAmount(trimmed)) {
    if (!std::isfinite(*v)) std::abort();
  }
  return 0;
}
