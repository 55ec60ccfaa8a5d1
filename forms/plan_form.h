// The year-end bonus planner's form: the window's dialog and quorvex-calc's plan command both
// read, check and show through it.
#pragma once

#include <optional>

#include "forms/compute.h"
#include "tax/planner.h"

namespace quorvex::forms {

// ComputePlan() reads the planner's fields as the pages read theirs, in this order: the
// year's pay (greater than 0, and at most tax::kMaxPlanAnnual), the monthly contributions
// (0 or more; an empty field counts as 0 and is filled with "0.00") and the planned bonus (an
// empty field plans none; otherwise 0 up to the year's pay). The first rejection ends it with
// its message beside the field, which takes the focus. Otherwise every plan line is shown
// (the planned bonus's lines empty when none was typed) and the focus goes back to the year's
// pay. Compute() runs it for the plan category.
[[nodiscard]] Outcome ComputePlan(const PageInput& typed);

// ReadPlanInput() is the year ComputePlan() plans from the same texts, or none when it rejects
// one of them.
[[nodiscard]] std::optional<tax::PlanInput> ReadPlanInput(const PageInput& typed);

}  // namespace quorvex::forms
