#include "forms/compute.h"

#include <bit>
#include <cmath>
#include <optional>
#include <utility>

#include "forms/computation.h"
#include "forms/messages.h"
#include "forms/plan_form.h"
#include "tax/bonus.h"
#include "tax/business.h"
#include "tax/labour.h"
#include "tax/payment.h"
#include "tax/wage.h"

namespace quorvex::forms {
namespace {

using What = Step::What;

// The texts the calculation layer gives for a result, each into its line.
void Show(Computation& run, tax::SalaryResult::Texts t) {
  run.Show(Line::kTaxableIncome, std::move(t.taxableIncome));
  run.Show(Line::kRate, std::move(t.rate));
  run.Show(Line::kQuickDeduction, std::move(t.quickDeduction));
  run.Show(Line::kTax, std::move(t.tax));
  run.Show(Line::kAfterTax, std::move(t.afterTax));
}

void Show(Computation& run, tax::YearBonusResult::Texts t) {
  run.Show(Line::kMonthlyAverage, std::move(t.average));
  run.Show(Line::kRate, std::move(t.rate));
  run.Show(Line::kQuickDeduction, std::move(t.quickDeduction));
  run.Show(Line::kTax, std::move(t.tax));
  run.Show(Line::kAfterTax, std::move(t.afterTax));
}

void Show(Computation& run, tax::SalaryAndBonusResult::Texts t) {
  run.Show(Line::kSalaryTax, std::move(t.salaryTax));
  run.Show(Line::kSalaryAfterTax, std::move(t.afterTaxSalary));
  run.Show(Line::kBonusTax, std::move(t.bonusTax));
  run.Show(Line::kBonusAfterTax, std::move(t.afterTaxBonus));
  run.Show(Line::kTotalTax, std::move(t.totalTax));
  run.Show(Line::kTotalAfterTax, std::move(t.totalAfterTax));
}

void Show(Computation& run, tax::PaymentTexts t) {
  run.Show(Line::kAllowance, std::move(t.allowance));
  run.Show(Line::kTaxableIncome, std::move(t.taxableIncome));
  run.Show(Line::kRate, std::move(t.rate));
  run.Show(Line::kQuickDeduction, std::move(t.quickDeduction));
  run.Show(Line::kTax, std::move(t.tax));
  run.Show(Line::kAfterTax, std::move(t.afterTax));
}

void Show(Computation& run, tax::BusinessTexts t) {
  run.Show(Line::kTaxableIncome, std::move(t.taxableIncome));
  run.Show(Line::kRate, std::move(t.rate));
  run.Show(Line::kQuickDeduction, std::move(t.quickDeduction));
  run.Show(Line::kTax, std::move(t.tax));
  run.Show(Line::kAfterTax, std::move(t.afterTax));
}

void SalaryForward(Computation& run) {
  run.Do(What::kClearResults);
  const std::optional<double> salary = run.Read(Field::kIncome, kIncomeRule);
  if (!salary) return;
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return;
  Show(run, tax::CalcSalaryTax({*salary, *contributions, run.typed().threshold}).Shown());
  run.Done();
  run.Focus(Field::kIncome);
}

void SalaryReverse(Computation& run, Kind kind) {
  const Field typed = Category::Typed(kind);
  run.Do(What::kClearMessages);
  const std::optional<double> amount = run.Read(typed, run.category().reverseRule);
  if (!amount) return;
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return;
  const double threshold = run.typed().threshold;
  const double salary = kind == Kind::kFromTax ? tax::SalaryIncomeFromTax(*amount, *contributions, threshold)
                                               : tax::SalaryIncomeFromRealIncome(*amount, *contributions, threshold);
  if (!std::isfinite(salary)) return run.Reject(typed, forms::messages::kReverseInvalid);
  run.WriteIncome(salary);
  SalaryForward(run);
}

void YearBonusForward(Computation& run) {
  run.Do(What::kClearResults);
  const std::optional<double> bonus = run.Read(Field::kIncome, kIncomeRule);
  if (!bonus) return;
  const tax::YearBonusResult r = tax::CalcYearBonusTax(*bonus);
  Show(run, r.Shown());
  run.Done(r.blindZone);
  run.out().warning = r.warn;
  run.Focus(Field::kIncome);
}

// Unlike the salary page's, this reverse calculation empties no message before the read.
void YearBonusReverse(Computation& run) {
  const std::optional<double> afterTax = run.Read(Field::kAfterTax, run.category().reverseRule);
  if (!afterTax) return;
  const double bonus = tax::YearBonusFromRealIncome(*afterTax);
  if (!std::isfinite(bonus)) return run.Reject(Field::kAfterTax, forms::messages::kInvalidAmount);
  run.WriteIncomeAmount(bonus);
  YearBonusForward(run);
}

// The focus stays where it was: on the button, or in the field where Enter was pressed.
void SalaryAndBonus(Computation& run) {
  run.Do(What::kClearResults);
  const std::optional<double> bonus = run.Read(Field::kIncome, kIncomeRule);
  if (!bonus) return;
  const std::optional<double> salary = run.Read(Field::kSalary, kSalaryRule);
  if (!salary) return;
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return;
  const tax::SalaryAndBonusResult r =
      tax::CalcSalaryAndBonusTax({*bonus, *salary, *contributions, run.typed().threshold});
  Show(run, r.Shown());
  run.Done(r.blindZone);
  run.out().warning = r.warn;
}

// A payment of 800 or less: no notice, and the focus stays where it is.
void LabourForward(Computation& run) {
  run.Do(What::kClearResults);
  const std::optional<double> payment = run.Read(Field::kIncome, kIncomeRule);
  if (!payment) return;
  const tax::LabourResult r = tax::CalcLabourTax(*payment);
  Show(run, tax::ShowLabourTax(r));
  run.Done();
  if (r.taxed) run.Focus(Field::kIncome);
}

// No message is emptied first: a rejected amount leaves the income's message as it was.
void LabourReverse(Computation& run) {
  const std::optional<double> afterTax = run.Read(Field::kAfterTax, run.category().reverseRule);
  if (!afterTax) return;
  const double payment = tax::LabourIncomeFromRealIncome(*afterTax);
  if (!std::isfinite(payment)) return run.Reject(Field::kAfterTax, forms::messages::kReverseInvalid);
  run.WriteIncome(payment);
  LabourForward(run);
}

void Payment(Computation& run) {
  run.Do(What::kClearResults);
  const std::optional<double> amount = run.Read(Field::kIncome, kIncomeRule);
  if (!amount) return;
  tax::PaymentResult r;
  switch (run.category().id) {
    case CategoryId::kWriting:
      r = tax::CalcWritingTax(*amount);
      break;
    case CategoryId::kRent:
      r = tax::CalcRentTax(*amount);
      break;
    case CategoryId::kRoyalties:
      r = tax::CalcLicenceTax(*amount);
      break;
    default:
      r = tax::CalcFlatRateTax(*amount);
      break;
  }
  Show(run, tax::ShowPayment(r));
  run.Done(r.notice);
  // Writing and rent of 800 or less owe nothing silently and leave the focus where it is;
  // the royalties page says so and takes the focus back to the amount.
  if (r.taxed || run.category().id == CategoryId::kRoyalties) run.Focus(Field::kIncome);
}

void Business(Computation& run) {
  run.Do(What::kClearResults);
  const std::optional<double> income = run.Read(Field::kIncome, kIncomeRule);
  if (!income) return;
  const bool contract = run.category().id == CategoryId::kContract;
  const tax::BusinessResult r =
      contract ? tax::CalcContractTax(*income, run.typed().months) : tax::CalcBusinessTax(*income);
  Show(run, tax::ShowBusinessResult(r));
  run.Done(r.taxed ? std::string_view{} : std::string_view{tax::kNoTaxDueNotice});
  run.Focus(Field::kIncome);
}

void Dispatch(Computation& run, Kind kind) {
  const bool reverse = kind != Kind::kForward;
  switch (run.category().id) {
    case CategoryId::kSalary:
      return reverse ? SalaryReverse(run, kind) : SalaryForward(run);
    case CategoryId::kYearBonus:
      return reverse ? YearBonusReverse(run) : YearBonusForward(run);
    case CategoryId::kSalaryAndBonus:
      return SalaryAndBonus(run);
    case CategoryId::kLabour:
      return reverse ? LabourReverse(run) : LabourForward(run);
    case CategoryId::kBusiness:
    case CategoryId::kContract:
      return Business(run);
    default:
      return Payment(run);
  }
}

}  // namespace

Outcome Compute(const Category& category, Kind kind, const PageInput& typed) {
  Outcome out;
  Compute(category, kind, typed, out);
  return out;
}

void Compute(const Category& category, Kind kind, const PageInput& typed, Outcome& out) {
  if (category.id == CategoryId::kPlan) {
    out = ComputePlan(typed);
    return;
  }
  out.computed = false;
  out.stepCount = 0;
  ClearLines(out, out.shown);
  out.message = {};
  out.messageField = Field::kIncome;
  out.warning = false;
  out.focus = false;
  out.focusField = Field::kIncome;
  out.income.clear();
  Computation run(category, typed, out);
  Dispatch(run, category.Offers(kind) ? kind : Kind::kForward);
  // Only the lines the page has.
  ClearLines(out, out.shown & ~category.LineMask());
}

void ClearLines(Outcome& out, std::uint32_t which) {
  for (std::uint32_t bits = which; bits != 0; bits &= bits - 1) out.lines[std::countr_zero(bits)].clear();
  out.shown &= ~which;
}

}  // namespace quorvex::forms
