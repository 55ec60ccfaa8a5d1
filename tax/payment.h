// Per-payment income taxed with an expense allowance or at a flat rate: writing
// remuneration, royalties, property lease, and the four flat-rate categories (property
// transfer, interest and dividends, incidental income, other income).
#pragma once

#include <string>
#include <string_view>

namespace quorvex::tax {

// The expense allowance of a per-payment income (labour, writing, royalties, property lease):
// a payment of kNoTaxLimit or less owes nothing; above it the allowance is kFixedAllowance,
// or 20 % of a payment above kAllowanceBound.
inline constexpr double kNoTaxLimit = 800;
inline constexpr double kFixedAllowance = 800;
inline constexpr double kAllowanceBound = 4000;

// PaymentAllowance() is the allowance of a payment above kNoTaxLimit.
[[nodiscard]] double PaymentAllowance(double payment);

// The notice the royalties page shows for a payment of 800 or less.
inline constexpr char kRoyaltiesNoTaxNotice[] = "收入金额小于800元，无需纳税。";

// The texts a per-payment page shows after a calculation. A page shows only the texts it has
// a control for (the flat-rate pages have no allowance, only the labour page has a quick
// deduction). `notice` is the message beside the amount field, "" for none.
struct PaymentTexts {
  std::string allowance = "0.00";
  std::string taxableIncome = "0.00";
  std::string rate = "0.00";
  std::string quickDeduction = "0.00";
  std::string tax;
  std::string afterTax;
  std::string notice;

  bool operator==(const PaymentTexts&) const = default;
};

struct PaymentResult {
  bool taxed = false;  // false: nothing is due; tax 0 and the whole payment after tax
  double allowance = 0;
  double taxableIncome = 0;
  double tax = 0;
  double afterTax = 0;
  std::string_view rateText = {};  // the fixed rate text shown when taxed ("20%", "14%")
  const char* notice = "";         // the notice shown beside the amount, "" for none
};

// CalcWritingTax() taxes one payment of writing remuneration: nothing is due up to and
// including 800 (silently); above it the allowance is 800, or 0.2 x payment above 4000, and
// the tax 0.14 x taxable income, shown as "14%".
[[nodiscard]] PaymentResult CalcWritingTax(double payment);

// CalcLicenceTax() taxes one payment of royalties: the allowance of CalcWritingTax() and a
// tax of 0.2 x taxable income; a payment up to and including 800 owes nothing and carries
// kRoyaltiesNoTaxNotice.
[[nodiscard]] PaymentResult CalcLicenceTax(double payment);

// CalcRentTax() taxes one payment of rent: as CalcLicenceTax(), but a payment up to and
// including 800 owes nothing without a notice.
[[nodiscard]] PaymentResult CalcRentTax(double payment);

// CalcFlatRateTax() taxes the whole amount at 0.2, with no allowance and no lower limit:
// property transfer, interest and dividends, incidental and other income.
[[nodiscard]] PaymentResult CalcFlatRateTax(double amount);

// ShowPayment() gives the texts of a result: when taxed every figure with FormatAmount and
// the fixed rate text; otherwise "0.00" labels, tax "0.00" and the payment after tax.
[[nodiscard]] PaymentTexts ShowPayment(const PaymentResult& r);

}  // namespace quorvex::tax
