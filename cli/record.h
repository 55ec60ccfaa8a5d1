// One calculation request and its outcome, as the command line and the batch formats carry
// them. Every outcome text is exactly what the category's page shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/categories.h"

namespace quorvex::cli {

struct Request {
  std::string category;       // a category key ("salary") or its list text ("工资、薪金所得")
  std::string calc;           // "forward" (also when empty), "from-tax", "from-take-home", "from-after-tax"
  std::string amount;         // the text typed into the page's first amount field (or the reverse field)
  std::string salary;         // salary-and-bonus page: the month's salary
  std::string contributions;  // empty counts as 0
  std::string threshold;      // empty is the usual threshold
  std::string months;         // empty is a whole year
  std::string plannedBonus;   // the planner: the bonus the employer intends now; empty for none
};

using forms::kLineCount;
using forms::kLineKeys;
using forms::Line;

// Why a request was not computed: an input the page rejects (a record's problem), or a
// category, kind, threshold or month count that no page offers (a usage error on the
// command line).
enum class Problem : std::uint8_t { kNone, kInput, kCategory, kCalc, kThreshold, kMonths };

struct Outcome {
  bool ok = false;
  Problem problem = Problem::kNone;
  std::string field;     // rejected: the input concerned ("amount", "salary", "contributions", ...)
  std::string message;   // the page's red text: input error, no-tax notice or blind-zone text
  bool warning = false;  // the page would show the blind-zone warning box
  std::string income;    // reverse calculations: the text written into the income field
  std::array<std::string, kLineCount> lines;  // empty: no such line

  std::string& operator[](Line l) { return lines[static_cast<size_t>(l)]; }
  const std::string& operator[](Line l) const { return lines[static_cast<size_t>(l)]; }
};

}  // namespace quorvex::cli
