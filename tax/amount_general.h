// The general decimal paths of the figure formats, which the fast ones of tax/amount.h must
// agree with; for the tests that compare the two on every input they make. Not for callers:
// the formats take the fast path themselves where it applies.
#pragma once

#include <string>

namespace quorvex::tax {

// FormatAmount(), FormatExtendedAmount() and FormatPercent() through the general path only.
[[nodiscard]] std::string FormatAmountSlowly(double value);
[[nodiscard]] std::string FormatExtendedAmountSlowly(long double value);
[[nodiscard]] std::string FormatPercentSlowly(double rate);

}  // namespace quorvex::tax
