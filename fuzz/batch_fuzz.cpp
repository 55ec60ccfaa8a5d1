// The sheet engine on arbitrary input, for every pair of formats and with one or two
// threads: never crash, never hang, and every record read is written, rejected ones
// counted; a run either succeeds or says why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sheets/engine/sheet_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using quorvex::sheets::Format;
  const Format in = (data[0] & 1) != 0 ? Format::kJsonLines : Format::kCsv;
  const Format out = (data[0] & 2) != 0 ? Format::kJsonLines : Format::kCsv;
  const unsigned threads = (data[0] & 4) != 0 ? 2 : 1;
  const auto encoding = (data[0] & 8) != 0 ? quorvex::sheets::Encoding::kGb18030 : quorvex::sheets::Encoding::kAuto;
  quorvex::sheets::MemorySource source(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  quorvex::sheets::StringSink sink;
  const quorvex::sheets::EngineResult r =
      quorvex::sheets::ComputeSheet(source, sink, {in, out, encoding, threads}, {}, nullptr);
  if (r.rejected > r.records) std::abort();
  if (r.records > 0 && sink.text.empty()) std::abort();
  if (!r.error.failed() && out == Format::kJsonLines) {
    // One line per record.
    std::size_t lines = 0;
    for (char c : sink.text) lines += c == '\n' ? 1 : 0;
    if (lines != r.records) std::abort();
  }
  return 0;
}
