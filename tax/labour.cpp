#include "tax/labour.h"

#include <utility>

#include "tax/amount.h"
#include "tax/arith.h"
#include "tax/row_texts.h"

namespace quorvex::tax {
namespace {

// The part of a payment that is taxable when the allowance is 20 %.
constexpr Ext kTaxableShare = 0.8L;
// The part of a payment left after tax in rows 1 to 3 when the allowance is 20 %.
constexpr Ext kAfterTaxShare[] = {0.84L, 0.76L, 0.68L};

// Taxable income from the income after tax in the bands where the allowance is 20 %.
double TaxableFromAfterTax(double afterTax, std::size_t row) {
  const double quick = kLabourSchedule[row].quickDeduction;
  if (row == 0) return Store((kTaxableShare * afterTax) / kAfterTaxShare[0]);
  return Store(((Widen(afterTax) - quick) * kTaxableShare) / kAfterTaxShare[row]);
}

}  // namespace

ScheduleRow FindLabourRow(double taxable) {
  for (std::size_t i = 0; i + 1 < kLabourSchedule.size(); ++i) {
    if (!(taxable > kLabourSchedule[i].taxableBound)) return kLabourSchedule[i].Row();
  }
  return kLabourSchedule.back().Row();
}

LabourResult CalcLabourTax(double payment) {
  LabourResult r;
  if (!(payment > kNoTaxLimit)) {
    r.afterTax = payment;
    return r;
  }
  r.taxed = true;
  r.allowance = PaymentAllowance(payment);
  r.taxableIncome = Store(Widen(payment) - r.allowance);
  r.row = FindLabourRow(r.taxableIncome);
  r.tax = Store(Widen(r.taxableIncome) * r.row.rate - r.row.quickDeduction);
  r.afterTax = Store(Widen(payment) - r.tax);
  return r;
}

// As any per-payment result, with the schedule's rate and quick deduction.
PaymentTexts ShowLabourTax(const LabourResult& r) {
  PaymentResult shown;
  shown.taxed = r.taxed;
  shown.allowance = r.allowance;
  shown.taxableIncome = r.taxableIncome;
  shown.tax = r.tax;
  shown.afterTax = r.afterTax;
  PaymentTexts t = ShowPayment(shown);
  if (r.taxed) {
    RowTexts shown = ShowRow(r.row);
    t.rate = std::move(shown.rate);
    t.quickDeduction = std::move(shown.quickDeduction);
  }
  return t;
}

double LabourIncomeFromRealIncome(double afterTax) {
  const auto& bounds = kLabourRealIncomeBounds;
  if (!(afterTax > bounds[0])) return afterTax;
  if (!(afterTax > bounds[1])) {
    const double taxable = Store((Widen(afterTax) - kFixedAllowance) / kTaxableShare);
    return Store(Widen(taxable) + kFixedAllowance);
  }
  std::size_t row = 0;
  while (row < 2 && afterTax > bounds[row + 2]) ++row;
  const double taxable = TaxableFromAfterTax(afterTax, row);
  return Store(Widen(taxable) / kTaxableShare);
}

}  // namespace quorvex::tax
