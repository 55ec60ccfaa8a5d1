#include "forms/compute.h"

#include <array>
#include <bit>
#include <cmath>
#include <optional>

#include "forms/plan_form.h"
#include "forms/run.h"
#include "tax/amount.h"
#include "tax/bonus.h"
#include "tax/business.h"
#include "tax/labour.h"
#include "tax/messages.h"
#include "tax/payment.h"
#include "tax/wage.h"

namespace quorvex::forms {
namespace {

using What = Step::What;

// The lines of a per-payment page, written straight into them: the texts
// tax::ShowPayment() gives.
void ShowPayment(Run& run, const tax::PaymentResult& r) {
  if (r.taxed) {
    run.ShowAmount(Line::kAllowance, r.allowance);
    run.ShowAmount(Line::kTaxableIncome, r.taxableIncome);
    run.Show(Line::kRate, r.rateText);
  } else {
    for (const Line line : {Line::kAllowance, Line::kTaxableIncome, Line::kRate})
      run.Show(line, std::string_view(kZeroText));
  }
  run.Show(Line::kQuickDeduction, std::string_view(kZeroText));
  run.ShowAmount(Line::kTax, r.tax);
  run.ShowAmount(Line::kAfterTax, r.afterTax);
}

// A schedule's rates and quick deductions as the pages show them, written once: a sheet shows
// a row on most records.
struct RowTexts {
  std::string rate;
  std::string quickDeduction;
};

template <std::size_t N>
class ScheduleTexts {
 public:
  // `rows` ascend by rate; `quickText` writes a quick deduction as its pages show it.
  template <class Rows, class QuickText>
  ScheduleTexts(const Rows& rows, QuickText quickText) {
    for (std::size_t i = 0; i < N; ++i) {
      rates_[i] = rows[i].rate;
      quick_[i] = static_cast<double>(rows[i].quickDeduction);
      texts_[i] = {tax::FormatPercent(rates_[i]), quickText(rows[i].quickDeduction)};
    }
  }

  // The texts of the row with this rate and quick deduction; nullptr when it is none of these.
  // A row's place is the number of rates below its own, counted without a branch per row,
  // where a search would mispredict its end as the amounts go up and down.
  const RowTexts* Find(double rate, double quickDeduction) const {
    std::size_t i = 0;
    for (const double r : rates_) i += r < rate ? 1 : 0;
    return i < N && rates_[i] == rate && quick_[i] == quickDeduction ? &texts_[i] : nullptr;
  }

