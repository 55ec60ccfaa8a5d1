// Annual business schedule, and the two calculations taxed by it: the income of an
// individual business and the income of a contracted or leased operation.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace quorvex::tax {

// One row of the annual business schedule. Quick deductions are whole yuan and are shown
// without decimals, so they are held as integers.
struct BusinessRow {
  double rate;
  int quickDeduction;
};

// A row with its inclusive upper bound on annual taxable income. The last row has no bound
// (searches never test it).
struct AnnualBusinessBand {
  double taxableBound;
  BusinessRow row;
};

inline constexpr std::array<AnnualBusinessBand, 5> kAnnualBusinessSchedule{{
    {15000, {0.05, 0}},
    {30000, {0.10, 750}},
    {60000, {0.20, 3750}},
    {100000, {0.30, 9750}},
    {0, {0.35, 14750}},  // over 100000: no upper bound
}};

// Bounds ascend, and at every bound both neighbouring rows give the same tax (that is what
// the quick deductions are for).
constexpr bool AnnualBusinessScheduleIsContinuous() {
  double previous = 0;
  for (std::size_t i = 0; i + 1 < kAnnualBusinessSchedule.size(); ++i) {
    const AnnualBusinessBand& b = kAnnualBusinessSchedule[i];
    const BusinessRow& next = kAnnualBusinessSchedule[i + 1].row;
    const double diff =
        (b.taxableBound * b.row.rate - b.row.quickDeduction) - (b.taxableBound * next.rate - next.quickDeduction);
    if (diff > 1e-9 || diff < -1e-9) return false;
    if (b.taxableBound <= previous) return false;
    previous = b.taxableBound;
  }
  return true;
}
static_assert(AnnualBusinessScheduleIsContinuous(), "annual business schedule is not continuous");

// The allowance of a contracted operation per month of operation, in whole yuan.
inline constexpr int kMonthlyOperationAllowance = 3500;
inline constexpr int kMinOperationMonths = 1;
inline constexpr int kMaxOperationMonths = 12;

// The notice shown when the allowance covers the whole income of a contracted operation.
inline constexpr char kNoTaxDueNotice[] = "无需纳税。";

// FindAnnualBusinessRow() picks the row by annual taxable income (bounds inclusive: an
// amount equal to a bound takes the lower row). Every amount not above 15000 takes row 1.
[[nodiscard]] BusinessRow FindAnnualBusinessRow(double taxable);

// The outcome of either business calculation.
struct BusinessResult {
  bool taxed = false;  // false: the allowance covers the income, nothing is due
  double taxableIncome = 0;
  BusinessRow row{0, 0};
  double tax = 0;
  double afterTax = 0;
};

// CalcBusinessTax() taxes a year's income of an individual business (greater than 0, as the
// callers check): taxable = income, tax = taxable x rate - quick deduction, after-tax =
// income - tax. Always taxed.
[[nodiscard]] BusinessResult CalcBusinessTax(double income);

// ContractAllowance() is months x 3500 in integer arithmetic.
[[nodiscard]] constexpr long long ContractAllowance(int months) {
  return static_cast<long long>(months) * kMonthlyOperationAllowance;
}

// CalcContractTax() taxes a year's income (greater than 0) of a contracted or leased
// operation that ran `months` months (1 to 12, as the callers check). When the allowance is
// not below the income nothing is due and the after-tax income is the income; otherwise
// taxable = income - allowance and the tax follows the annual business schedule.
[[nodiscard]] BusinessResult CalcContractTax(double income, int months);

// The texts a business result is shown with, in the page's order. A taxed result shows its
// figures with an empty notice; an untaxed one shows the notice, "0.00" for the taxable
// income, the rate, the quick deduction and the tax, and the whole income after tax.
struct BusinessTexts {
  std::string notice;
  std::string taxableIncome;
  std::string rate;
  std::string quickDeduction;  // a plain integer: "0", "750", ... "14750"
  std::string tax;
  std::string afterTax;

  bool operator==(const BusinessTexts&) const = default;
};

[[nodiscard]] BusinessTexts ShowBusinessResult(const BusinessResult& r);
// IntegerText() writes a quick deduction in plain decimal digits, without a point or decimals.
[[nodiscard]] std::string IntegerText(int value);

}  // namespace quorvex::tax
