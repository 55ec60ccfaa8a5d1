// A whole sheet from one file to another, in any of the formats (CSV, JSON Lines, Excel
// workbook), with progress and cancellation. The result is written under a temporary name
// beside the result file and renamed into place only when complete: a failed or cancelled
// run leaves the result file as it was.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "cli/batch.h"

namespace quorvex::cli {

struct FileJob {
  std::string input;  // "-": standard input (not for a workbook)
  std::string output;
  Format inFormat = Format::kCsv;
  Format outFormat = Format::kCsv;
};

struct FileProgress {
  std::uint64_t bytesRead = 0;
  std::uint64_t bytesTotal = 0;  // 0 when unknown
  std::uint64_t records = 0;
};

struct FileSummary {
  std::uint64_t records = 0;
  std::uint64_t rejected = 0;
  bool ok = false;
  bool cancelled = false;
  std::string error;  // names the file concerned and the reason
};

// FormatOfPath() takes the format from a file name's extension (.csv, .jsonl/.json/.ndjson,
// .xlsx), case-insensitively; nullopt for any other.
std::optional<Format> FormatOfPath(const std::string& path);

// RunSheetFile() computes every record of `job.input` into `job.output`. `progress` (may be
// empty) is called now and then from the running thread; `cancel` (may be null), once set,
// stops the run at the next record.
FileSummary RunSheetFile(const FileJob& job, const std::function<void(const FileProgress&)>& progress,
                         const std::atomic<bool>* cancel);

// RunWorkbookToStream() computes every record of the workbook at `input` onto `out` as CSV
// or JSON Lines.
FileSummary RunWorkbookToStream(const std::string& input, std::ostream& out, Format outFormat);

// WriteSheetTemplate() writes an Excel workbook to fill in: a 姓名 column and the Chinese
// headers of the input fields, and one example row for each category. Empty on success,
// else the error naming the file; the file is written whole or not at all.
std::string WriteSheetTemplate(const std::string& path);

}  // namespace quorvex::cli
