#include "tax/wage.h"

#include <utility>

#include "tax/amount.h"
#include "tax/arith.h"
#include "tax/row_texts.h"

namespace quorvex::tax {
namespace {

template <double MonthlyWageRow::*Bound>
constexpr bool Ascending() {
  for (std::size_t i = 0; i + 2 < kMonthlyWageSchedule.size(); ++i) {
    if (!(kMonthlyWageSchedule[i].*Bound < kMonthlyWageSchedule[i + 1].*Bound)) return false;
  }
  return true;
}
static_assert(Ascending<&MonthlyWageRow::taxableBound>() && Ascending<&MonthlyWageRow::taxBound>() &&
              Ascending<&MonthlyWageRow::afterTaxBound>());

// The first row whose bound the amount is not above. The bounds ascend, so that is the count of
// bounds below the amount: counted without a branch, as amounts fall into rows at random.
template <double MonthlyWageRow::*Bound>
ScheduleRow FindByColumn(double amount) {
  std::size_t row = 0;
  for (std::size_t i = 0; i + 1 < kMonthlyWageSchedule.size(); ++i)
    row += amount > kMonthlyWageSchedule[i].*Bound ? 1 : 0;
  return kMonthlyWageSchedule[row].Row();
}

}  // namespace

ScheduleRow FindMonthlyWageRow(double taxable) { return FindByColumn<&MonthlyWageRow::taxableBound>(taxable); }

ScheduleRow FindMonthlyWageRowByTax(double tax) { return FindByColumn<&MonthlyWageRow::taxBound>(tax); }

ScheduleRow FindMonthlyWageRowByRealIncome(double excess) {
  return FindByColumn<&MonthlyWageRow::afterTaxBound>(excess);
}

SalaryResult CalcSalaryTax(const SalaryInput& in) {
  SalaryResult r;
  r.taxableIncome = Store((Widen(in.salary) - in.contributions) - in.threshold);
  if (r.taxableIncome > 0) {
    r.taxed = true;
    r.row = FindMonthlyWageRow(r.taxableIncome);
    r.tax = Store(Widen(r.taxableIncome) * r.row.rate - r.row.quickDeduction);
    r.afterTax = Store((Widen(in.salary) - in.contributions) - r.tax);
  } else {
    r.afterTax = Store(Widen(in.salary) - in.contributions);
  }
  return r;
}

SalaryResult::Texts SalaryResult::Shown() const {
  if (!taxed) return {"0.00", "0.00", "0.00", "0.00", FormatAmount(afterTax)};
  RowTexts shown = ShowRow(row);
  return {FormatAmount(taxableIncome), std::move(shown.rate), std::move(shown.quickDeduction), FormatAmount(tax),
          FormatAmount(afterTax)};
}

double SalaryIncomeFromTax(double tax, double contributions, double threshold) {
  const ScheduleRow row = FindMonthlyWageRowByTax(tax);
  const double taxable = Store((Widen(tax) + row.quickDeduction) / row.rate);
  return Store((Widen(taxable) + threshold) + contributions);
}

double SalaryIncomeFromRealIncome(double afterTax, double contributions, double threshold) {
  if (afterTax > threshold) {
    const double excess = Store(Widen(afterTax) - threshold);
    const ScheduleRow row = FindMonthlyWageRowByRealIncome(excess);
    const double taxable = Store((Widen(excess) - row.quickDeduction) / (1 - Widen(row.rate)));
    return Store((Widen(taxable) + contributions) + threshold);
  }
  return Store(Widen(afterTax) + contributions);
}

}  // namespace quorvex::tax
