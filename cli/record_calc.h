// The one place where a record of a sheet meets the calculation.
#pragma once

#include "cli/record.h"
#include "cli/sheet_format.h"

namespace quorvex::cli {

// ComputeRecord() is the outcome of a record: the calculation of its request fields, or for
// a malformed record, a rejection with `field` = "record" and the reason as its message.
Outcome ComputeRecord(const Record& record);

}  // namespace quorvex::cli