 private:
  std::array<double, N> rates_{};
  std::array<double, N> quick_{};
  std::array<RowTexts, N> texts_;
};

template <class Rows, class Rate>
constexpr bool RatesAscend(const Rows& rows, Rate rate) {
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (!(rate(rows[i - 1]) < rate(rows[i]))) return false;
  }
  return true;
}
static_assert(RatesAscend(tax::kMonthlyWageSchedule, [](const tax::MonthlyWageRow& r) { return r.rate; }));
static_assert(RatesAscend(tax::kLabourSchedule, [](const tax::LabourRow& r) { return r.rate; }));
static_assert(RatesAscend(tax::kAnnualBusinessSchedule, [](const tax::AnnualBusinessBand& b) { return b.row.rate; }));

// The wage and labour schedules' rows: rates and quick deductions in yuan and fen.
const RowTexts* PaymentRowTexts(const tax::ScheduleRow& row) {
  static const ScheduleTexts<tax::kMonthlyWageSchedule.size()> kWage(
      tax::kMonthlyWageSchedule, [](double quick) { return tax::FormatAmount(quick); });
  static const ScheduleTexts<tax::kLabourSchedule.size()> kLabour(
      tax::kLabourSchedule, [](double quick) { return tax::FormatAmount(quick); });
  const RowTexts* texts = kWage.Find(row.rate, row.quickDeduction);
  return texts != nullptr ? texts : kLabour.Find(row.rate, row.quickDeduction);
}

// The business schedule's rows: quick deductions in whole yuan.
const RowTexts* BusinessRowTexts(const tax::BusinessRow& row) {
  static const auto kBusiness = [] {
    std::array<tax::BusinessRow, tax::kAnnualBusinessSchedule.size()> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = tax::kAnnualBusinessSchedule[i].row;
    return ScheduleTexts<tax::kAnnualBusinessSchedule.size()>(rows, [](int quick) { return tax::IntegerText(quick); });
  }();
  return kBusiness.Find(row.rate, row.quickDeduction);
}

// A schedule row's rate and quick deduction: the texts written once where the row has them,
// else written now, `quickText` giving the quick deduction's.
template <class QuickText>
void ShowRowTexts(Run& run, const RowTexts* texts, double rate, QuickText quickText) {
  if (texts != nullptr) {
    run.Show(Line::kRate, texts->rate);
    run.Show(Line::kQuickDeduction, texts->quickDeduction);
  } else {
    run.Show(Line::kRate, tax::FormatPercent(rate));
    run.Show(Line::kQuickDeduction, quickText());
  }
}

void ShowRow(Run& run, const tax::ScheduleRow& row) {
  ShowRowTexts(run, PaymentRowTexts(row), row.rate, [&row] { return tax::FormatAmount(row.quickDeduction); });
}

void ShowRow(Run& run, const tax::BusinessRow& row) {
  ShowRowTexts(run, BusinessRowTexts(row), row.rate, [&row] { return tax::IntegerText(row.quickDeduction); });
}

void SalaryForward(Run& run) {
  run.Do(What::kClearResults);
  const std::optional<double> salary = run.Read(Field::kIncome, kIncomeRule);
  if (!salary) return;
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return;
  const tax::SalaryResult r = tax::CalcSalaryTax({*salary, *contributions, run.typed().threshold});
  if (r.taxed) {
    run.ShowAmount(Line::kTaxableIncome, r.taxableIncome);
    ShowRow(run, r.row);
    run.ShowAmount(Line::kTax, r.tax);
  } else {
    for (const Line line : {Line::kTaxableIncome, Line::kRate, Line::kQuickDeduction, Line::kTax})
      run.Show(line, std::string_view(kZeroText));
  }
  run.ShowAmount(Line::kAfterTax, r.afterTax);
  run.Done();
  run.Focus(Field::kIncome);
}

void SalaryReverse(Run& run, Kind kind) {
  const Field typed = Category::Typed(kind);
  run.Do(What::kClearMessages);
  const std::optional<double> amount = run.Read(typed, run.category().reverseRule);
  if (!amount) return;
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return;
  const double threshold = run.typed().threshold;
  const double salary = kind == Kind::kFromTax ? tax::SalaryIncomeFromTax(*amount, *contributions, threshold)
                                               : tax::SalaryIncomeFromRealIncome(*amount, *contributions, threshold);
  if (!std::isfinite(salary)) return run.Reject(typed, tax::messages::kReverseInvalid);
  run.WriteIncome(salary);
  SalaryForward(run);
}

void YearBonusForward(Run& run) {
  run.Do(What::kClearResults);
  const std::optional<double> bonus = run.Read(Field::kIncome, kIncomeRule);
  if (!bonus) return;
  const tax::YearBonusResult r = tax::CalcYearBonusTax(*bonus);
  // The texts r.Shown() gives, straight into the lines.
  run.ShowAmount(Line::kMonthlyAverage, r.average);
  ShowRow(run, r.row);
  run.ShowAmount(Line::kTax, r.tax);
  run.ShowAmount(Line::kAfterTax, r.afterTax);
  run.Done(r.blindZone);
  run.out().warning = r.warn;
  run.Focus(Field::kIncome);
}

// Unlike the salary page's, this reverse calculation empties no message before the read.
void YearBonusReverse(Run& run) {
  const std::optional<double> afterTax = run.Read(Field::kAfterTax, run.category().reverseRule);
  if (!afterTax) return;
  const double bonus = tax::YearBonusFromRealIncome(*afterTax);
  if (!std::isfinite(bonus)) return run.Reject(Field::kAfterTax, tax::messages::kInvalidAmount);
  run.WriteIncomeAmount(bonus);
  YearBonusForward(run);
}

// The focus stays where it was: on the button, or in the field where Enter was pressed.
void SalaryAndBonus(Run& run) {
  run.Do(What::kClearResults);
  const std::optional<double> bonus = run.Read(Field::kIncome, kIncomeRule);
  if (!bonus) return;
  const std::optional<double> salary = run.Read(Field::kSalary, kSalaryRule);
  if (!salary) return;
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return;
  const tax::SalaryAndBonusResult r =
      tax::CalcSalaryAndBonusTax({*bonus, *salary, *contributions, run.typed().threshold});
  // The texts r.Shown() gives, straight into the lines.
  run.ShowAmount(Line::kSalaryTax, r.salaryTax);
  run.Show(Line::kSalaryAfterTax, tax::FormatExtendedAmount(r.afterTaxSalary));
  run.ShowAmount(Line::kBonusTax, r.bonusTax);
  run.Show(Line::kBonusAfterTax, tax::FormatExtendedAmount(r.afterTaxBonus));
  run.Show(Line::kTotalTax, tax::FormatExtendedAmount(r.totalTax));
  run.Show(Line::kTotalAfterTax, tax::FormatExtendedAmount(r.totalAfterTax));
  run.Done(r.blindZone);
  run.out().warning = r.warn;
}

// A payment of 800 or less: no notice, and the focus stays where it is.
void LabourForward(Run& run) {
  run.Do(What::kClearResults);
  const std::optional<double> payment = run.Read(Field::kIncome, kIncomeRule);
  if (!payment) return;
  const tax::LabourResult r = tax::CalcLabourTax(*payment);
  // The texts tax::ShowLabourTax() gives: a per-payment page's, with the schedule's row.
  ShowPayment(run, {.taxed = r.taxed,
                    .allowance = r.allowance,
                    .taxableIncome = r.taxableIncome,
                    .tax = r.tax,
                    .afterTax = r.afterTax});
  if (r.taxed) ShowRow(run, r.row);
  run.Done();
  if (r.taxed) run.Focus(Field::kIncome);
}

// No message is emptied first: a rejected amount leaves the income's message as it was.
void LabourReverse(Run& run) {
  const std::optional<double> afterTax = run.Read(Field::kAfterTax, run.category().reverseRule);
  if (!afterTax) return;
  const double payment = tax::LabourIncomeFromRealIncome(*afterTax);
  if (!std::isfinite(payment)) return run.Reject(Field::kAfterTax, tax::messages::kReverseInvalid);
  run.WriteIncome(payment);
  LabourForward(run);
}

void Payment(Run& run) {
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
  ShowPayment(run, r);
  run.Done(r.notice);
  // Writing and rent of 800 or less owe nothing silently and leave the focus where it is;
  // the royalties page says so and takes the focus back to the amount.
  if (r.taxed || run.category().id == CategoryId::kRoyalties) run.Focus(Field::kIncome);
}

void Business(Run& run) {
  run.Do(What::kClearResults);
  const std::optional<double> income = run.Read(Field::kIncome, kIncomeRule);
  if (!income) return;
  const bool contract = run.category().id == CategoryId::kContract;
  const tax::BusinessResult r =
      contract ? tax::CalcContractTax(*income, run.typed().months) : tax::CalcBusinessTax(*income);
  // The texts tax::ShowBusinessResult() gives, straight into the lines.
  if (r.taxed) {
    run.ShowAmount(Line::kTaxableIncome, r.taxableIncome);
    ShowRow(run, r.row);
    run.ShowAmount(Line::kTax, r.tax);
  } else {
    for (const Line line : {Line::kTaxableIncome, Line::kRate, Line::kQuickDeduction, Line::kTax})
      run.Show(line, std::string_view(kZeroText));
  }
  run.ShowAmount(Line::kAfterTax, r.afterTax);
  run.Done(r.taxed ? std::string_view{} : std::string_view{tax::kNoTaxDueNotice});
  run.Focus(Field::kIncome);
}

void Dispatch(Run& run, Kind kind) {
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

Outcome Compute(const Category& category, Kind kind, const Typed& typed) {
  Outcome out;
  Compute(category, kind, typed, out);
  return out;
}

void Compute(const Category& category, Kind kind, const Typed& typed, Outcome& out) {
  if (category.id == CategoryId::kPlan) {
    out = ComputePlan(typed);
    return;
  }
  out.computed = false;
  out.stepCount = 0;
  // The lines keep the last outcome's texts until the end, so that a line shown again is
  // rewritten in place rather than emptied and grown back.
  const std::uint32_t before = out.shown;
  out.shown = 0;
  out.message = {};
  out.messageField = Field::kIncome;
  out.warning = false;
  out.focus = false;
  out.focusField = Field::kIncome;
  out.income.clear();
  Run run(category, typed, out);
  Dispatch(run, category.Offers(kind) ? kind : Kind::kForward);
  // Only the lines the page has, and none of the last outcome's that this one did not show.
  ClearLines(out, (out.shown & ~category.LineMask()) | (before & ~out.shown));
}

void ClearLines(Outcome& out, std::uint32_t which) {
  for (std::uint32_t bits = which; bits != 0; bits &= bits - 1) out.lines[std::countr_zero(bits)].clear();
  out.shown &= ~which;
}

}  // namespace quorvex::forms
