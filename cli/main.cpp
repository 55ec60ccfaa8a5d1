// quorvex-calc: the tax calculations of the window, one at a time or a whole sheet.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cli_messages.h"
#include "cli/plan_command.h"
#include "sheets/compute_request.h"
#include "sheets/sheet_job.h"
#include "sheets/sheet_messages.h"
#include "sheets/sheet_template.h"

namespace {

using namespace quorvex::cli;
using namespace quorvex::sheets;
namespace forms = quorvex::forms;
namespace sheets = quorvex::sheets;
namespace cli_messages = quorvex::cli::messages;

constexpr int kOk = kExitOk;
constexpr int kRejected = kExitRejected;
constexpr int kUsage = kExitError;

const char kUsageText[] =
    "用法：quorvex-calc CATEGORY [--calc KIND] [--contributions X] [--threshold 3500|4800]\n"
    "                   [--salary S] [--months N] [--json] AMOUNT\n"
    "      quorvex-calc batch [INPUT|-] [-o OUTPUT|-] [--format csv|jsonl|xlsx]\n"
    "                         [--input-format csv|jsonl|xlsx] [--sheet NAME]\n"
    "                         [--encoding utf-8|gb18030] [-j N] [--quiet]\n"
    "      quorvex-calc plan ANNUAL [--contributions X] [--threshold 3500|4800]\n"
    "                        [--planned-bonus P] [--curve] [--json]\n"
    "      quorvex-calc template FILE.xlsx\n"
    "      quorvex-calc --help | --version\n";

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
      std::cout << separator << KindKey(kind) << ' ' << forms::kKindNames[i];
      separator = ", ";
    }
    std::cout << ")\n";
  }
  std::cout << "\nAMOUNT is the text typed into the page's first amount field; for a reverse kind, the tax\n"
               "or after-tax amount; for salary-bonus, the bonus.\n"
               "Exit status: 0 computed, 1 input rejected, 2 usage error or a failed read or write.\n"
               "\nbatch reads CSV (RFC 4180, UTF-8 or GB18030, header row), JSON Lines or an Excel workbook\n"
               "(.xlsx, .xls, from a file) with the fields category, calc, amount, salary,\n"
               "contributions, threshold, months, or their Chinese headers (收入类型, 计算方式, 金额, ...);\n"
               "other fields pass through. Each record gains status, field, message, warning, income and\n"
               "the result columns (in Chinese under Chinese headers).\n"
               "The header is the first row of the first 20 that names a category and an amount column;\n"
               "rows above it (a title) stay above a workbook result and are left out of CSV and JSON Lines.\n"
               "Every shown worksheet with such a row is computed, in order, into a sheet of its name (a\n"
               "workbook result) or under a leading column sheet/工作表 (CSV, JSON Lines, when several);\n"
               "hidden sheets and sheets without one are skipped and named. --sheet NAME computes that\n"
               "worksheet alone.\n"
               "batch exits with 0 when every record was computed, 1 when some record was rejected,\n"
               "2 on a usage, reading or writing error (the output file is then left as it was), told in\n"
               "Chinese after the file's name: 无法读取/无法写入 FILE：the system's reason (or 文件正被其他程序\n"
               "打开, 文件是只读的, 文件还有别的名字（硬链接）); 表格没有表头行; 表格没有“收入类型”列 / “金额”列;\n"
               "第 N 个字节不是 UTF-8 文字; 第 N 行的记录中有一个引号没有配对; 已损坏…; 请在 Excel/WPS 中另存为\n"
               ".xlsx 或 CSV 后再计算. quorvex-calc(1), DIAGNOSTICS, lists them all.\n"
               "\nplan splits a year's pay ANNUAL between a monthly salary and a year-end bonus for the least\n"
               "tax, as the window's 年终奖筹划 does (quorvex-calc plan --help tells more).\n"
               "\ntemplate writes the window's 保存模板 workbook to FILE: the Chinese headers, an example row\n"
               "of every category, drop-down lists of 收入类型, 计算方式 and 起征点. It exits with 0, or 2\n"
               "when FILE cannot be written (a read-only file or one an office program holds is kept).\n";
}

