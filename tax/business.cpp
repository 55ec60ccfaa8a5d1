#include "tax/business.h"

#include <charconv>
#include <utility>

#include "tax/amount.h"
#include "tax/arith.h"
#include "tax/row_texts.h"

namespace quorvex::tax {
namespace {

constexpr char kZero[] = "0.00";

BusinessResult TaxBySchedule(double income, double taxable) {
  BusinessResult r;
  r.taxed = true;
  r.taxableIncome = taxable;
  r.row = FindAnnualBusinessRow(taxable);
  r.tax = Store(Widen(taxable) * r.row.rate - r.row.quickDeduction);
  r.afterTax = Store(Widen(income) - r.tax);
  return r;
}

}  // namespace

BusinessRow FindAnnualBusinessRow(double taxable) {
  for (std::size_t i = 0; i + 1 < kAnnualBusinessSchedule.size(); ++i) {
    if (!(taxable > kAnnualBusinessSchedule[i].taxableBound)) return kAnnualBusinessSchedule[i].row;
  }
  return kAnnualBusinessSchedule.back().row;
}

BusinessResult CalcBusinessTax(double income) { return TaxBySchedule(income, income); }

BusinessResult CalcContractTax(double income, int months) {
  const long long allowance = ContractAllowance(months);
  if (static_cast<Ext>(allowance) >= Widen(income)) {
    BusinessResult r;
    r.afterTax = income;
    return r;
  }
  return TaxBySchedule(income, Store(Widen(income) - allowance));
}

std::string IntegerText(int value) {
  char buffer[16];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, ec == std::errc() ? end : buffer);
}

BusinessTexts ShowBusinessResult(const BusinessResult& r) {
  if (!r.taxed) return {kNoTaxDueNotice, kZero, kZero, kZero, kZero, FormatAmount(r.afterTax)};
  RowTexts shown = ShowRow(r.row);
  return {"",
          FormatAmount(r.taxableIncome),
          std::move(shown.rate),
          std::move(shown.quickDeduction),
          FormatAmount(r.tax),
          FormatAmount(r.afterTax)};
}

}  // namespace quorvex::tax
