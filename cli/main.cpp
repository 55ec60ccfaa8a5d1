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
#include "sheets/engine/compute_request.h"
#include "sheets/sheet_job.h"
#include "sheets/sheet_messages.h"
#include "sheets/workbook/sheet_template.h"

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
  std::cout << kUsageText << "\n按 2011-2018 年的个人所得税规则计算，与 Quorvex 窗口所算完全一致。\n"
            << "\n收入类型（键或窗口列表中的名称）：\n";
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
  std::cout << "工资表常用的名称也可以：年终奖、去掉顿号的名称（工资薪金所得）、半角括号的名称。\n"
               "\nAMOUNT 是页面第一个金额框中输入的文字；反算时是应纳税额或税后金额；工资、年终奖所得\n"
               "是年终奖（--salary 给出当月工资）。\n"
               "退出状态：0 已计算，1 输入有误，2 用法错误或读写失败。\n"
               "\nbatch 读取 CSV（RFC 4180，UTF-8 或 GB18030，有表头行）、JSON Lines 或 Excel 工作簿（.xlsx、\n"
               ".xlsm、.xls，从文件读取），字段为 category、calc、amount、salary、contributions、\n"
               "threshold、months，或其中文表头（收入类型、计算方式、金额……）；其他字段原样保留。每条记录\n"
               "后面添加 status、field、message、warning、income 和各项计算结果（中文表头时为中文列名）。\n"
               "表头是前 20 行中第一个同时写有收入类型和金额列的行；表头上面的行（标题）保留在工作簿结果的\n"
               "表头上方，CSV 和 JSON Lines 结果中略去。\n"
               "每张显示的、有表头的工作表依次计算：写入结果工作簿中同名的工作表，或（CSV、JSON Lines，\n"
               "多张时）在最前面加一列 sheet/工作表。隐藏的和没有表头的工作表不计算，并列出其名称。\n"
               "--sheet NAME 只计算该工作表。\n"
               "batch 的退出状态：0 全部计算，1 有记录有误，2 用法、读取或写入错误（结果文件保持原样），\n"
               "错误在文件名后用中文说明，例如：无法读取/无法写入 FILE：系统给出的原因；表格没有表头行；\n"
               "表格没有“收入类型”列 / “金额”列；第 N 个字节不是 UTF-8 文字；请在 Excel/WPS 中另存为 .xlsx\n"
               "或 CSV 后再计算。完整的列表见 quorvex-calc(1) 的 DIAGNOSTICS。\n"
               "\nplan 把全年税前收入 ANNUAL 分成每月工资和年终奖，使纳税最少，与窗口的年终奖筹划相同\n"
               "（quorvex-calc plan --help 有详细说明）。\n"
               "\ntemplate 把窗口“保存模板”的工作簿写入 FILE：中文表头、每种收入类型的示例行，以及收入类型、\n"
               "计算方式和起征点的下拉列表。成功退出状态为 0；无法写入 FILE 时为 2（只读文件、被办公软件打开\n"
               "的文件和不是普通文件的目标保持原样）。\n";
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
