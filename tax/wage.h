// Monthly wage schedule and the wages-and-salaries calculation, forwards and backwards.
// The schedule also serves the year-end bonus and salary-and-bonus calculations.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace quorvex::tax {

// One row of a schedule: tax payable = taxable income x rate - quick deduction.
struct ScheduleRow {
  double rate;
  double quickDeduction;
};

// A row of the monthly wage schedule with its three inclusive upper bounds: on taxable
// income, on tax payable, and on take-home pay above the threshold. The last row has no
// bound (searches never test it).
struct MonthlyWageRow {
  double taxableBound;
  double taxBound;
  double afterTaxBound;
  double rate;
  double quickDeduction;

  constexpr ScheduleRow Row() const { return {rate, quickDeduction}; }
};

inline constexpr std::array<MonthlyWageRow, 7> kMonthlyWageSchedule{{
    {1500, 45, 1455, 0.03, 0},
    {4500, 345, 4155, 0.10, 105},
    {9000, 1245, 7755, 0.20, 555},
    {35000, 7745, 27255, 0.25, 1005},
    {55000, 13745, 41255, 0.30, 2755},
    {80000, 22495, 57505, 0.35, 5505},
    {0, 0, 0, 0.45, 13505},  // over 80000 / 22495 / 57505: no upper bound
}};

// The three columns are fixed constants, but they must agree: the tax bound is the forward
// tax at the taxable bound, the take-home bound the taxable bound minus that tax.
constexpr bool MonthlyWageColumnsAgree() {
  double previous = 0;
  for (std::size_t i = 0; i + 1 < kMonthlyWageSchedule.size(); ++i) {
    const MonthlyWageRow& r = kMonthlyWageSchedule[i];
    const double tax = r.taxableBound * r.rate - r.quickDeduction;
    const double diff = tax - r.taxBound;
    if (diff > 1e-9 || diff < -1e-9) return false;
    if (r.afterTaxBound != r.taxableBound - r.taxBound) return false;
    if (r.taxableBound <= previous) return false;
    previous = r.taxableBound;
  }
  return true;
}
static_assert(MonthlyWageColumnsAgree(), "monthly wage schedule columns disagree");

// FindMonthlyWageRow() picks the row by taxable income (bounds inclusive: an amount equal to
// a bound takes the lower row). Every amount not above 1500 takes the first row.
[[nodiscard]] ScheduleRow FindMonthlyWageRow(double taxable);
// FindMonthlyWageRowByTax() picks the row by tax payable.
[[nodiscard]] ScheduleRow FindMonthlyWageRowByTax(double tax);
// FindMonthlyWageRowByRealIncome() picks the row by take-home pay minus the threshold.
[[nodiscard]] ScheduleRow FindMonthlyWageRowByRealIncome(double excess);

// The monthly thresholds a wage calculation may deduct, the first the usual one.
inline constexpr std::array<double, 2> kThresholds{3500, 4800};

struct SalaryInput {
  double salary = 0;
  double contributions = 0;
  double threshold = kThresholds[0];
};

struct SalaryResult {
  double taxableIncome = 0;
  bool taxed = false;  // false: taxable income 0 or less, nothing is due
  ScheduleRow row{0, 0};
  double tax = 0;
  double afterTax = 0;

  // The texts shown for 应纳税所得额, 税率, 速算扣除数, 应纳税额 and 实发工资: "0.00" for the
  // first four when nothing is due.
  struct Texts {
    std::string taxableIncome, rate, quickDeduction, tax, afterTax;
    bool operator==(const Texts&) const = default;
  };
  [[nodiscard]] Texts Shown() const;
};

// CalcSalaryTax() computes the month's tax: taxable = (salary - contributions) - threshold;
// when positive, tax = taxable x rate - quick deduction and take-home = (salary -
// contributions) - tax; otherwise nothing is due and take-home = salary - contributions.
[[nodiscard]] SalaryResult CalcSalaryTax(const SalaryInput& in);

// SalaryIncomeFromTax() returns the pre-tax salary whose tax is `tax`:
// ((tax + quick) / rate + threshold) + contributions, the row chosen by the tax column.
[[nodiscard]] double SalaryIncomeFromTax(double tax, double contributions, double threshold);

// SalaryIncomeFromRealIncome() returns the pre-tax salary whose take-home pay is `afterTax`.
// Above the threshold: ((excess - quick) / (1 - rate) + contributions) + threshold, the row
// chosen by the take-home column; otherwise afterTax + contributions.
[[nodiscard]] double SalaryIncomeFromRealIncome(double afterTax, double contributions, double threshold);

}  // namespace quorvex::tax
