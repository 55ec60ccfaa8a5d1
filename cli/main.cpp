// quorvex-calc: the tax calculations of the window, one at a time or a whole sheet.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/categories.h"
#include "cli/plan_command.h"
#include "cli/sheet_files.h"

namespace {

using namespace quorvex::cli;
namespace forms = quorvex::forms;

constexpr int kOk = 0;
constexpr int kRejected = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "usage: quorvex-calc CATEGORY [--calc KIND] [--contributions X] [--threshold 3500|4800]\n"
    "                    [--salary S] [--months N] [--json] AMOUNT\n"
    "       quorvex-calc batch [INPUT|-] [-o OUTPUT] [--format csv|jsonl|xlsx] [--input-format csv|jsonl|xlsx]\n"
    "       quorvex-calc --help | --version\n";

void PrintHelp() {
  std::cout << kUsageText
            << "\nComputes Chinese individual income tax (2011-2018 rules) exactly as the Quorvex window does.\n"
               "\nCategories (a key or the window's list text):\n";
  for (const forms::Category& c : forms::Categories()) {
    std::cout << "  " << c.key << "  " << c.listText << "  (";
    const char* separator = "";
    for (std::size_t i = 0; i < forms::kKindCount; ++i) {
      const auto kind = static_cast<forms::Kind>(i);
      if (!c.Offers(kind)) continue;
      std::cout << separator << KindKey(kind);
      separator = ", ";
    }
    std::cout << ")\n";
  }
  std::cout << "\nAMOUNT is the text typed into the page's first amount field; for a reverse kind, the tax\n"
               "or after-tax amount; for salary-bonus, the bonus.\n"
               "Exit status: 0 computed, 1 input rejected, 2 usage error.\n"
               "\nbatch reads CSV (RFC 4180, UTF-8, header row), JSON Lines or an Excel workbook (.xlsx, its\n"
               "first worksheet) with the fields category, calc, amount, salary, contributions, threshold,\n"
               "months, or their Chinese headers (收入类型/类别, 计算方式, 金额/税前收入/税前工资, 工资,\n"
               "五险一金, 起征点, 月数); other fields pass through. Each record gains status, field,\n"
               "message, warning, income and the result columns (in Chinese under Chinese headers).\n";
}

bool IsValueLike(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-' && (arg[1] == '.' || (arg[1] >= '0' && arg[1] <= '9'));
}

std::vector<Field> RecordOf(const Request& r) {
  return {{"category", r.category, ""},
          {"calc", r.calc, ""},
          {"amount", r.amount, ""},
          {"salary", r.salary, ""},
          {"contributions", r.contributions, ""},
          {"threshold", r.threshold, ""},
          {"months", r.months, ""}};
}

int Single(const std::vector<std::string>& args) {
  Request r;
  bool json = false;
  bool haveAmount = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    bool ok = true;
    if (a == "--json")
      json = true;
    else if (a == "--calc")
      ok = value(r.calc);
    else if (a == "--contributions")
      ok = value(r.contributions);
    else if (a == "--threshold")
      ok = value(r.threshold);
    else if (a == "--salary")
      ok = value(r.salary);
    else if (a == "--months")
      ok = value(r.months);
    else if (a == "--" && i + 1 < args.size() && !haveAmount) {
      r.amount = args[++i];
      haveAmount = true;
    } else if (a.rfind("--", 0) == 0 || (a[0] == '-' && a.size() > 1 && !IsValueLike(a))) {
      std::cerr << "quorvex-calc: unknown option " << a << "\n" << kUsageText;
      return kUsage;
    } else if (r.category.empty())
      r.category = a;
    else if (!haveAmount) {
      r.amount = a;
      haveAmount = true;
    } else {
      std::cerr << "quorvex-calc: one amount only\n" << kUsageText;
      return kUsage;
    }
    if (!ok) {
      std::cerr << "quorvex-calc: " << a << " needs a value\n" << kUsageText;
      return kUsage;
    }
  }
  if (r.category.empty() || !haveAmount) {
    std::cerr << kUsageText;
    return kUsage;
  }
  const forms::Category* category = forms::FindCategory(r.category);
  const Outcome out = Calculate(r);
  if (out.problem != Problem::kNone && out.problem != Problem::kInput) {
    std::cerr << "quorvex-calc: " << out.field << ": " << out.message << "\n";
    return kUsage;
  }
  if (json) {
    std::vector<Field> record = RecordOf(r);
    AppendOutcome(record, out);
    WriteJsonRecord(std::cout, record);
    return out.ok ? kOk : kRejected;
  }
  if (!out.ok) {
    std::cerr << "quorvex-calc: " << out.field << ": " << out.message << "\n";
    return kRejected;
  }
  if (!out.income.empty()) std::cout << category->inputs[0].caption << ": " << out.income << "\n";
  for (const forms::ResultLine& line : category->lines) {
    if (*line.group != '\0') std::cout << line.group << ' ';
    std::cout << line.caption << ": " << out[line.line] << "\n";
  }
  if (!out.message.empty()) std::cout << out.message << "\n";
  return kOk;
}

