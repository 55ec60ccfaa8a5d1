#include "sheets/record_calc.h"

#include "sheets/categories.h"

namespace quorvex::sheets {

void ComputeRecord(const Record& record, Outcome& out) {
  if (!record.error.empty()) {
    out = Outcome();
    out.field = "record";
    out.message = record.error;
    return;
  }
  Calculate(RequestOf(record), out);
}

}  // namespace quorvex::sheets
