#include "forms/plan_form.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "tax/amount.h"
#include "tax/messages.h"
#include "tax/planner.h"

namespace quorvex::forms {
namespace {

using What = Step::What;

class PlanRun {
 public:
  explicit PlanRun(const Typed& typed) : typed_(typed) {}

  void Do(What what, Field field = Field::kIncome, std::string_view text = {}) {
    if (out_.stepCount < out_.steps.size()) out_.steps[out_.stepCount++] = Step{what, field, std::string(text)};
  }

  // The trimmed text (or "0.00") is written back into the field; a rejected amount ends the
  // calculation with its message beside the field.
  std::optional<double> Read(Field field, const FieldRule& rule) {
    const Reading r = ReadAmount(typed_[field], rule);
    Do(What::kWrite, field, r.text);
    if (r.message != nullptr) {
      Reject(field, r.message);
      return std::nullopt;
    }
    return r.value;
  }

  bool IsEmpty(Field field) const { return tax::TrimAmountText(typed_[field]).empty(); }

  void Reject(Field field, std::string_view message) {
    out_.computed = false;
    out_.message = message;
    out_.messageField = field;
    Focus(field);
  }

  void Focus(Field field) {
    out_.focus = true;
    out_.focusField = field;
  }

  void Show(const tax::PlanResult::Texts& t) {
    out_[Line::kPlanSalary] = t.planSalary;
    out_[Line::kPlanBonus] = t.planBonus;
    out_[Line::kPlanSalaryTax] = t.planSalaryTax;
    out_[Line::kPlanBonusTax] = t.planBonusTax;
    out_[Line::kPlanTotalTax] = t.planTotalTax;
    out_[Line::kPlanAfterTax] = t.planAfterTax;
    out_[Line::kAllSalaryTotalTax] = t.allSalaryTotalTax;
    out_[Line::kSavingVsAllSalary] = t.savingVsAllSalary;
    out_[Line::kPlannedTotalTax] = t.plannedTotalTax;
    out_[Line::kSavingVsPlanned] = t.savingVsPlanned;
    out_[Line::kPlannedZone] = t.plannedZone;
    out_.computed = true;
    Focus(Field::kIncome);
  }

  double threshold() const { return typed_.threshold; }
  Outcome Take() { return std::move(out_); }

 private:
  const Typed& typed_;
  Outcome out_;
};

// The planned bonus: none for an empty field, else an amount of 0 up to the year's pay.
// Returns false when the field is rejected.
bool ReadPlanned(PlanRun& run, double annual, std::optional<double>& planned) {
  if (run.IsEmpty(Field::kPlannedBonus)) {
    run.Do(What::kWrite, Field::kPlannedBonus, "");
    return true;
  }
  planned = run.Read(Field::kPlannedBonus, kPlannedBonusRule);
  if (!planned) return false;
  if (*planned > annual) {
    run.Reject(Field::kPlannedBonus, tax::messages::kPlannedBonusAboveAnnual);
    return false;
  }
  return true;
}

}  // namespace

Outcome ComputePlan(const Typed& typed) {
  PlanRun run(typed);
  run.Do(What::kClearResults);
  const std::optional<double> annual = run.Read(Field::kIncome, kIncomeRule);
  if (!annual) return run.Take();
  if (!(*annual <= tax::kMaxPlanAnnual)) {
    run.Reject(Field::kIncome, tax::messages::kAnnualTooLarge);
    return run.Take();
  }
  const std::optional<double> contributions = run.Read(Field::kContributions, kContributionsRule);
  if (!contributions) return run.Take();
  std::optional<double> planned;
  if (!ReadPlanned(run, *annual, planned)) return run.Take();
  run.Show(tax::PlanYearEndBonus({*annual, *contributions, run.threshold(), planned}).Shown());
  return run.Take();
}

}  // namespace quorvex::forms
