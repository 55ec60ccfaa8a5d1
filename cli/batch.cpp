#include "cli/batch.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/cli_messages.h"
#include "sheets/sheet_job.h"
#include "sheets/sheet_messages.h"
#include "sheets/text/json_line.h"
#include "sheets/workbook/sheet_template.h"

namespace quorvex::cli {
using namespace quorvex::sheets;
namespace {

const char kBatchUsage[] =
    "用法：quorvex-calc batch [INPUT|-] [-o OUTPUT|-] [--format csv|jsonl|xlsx]\n"
    "                         [--input-format csv|jsonl|xlsx] [--sheet NAME]\n"
    "                         [--encoding utf-8|gb18030] [-j N] [--quiet]\n";

bool ParseFormat(const std::string& text, Format& format) {
  if (text == "csv") {
    format = Format::kCsv;
  } else if (text == "jsonl" || text == "json") {
    format = Format::kJsonLines;
  } else if (text == "xlsx") {
    format = Format::kXlsx;
  } else {
    return false;
  }
  return true;
}

// The progress line on a terminal, once the run has taken more than a second.
class ProgressLine {
 public:
  void Show(const SheetProgress& p) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (seconds < 1.0) return;
    const double rate = static_cast<double>(p.records) / seconds;
    double done = -1;
    long left = -1;
    if (p.bytesTotal > 0) {
      done = static_cast<double>(p.bytesRead) / static_cast<double>(p.bytesTotal);
      if (done > 0) left = std::lround(seconds / done - seconds);
    }
    std::string line = "\rquorvex-calc: " + messages::Progress(done, p.records, static_cast<std::uint64_t>(rate), left);
    line += "\033[K";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    shown_ = true;
  }
  void Clear() const {
    if (shown_) std::fputs("\r\033[K", stderr);
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  bool shown_ = false;
};

struct BatchArgs {
  SheetJob job;
  bool quiet = false;
};

// Reads the arguments into `args`; false (with the message printed) on a usage error.
bool ReadArgs(const std::vector<std::string>& argv, BatchArgs& args) {
  std::string format;
  std::string inputFormat;
  std::string encoding;
  std::optional<std::string> jobs;
  bool haveInput = false;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    std::string* into = nullptr;
    if (a == "-o" || a == "--output") {
      into = &args.job.output;
    } else if (a == "--format") {
      into = &format;
    } else if (a == "--input-format") {
      into = &inputFormat;
    } else if (a == "--encoding") {
      into = &encoding;
    } else if (a == "--sheet") {
      into = &args.job.sheet;
    } else if (a == "-j" || a == "--jobs") {
      into = &jobs.emplace();
    } else if (a.size() > 2 && a.rfind("-j", 0) == 0) {
      jobs = a.substr(2);
      continue;
    } else if (a == "-q" || a == "--quiet") {
      args.quiet = true;
      continue;
    } else if (a != "-" && a.rfind('-', 0) == 0) {
      std::cerr << "quorvex-calc: " << messages::UnknownOption(a) << "\n" << kBatchUsage;
      return false;
    } else if (!haveInput) {
      args.job.input = a;
      haveInput = true;
      continue;
    } else {
      std::cerr << "quorvex-calc: " << messages::kOneInputOnly << "\n" << kBatchUsage;
      return false;
    }
    if (i + 1 >= argv.size()) {
      std::cerr << "quorvex-calc: " << messages::NeedsValue(a) << "\n" << kBatchUsage;
      return false;
    }
    *into = argv[++i];
  }
  args.job.inFormat = InputFormatOfPath(args.job.input).value_or(Format::kCsv);
  if (!inputFormat.empty() && !ParseFormat(inputFormat, args.job.inFormat)) {
    std::cerr << "quorvex-calc: " << messages::UnknownFormat(inputFormat) << "\n";
    return false;
  }
  // A workbook's records go to standard output as CSV.
  const Format sameAsInput =
      args.job.inFormat == Format::kXlsx && args.job.output == "-" ? Format::kCsv : args.job.inFormat;
  args.job.outFormat = FormatOfPath(args.job.output).value_or(sameAsInput);
  if (!format.empty() && !ParseFormat(format, args.job.outFormat)) {
    std::cerr << "quorvex-calc: " << messages::UnknownFormat(format) << "\n";
    return false;
  }
  if (format.empty() && NamesUnwrittenWorkbook(args.job.output)) {
    std::cerr << "quorvex-calc: " << sheets::messages::CannotWrite(args.job.output, sheets::messages::kResultFormats)
              << "\n";
    return false;
  }
  if (args.job.inFormat == Format::kXlsx && args.job.input == "-") {
    std::cerr << "quorvex-calc: " << sheets::messages::kWorkbookFromStandardInput << "\n" << kBatchUsage;
    return false;
  }
  if (args.job.outFormat == Format::kXlsx && args.job.output == "-") {
    std::cerr << "quorvex-calc: " << sheets::messages::kWorkbookToStandardOutput << "\n" << kBatchUsage;
    return false;
  }
  if (encoding == "gb18030" || encoding == "gbk") {
    args.job.encoding = Encoding::kGb18030;
  } else if (encoding == "utf-8" || encoding == "utf8") {
    args.job.encoding = Encoding::kUtf8;
  } else if (!encoding.empty()) {
    std::cerr << "quorvex-calc: " << messages::UnknownEncoding(encoding) << "\n";
    return false;
  }
  if (jobs) {
    if (jobs->find_first_not_of("0123456789") != std::string::npos ||
        jobs->find_first_not_of('0') == std::string::npos) {
      std::cerr << "quorvex-calc: " << messages::kBadThreadCount << "\n";
      return false;
    }
    // More threads than the engine starts (at most 8) are as many as it starts.
    args.job.threads = jobs->size() > 3 ? 1000 : static_cast<unsigned>(std::stoul(*jobs));
  }
  return true;
}

}  // namespace

