// The one place where a record of a sheet meets the calculation.
#pragma once

#include "sheets/engine/record.h"
#include "sheets/engine/sheet_format.h"

namespace quorvex::sheets {

// ComputeRecord() is the outcome of a record: the calculation of its request fields, or for
// a malformed record, a rejection with `field` = "record" and the reason as its message.
// The outcome is written into `out`, which a worker keeps from record to record; its message
// may view the record's error text. A row of a table (CSV, a workbook) has its amount cells
// read as a spreadsheet shows them when the page would not take them ("￥8,000.00"); JSON Lines
// values are taken as typed. A workbook's row whose cell the calculation reads is a formula
// without a saved result is refused, naming the cell.
void ComputeRecord(const Record& record, const Layout& layout, RecordOutcome& out);

}  // namespace quorvex::sheets
