// One calculation request and its outcome, as the command line and the batch formats carry
// them. Every outcome text is exactly what the category's page shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/categories.h"
#include "forms/compute.h"

namespace quorvex::sheets {

// The texts of a request, viewed where the caller keeps them (arguments, a sheet's block).
struct Request {
  std::string_view category;       // a category key ("salary") or its list text ("工资、薪金所得")
  std::string_view calc;           // "forward" (also when empty), "from-tax", "from-take-home", "from-after-tax"
  std::string_view amount;         // the text typed into the page's first amount field (or the reverse field)
  std::string_view salary;         // salary-and-bonus page: the month's salary
  std::string_view contributions;  // empty counts as 0
  std::string_view threshold;      // empty is the usual threshold
  std::string_view months;         // empty is a whole year
  std::string_view plannedBonus;   // the planner: the bonus the employer intends now; empty for none
};

using forms::kLineCount;
using forms::kLineKeys;
using forms::Line;

// Why a request was not computed: an input the page rejects (a record's problem), or a
// category, kind, threshold or month count that no page offers (a usage error on the
// command line).
enum class Problem : std::uint8_t { kNone, kInput, kCategory, kCalc, kThreshold, kMonths };

struct RecordOutcome {
  bool ok = false;
  Problem problem = Problem::kNone;
  std::string_view field;    // rejected: the input concerned ("amount", "salary", "contributions", ...)
  std::string_view message;  // the page's red text: input error, no-tax notice or blind-zone text
  bool warning = false;      // the page would show the blind-zone warning box
  // A table's totals row (its first cell 合计, 小计 or 总计, no category of its own): passed
  // through as it is, neither computed nor an error.
  bool totals = false;
  forms::Outcome page;  // what the page shows: the income it wrote and the result lines

  // Reverse calculations: the text written into the income field.
  [[nodiscard]] const std::string& income() const { return page.income; }
  // The result lines' texts; empty: no such line.
  [[nodiscard]] const std::array<std::string, kLineCount>& lines() const { return page.lines; }
  const std::string& operator[](Line l) const { return page[l]; }
};

}  // namespace quorvex::sheets
