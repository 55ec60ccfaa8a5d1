// The amount fields of the calculator pages and how a typed text is read from them. Both the
// window and quorvex-calc read every amount through ReadAmount(), so they accept and reject
// exactly the same texts with exactly the same messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "forms/messages.h"
#include "tax/amount.h"

namespace quorvex::forms {

// The amount fields a page may have. kTax and kAfterTax are the result fields a reverse
// calculation is typed into (应纳税额, and 实发工资 or 税后收入). kPlannedBonus is the year-end
// bonus planner's bonus the employer intends now.
enum class Field : std::uint8_t { kIncome, kSalary, kContributions, kTax, kAfterTax, kPlannedBonus };
inline constexpr std::size_t kFieldCount = 6;

constexpr std::size_t Index(Field f) { return static_cast<std::size_t>(f); }

enum class Sign : std::uint8_t { kPositive, kNonNegative };

// How one field is read: the sign its amount must have, whether an empty field counts as
// zero (and is then filled with "0.00"), and the texts for an unreadable amount and for an
// amount of the wrong sign.
struct FieldRule {
  Sign sign;
  bool emptyAsZero;
  const char* invalidText;
  const char* rangeText;
};

inline constexpr FieldRule kIncomeRule{Sign::kPositive, false, forms::messages::kInvalidAmount,
                                       forms::messages::kIncomeNotPositive};
inline constexpr FieldRule kSalaryRule{Sign::kNonNegative, false, forms::messages::kInvalidAmount,
                                       forms::messages::kSalaryNegative};
inline constexpr FieldRule kContributionsRule{Sign::kNonNegative, true, forms::messages::kInvalidAmount,
                                              forms::messages::kContributionsNegative};
// A tax or take-home amount typed for a reverse calculation of the salary and labour pages.
inline constexpr FieldRule kReverseRule{Sign::kPositive, false, forms::messages::kReverseInvalid,
                                        forms::messages::kReverseNotPositive};
// The planner's intended bonus; an empty field means none is planned.
inline constexpr FieldRule kPlannedBonusRule{Sign::kNonNegative, false, forms::messages::kInvalidAmount,
                                             forms::messages::kPlannedBonusNegative};
// The after-tax bonus typed for the year-end bonus page's reverse calculation.
inline constexpr FieldRule kAfterTaxBonusRule = kIncomeRule;

inline constexpr char kZeroText[] = "0.00";

struct Reading {
  std::string_view text;          // the field's text after the read: trimmed, or "0.00"
  double value = 0;               // the amount, when accepted
  const char* message = nullptr;  // nullptr: accepted; otherwise the text shown beside the field
};

// ReadAmount() trims characters of code 32 or less at both ends, counts an empty text as zero
// where the rule says so, parses the amount and checks its sign.
[[nodiscard]] inline Reading ReadAmount(std::string_view typed, const FieldRule& rule) {
  Reading r;
  r.text = tax::TrimAmountText(typed);
  if (rule.emptyAsZero && r.text.empty()) r.text = kZeroText;
  const std::optional<double> parsed = tax::ParseAmount(r.text);
  if (!parsed) {
    r.message = rule.invalidText;
  } else if (rule.sign == Sign::kPositive ? !(*parsed > 0) : !(*parsed >= 0)) {
    r.message = rule.rangeText;
  } else {
    r.value = *parsed;
  }
  return r;
}

}  // namespace quorvex::forms
