#include "cli/record_calc.h"

#include "cli/categories.h"

namespace quorvex::cli {

void ComputeRecord(const Record& record, Outcome& out) {
  if (!record.error.empty()) {
    out = Outcome();
    out.field = "record";
    out.message = record.error;
    return;
  }
  Calculate(RequestOf(record), out);
}

}  // namespace quorvex::cli
