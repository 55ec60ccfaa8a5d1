// Labour remuneration: one payment taxed by its own three-row schedule after an expense
// allowance, forwards, and the gross payment backwards from the income after tax.
#pragma once

#include <array>

#include "tax/payment.h"
#include "tax/wage.h"

namespace quorvex::tax {

struct LabourRow {
  double taxableBound;  // inclusive upper bound on the taxable income of the payment
  double rate;
  double quickDeduction;

  constexpr ScheduleRow Row() const { return {rate, quickDeduction}; }
};

inline constexpr std::array<LabourRow, 3> kLabourSchedule{{
    {20000, 0.20, 0}, {50000, 0.30, 2000}, {0, 0.40, 7000},  // over 50000: no upper bound
}};

// The after-tax bands of the reverse calculation end where the forward calculation leaves
// these amounts after tax: at the payments 800, 4000, 25000 and 62500.
inline constexpr std::array<double, 4> kLabourRealIncomeBounds{800, 3360, 21000, 49500};

// The bands must be the forward figures at the points where the allowance or the row changes.
constexpr bool LabourBandsAgree() {
  constexpr double payments[] = {4000, 25000, 62500};
  constexpr double taxable[] = {3200, 20000, 50000};
  constexpr std::size_t rows[] = {0, 0, 1};
  for (std::size_t i = 0; i < 3; ++i) {
    const LabourRow& r = kLabourSchedule[rows[i]];
    const double tax = taxable[i] * r.rate - r.quickDeduction;
    const double diff = (payments[i] - tax) - kLabourRealIncomeBounds[i + 1];
    if (diff > 1e-9 || diff < -1e-9) return false;
  }
  return kLabourSchedule[0].taxableBound < kLabourSchedule[1].taxableBound;
}
static_assert(LabourBandsAgree(), "labour schedule and after-tax bands disagree");

// FindLabourRow() picks the row by taxable income (an amount equal to a bound takes the lower
// row).
[[nodiscard]] ScheduleRow FindLabourRow(double taxable);

struct LabourResult {
  bool taxed = false;  // false: a payment of 800 or less, nothing is due
  double allowance = 0;
  double taxableIncome = 0;
  ScheduleRow row{0, 0};
  double tax = 0;
  double afterTax = 0;
};

// CalcLabourTax() taxes one payment: up to and including 800 nothing is due and the whole
// payment is left; above it the allowance is 800, or 0.2 x payment above 4000, and
// tax = taxable x rate - quick deduction.
[[nodiscard]] LabourResult CalcLabourTax(double payment);

// ShowLabourTax() gives the texts of a result: when taxed the figures with FormatAmount and
// the rate with FormatPercent; otherwise "0.00" labels, tax "0.00" and the payment after tax.
// The labour page shows no notice.
[[nodiscard]] PaymentTexts ShowLabourTax(const LabourResult& r);

// LabourIncomeFromRealIncome() returns the gross payment that leaves `afterTax` after tax,
// by the after-tax bands: up to 800 the amount itself; then the taxable income
// (a - 800) / 0.8, (0.8 x a) / 0.84, ((a - 2000) x 0.8) / 0.76 or ((a - 7000) x 0.8) / 0.68,
// and from it the payment (taxable + 800 in the first band, taxable / 0.8 above). Far beyond
// realistic amounts the result may be infinite; callers check it.
[[nodiscard]] double LabourIncomeFromRealIncome(double afterTax);

}  // namespace quorvex::tax
