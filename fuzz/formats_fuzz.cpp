// The three number formats on arbitrary doubles: never crash; FormatAmount writes an optional
// "-", digits, "." and two digits below 1e15; FormatGeneral writes what its general path
// writes, and that reads back within its 15 significant digits, except next to the largest
// double, where it rounds out of range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tax/amount.h"

namespace {

bool IsPlainAmount(const std::string& s) {
  size_t i = s.empty() || s[0] != '-' ? 0 : 1;
  const size_t point = s.find('.');
  if (point == std::string::npos || point == i || s.size() != point + 3) return false;
  for (; i < s.size(); ++i) {
    if (i != point && (s[i] < '0' || s[i] > '9')) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < sizeof(double)) return 0;
  double v = 0;
  std::memcpy(&v, data, sizeof v);
  using namespace quorvex::tax;
  const std::string amount = FormatAmount(v);
  const std::string general = FormatGeneral(v);
  const std::string percent = FormatPercent(v);
  if (!std::isfinite(v)) {
    if (!amount.empty() || !general.empty()) std::abort();
    return 0;
  }
  if (std::fabs(v) < 1e15 && !IsPlainAmount(amount)) std::abort();
  if (percent.empty()) std::abort();
  const auto back = ParseAmount(general);
  // Only next to the largest double does the rounded text leave the range and not read back.
  if (!back) {
    if (std::fabs(v) < 1.79769313486231e308) std::abort();
    return 0;
  }
  if (std::fabs(*back - v) > std::fabs(v) * 1e-14 + 1e-300 && v != 0) std::abort();
  return 0;
}
