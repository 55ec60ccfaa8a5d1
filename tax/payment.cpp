#include "tax/payment.h"

#include "tax/amount.h"
#include "tax/arith.h"

namespace quorvex::tax {
namespace {

constexpr Ext kAllowanceShare = 0.2L;
constexpr Ext kWritingRate = 0.14L;
constexpr Ext kFlatRate = 0.2L;

constexpr char kWritingRateText[] = "14%";
constexpr char kFlatRateText[] = "20%";

// A payment of 800 or less: no tax, the whole payment left.
PaymentResult Untaxed(double payment, const char* notice) {
  PaymentResult r;
  r.afterTax = payment;
  r.notice = notice;
  return r;
}

// Allowance, then `rate` x taxable income, for a payment above 800.
PaymentResult TaxAfterAllowance(double payment, Ext rate, std::string_view rateText) {
  PaymentResult r;
  r.taxed = true;
  r.allowance = PaymentAllowance(payment);
  r.taxableIncome = Store(Widen(payment) - r.allowance);
  r.tax = Store(rate * r.taxableIncome);
  r.afterTax = Store(Widen(payment) - r.tax);
  r.rateText = rateText;
  return r;
}

}  // namespace

double PaymentAllowance(double payment) {
  return payment > kAllowanceBound ? Store(kAllowanceShare * payment) : kFixedAllowance;
}

PaymentResult CalcWritingTax(double payment) {
  if (!(payment > kNoTaxLimit)) return Untaxed(payment, "");
  return TaxAfterAllowance(payment, kWritingRate, kWritingRateText);
}

PaymentResult CalcLicenceTax(double payment) {
  if (!(payment > kNoTaxLimit)) return Untaxed(payment, kRoyaltiesNoTaxNotice);
  return TaxAfterAllowance(payment, kFlatRate, kFlatRateText);
}

PaymentResult CalcRentTax(double payment) {
  if (!(payment > kNoTaxLimit)) return Untaxed(payment, "");
  return TaxAfterAllowance(payment, kFlatRate, kFlatRateText);
}

PaymentResult CalcFlatRateTax(double amount) {
  PaymentResult r;
  r.taxed = true;
  r.taxableIncome = amount;
  r.tax = Store(kFlatRate * amount);
  r.afterTax = Store(Widen(amount) - r.tax);
  r.rateText = kFlatRateText;
  return r;
}

PaymentTexts ShowPayment(const PaymentResult& r) {
  PaymentTexts t;
  if (r.taxed) {
    t.allowance = FormatAmount(r.allowance);
    t.taxableIncome = FormatAmount(r.taxableIncome);
    t.rate = r.rateText;
  }
  t.tax = FormatAmount(r.tax);
  t.afterTax = FormatAmount(r.afterTax);
  t.notice = r.notice;
  return t;
}

}  // namespace quorvex::tax
