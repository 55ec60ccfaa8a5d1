// Precision guards shared by every calculation of the library.
//
// Each formula is evaluated with 80-bit long double intermediates (64-bit mantissa) and the
// quantity it defines is stored into a double before the next step reads it. Figures are
// compared to the fen against the published tables, so a platform with a different long
// double, or a build that lets the compiler reorder or fuse floating-point operations, would
// silently change results. Refuse to build in either case.
#pragma once

#include <limits>

#if defined(__FAST_MATH__)
#error "quorvex must not be built with -ffast-math: tax figures depend on exact IEEE arithmetic"
#endif

static_assert(std::numeric_limits<long double>::digits == 64,
              "quorvex needs an 80-bit long double with a 64-bit mantissa (x86 extended precision)");
static_assert(std::numeric_limits<double>::is_iec559, "quorvex needs IEEE 754 doubles");

namespace quorvex::tax {

using Ext = long double;

// Widen() makes the first operand of a formula extended, so the whole left-to-right chain
// is computed in long double.
constexpr Ext Widen(double v) { return static_cast<Ext>(v); }

// Store() rounds an extended intermediate to the double that the next step reads.
constexpr double Store(Ext v) { return static_cast<double>(v); }

}  // namespace quorvex::tax
