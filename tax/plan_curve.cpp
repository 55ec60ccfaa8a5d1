#include "tax/plan_curve.h"

#include <cmath>
#include <cstdint>
#include <functional>

#include "tax/arith.h"
#include "tax/bonus.h"

namespace quorvex::tax {
namespace {

double FenToYuan(std::int64_t fen) { return static_cast<double>(fen) / 100; }

// The bonus as taxed jumps into a higher row between salaries one fen apart: the quick
// deduction, taken once off the whole bonus, grows by twelve times what it grows a month.
bool JumpsBetween(const Split& a, const Split& b) {
  if (std::llabs(a.salaryFen - b.salaryFen) != 1) return false;
  const ScheduleRow ra = YearBonusRow(a.adjustedBonus);
  const ScheduleRow rb = YearBonusRow(b.adjustedBonus);
  return ra.rate != rb.rate || ra.quickDeduction != rb.quickDeduction;
}

// Whether `v` lies on the segment from `a` to `b`, measured along the salary in fen (the total
// is linear in it), within the noise the planner allows between equal totals.
bool OnSegment(const Split& a, const Split& v, const Split& b, long double tolerance) {
  const long double t =
      static_cast<long double>(v.salaryFen - a.salaryFen) / static_cast<long double>(b.salaryFen - a.salaryFen);
  const long double line = a.totalTax + (b.totalTax - a.totalTax) * t;
  return std::fabs(v.totalTax - line) <= tolerance;
}

// The first fen of [0, maxFen] for which `holds` is true, `holds` being false up to some fen
// and true from there on; maxFen + 1 when it never holds.
std::int64_t FirstFen(std::int64_t maxFen, const std::function<bool(std::int64_t)>& holds) {
  std::int64_t lo = 0;
  std::int64_t hi = maxFen + 1;
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (holds(mid)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

// The bonus as taxed falls as the salary rises (by 12 fen a fen, or 11 while the salary is
// short of the threshold), so each zone is met by one run of salaries.
std::vector<ZoneSpan> ZoneSpans(const PlanInput& in, std::int64_t maxFen) {
  std::vector<ZoneSpan> spans;
  const auto taxed = [&in](std::int64_t fen) { return Widen(EvaluateSplit(in, fen).adjustedBonus); };
  for (const BlindZone& zone : kBlindZones) {
    const std::int64_t top = FirstFen(maxFen, [&](std::int64_t fen) { return taxed(fen) <= zone.upper; });
    const std::int64_t bottom = FirstFen(maxFen, [&](std::int64_t fen) { return !(taxed(fen) > zone.lower); }) - 1;
    if (top > maxFen || bottom < 0 || top > bottom) continue;
    spans.push_back({EvaluateSplit(in, bottom).bonus, EvaluateSplit(in, top).bonus, zone.text});
  }
  return spans;
}

}  // namespace

PlanCurve PlanTotalTaxCurve(const PlanInput& in) {
  PlanInput unplanned = in;
  unplanned.plannedBonus.reset();
  const std::int64_t maxFen = MaxSalaryFen(in.annual);
  const std::vector<std::int64_t> fens = SplitCandidates(unplanned, maxFen);

  // Every candidate, ascending bonus (descending salary), with its jumps.
  std::vector<CurveVertex> all;
  all.reserve(fens.size());
  for (std::size_t k = fens.size(); k-- > 0;) {
    CurveVertex v{EvaluateSplit(in, fens[k]), false};
    if (!all.empty()) v.jumpBefore = JumpsBetween(all.back().split, v.split);
    all.push_back(v);
  }

  // Only the vertices where the slope changes, both sides of each jump, and the ends.
  PlanCurve curve;
  const long double tolerance = PlanTieTolerance(in.annual);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const bool end = i == 0 || i + 1 == all.size();
    if (!end && !all[i].jumpBefore && !all[i + 1].jumpBefore &&
        OnSegment(curve.vertices.back().split, all[i].split, all[i + 1].split, tolerance)) {
      continue;
    }
    curve.vertices.push_back(all[i]);
  }
  curve.zones = ZoneSpans(in, maxFen);
  return curve;
}

Split SplitAtBonus(const PlanInput& in, double bonus) { return EvaluateSplit(in, PlannedSalaryFen(in.annual, bonus)); }

std::vector<BonusVertex> YearBonusCurve(double maxBonus) {
  const auto maxFen = static_cast<std::int64_t>(std::llround(Widen(maxBonus) * 100));
  const auto vertex = [](std::int64_t fen, bool jump) {
    const double bonus = FenToYuan(fen);
    return BonusVertex{bonus, CalcYearBonusTax(bonus).afterTax, jump};
  };
  std::vector<BonusVertex> curve{vertex(0, false)};
  for (std::size_t i = 0; i + 1 < kMonthlyWageSchedule.size(); ++i) {
    const auto boundFen = static_cast<std::int64_t>(kMonthlyWageSchedule[i].taxableBound * 12 * 100);
    if (boundFen >= maxFen) break;
    curve.push_back(vertex(boundFen, false));
    curve.push_back(vertex(boundFen + 1, true));
  }
  if (curve.back().bonus < maxBonus) curve.push_back(vertex(maxFen, false));
  return curve;
}

}  // namespace quorvex::tax
