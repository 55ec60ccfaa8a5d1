// The year's total tax as a curve over the year-end bonus, and the bonus's after-tax amount as
// a curve over the bonus: the exact vertices of both, for drawing and for quorvex-calc.
#pragma once

#include <string_view>
#include <vector>

#include "tax/planner.h"

namespace quorvex::tax {

// One vertex of the total-tax curve: a feasible split (salary in whole fen).
struct CurveVertex {
  Split split;
  bool jumpBefore = false;  // the total jumps between the previous vertex and this one
};

// The bonuses of the first and the last split whose bonus, as taxed (less the salary's
// shortfall below the threshold), lies in a blind zone.
struct ZoneSpan {
  double fromBonus = 0;
  double toBonus = 0;
  std::string_view text;  // the zone's own text
};

struct PlanCurve {
  std::vector<CurveVertex> vertices;  // ascending bonus: from the all-salary split to bonus = annual
  std::vector<ZoneSpan> zones;        // ascending, only the zones some split reaches
};

// PlanTotalTaxCurve() gives the total tax of `in`'s year over every split as a polyline: the
// total at a split between two neighbouring vertices lies on the segment joining them, except
// across a jump. Vertices are kept only where the slope changes or the total jumps (both sides
// of each jump, the fen apart) and at both ends. The planned bonus plays no part.
[[nodiscard]] PlanCurve PlanTotalTaxCurve(const PlanInput& in);

// SplitAtBonus() is the split whose bonus is `bonus` when one is, else the nearest one above it:
// the split a planned bonus of `bonus` stands for. 0 <= bonus <= in.annual.
[[nodiscard]] Split SplitAtBonus(const PlanInput& in, double bonus);

// One vertex of the year-end bonus's after-tax curve.
struct BonusVertex {
  double bonus = 0;
  double afterTax = 0;
  bool jumpBefore = false;
};

// YearBonusCurve() gives CalcYearBonusTax()'s after-tax amount over bonuses from 0 to
// `maxBonus` (whole fen) as a polyline: each bracket boundary of the bonus and the fen after it
// (a jump down between them), and both ends.
[[nodiscard]] std::vector<BonusVertex> YearBonusCurve(double maxBonus);

}  // namespace quorvex::tax
