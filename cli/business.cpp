// The individual business and contracted operation pages' calculations on the command line.
#include "tax/business.h"
#include "cli/categories.h"
#include "cli/read_amount.h"

namespace quorvex::cli {
namespace {

void Show(const tax::BusinessResult& r, Outcome& out) {
  const tax::BusinessTexts t = tax::ShowBusinessResult(r);
  out.ok = true;
  out[Line::kTaxableIncome] = t.taxableIncome;
  out[Line::kRate] = t.rate;
  out[Line::kQuickDeduction] = t.quickDeduction;
  out[Line::kTax] = t.tax;
  out[Line::kAfterTax] = t.afterTax;
  out.message = t.notice;
}

}  // namespace

Outcome RunBusiness(const Request& request, std::string_view, const Inputs&) {
  Outcome out;
  double income = 0;
  if (ReadAmount(request.amount, kIncomeRule, income, out)) Show(tax::CalcBusinessTax(income), out);
  return out;
}

Outcome RunContract(const Request& request, std::string_view, const Inputs& inputs) {
  Outcome out;
  double income = 0;
  if (ReadAmount(request.amount, kIncomeRule, income, out)) Show(tax::CalcContractTax(income, inputs.months), out);
  return out;
}

}  // namespace quorvex::cli
