#include "cli/record_calc.h"

#include "cli/categories.h"

namespace quorvex::cli {

Outcome ComputeRecord(const Record& record) {
  if (!record.error.empty()) {
    Outcome bad;
    bad.field = "record";
    bad.message = record.error;
    return bad;
  }
  return Calculate(RequestOf(record));
}

}  // namespace quorvex::cli
