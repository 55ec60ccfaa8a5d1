// Reading a typed amount exactly as the pages read their fields.
#pragma once

#include <string>
#include <string_view>

#include "cli/record.h"
#include "tax/messages.h"

namespace quorvex::cli {

enum class Rule { kPositive, kNonNegative };

struct FieldRule {
  const char* field;  // the record's name for the input ("amount", "salary", "contributions")
  Rule rule;
  bool emptyAsZero;
  const char* invalidText;
  const char* rangeText;
};

// The rules most pages read their fields with.
inline constexpr FieldRule kIncomeRule{"amount", Rule::kPositive, false, tax::messages::kInvalidAmount,
                                       tax::messages::kIncomeNotPositive};
// The income field as a reverse calculation wrote it, read back by the forward calculation.
inline constexpr FieldRule kWrittenIncomeRule{"income", Rule::kPositive, false, tax::messages::kInvalidAmount,
                                              tax::messages::kIncomeNotPositive};
inline constexpr FieldRule kContributionsRule{"contributions", Rule::kNonNegative, true, tax::messages::kInvalidAmount,
                                              tax::messages::kContributionsNegative};

// ReadAmount() trims characters of code 32 or less at both ends, counts an empty text as
// zero where the field does, parses and checks the rule. On failure `out` is marked
// rejected with the field's name and text, and false is returned.
bool ReadAmount(std::string_view text, const FieldRule& rule, double& value, Outcome& out);

// Helpers for writing outcomes.
std::string Amount(double value);
std::string Percent(double rate);

}  // namespace quorvex::cli
