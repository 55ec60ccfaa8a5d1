// The wages-and-salaries page's calculations on the command line.
#include <cmath>

#include "cli/categories.h"
#include "cli/read_amount.h"
#include "tax/amount.h"
#include "tax/messages.h"
#include "tax/wage.h"

namespace quorvex::cli {
namespace {

namespace msg = tax::messages;

constexpr FieldRule kReverse{"amount", Rule::kPositive, false, msg::kReverseInvalid, msg::kReverseNotPositive};

void Forward(double salary, double contributions, double threshold, Outcome& out) {
  const tax::SalaryResult r = tax::CalcSalaryTax({salary, contributions, threshold});
  out.ok = true;
  out[Line::kTaxableIncome] = r.taxed ? Amount(r.taxableIncome) : "0.00";
  out[Line::kRate] = r.taxed ? Percent(r.row.rate) : "0.00";
  out[Line::kQuickDeduction] = r.taxed ? Amount(r.row.quickDeduction) : "0.00";
  out[Line::kTax] = r.taxed ? Amount(r.tax) : "0.00";
  out[Line::kAfterTax] = Amount(r.takeHome);
}

}  // namespace

Outcome RunSalary(const Request& request, std::string_view kind, const Inputs& inputs) {
  Outcome out;
  double contributions = 0;
  if (kind == "forward") {
    double salary = 0;
    if (!ReadAmount(request.amount, kIncomeRule, salary, out)) return out;
    if (!ReadAmount(request.contributions, kContributionsRule, contributions, out)) return out;
    Forward(salary, contributions, inputs.threshold, out);
    return out;
  }
  double typed = 0;
  if (!ReadAmount(request.amount, kReverse, typed, out)) return out;
  if (!ReadAmount(request.contributions, kContributionsRule, contributions, out)) return out;
  const double found = kind == "from-tax" ? tax::SalaryIncomeFromTax(typed, contributions, inputs.threshold)
                                          : tax::SalaryIncomeFromRealIncome(typed, contributions, inputs.threshold);
  if (!std::isfinite(found)) {
    out.field = "amount";
    out.message = msg::kReverseInvalid;
    return out;
  }
  // The page writes the salary into its income field and reads it back from that text.
  out.income = tax::FormatGeneral(found);
  double salary = 0;
  if (!ReadAmount(out.income, kWrittenIncomeRule, salary, out)) return out;
  Forward(salary, contributions, inputs.threshold, out);
  return out;
}

}  // namespace quorvex::cli
