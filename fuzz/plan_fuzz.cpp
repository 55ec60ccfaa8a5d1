// The year-end bonus planner's form on arbitrary typed texts: never crash and never trip a
// sanitizer. A rejected plan shows no line and says why beside one of its fields, which takes
// the focus. A computed plan shows every figure (the planned bonus's only when one was
// typed), splits the year into a bonus of 0 up to the year's pay, never pays more tax than
// paying everything as salary or the planned bonus, and never shows a negative saving.
//
// Input: a byte whose low bit picks the threshold 4800, then the typed texts of the year's
// pay, the contributions and the planned bonus, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "forms/plan_form.h"
#include "tax/amount.h"

namespace {

using namespace quorvex::forms;
using quorvex::tax::ParseAmount;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsFigure(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
  return ParseAmount(text).has_value();
}

double Figure(const Outcome& out, Line line) { return *ParseAmount(out[line]); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  PageInput typed;
  typed.threshold = (data[0] & 1) != 0 ? 4800 : 3500;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  for (Field f : {Field::kIncome, Field::kContributions, Field::kPlannedBonus}) {
    const size_t end = rest.find('\0');
    typed[f] = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  }

  const Outcome out = ComputePlan(typed);
  Check(out.focus);
  if (!out.computed) {
    Check(!out.message.empty() && out.messageField == out.focusField);
    for (const std::string& line : out.lines) Check(line.empty());
    return 0;
  }
  Check(out.focusField == Field::kIncome);
  const bool planned = !quorvex::tax::TrimAmountText(typed[Field::kPlannedBonus]).empty();
  for (Line line : {Line::kPlanSalary, Line::kPlanBonus, Line::kPlanSalaryTax, Line::kPlanBonusTax, Line::kPlanTotalTax,
                    Line::kPlanAfterTax, Line::kAllSalaryTotalTax, Line::kSavingVsAllSalary}) {
    Check(IsFigure(out[line]));
  }
  Check(IsFigure(out[Line::kPlannedTotalTax]) == planned && IsFigure(out[Line::kSavingVsPlanned]) == planned);
  const double annual = *ParseAmount(quorvex::tax::TrimAmountText(typed[Field::kIncome]));
  Check(Figure(out, Line::kPlanBonus) <= annual + 0.005);
  // Totals that tie may round to neighbouring fen.
  Check(Figure(out, Line::kPlanTotalTax) <= Figure(out, Line::kAllSalaryTotalTax) + 0.011);
  if (planned) Check(Figure(out, Line::kPlanTotalTax) <= Figure(out, Line::kPlannedTotalTax) + 0.011);
  return 0;
}
