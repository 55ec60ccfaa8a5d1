#include "cli/categories.h"

#include <algorithm>
#include <string>

#include "tax/amount.h"

namespace quorvex::cli {

// One adapter per page, in the file of its category.
Outcome RunSalary(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunYearBonus(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunSalaryAndBonus(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunLabour(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunWriting(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunLicence(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunRent(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunFlatRate(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunBusiness(const Request& request, std::string_view kind, const Inputs& inputs);
Outcome RunContract(const Request& request, std::string_view kind, const Inputs& inputs);

namespace {

constexpr char kUnknownCategory[] = "未知的收入类型";
constexpr char kUnknownCalc[] = "该收入类型没有这种计算方式";
constexpr char kBadThreshold[] = "起征点只能是3500或4800";
constexpr char kBadMonths[] = "承包月份只能是1到12";

// The result lines of the pages, in page order.
const std::vector<ShownLine> kSalaryLines{{"应纳税所得额", Line::kTaxableIncome},
                                          {"税率", Line::kRate},
                                          {"速算扣除数", Line::kQuickDeduction},
                                          {"应纳税额", Line::kTax},
                                          {"实发工资", Line::kAfterTax}};
const std::vector<ShownLine> kYearBonusLines{{"平均每月", Line::kMonthlyAverage},
                                             {"税率", Line::kRate},
                                             {"速算扣除数", Line::kQuickDeduction},
                                             {"应纳税额", Line::kTax},
                                             {"税后收入", Line::kAfterTax}};
const std::vector<ShownLine> kSalaryAndBonusLines{
    {"工资 应纳税额", Line::kSalaryTax},  {"工资 税后工资", Line::kSalaryAfterTax},
    {"年终奖 应纳税额", Line::kBonusTax}, {"年终奖 税后奖金", Line::kBonusAfterTax},
    {"纳税总额", Line::kTotalTax},        {"税后总额", Line::kTotalAfterTax}};
const std::vector<ShownLine> kLabourLines{{"减除费用", Line::kAllowance}, {"应纳税所得额", Line::kTaxableIncome},
                                          {"税率", Line::kRate},          {"速算扣除数", Line::kQuickDeduction},
                                          {"应纳税额", Line::kTax},       {"税后收入", Line::kAfterTax}};
const std::vector<ShownLine> kAllowanceLines{{"减除费用", Line::kAllowance},
                                             {"应纳税所得额", Line::kTaxableIncome},
                                             {"税率", Line::kRate},
                                             {"应纳税额", Line::kTax},
                                             {"税后收入", Line::kAfterTax}};
const std::vector<ShownLine> kFlatRateLines{{"应纳税所得额", Line::kTaxableIncome},
                                            {"税率", Line::kRate},
                                            {"应纳税额", Line::kTax},
                                            {"税后收入", Line::kAfterTax}};
const std::vector<ShownLine> kBusinessLines{{"应纳税所得额", Line::kTaxableIncome},
                                            {"税率", Line::kRate},
                                            {"速算扣除数", Line::kQuickDeduction},
                                            {"应纳税额", Line::kTax},
                                            {"税后收入", Line::kAfterTax}};

const std::vector<Category>& Table() {
  static const std::vector<Category> table{
      {"salary", "工资、薪金所得", "税前工资", {"forward", "from-tax", "from-take-home"}, kSalaryLines, &RunSalary},
      {"year-bonus", "年终奖所得", "收入金额", {"forward", "from-after-tax"}, kYearBonusLines, &RunYearBonus},
      {"salary-bonus", "工资、年终奖所得", "年终奖金", {"forward"}, kSalaryAndBonusLines, &RunSalaryAndBonus},
      {"labour", "劳务报酬所得", "收入金额", {"forward", "from-after-tax"}, kLabourLines, &RunLabour},
      {"writing", "稿酬所得", "收入金额", {"forward"}, kAllowanceLines, &RunWriting},
      {"rent", "财产租赁所得", "收入金额", {"forward"}, kAllowanceLines, &RunRent},
      {"property", "财产转让所得", "收入金额", {"forward"}, kFlatRateLines, &RunFlatRate},
      {"royalties", "特许权使用费所得", "收入金额", {"forward"}, kAllowanceLines, &RunLicence},
      {"business", "个体工商户生产、经营所得", "收入金额", {"forward"}, kBusinessLines, &RunBusiness},
      {"contract", "对企事业单位的承包经营、承租经营所得", "收入金额", {"forward"}, kBusinessLines, &RunContract},
      {"interest", "利息、股息、红利所得", "收入金额", {"forward"}, kFlatRateLines, &RunFlatRate},
      {"chance", "偶然所得（如中奖、中彩）", "收入金额", {"forward"}, kFlatRateLines, &RunFlatRate},
      {"other", "被确定征税的其他部分", "收入金额", {"forward"}, kFlatRateLines, &RunFlatRate},
  };
  return table;
}

Outcome Reject(const char* field, const char* message) {
  Outcome out;
  out.field = field;
  out.message = message;
  return out;
}

bool ReadThreshold(std::string_view text, double& threshold) {
  text = tax::TrimAmountText(text);
  if (text.empty()) {
    threshold = 3500;
    return true;
  }
  const std::optional<double> v = tax::ParseAmount(text);
  if (!v || (*v != 3500 && *v != 4800)) return false;
  threshold = *v;
  return true;
}

bool ReadMonths(std::string_view text, int& months) {
  text = tax::TrimAmountText(text);
  if (text.empty()) {
    months = 12;
    return true;
  }
  if (text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  months = std::stoi(std::string(text));
  return months >= 1 && months <= 12;
}

}  // namespace

std::span<const Category> Categories() { return Table(); }

const Category* FindCategory(std::string_view name) {
  name = tax::TrimAmountText(name);
  for (const Category& c : Table()) {
    if (name == c.key || name == c.listText) return &c;
  }
  return nullptr;
}

Outcome Calculate(const Request& request) {
  const Category* category = FindCategory(request.category);
  if (category == nullptr) return Reject("category", kUnknownCategory);
  std::string_view kind = tax::TrimAmountText(request.calc);
  if (kind.empty()) kind = "forward";
  if (std::find(category->kinds.begin(), category->kinds.end(), kind) == category->kinds.end())
    return Reject("calc", kUnknownCalc);
  Inputs inputs;
  if (!ReadThreshold(request.threshold, inputs.threshold)) return Reject("threshold", kBadThreshold);
  if (!ReadMonths(request.months, inputs.months)) return Reject("months", kBadMonths);
  return category->run(request, kind, inputs);
}

}  // namespace quorvex::cli
