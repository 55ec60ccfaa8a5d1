// Reading a typed amount exactly as the pages read their fields.
#pragma once

#include <string>
#include <string_view>

#include "cli/record.h"

namespace quorvex::cli {

enum class Rule { kPositive, kNonNegative };

struct FieldRule {
  const char* field;  // the record's name for the input ("amount", "salary", "contributions")
  Rule rule;
  bool emptyAsZero;
  const char* invalidText;
  const char* rangeText;
};

// ReadAmount() trims characters of code 32 or less at both ends, counts an empty text as
// zero where the field does, parses and checks the rule. On failure `out` is marked
// rejected with the field's name and text, and false is returned.
bool ReadAmount(std::string_view text, const FieldRule& rule, double& value, Outcome& out);

// Helpers for writing outcomes.
std::string Amount(double value);
std::string Percent(double rate);

}  // namespace quorvex::cli
