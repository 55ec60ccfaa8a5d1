// How the pages show a schedule row: its rate and its quick deduction.
#pragma once

#include <string>

#include "tax/business.h"
#include "tax/wage.h"

namespace quorvex::tax {

struct RowTexts {
  std::string rate;
  std::string quickDeduction;
};

// ShowRow() writes the rate as FormatPercent() does and the quick deduction as an amount
// ("10%", "105.00") for a row of the monthly wage or labour schedule, in whole yuan ("10%",
// "750") for a row of the annual business schedule.
[[nodiscard]] RowTexts ShowRow(const ScheduleRow& row);
[[nodiscard]] RowTexts ShowRow(const BusinessRow& row);

}  // namespace quorvex::tax
