// The one place where a record of a sheet meets the calculation.
#pragma once

#include "sheets/record.h"
#include "sheets/sheet_format.h"

namespace quorvex::sheets {

// ComputeRecord() is the outcome of a record: the calculation of its request fields, or for
// a malformed record, a rejection with `field` = "record" and the reason as its message.
// The outcome is written into `out`, which a worker keeps from record to record; its message
// may view the record's error text. `cells`: the record is a row of a table (CSV, a workbook),
// whose amount cells are read as a spreadsheet shows them when the page would not take them
// ("￥8,000.00"); JSON Lines values are taken as typed.
void ComputeRecord(const Record& record, RecordOutcome& out, bool cells);

}  // namespace quorvex::sheets
