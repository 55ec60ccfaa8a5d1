#include "cli/read_amount.h"

#include "tax/amount.h"

namespace quorvex::cli {

bool ReadAmount(std::string_view text, const FieldRule& rule, double& value, Outcome& out) {
  std::string_view trimmed = tax::TrimAmountText(text);
  if (rule.emptyAsZero && trimmed.empty()) trimmed = "0.00";
  const std::optional<double> parsed = tax::ParseAmount(trimmed);
  const char* message = nullptr;
  if (!parsed) {
    message = rule.invalidText;
  } else if (rule.rule == Rule::kPositive ? !(*parsed > 0) : !(*parsed >= 0)) {
    message = rule.rangeText;
  }
  if (message != nullptr) {
    out.ok = false;
    out.field = rule.field;
    out.message = message;
    return false;
  }
  value = *parsed;
  return true;
}

std::string Amount(double value) { return tax::FormatAmount(value); }

std::string Percent(double rate) { return tax::FormatPercent(rate); }

}  // namespace quorvex::cli
