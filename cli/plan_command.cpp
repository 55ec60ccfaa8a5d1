#include "cli/plan_command.h"

#include <ostream>

#include "cli/batch.h"
#include "cli/cli_messages.h"
#include "forms/categories.h"
#include "forms/plan_chart.h"
#include "forms/plan_form.h"
#include "sheets/engine/compute_request.h"

namespace quorvex::cli {
using namespace quorvex::sheets;
namespace {

constexpr int kOk = 0;
constexpr int kRejected = 1;
constexpr int kUsage = 2;

constexpr char kPlanKey[] = "plan";
constexpr char kUsageText[] =
    "用法：quorvex-calc plan ANNUAL [--contributions X] [--threshold 3500|4800] [--planned-bonus P]\n"
    "                        [--curve] [--json]\n";
constexpr char kHelpText[] =
    "\n把全年税前收入 ANNUAL 分成每月工资（发十二次，精确到分）和年终奖，使全年纳税最少；纳税相同时取\n"
    "较小的年终奖。与全部按月发放相比，给出 --planned-bonus 时也与原计划年终奖相比。\n"
    "X：每月五险一金（空着或不给为 0）。\n"
    "--curve 改为输出全年纳税随年终奖变化的曲线（即筹划图所画的折线）的各顶点，CSV 格式\n"
    "（bonus,monthly_salary,total_tax），年终奖从小到大；相邻两点之间纳税呈直线，工资相差一分的相邻\n"
    "两点位于跳变的两侧。加 --json 时每个顶点一行 JSON。\n"
    "退出状态：0 已筹划，1 金额有误，2 用法错误。\n";

// A leading minus followed by a digit or point is an amount (to be rejected as negative), not
// an option.
bool IsValueLike(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-' && (arg[1] == '.' || (arg[1] >= '0' && arg[1] <= '9'));
}

struct Parsed {
  Request request;
  bool json = false;
  bool curve = false;
  bool help = false;
  std::string problem;  // a usage error
};

Parsed Parse(const std::vector<std::string>& args) {
  Parsed p;
  p.request.category = kPlanKey;
  bool haveAmount = false;
  for (std::size_t i = 0; i < args.size() && p.problem.empty(); ++i) {
    const std::string& a = args[i];
    std::string_view* into = nullptr;
    if (a == "--json") {
      p.json = true;
    } else if (a == "--curve") {
      p.curve = true;
    } else if (a == "--help" || a == "-h") {
      p.help = true;
    } else if (a == "--contributions") {
      into = &p.request.contributions;
    } else if (a == "--threshold") {
      into = &p.request.threshold;
    } else if (a == "--planned-bonus") {
      into = &p.request.plannedBonus;
    } else if (a.size() > 1 && a[0] == '-' && !IsValueLike(a) && a != "--") {
      p.problem = messages::UnknownOption(a);
    } else if (haveAmount) {
      p.problem = messages::kOneAmountOnly;
    } else {
      if (a == "--" && i + 1 < args.size()) ++i;
      p.request.amount = args[i];
      haveAmount = true;
    }
    if (into != nullptr) {
      if (i + 1 >= args.size()) {
        p.problem = messages::NeedsValue(a);
      } else {
        *into = args[++i];
      }
    }
  }
  if (p.problem.empty() && !haveAmount && !p.help) p.problem = messages::kMissingAnnualPay;
  return p;
}

void PrintLines(const RecordOutcome& outcome, std::ostream& out) {
  const forms::Category* plan = forms::FindCategory(kPlanKey);
  for (const forms::ResultLine& line : plan->lines) {
    const std::string& text = outcome[line.line];
    if (text.empty()) continue;  // the planned bonus's lines when none was planned
    if (*line.group != '\0') out << line.group << ' ';
    out << line.caption << ": " << text << "\n";
  }
}

// The curve's vertices, from the request already computed without rejection.
void PrintCurve(const Request& r, bool json, std::ostream& out) {
  forms::PageInput typed;
  typed[forms::Field::kIncome] = r.amount;
  typed[forms::Field::kContributions] = r.contributions;
  typed[forms::Field::kPlannedBonus] = r.plannedBonus;
  typed.threshold = ReadThreshold(r.threshold).value_or(0);
  typed.steps = false;
  const std::optional<tax::PlanInput> in = forms::ReadPlanInput(typed);
  if (!in) return;
  if (!json) out << "bonus,monthly_salary,total_tax\n";
  for (const forms::CurveRow& row : forms::PlanCurveRows(*in)) {
    if (json) {
      out << R"({"bonus":")" << row.bonus << R"(","monthly_salary":")" << row.monthlySalary << R"(","total_tax":")"
          << row.totalTax << "\"}\n";
    } else {
      out << row.bonus << ',' << row.monthlySalary << ',' << row.totalTax << '\n';
    }
  }
}

}  // namespace

int RunPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const Parsed p = Parse(args);
  if (!p.problem.empty()) {
    err << "quorvex-calc: " << p.problem << "\n" << kUsageText;
    return kUsage;
  }
  if (p.help) {
    out << kUsageText << kHelpText;
    return kOk;
  }
  const Request& r = p.request;
  const RecordOutcome outcome = ComputeRequest(r);
  if (outcome.problem != Problem::kNone && outcome.problem != Problem::kInput) {
    err << "quorvex-calc: " << outcome.message << "\n";  // the message names the field
    return kUsage;
  }
  if (p.curve && outcome.ok) {
    PrintCurve(r, p.json, out);
    return kOk;
  }
  if (p.json) {
    out << RecordJson({{"category", r.category},
                       {"amount", r.amount},
                       {"contributions", r.contributions},
                       {"threshold", r.threshold},
                       {"planned_bonus", r.plannedBonus}},
                      outcome);
    return outcome.ok ? kOk : kRejected;
  }
  if (!outcome.ok) {
    err << "quorvex-calc: " << messages::FieldRefused(outcome.field, outcome.message) << "\n";
    return kRejected;
  }
  PrintLines(outcome, out);
  return kOk;
}

}  // namespace quorvex::cli
