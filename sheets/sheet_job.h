// A whole sheet from a file (or standard input) to a file (or standard output): the entry
// point of `quorvex-calc batch` and of the window's batch dialog. Qt-free.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sheets/engine/sheet_engine.h"
#include "sheets/engine/sheet_format.h"
#include "sheets/output_file.h"
#include "sheets/sheet_error.h"
#include "sheets/text/sheet_text.h"

namespace quorvex::sheets {

struct SheetJob {
  std::string input = "-";   // "-": standard input
  std::string output = "-";  // "-": standard output
  Format inFormat = Format::kCsv;
  Format outFormat = Format::kCsv;
  Encoding encoding = Encoding::kAuto;
  unsigned threads = 0;  // 0: one per core
  // A workbook's worksheet to compute, by name; empty: every shown worksheet with a header row.
  std::string sheet = {};
};

struct SheetSummary {
  std::uint64_t records = 0;
  std::uint64_t rejected = 0;
  std::uint64_t totals = 0;  // totals rows passed through, not among the records
  bool ok = false;           // the whole input was read and the whole output written
  bool cancelled = false;    // stopped through `cancel`
  SheetError error;          // why not ok; its Text() names the file
  // A workbook's worksheets computed, in order, and those left out, each with why ("参数（隐藏）").
  std::vector<std::string> sheets;
  std::vector<std::string> skippedSheets;
};

// RunSheet() computes every record of the job's input into its output. A regular output
// file is written to a new temporary file beside it and renamed over it only when the whole
// input was read and the whole output written and flushed to disk; on failure or
// cancellation the target is left as it was and the temporary file removed. A device, FIFO
// or standard output is written directly. `progress` may be empty; it is called at most
// about ten times a second. `cancel` may be null.
SheetSummary RunSheet(const SheetJob& job, const ProgressFunction& progress, const std::atomic<bool>* cancel);

}  // namespace quorvex::sheets