int BatchCommand(const std::vector<std::string>& args) {
  BatchArgs batch;
  if (!ReadArgs(args, batch)) return kExitError;
  RemoveTemporaryOutputOnSignals();
  ProgressLine line;
  ProgressFunction progress;
  if (!batch.quiet && isatty(STDERR_FILENO) != 0) progress = [&line](const SheetProgress& p) { line.Show(p); };
  const SheetSummary summary = RunSheet(batch.job, progress, nullptr);
  line.Clear();
  if (!summary.ok) {
    std::cerr << "quorvex-calc: " << summary.error.Text() << "\n";
    return kExitError;
  }
  if (!batch.quiet) {
    std::cerr << "quorvex-calc: "
              << messages::Summary(summary.records, summary.rejected, summary.totals, summary.sheets,
                                   summary.skippedSheets)
              << "\n";
  }
  return summary.rejected > 0 ? kExitRejected : kExitOk;
}

std::string RecordJson(const std::vector<std::pair<std::string_view, std::string_view>>& fields,
                       const RecordOutcome& outcome) {
  Layout layout;
  layout.in = Format::kCsv;
  layout.out = Format::kJsonLines;
  Record record;
  for (const auto& [key, text] : fields) {
    layout.names.emplace_back(key);
    FieldRef f;
    f.raw = f.text = text;
    record.fields.push_back(f);
  }
  Written out;
  JsonLinesWriter(layout).Write(record, outcome, out);
  return std::string(out.text.View());
}

std::string RecordJson(const Request& request, const RecordOutcome& outcome) {
  return RecordJson({{"category", request.category},
                     {"calc", request.calc},
                     {"amount", request.amount},
                     {"salary", request.salary},
                     {"contributions", request.contributions},
                     {"threshold", request.threshold},
                     {"months", request.months}},
                    outcome);
}

}  // namespace quorvex::cli
