// One calculation request and its outcome, as the command line and the batch formats carry
// them. Every outcome text is exactly what the category's page shows.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quorvex::cli {

struct Request {
  std::string category;       // a category key ("salary") or its list text ("工资、薪金所得")
  std::string calc;           // "forward" (also when empty), "from-tax", "from-take-home", "from-after-tax"
  std::string amount;         // the text typed into the page's first amount field (or the reverse field)
  std::string salary;         // salary-and-bonus page: the month's salary
  std::string contributions;  // empty counts as 0
  std::string threshold;      // empty is 3500
  std::string months;         // empty is 12
};

// Result lines, in output order.
enum class Line {
  kAllowance,
  kMonthlyAverage,
  kTaxableIncome,
  kRate,
  kQuickDeduction,
  kTax,
  kAfterTax,
  kSalaryTax,
  kSalaryAfterTax,
  kBonusTax,
  kBonusAfterTax,
  kTotalTax,
  kTotalAfterTax,
  kCount
};

inline constexpr std::array<std::string_view, static_cast<size_t>(Line::kCount)> kLineKeys{
    "allowance",      "monthly_average", "taxable_income",   "rate",      "quick_deduction", "tax",
    "after_tax",      "salary_tax",      "salary_after_tax", "bonus_tax", "bonus_after_tax", "total_tax",
    "total_after_tax"};

struct Outcome {
  bool ok = false;
  std::string field;     // rejected: the input concerned ("amount", "salary", "contributions", ...)
  std::string message;   // the page's red text: input error, no-tax notice or blind-zone text
  bool warning = false;  // the page would show the blind-zone warning box
  std::string income;    // reverse calculations: the text written into the income field
  std::array<std::string, static_cast<size_t>(Line::kCount)> lines;  // empty: no such line

  std::string& operator[](Line l) { return lines[static_cast<size_t>(l)]; }
  const std::string& operator[](Line l) const { return lines[static_cast<size_t>(l)]; }
};

// A shown line of a page: its caption and which outcome text it shows.
struct ShownLine {
  const char* caption;
  Line line;
};

}  // namespace quorvex::cli
