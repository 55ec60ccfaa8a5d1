// The sheet readers and the whole batch path on arbitrary input, in both formats: never
// crash, never hang, and every record read yields one record written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "cli/batch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using quorvex::cli::Format;
  const Format in = (data[0] & 1) != 0 ? Format::kJsonLines : Format::kCsv;
  const Format out = (data[0] & 2) != 0 ? Format::kJsonLines : Format::kCsv;
  std::istringstream input(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::ostringstream output;
  const quorvex::cli::BatchResult r = quorvex::cli::RunBatch(input, in, output, out);
  if (r.rejected > r.records) std::abort();
  if (r.records > 0 && output.str().empty()) std::abort();
  return 0;
}