int TemplateCommand(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    std::cerr << "quorvex-calc: " << cli_messages::kTemplateTakesOneFile << "\n" << kUsageText;
    return kUsage;
  }
  RemoveTemporaryOutputOnSignals();
  if (const std::string error = WriteSheetTemplate(args[0]); !error.empty()) {
    std::cerr << "quorvex-calc: " << error << "\n";
    return kUsage;
  }
  return kOk;
}

bool IsValueLike(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-' && (arg[1] == '.' || (arg[1] >= '0' && arg[1] <= '9'));
}

int Single(const std::vector<std::string>& args) {
  Request r;
  bool json = false;
  bool haveAmount = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string_view& into) {
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
      std::cerr << "quorvex-calc: " << cli_messages::UnknownOption(a) << "\n" << kUsageText;
      return kUsage;
    } else if (r.category.empty())
      r.category = a;
    else if (!haveAmount) {
      r.amount = a;
      haveAmount = true;
    } else {
      std::cerr << "quorvex-calc: " << cli_messages::kOneAmountOnly << "\n" << kUsageText;
      return kUsage;
    }
    if (!ok) {
      std::cerr << "quorvex-calc: " << cli_messages::NeedsValue(a) << "\n" << kUsageText;
      return kUsage;
    }
  }
  if (r.category.empty() || !haveAmount) {
    std::cerr << "quorvex-calc: "
              << (r.category.empty() ? cli_messages::kMissingCategory : cli_messages::kMissingAmount) << "\n"
              << kUsageText;
    return kUsage;
  }
  // The request is computed with the category found here, by the one look-up there is.
  const forms::Category* category = forms::FindCategory(r.category);
  if (category == nullptr) {
    std::cerr << "quorvex-calc: " << cli_messages::UnknownCategory(r.category) << "\n";
    return kUsage;
  }
  const RecordOutcome out = ComputeRequest(r);
  if (out.problem != Problem::kNone && out.problem != Problem::kInput) {
    std::cerr << "quorvex-calc: " << out.message << "\n";  // the message names the field
    return kUsage;
  }
  if (json) {
    std::cout << RecordJson(r, out);
    return out.ok ? kOk : kRejected;
  }
  if (!out.ok) {
    std::cerr << "quorvex-calc: " << cli_messages::FieldRefused(out.field, out.message) << "\n";
    return kRejected;
  }
  if (!out.income().empty()) std::cout << category->inputs[0].caption << ": " << out.income() << "\n";
  for (const forms::ResultLine& line : category->lines) {
    // The planner's lines of a planned bonus, when none was planned, as the plan command does.
    if (category->id == forms::CategoryId::kPlan && out[line.line].empty()) continue;
    if (*line.group != '\0') std::cout << line.group << ' ';
    std::cout << line.caption << ": " << out[line.line] << "\n";
  }
  if (!out.message.empty()) std::cout << out.message << "\n";
  return kOk;
}

}  // namespace

namespace {

int Run(const std::vector<std::string>& args) {
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
  if (args[0] == "batch") return BatchCommand({args.begin() + 1, args.end()});
  if (args[0] == "template") return TemplateCommand({args.begin() + 1, args.end()});
  if (args[0] == "plan") return RunPlanCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
  return Single(args);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::ios::sync_with_stdio(false);
  const int status = Run(std::vector<std::string>(argv + 1, argv + argc));
  // What was written must reach standard output: a full disk or a closed pipe is an error.
  errno = 0;
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0) {
    std::cerr << "quorvex-calc: "
              << sheets::messages::CannotWrite(sheets::messages::kStandardOutput,
                                               sheets::messages::SystemText(errno != 0 ? errno : EIO))
              << "\n";
    return kUsage;
  }
  return status;
}
