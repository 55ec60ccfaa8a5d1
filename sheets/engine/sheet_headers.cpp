#include "sheets/engine/sheet_headers.h"

#include <array>

#include "forms/categories.h"

namespace quorvex::sheets {
namespace {

struct Caption {
  std::string_view key;
  std::string_view caption;                 // written as the column's header
  std::array<std::string_view, 6> aliases;  // also read as the column's header
};

// The captions are the pages' own: the amount field is 税前工资 on the salary page, 年终奖金 on
// the salary-and-bonus page and 收入金额 elsewhere; 金额, 税前收入 and a payroll's 应发工资 name it on
// any page. The result columns take the
// captions of the page lines that show them; where one caption would head two columns, the
// line's box or the planner's 建议 goes before it.
constexpr Caption kInputs[] = {
    {"category", "收入类型", {"类别"}},
    {"calc", "计算方式", {}},
    {"amount", "金额", {"税前收入", "税前工资", "收入金额", "年终奖金", "全年税前收入", "应发工资"}},
    {"salary", "工资", {}},
    {"contributions", "五险一金", {"每月五险一金"}},
    {"threshold", "起征点", {}},
    {"months", "月数", {"经营时间"}},
    {"planned_bonus", "原计划年终奖", {}},
};

constexpr Caption kOutputs[] = {
    {"status", "状态", {}},
    {"field", "出错项", {}},
    {"message", "提示", {}},
    {"warning", "奖盲区", {}},
    {"income", "税前收入(反算)", {}},
    {"allowance", "减除费用", {}},
    {"monthly_average", "平均每月", {}},
    {"taxable_income", "应纳税所得额", {}},
    {"rate", "税率", {}},
    {"quick_deduction", "速算扣除数", {}},
    {"tax", "应纳税额", {}},
    {"after_tax", "税后收入", {}},
    {"salary_tax", "工资应纳税额", {}},
    {"salary_after_tax", "税后工资", {}},
    {"bonus_tax", "年终奖应纳税额", {}},
    {"bonus_after_tax", "税后奖金", {}},
    {"total_tax", "纳税总额", {}},
    {"total_after_tax", "税后总额", {}},
    // The year-end bonus planner's: its suggestion, then paying everything as salary, then
    // paying the planned bonus.
    {"plan_salary", "建议每月工资", {}},
    {"plan_bonus", "建议年终奖", {}},
    {"plan_salary_tax", "每月工资应纳税额", {}},
    {"plan_bonus_tax", "建议年终奖应纳税额", {}},
    {"plan_total_tax", "全年纳税", {}},
    {"plan_after_tax", "建议税后总额", {}},
    {"all_salary_total_tax", "全部按月发放全年纳税", {}},
    {"saving_vs_all_salary", "全部按月发放节税", {}},
    {"planned_total_tax", "原计划年终奖全年纳税", {}},
    {"saving_vs_planned", "原计划年终奖节税", {}},
    {"planned_zone", "原计划年终奖奖盲区", {}},
};

const Caption* ChineseInput(std::string_view header) {
  if (header.empty() || static_cast<unsigned char>(header[0]) < 0x80) return nullptr;  // not Chinese
  for (const Caption& c : kInputs) {
    if (header == c.caption) return &c;
    for (std::string_view alias : c.aliases) {
      if (!alias.empty() && header == alias) return &c;
    }
  }
  return nullptr;
}

}  // namespace

std::string_view InputKeyOf(std::string_view header) {
  header = forms::TrimName(header);
  if (header.empty()) return {};
  for (const Caption& c : kInputs) {
    if (header == c.key) return c.key;
  }
  const Caption* c = ChineseInput(header);
  return c != nullptr ? c->key : std::string_view();
}

bool IsChineseInputHeader(std::string_view header) { return ChineseInput(forms::TrimName(header)) != nullptr; }

std::string_view ChineseCaption(std::string_view key) {
  for (const Caption& c : kInputs) {
    if (key == c.key) return c.caption;
  }
  for (const Caption& c : kOutputs) {
    if (key == c.key) return c.caption;
  }
  return key;
}

std::vector<InputColumn> InputColumns() {
  std::vector<InputColumn> columns;
  for (const Caption& c : kInputs) columns.push_back({c.key, c.caption});
  return columns;
}

}  // namespace quorvex::sheets
