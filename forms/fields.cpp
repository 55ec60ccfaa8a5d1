#include "forms/fields.h"

#include "tax/amount.h"

namespace quorvex::forms {

Reading ReadAmount(std::string_view typed, const FieldRule& rule) {
  Reading r;
  r.text = tax::TrimAmountText(typed);
  if (rule.emptyAsZero && r.text.empty()) r.text = kZeroText;
  double parsed = 0;
  if (!tax::ParseAmountInto(r.text, parsed)) {
    r.message = rule.invalidText;
  } else if (rule.sign == Sign::kPositive ? !(parsed > 0) : !(parsed >= 0)) {
    r.message = rule.rangeText;
  } else {
    r.value = parsed;
  }
  return r;
}

}  // namespace quorvex::forms
