// The per-payment pages' calculations on the command line: labour, writing, royalties,
// property lease and the four flat-rate pages.
#include <cmath>

#include "cli/categories.h"
#include "cli/read_amount.h"
#include "tax/amount.h"
#include "tax/labour.h"
#include "tax/messages.h"
#include "tax/payment.h"

namespace quorvex::cli {
namespace {

namespace msg = tax::messages;

constexpr FieldRule kReverseRule{"amount", Rule::kPositive, false, msg::kReverseInvalid, msg::kReverseNotPositive};

void Show(const tax::PaymentTexts& t, bool withAllowance, bool withQuick, Outcome& out) {
  out.ok = true;
  if (withAllowance) out[Line::kAllowance] = t.deduct;
  out[Line::kTaxableIncome] = t.taxIncome;
  out[Line::kRate] = t.rate;
  if (withQuick) out[Line::kQuickDeduction] = t.quick;
  out[Line::kTax] = t.tax;
  out[Line::kAfterTax] = t.realIncome;
  out.message = t.notice;
}

Outcome RunPayment(const Request& request, tax::PaymentResult (*calc)(double), bool withAllowance) {
  Outcome out;
  double amount = 0;
  if (!ReadAmount(request.amount, kIncomeRule, amount, out)) return out;
  Show(tax::ShowPayment(calc(amount)), withAllowance, false, out);
  return out;
}

}  // namespace

Outcome RunLabour(const Request& request, std::string_view kind, const Inputs&) {
  Outcome out;
  double payment = 0;
  if (kind != "forward") {
    double afterTax = 0;
    if (!ReadAmount(request.amount, kReverseRule, afterTax, out)) return out;
    const double found = tax::LabourIncomeFromRealIncome(afterTax);
    const std::string text = tax::FormatGeneral(found);
    if (!std::isfinite(found) || !tax::ParseAmount(text)) {
      out.field = "amount";
      out.message = msg::kReverseInvalid;
      return out;
    }
    out.income = text;
    if (!ReadAmount(out.income, kWrittenIncomeRule, payment, out)) return out;
  } else if (!ReadAmount(request.amount, kIncomeRule, payment, out)) {
    return out;
  }
  Show(tax::ShowLabourTax(tax::CalcLabourTax(payment)), true, true, out);
  return out;
}

Outcome RunWriting(const Request& r, std::string_view, const Inputs&) {
  return RunPayment(r, &tax::CalcWritingTax, true);
}
Outcome RunLicence(const Request& r, std::string_view, const Inputs&) {
  return RunPayment(r, &tax::CalcLicenceTax, true);
}
Outcome RunRent(const Request& r, std::string_view, const Inputs&) { return RunPayment(r, &tax::CalcRentTax, true); }
Outcome RunFlatRate(const Request& r, std::string_view, const Inputs&) {
  return RunPayment(r, &tax::CalcFlatRateTax, false);
}

}  // namespace quorvex::cli
