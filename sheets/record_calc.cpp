#include "sheets/record_calc.h"

#include "sheets/categories.h"

namespace quorvex::sheets {

void ComputeRecord(const Record& record, RecordOutcome& out) {
  if (!record.error.empty()) {
    out = RecordOutcome();
    out.field = "record";
    out.message = record.error;
    return;
  }
  ComputeRequest(RequestOf(record), out);
}

}  // namespace quorvex::sheets
