// The year-end bonus and salary-and-bonus pages' calculations on the command line.
#include <cmath>

#include "cli/categories.h"
#include "cli/read_amount.h"
#include "tax/amount.h"
#include "tax/bonus.h"
#include "tax/messages.h"

namespace quorvex::cli {
namespace {

namespace msg = tax::messages;

constexpr FieldRule kAfterTaxRule{"amount", Rule::kPositive, false, msg::kInvalidAmount, msg::kIncomeNotPositive};
constexpr FieldRule kSalaryRule{"salary", Rule::kNonNegative, false, msg::kInvalidAmount, msg::kSalaryNegative};

void ShowYearBonus(double bonus, Outcome& out) {
  const tax::YearBonusResult r = tax::CalcYearBonusTax(bonus);
  const tax::YearBonusResult::Texts t = r.Shown();
  out.ok = true;
  out[Line::kMonthlyAverage] = t.average;
  out[Line::kRate] = t.rate;
  out[Line::kQuickDeduction] = t.quick;
  out[Line::kTax] = t.tax;
  out[Line::kAfterTax] = t.afterTax;
  out.message = std::string(r.blindZone);
  out.warning = r.warn;
}

}  // namespace

Outcome RunYearBonus(const Request& request, std::string_view kind, const Inputs&) {
  Outcome out;
  double bonus = 0;
  if (kind == "forward") {
    if (!ReadAmount(request.amount, kIncomeRule, bonus, out)) return out;
    ShowYearBonus(bonus, out);
    return out;
  }
  double afterTax = 0;
  if (!ReadAmount(request.amount, kAfterTaxRule, afterTax, out)) return out;
  const double found = tax::YearBonusFromRealIncome(afterTax);
  if (!std::isfinite(found)) {
    out.field = "amount";
    out.message = msg::kInvalidAmount;
    return out;
  }
  // The page writes the bonus with two decimals and reads it back from that text.
  out.income = tax::FormatAmount(found);
  if (!ReadAmount(out.income, kWrittenIncomeRule, bonus, out)) return out;
  ShowYearBonus(bonus, out);
  return out;
}

Outcome RunSalaryAndBonus(const Request& request, std::string_view, const Inputs& inputs) {
  Outcome out;
  double bonus = 0;
  double salary = 0;
  double contributions = 0;
  if (!ReadAmount(request.amount, kIncomeRule, bonus, out) || !ReadAmount(request.salary, kSalaryRule, salary, out) ||
      !ReadAmount(request.contributions, kContributionsRule, contributions, out))
    return out;
  const tax::SalaryAndBonusResult r = tax::CalcSalaryAndBonusTax({bonus, salary, contributions, inputs.threshold});
  const tax::SalaryAndBonusResult::Texts t = r.Shown();
  out.ok = true;
  out[Line::kSalaryTax] = t.salaryTax;
  out[Line::kSalaryAfterTax] = t.afterTaxSalary;
  out[Line::kBonusTax] = t.bonusTax;
  out[Line::kBonusAfterTax] = t.afterTaxBonus;
  out[Line::kTotalTax] = t.totalTax;
  out[Line::kTotalAfterTax] = t.totalAfterTax;
  out.message = std::string(r.blindZone);
  out.warning = r.warn;
  return out;
}

}  // namespace quorvex::cli
