// The year-end bonus: taxed once by the monthly-average rule (one twelfth of the bonus picks a
// row of the monthly wage schedule), its reverse form, the blind zones in which a larger
// bonus leaves less after tax, and the month's salary taxed together with the bonus.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "tax/wage.h"

namespace quorvex::tax {

// A blind zone: bonuses above `lower` and up to and including `upper`. The upper bounds are
// extended-precision constants; 19283.33L and 706538.46L are the nearest 80-bit values, so
// a bonus typed as 19283.33 (whose double lies just above) is outside zone 1 while one typed
// as 706538.46 (whose double lies just below) is inside zone 5.
struct BlindZone {
  double lower;
  long double upper;
  const char* text;
};

inline constexpr std::array<BlindZone, 6> kBlindZones{{
    {18000, 19283.33L, "进入盲区：( 18,000, 19,283.33 ]"},
    {54000, 60187.5L, "进入奖盲区：( 54,000, 60187.50 ]"},
    {108000, 114600.0L, "进入奖盲区：( 108,000, 114,600 ]"},
    {420000, 447500.0L, "进入奖盲区：( 420,000, 447,500 ]"},
    {660000, 706538.46L, "进入奖盲区：( 660,000, 706,538.46 ]"},
    {960000, 1120000.0L, "进入奖盲区：( 960,000, 1,120,000 ]"},
}};

// Each zone starts at a bracket boundary of the bonus (twelve times a monthly bound) and the
// zones are disjoint and ascending.
constexpr bool BlindZonesFollowTheSchedule() {
  for (std::size_t i = 0; i < kBlindZones.size(); ++i) {
    if (kBlindZones[i].lower != 12 * kMonthlyWageSchedule[i].taxableBound) return false;
    if (!(kBlindZones[i].upper > kBlindZones[i].lower)) return false;
    if (i > 0 && !(kBlindZones[i].lower > kBlindZones[i - 1].upper)) return false;
  }
  return true;
}
static_assert(BlindZonesFollowTheSchedule(), "blind zones disagree with the monthly wage schedule");

// FindBlindZone() returns the text of the zone holding `bonus` (bonus > lower, bonus <= upper,
// compared in extended precision), or an empty text.
[[nodiscard]] std::string_view FindBlindZone(double bonus);

// The warning box that accompanies a blind-zone text: its title, and its two lines separated
// by CR LF, the second carrying the customer-service number.
inline constexpr char kBlindZoneWarningTitle[] = "注意";
[[nodiscard]] std::string BlindZoneWarningText(std::string_view serviceNumber);

// YearBonusRow() is the row of the monthly wage schedule that taxes `bonus` by the
// monthly-average rule: the row of bonus / 12.
[[nodiscard]] ScheduleRow YearBonusRow(double bonus);

struct YearBonusResult {
  double average = 0;  // bonus / 12
  ScheduleRow row{0, 0};
  double tax = 0;              // bonus x rate - quick deduction, applied once
  double afterTax = 0;         // bonus - tax
  std::string_view blindZone;  // empty outside every zone
  bool warn = false;           // a blind-zone warning box is due

  // The texts shown for 平均每月, 税率, 速算扣除数, 应纳税额 and 税后收入.
  struct Texts {
    std::string average, rate, quickDeduction, tax, afterTax;
    bool operator==(const Texts&) const = default;
  };
  [[nodiscard]] Texts Shown() const;
};

// CalcYearBonusTax() taxes a bonus: average = bonus / 12 picks the row, tax = bonus x rate -
// quick deduction, after tax = bonus - tax; the blind zone is that of the bonus.
[[nodiscard]] YearBonusResult CalcYearBonusTax(double bonus);

// YearBonusFromRealIncome() returns the smallest bonus, unformatted, whose after-tax amount is
// `afterTax`: the rows are tried in order, each giving bonus = (afterTax - quick deduction) /
// (1 - rate), and the first whose bonus, written with two decimals, falls back into that same
// row is taken. The row is not chosen by one twelfth of the after-tax amount against the
// take-home bounds: just above a bracket boundary that rule gives a bonus of the next row up,
// whose after-tax amount is not the one asked for.
[[nodiscard]] double YearBonusFromRealIncome(double afterTax);

struct SalaryAndBonusInput {
  double bonus = 0;
  double salary = 0;
  double contributions = 0;
  double threshold = kThresholds[0];
};

struct SalaryAndBonusResult {
  double salaryTax = 0;
  double shortfall = 0;      // threshold - (salary - contributions) when that is positive
  double adjustedBonus = 0;  // bonus - shortfall; picks the row and the blind zone
  double bonusTax = 0;
  // Shown without being stored as doubles first.
  long double afterTaxSalary = 0;  // salary - salary tax (contributions not taken off)
  long double afterTaxBonus = 0;   // bonus as typed - bonus tax
  long double totalTax = 0;        // bonus tax + salary tax
  long double totalAfterTax = 0;   // ((salary + bonus) - bonus tax) - salary tax
  std::string_view blindZone;
  bool warn = false;

  // The texts shown for the salary's 应纳税额 and 税后工资, the bonus's 应纳税额 and 税后奖金,
  // 纳税总额 and 税后总额.
  struct Texts {
    std::string salaryTax, afterTaxSalary, bonusTax, afterTaxBonus, totalTax, totalAfterTax;
    bool operator==(const Texts&) const = default;
  };
  [[nodiscard]] Texts Shown() const;
};

// CalcSalaryAndBonusTax() taxes the month's salary by the wage schedule and the bonus, less
// any shortfall of the salary (after contributions) below the threshold, by the monthly-average
// rule. An adjusted bonus of 0 or less bears no tax.
[[nodiscard]] SalaryAndBonusResult CalcSalaryAndBonusTax(const SalaryAndBonusInput& in);

}  // namespace quorvex::tax
