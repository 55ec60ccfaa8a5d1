#include "tax/planner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "tax/amount.h"
#include "tax/arith.h"
#include "tax/bonus.h"
#include "tax/wage.h"

namespace quorvex::tax {
namespace {

// The amount in whole fen when it is one: the double nearest to a decimal with at most two
// decimals, as ParseAmount() reads such a text.
std::optional<std::int64_t> WholeFen(double amount) {
  if (!(std::fabs(amount) <= kMaxPlanAnnual)) return std::nullopt;
  const auto fen = static_cast<std::int64_t>(std::llround(Widen(amount) * 100));
  if (static_cast<double>(fen) / 100 != amount) return std::nullopt;
  return fen;
}

double FenToYuan(std::int64_t fen) { return static_cast<double>(fen) / 100; }

// The bonus left by `salaryFen` a month. For an annual pay in whole fen it is counted in fen,
// so that the bonus is the double the bonus page would read from its text; a bonus of
// 18000.00 must not come out a hair above the bracket bound.
double BonusOf(double annual, std::int64_t salaryFen) {
  if (const std::optional<std::int64_t> annualFen = WholeFen(annual)) return FenToYuan(*annualFen - 12 * salaryFen);
  return Store(Widen(annual) - Widen(FenToYuan(salaryFen)) * 12);
}

// Down to the fen, held within [0, maxFen].
std::int64_t FloorFen(long double yuan, std::int64_t maxFen) {
  const long double fen = std::floor(yuan * 100);
  if (!(fen > 0)) return 0;
  if (!(fen < static_cast<long double>(maxFen))) return maxFen;
  return static_cast<std::int64_t>(fen);
}

// Salaries at which the total tax changes slope or jumps (as yuan, not yet fen): the monthly
// taxable income on 0 (where the shortfall below the threshold ends) and on each bracket
// bound; the bonus on 0 and on each bound of its twelfth. Below the threshold the adjusted
// bonus (annual - threshold - contributions - 11 S) falls as the salary rises, so the total
// cannot rise there and the region's top end already holds its least; its bounds and the blind
// zones' upper ends are taxed all the same, a few splits more against rounding at the bounds.
std::vector<long double> Bounds(const PlanInput& in) {
  std::vector<long double> bonusBounds{0};
  for (std::size_t i = 0; i + 1 < kMonthlyWageSchedule.size(); ++i) {
    bonusBounds.push_back(Widen(kMonthlyWageSchedule[i].taxableBound) * 12);
  }
  for (const BlindZone& zone : kBlindZones) bonusBounds.push_back(zone.upper);

  std::vector<long double> salaries;
  const long double base = Widen(in.contributions) + in.threshold;
  salaries.push_back(base);
  for (std::size_t i = 0; i + 1 < kMonthlyWageSchedule.size(); ++i) {
    salaries.push_back(base + kMonthlyWageSchedule[i].taxableBound);
  }
  for (const long double b : bonusBounds) {
    salaries.push_back((Widen(in.annual) - b) / 12);
    salaries.push_back((((Widen(in.annual) - in.threshold) - in.contributions) - b) / 11);
  }
  return salaries;
}

long double Saving(const Split& from, const Split& to) { return std::max(from.totalTax - to.totalTax, 0.0L); }

}  // namespace

std::vector<std::int64_t> SplitCandidates(const PlanInput& in, std::int64_t maxFen) {
  std::vector<std::int64_t> fens{0, maxFen};
  for (const long double salary : Bounds(in)) {
    const std::int64_t at = FloorFen(salary, maxFen);
    for (std::int64_t d = -2; d <= 2; ++d) fens.push_back(std::clamp<std::int64_t>(at + d, 0, maxFen));
  }
  if (in.plannedBonus) fens.push_back(PlannedSalaryFen(in.annual, *in.plannedBonus));
  std::sort(fens.begin(), fens.end());
  fens.erase(std::unique(fens.begin(), fens.end()), fens.end());
  return fens;
}

std::int64_t MaxSalaryFen(double annual) {
  if (const std::optional<std::int64_t> annualFen = WholeFen(annual)) return *annualFen / 12;
  std::int64_t fen = FloorFen(Widen(annual) / 12, static_cast<std::int64_t>(kMaxPlanAnnual * 100 / 12));
  while (fen > 0 && BonusOf(annual, fen) < 0) --fen;
  return fen;
}

std::int64_t PlannedSalaryFen(double annual, double plannedBonus) {
  const std::int64_t maxFen = MaxSalaryFen(annual);
  const std::optional<std::int64_t> annualFen = WholeFen(annual);
  const std::optional<std::int64_t> plannedFen = WholeFen(plannedBonus);
  if (annualFen && plannedFen) return std::clamp<std::int64_t>((*annualFen - *plannedFen) / 12, 0, maxFen);
  return FloorFen((Widen(annual) - plannedBonus) / 12, maxFen);
}

Split EvaluateSplit(const PlanInput& in, std::int64_t salaryFen) {
  Split s;
  s.salaryFen = salaryFen;
  s.salary = FenToYuan(salaryFen);
  s.bonus = BonusOf(in.annual, salaryFen);
  s.salaryTax = CalcSalaryTax({s.salary, in.contributions, in.threshold}).tax;
  const SalaryAndBonusResult month = CalcSalaryAndBonusTax({s.bonus, s.salary, in.contributions, in.threshold});
  s.bonusTax = month.bonusTax;
  s.adjustedBonus = month.adjustedBonus;
  s.blindZone = month.blindZone;
  s.totalTax = Widen(s.salaryTax) * 12 + s.bonusTax;
  s.afterTax = Widen(in.annual) - s.totalTax;
  return s;
}

long double PlanTieTolerance(double annual) { return 1e-6L + Widen(annual) * 1e-14L; }

PlanResult PlanYearEndBonus(const PlanInput& in) {
  const std::int64_t maxFen = MaxSalaryFen(in.annual);
  std::vector<Split> splits;
  for (const std::int64_t fen : SplitCandidates(in, maxFen)) splits.push_back(EvaluateSplit(in, fen));

  // The least total first, then among the totals equal to it the smallest bonus (the largest
  // salary). Two passes, so that near-equal totals do not chain into a worse one.
  long double least = splits.front().totalTax;
  for (const Split& s : splits) least = std::min(least, s.totalTax);
  const long double tolerance = PlanTieTolerance(in.annual);
  PlanResult r;
  for (const Split& s : splits) {
    if (s.totalTax <= least + tolerance) r.plan = s;  // ascending salary: the last is the smallest bonus
  }
  r.allSalary = EvaluateSplit(in, maxFen);
  r.savingVsAllSalary = Saving(r.allSalary, r.plan);
  if (in.plannedBonus) {
    r.planned = EvaluateSplit(in, PlannedSalaryFen(in.annual, *in.plannedBonus));
    r.savingVsPlanned = Saving(*r.planned, r.plan);
  }
  return r;
}

PlanResult::Texts PlanResult::Shown() const {
  Texts t{FormatAmount(plan.salary),
          FormatAmount(plan.bonus),
          FormatAmount(plan.salaryTax),
          FormatAmount(plan.bonusTax),
          FormatExtendedAmount(plan.totalTax),
          FormatExtendedAmount(plan.afterTax),
          FormatExtendedAmount(allSalary.totalTax),
          FormatExtendedAmount(savingVsAllSalary),
          {},
          {},
          {}};
  if (planned) {
    t.plannedTotalTax = FormatExtendedAmount(planned->totalTax);
    t.savingVsPlanned = FormatExtendedAmount(savingVsPlanned);
    t.plannedZone = std::string(planned->blindZone);
  }
  return t;
}

}  // namespace quorvex::tax