bool ParseFormat(const std::string& text, Format& format) {
  if (text == "csv")
    format = Format::kCsv;
  else if (text == "jsonl" || text == "json")
    format = Format::kJsonLines;
  else if (text == "xlsx")
    format = Format::kXlsx;
  else
    return false;
  return true;
}

Format FormatOfName(const std::string& name, Format fallback) { return FormatOfPath(name).value_or(fallback); }

// A run into a result file, or from a workbook: through the sheet-file runner, which refuses
// a result that is the input itself and replaces the result only when complete.
int FileBatch(const FileJob& job) {
  if (job.output.empty() && job.outFormat == Format::kXlsx) {
    std::cerr << "quorvex-calc: a workbook result needs -o OUTPUT\n";
    return kUsage;
  }
  if (job.input == "-" && job.inFormat == Format::kXlsx) {
    std::cerr << "quorvex-calc: a workbook is read from a file, not standard input\n";
    return kUsage;
  }
  const FileSummary summary =
      job.output.empty() ? RunWorkbookToStream(job.input, std::cout, job.outFormat) : RunSheetFile(job, {}, nullptr);
  if (!summary.ok) {
    std::cerr << "quorvex-calc: " << summary.error << "\n";
    return kRejected;
  }
  std::cerr << "quorvex-calc: " << summary.records << " records, " << summary.rejected << " rejected\n";
  return kOk;
}

int Batch(const std::vector<std::string>& args) {
  std::string input = "-";
  std::string output;
  std::string format;
  std::string inputFormat;
  bool haveInput = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* into = nullptr;
    if (a == "-o" || a == "--output")
      into = &output;
    else if (a == "--format")
      into = &format;
    else if (a == "--input-format")
      into = &inputFormat;
    else if (a != "-" && a.rfind('-', 0) == 0) {
      std::cerr << "quorvex-calc: unknown option " << a << "\n";
      return kUsage;
    } else if (!haveInput) {
      input = a;
      haveInput = true;
      continue;
    } else {
      std::cerr << "quorvex-calc: one input only\n";
      return kUsage;
    }
    if (i + 1 >= args.size()) {
      std::cerr << "quorvex-calc: " << a << " needs a value\n";
      return kUsage;
    }
    *into = args[++i];
  }
  Format inFormat = FormatOfName(input, Format::kCsv);
  if (!inputFormat.empty() && !ParseFormat(inputFormat, inFormat)) {
    std::cerr << "quorvex-calc: unknown input format " << inputFormat << "\n";
    return kUsage;
  }
  Format outFormat = output.empty() ? inFormat : FormatOfName(output, inFormat);
  if (!format.empty() && !ParseFormat(format, outFormat)) {
    std::cerr << "quorvex-calc: unknown format " << format << "\n";
    return kUsage;
  }

  if (inFormat == Format::kXlsx || outFormat == Format::kXlsx || !output.empty())
    return FileBatch({input, output, inFormat, outFormat});

  std::ifstream file;
  if (input != "-") {
    file.open(input, std::ios::binary);
    if (!file) {
      std::cerr << "quorvex-calc: cannot read " << input << "\n";
      return kRejected;
    }
  }
  std::istream& in = input == "-" ? std::cin : file;
  const BatchResult result = RunBatch(in, inFormat, std::cout, outFormat);
  std::cout.flush();
  if (!result.error.empty()) {
    std::cerr << "quorvex-calc: " << (input == "-" ? "standard input" : input) << ": " << result.error << "\n";
    return kRejected;
  }
  std::cerr << "quorvex-calc: " << result.records << " records, " << result.rejected << " rejected\n";
  return kOk;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsageText;
    return kUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintHelp();
    return kOk;
  }
  if (args[0] == "--version") {
    std::cout << "quorvex-calc " << QUORVEX_VERSION << "\n";
    return kOk;
  }
  if (args[0] == "batch") return Batch({args.begin() + 1, args.end()});
  if (args[0] == "plan") return RunPlanCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
  return Single(args);
}
