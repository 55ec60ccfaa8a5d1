// The year-end bonus planner: the split of a year's pay between twelve equal monthly salaries
// and one year-end bonus that pays the least tax, taxed exactly as the salary page and the
// salary-and-bonus page tax them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::tax {

// The largest year's pay the planner takes. Beyond it a double no longer holds every fen
// of the year with room to spare, and the totals' rounding noise nears a hundredth of a fen.
inline constexpr double kMaxPlanAnnual = 1e9;

struct PlanInput {
  double annual = 0;         // the year's pre-tax pay: twelve salaries and the bonus; > 0
  double contributions = 0;  // monthly contributions, >= 0
  double threshold = 3500;
  std::optional<double> plannedBonus;  // the bonus the employer intends now, 0 <= P <= annual
};

// One split of the year: a monthly salary in whole fen paid twelve times, the rest as bonus.
struct Split {
  std::int64_t salaryFen = 0;
  double salary = 0;           // salaryFen / 100
  double bonus = 0;            // annual - 12 x salary
  double salaryTax = 0;        // the salary page's tax on one month's salary
  double bonusTax = 0;         // the salary-and-bonus page's bonus tax in the bonus month
  double adjustedBonus = 0;    // the bonus less the salary's shortfall below the threshold
  std::string_view blindZone;  // the zone of the adjusted bonus, empty outside every zone
  // Shown without being stored as doubles first, like the salary-and-bonus page's sums.
  long double totalTax = 0;  // 12 x salary tax + bonus tax
  long double afterTax = 0;  // annual - total tax
};

struct PlanResult {
  Split plan;       // the least total tax; among equal totals the smallest bonus
  Split allSalary;  // everything as salary: the bonus is only the odd fen
  std::optional<Split> planned;
  long double savingVsAllSalary = 0;
  long double savingVsPlanned = 0;

  // Every figure as the window and quorvex-calc show it; the planned ones empty without a
  // planned bonus.
  struct Texts {
    std::string planSalary, planBonus, planSalaryTax, planBonusTax, planTotalTax, planAfterTax;
    std::string allSalaryTotalTax, savingVsAllSalary;
    std::string plannedTotalTax, savingVsPlanned, plannedZone;
    bool operator==(const Texts&) const = default;
  };
  [[nodiscard]] Texts Shown() const;
};

// EvaluateSplit() taxes the split with `salaryFen` fen a month: twelve times CalcSalaryTax()
// on the salary, plus the bonus tax of CalcSalaryAndBonusTax() for the bonus month. The
// salary must lie between 0 and the annual pay's twelfth.
[[nodiscard]] Split EvaluateSplit(const PlanInput& in, std::int64_t salaryFen);

// MaxSalaryFen() is the largest monthly salary in fen that leaves a bonus of 0 or more; it is
// also the salary of the all-salary split.
[[nodiscard]] std::int64_t MaxSalaryFen(double annual);

// PlannedSalaryFen() is the monthly salary of the planned bonus's split: (annual - planned)
// / 12 down to the fen, the odd fen going into the bonus.
[[nodiscard]] std::int64_t PlannedSalaryFen(double annual, double plannedBonus);

// PlanTieTolerance() is how far apart two totals of the same annual pay may lie and still
// count as equal: with whole-fen inputs the true totals are multiples of a hundredth of a fen,
// while the doubles carry noise that grows with the amounts.
[[nodiscard]] long double PlanTieTolerance(double annual);

// SplitCandidates() lists, ascending, every monthly salary in fen at which the total tax may
// change its slope or jump: the fen at and beside each bound of the two schedules, both ends
// (0 and `maxFen`) and the planned split. Between two neighbours the total is linear in the
// salary.
[[nodiscard]] std::vector<std::int64_t> SplitCandidates(const PlanInput& in, std::int64_t maxFen);

// PlanYearEndBonus() finds the split of least total tax over every fen of the monthly salary.
// The total is linear in the salary between the bounds of the two schedules (the monthly
// salary's taxable income on a bracket bound, the adjusted bonus's twelfth on one, the bonus
// reaching 0, the salary's shortfall starting), so only the fen at and beside those bounds and
// the two ends need be taxed. Requires 0 < annual <= kMaxPlanAnnual, contributions >= 0 and,
// when given, 0 <= plannedBonus <= annual.
[[nodiscard]] PlanResult PlanYearEndBonus(const PlanInput& in);

}  // namespace quorvex::tax
