#include "forms/plan_form.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "forms/computation.h"
#include "forms/messages.h"
#include "tax/amount.h"
#include "tax/planner.h"

namespace quorvex::forms {
namespace {

using What = Step::What;

void Show(Computation& run, const tax::PlanResult::Texts& t) {
  run.Show(Line::kPlanSalary, t.planSalary);
  run.Show(Line::kPlanBonus, t.planBonus);
  run.Show(Line::kPlanSalaryTax, t.planSalaryTax);
  run.Show(Line::kPlanBonusTax, t.planBonusTax);
  run.Show(Line::kPlanTotalTax, t.planTotalTax);
  run.Show(Line::kPlanAfterTax, t.planAfterTax);
  run.Show(Line::kAllSalaryTotalTax, t.allSalaryTotalTax);
  run.Show(Line::kSavingVsAllSalary, t.savingVsAllSalary);
  run.Show(Line::kPlannedTotalTax, t.plannedTotalTax);
  run.Show(Line::kSavingVsPlanned, t.savingVsPlanned);
  run.Show(Line::kPlannedZone, t.plannedZone);
  run.Done();
  run.Focus(Field::kIncome);
}

// The planned bonus: none for an empty field, else an amount of 0 up to the year's pay.
// Returns false when the field is rejected.
bool ReadPlanned(Computation& run, double annual, std::optional<double>& planned) {
  if (run.IsEmpty(Field::kPlannedBonus)) {
    run.Do(What::kWrite, Field::kPlannedBonus, "");
    return true;
  }
  planned = run.Read(Field::kPlannedBonus, kPlannedBonusRule);
  if (!planned) return false;
  if (*planned > annual) {
    run.Reject(Field::kPlannedBonus, forms::messages::kPlannedBonusAboveAnnual);
    return false;
  }
  return true;
}

// The year as the fields give it, or none with the first rejection in `run`.
std::optional<tax::PlanInput> Read(Computation& run) {
  const std::optional<double> annual = run.Read(Field::kIncome, kIncomeRule);
  if (!annual) return std::nullopt;
  if (!(*annual <= tax::kMaxPlanAnnual)) {
    run.Reject(Field::kIncome, forms::messages::kAnnualTooLarge);
    return std::nullopt;
  }
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return std::nullopt;
  std::optional<double> planned;
  if (!ReadPlanned(run, *annual, planned)) return std::nullopt;
  return tax::PlanInput{*annual, *contributions, run.typed().threshold, planned};
}

}  // namespace

Outcome ComputePlan(const PageInput& typed) {
  Outcome out;
  Computation run(CategoryOf(CategoryId::kPlan), typed, out);
  run.Do(What::kClearResults);
  if (const std::optional<tax::PlanInput> in = Read(run)) Show(run, tax::PlanYearEndBonus(*in).Shown());
  return out;
}

std::optional<tax::PlanInput> ReadPlanInput(const PageInput& typed) {
  Outcome out;
  PageInput quiet = typed;
  quiet.steps = false;
  Computation run(CategoryOf(CategoryId::kPlan), quiet, out);
  return Read(run);
}

}  // namespace quorvex::forms
