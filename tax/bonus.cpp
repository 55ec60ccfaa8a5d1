#include "tax/bonus.h"

#include <optional>
#include <utility>

#include "tax/amount.h"
#include "tax/arith.h"
#include "tax/row_texts.h"

namespace quorvex::tax {
namespace {

constexpr char kWarningFirstLine[] = "年终奖发放不合理，个税盲区致年终奖严重缩水。";
constexpr char kWarningServicePrefix[] = "联系客服 QQ：";
constexpr char kWarningServiceSuffix[] = "，帮你筹划，为您节税。";

double MonthlyAverage(double bonus) { return Store(Widen(bonus) / 12); }

bool SameRow(ScheduleRow a, ScheduleRow b) { return a.rate == b.rate && a.quickDeduction == b.quickDeduction; }

// The bonus that leaves `afterTax` under `row`: (afterTax - quick deduction) / (1 - rate).
double BonusUnderRow(double afterTax, ScheduleRow row) {
  return Store((Widen(afterTax) - row.quickDeduction) / (1 - Widen(row.rate)));
}

}  // namespace

std::string_view FindBlindZone(double bonus) {
  for (const BlindZone& zone : kBlindZones) {
    if (Widen(bonus) > zone.lower && Widen(bonus) <= zone.upper) return zone.text;
  }
  return {};
}

std::string BlindZoneWarningText(std::string_view serviceNumber) {
  std::string text(kWarningFirstLine);
  text += "\r\n";
  text += kWarningServicePrefix;
  text += serviceNumber;
  text += kWarningServiceSuffix;
  return text;
}

ScheduleRow YearBonusRow(double bonus) { return FindMonthlyWageRow(MonthlyAverage(bonus)); }

YearBonusResult CalcYearBonusTax(double bonus) {
  YearBonusResult r;
  r.average = MonthlyAverage(bonus);
  r.row = FindMonthlyWageRow(r.average);
  r.tax = Store(Widen(bonus) * r.row.rate - r.row.quickDeduction);
  r.afterTax = Store(Widen(bonus) - r.tax);
  r.blindZone = FindBlindZone(bonus);
  r.warn = !r.blindZone.empty();
  return r;
}

YearBonusResult::Texts YearBonusResult::Shown() const {
  RowTexts shown = ShowRow(row);
  return {FormatAmount(average), std::move(shown.rate), std::move(shown.quickDeduction), FormatAmount(tax),
          FormatAmount(afterTax)};
}

double YearBonusFromRealIncome(double afterTax) {
  for (const MonthlyWageRow& candidate : kMonthlyWageSchedule) {
    const double bonus = BonusUnderRow(afterTax, candidate.Row());
    // The bonus as the page writes it and reads it back.
    const std::optional<double> written = ParseAmount(FormatAmount(bonus));
    if (written && SameRow(FindMonthlyWageRow(MonthlyAverage(*written)), candidate.Row())) return bonus;
  }
  // Not reached for a finite amount (the rows' after-tax ranges overlap and cover every
  // positive amount); keep the take-home column's choice for anything else.
  return BonusUnderRow(afterTax, FindMonthlyWageRowByRealIncome(Store(Widen(afterTax) / 12)));
}

SalaryAndBonusResult CalcSalaryAndBonusTax(const SalaryAndBonusInput& in) {
  SalaryAndBonusResult r;
  const double taxableSalary = Store((Widen(in.salary) - in.contributions) - in.threshold);
  if (taxableSalary > 0) {
    const ScheduleRow row = FindMonthlyWageRow(taxableSalary);
    r.salaryTax = Store(Widen(taxableSalary) * row.rate - row.quickDeduction);
  }
  r.afterTaxSalary = Widen(in.salary) - r.salaryTax;
  if (!(Widen(in.salary) - in.contributions >= in.threshold)) {
    r.shortfall = Store(Widen(in.threshold) - (Widen(in.salary) - in.contributions));
  }
  r.adjustedBonus = Store(Widen(in.bonus) - r.shortfall);
  r.blindZone = FindBlindZone(r.adjustedBonus);
  r.warn = !r.blindZone.empty();
  if (r.adjustedBonus > 0) {
    const ScheduleRow row = YearBonusRow(r.adjustedBonus);
    r.bonusTax = Store(Widen(r.adjustedBonus) * row.rate - row.quickDeduction);
  }
  r.afterTaxBonus = Widen(in.bonus) - r.bonusTax;
  r.totalTax = Widen(r.bonusTax) + r.salaryTax;
  r.totalAfterTax = ((Widen(in.salary) + in.bonus) - r.bonusTax) - r.salaryTax;
  return r;
}

SalaryAndBonusResult::Texts SalaryAndBonusResult::Shown() const {
  return {FormatAmount(salaryTax),        FormatExtendedAmount(afterTaxSalary),
          FormatAmount(bonusTax),         FormatExtendedAmount(afterTaxBonus),
          FormatExtendedAmount(totalTax), FormatExtendedAmount(totalAfterTax)};
}

}  // namespace quorvex::tax
