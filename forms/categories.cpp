#include "forms/categories.h"

#include <algorithm>

namespace quorvex::forms {
namespace {

constexpr char kIncomeCaption[] = "收入金额";
constexpr char kTaxableCaption[] = "应纳税所得额";
constexpr char kRateCaption[] = "税率";
constexpr char kQuickCaption[] = "速算扣除数";
constexpr char kTaxCaption[] = "应纳税额";
constexpr char kAfterTaxCaption[] = "税后收入";
constexpr char kAllowanceCaption[] = "减除费用";

constexpr OnChange kOwn = OnChange::kOwnMessage;
constexpr OnChange kAll = OnChange::kAllMessages;

// Inputs.
constexpr InputField kSalaryInputs[] = {
    {Field::kIncome, "税前工资", "EditIncome", "TxtInfo_1", kIncomeRule, kAll},
    {Field::kContributions, "五险一金", "EditSafe", "TxtInfo_2", kContributionsRule, kAll},
};
constexpr InputField kAwardInputs[] = {
    {Field::kIncome, "年终奖金", "EditYear", "TxtInfo_1", kIncomeRule, kAll},
    {Field::kSalary, "税前工资", "EditSalary", "TxtInfo_2", kSalaryRule, kAll},
    {Field::kContributions, "五险一金", "EditSafe", "TxtInfo_3", kContributionsRule, kAll},
};
constexpr InputField kYearInputs[] = {{Field::kIncome, kIncomeCaption, "EditIncome", "TxtInfo_1", kIncomeRule, kOwn}};
constexpr InputField kPaymentInputs[] = {{Field::kIncome, kIncomeCaption, "EditIncome", "TxtInfo", kIncomeRule, kOwn}};
constexpr InputField kPlanInputs[] = {
    {Field::kIncome, "全年税前收入", "EditIncome", "TxtInfo_1", kIncomeRule, kAll},
    {Field::kContributions, "每月五险一金", "EditSafe", "TxtInfo_2", kContributionsRule, kAll},
    {Field::kPlannedBonus, "原计划年终奖", "EditYear", "TxtInfo_3", kPlannedBonusRule, kAll},
};

// Result lines.
constexpr ResultLine kSalaryLines[] = {
    {Line::kTaxableIncome, kTaxableCaption, "TxtTaxIncome"},
    {Line::kRate, kRateCaption, "TxtRate"},
    {Line::kQuickDeduction, kQuickCaption, "TxtQuick"},
    {Line::kTax, kTaxCaption, "EditTax", "", Kind::kFromTax, "BtnTax", "TxtInfo_3", kAll},
    {Line::kAfterTax, "实发工资", "EditRealIncome", "", Kind::kFromTakeHome, "BtnRealIncome", "TxtInfo_4", kAll},
};
constexpr ResultLine kYearLines[] = {
    {Line::kMonthlyAverage, "平均每月", "TxtAverage"},
    {Line::kRate, kRateCaption, "TxtRate"},
    {Line::kQuickDeduction, kQuickCaption, "TxtQuick"},
    {Line::kTax, kTaxCaption, "EditTax", "", Kind::kForward, "", "", kAll},
    {Line::kAfterTax, kAfterTaxCaption, "EditRealIncome", "", Kind::kFromAfterTax, "BtnRealIncome", "TxtInfo_2", kAll},
};
constexpr ResultLine kAwardLines[] = {
    {Line::kSalaryTax, kTaxCaption, "TxtTax1", "工资"},  {Line::kSalaryAfterTax, "税后工资", "TxtRealIncome1", "工资"},
    {Line::kBonusTax, kTaxCaption, "TxtTax2", "年终奖"}, {Line::kBonusAfterTax, "税后奖金", "TxtRealIncome2", "年终奖"},
    {Line::kTotalTax, "纳税总额", "TxtTaxTotal"},        {Line::kTotalAfterTax, "税后总额", "TxtRealIncomeAll"},
};
constexpr ResultLine kLabourLines[] = {
    {Line::kAllowance, kAllowanceCaption, "TxtDeduct"},
    {Line::kTaxableIncome, kTaxableCaption, "TxtTaxIncome"},
    {Line::kRate, kRateCaption, "TxtRate"},
    {Line::kQuickDeduction, kQuickCaption, "TxtQuick"},
    {Line::kTax, kTaxCaption, "EditTax"},
    {Line::kAfterTax, kAfterTaxCaption, "EditRealIncome", "", Kind::kFromAfterTax, "BtnRealIncome", "TxtInfo_2", kAll},
};
constexpr ResultLine kAllowanceLines[] = {
    {Line::kAllowance, kAllowanceCaption, "TxtDeduct"},
    {Line::kTaxableIncome, kTaxableCaption, "TxtTaxIncome"},
    {Line::kRate, kRateCaption, "TxtRate"},
    {Line::kTax, kTaxCaption, "EditTax"},
    {Line::kAfterTax, kAfterTaxCaption, "EditRealIncome"},
};
constexpr ResultLine kFlatRateLines[] = {
    {Line::kTaxableIncome, kTaxableCaption, "TxtTaxIncome"},
    {Line::kRate, kRateCaption, "TxtRate"},
    {Line::kTax, kTaxCaption, "EditTax"},
    {Line::kAfterTax, kAfterTaxCaption, "EditRealIncome"},
};
// The business pages name their quick-deduction label TxtDeduct.
constexpr ResultLine kBusinessLines[] = {
    {Line::kTaxableIncome, kTaxableCaption, "TxtTaxIncome"}, {Line::kRate, kRateCaption, "TxtRate"},
    {Line::kQuickDeduction, kQuickCaption, "TxtDeduct"},     {Line::kTax, kTaxCaption, "EditTax"},
    {Line::kAfterTax, kAfterTaxCaption, "EditRealIncome"},
};

// The planner: the plan, then paying everything as salary and paying the planned bonus, each
// with what the plan saves against it.
constexpr char kAllSalaryGroup[] = "全部按月发放";
constexpr char kPlannedGroup[] = "原计划年终奖";
constexpr char kYearTaxCaption[] = "全年纳税";
constexpr char kSavingCaption[] = "节税";
constexpr ResultLine kPlanLines[] = {
    {Line::kPlanSalary, "建议每月工资", "TxtSalary"},
    {Line::kPlanBonus, "建议年终奖", "TxtBonus"},
    {Line::kPlanSalaryTax, "每月工资应纳税额", "TxtTax1"},
    {Line::kPlanBonusTax, "年终奖应纳税额", "TxtTax2"},
    {Line::kPlanTotalTax, kYearTaxCaption, "TxtTaxTotal"},
    {Line::kPlanAfterTax, "税后总额", "TxtRealIncomeAll"},
    {Line::kAllSalaryTotalTax, kYearTaxCaption, "TxtAllSalaryTax", kAllSalaryGroup},
    {Line::kSavingVsAllSalary, kSavingCaption, "TxtAllSalarySaving", kAllSalaryGroup},
    {Line::kPlannedTotalTax, kYearTaxCaption, "TxtPlannedTax", kPlannedGroup},
    {Line::kSavingVsPlanned, kSavingCaption, "TxtPlannedSaving", kPlannedGroup},
    {Line::kPlannedZone, "奖盲区", "TxtPlannedZone", kPlannedGroup},
};

// A page with one amount field and no reverse calculation.
constexpr Category Simple(CategoryId id, const char* key, const char* listText, const char* page,
                          std::span<const ResultLine> lines, Choice choice = Choice::kNone) {
  return {id, key, listText, page, kPaymentInputs, choice, lines, kIncomeRule, false, lines.size()};
}

constexpr std::array<Category, kCategoryCount> kCategories{{
    {CategoryId::kSalary, "salary", "工资、薪金所得", "TFrmSalary", kSalaryInputs, Choice::kThreshold, kSalaryLines,
     kReverseRule, true, std::size(kSalaryLines)},
    {CategoryId::kYearBonus, "year-bonus", "年终奖所得", "TFrmYear", kYearInputs, Choice::kNone, kYearLines,
     kAfterTaxBonusRule, false, std::size(kYearLines)},
    {CategoryId::kSalaryAndBonus, "salary-bonus", "工资、年终奖所得", "TFrmAward", kAwardInputs, Choice::kThreshold,
     kAwardLines, kIncomeRule, false, 2},
    {CategoryId::kLabour, "labour", "劳务报酬所得", "TFrmLabour", kPaymentInputs, Choice::kNone, kLabourLines,
     kReverseRule, false, std::size(kLabourLines)},
    Simple(CategoryId::kWriting, "writing", "稿酬所得", "TFrmWriting", kAllowanceLines),
    Simple(CategoryId::kRent, "rent", "财产租赁所得", "TFrmRent", kAllowanceLines),
    Simple(CategoryId::kProperty, "property", "财产转让所得", "TFrmProperty", kFlatRateLines),
    Simple(CategoryId::kRoyalties, "royalties", "特许权使用费所得", "TFrmLicence", kAllowanceLines),
    Simple(CategoryId::kBusiness, "business", "个体工商户生产、经营所得", "TFrmCompany", kBusinessLines),
    Simple(CategoryId::kContract, "contract", "对企事业单位的承包经营、承租经营所得", "TFrmContract", kBusinessLines,
           Choice::kMonths),
    Simple(CategoryId::kInterest, "interest", "利息、股息、红利所得", "TFrmInterest", kFlatRateLines),
    Simple(CategoryId::kChance, "chance", "偶然所得（如中奖、中彩）", "TFrmChance", kFlatRateLines),
    Simple(CategoryId::kOther, "other", "被确定征税的其他部分", "TFrmOther", kFlatRateLines),
}};

// The planner: a dialog of its own, not a row of the list.
constexpr Category kPlan{CategoryId::kPlan,  "plan",     "年终奖筹划", "FrmPlan", kPlanInputs,
                         Choice::kThreshold, kPlanLines, kIncomeRule,  false,     std::size(kPlanLines)};

constexpr bool TableInListOrder() {
  for (std::size_t i = 0; i < kCategories.size(); ++i) {
    if (static_cast<std::size_t>(kCategories[i].id) != i) return false;
    if (kCategories[i].linesBeforeWarning > kCategories[i].lines.size()) return false;
  }
  return true;
}
static_assert(TableInListOrder(), "category table out of order");

}  // namespace

bool Category::Offers(Kind kind) const {
  return kind == Kind::kForward ||
         std::any_of(lines.begin(), lines.end(), [kind](const ResultLine& l) { return l.reverse == kind; });
}

std::uint32_t Category::LineMask() const {
  std::uint32_t mask = 0;
  for (const ResultLine& l : lines) mask |= std::uint32_t{1} << static_cast<unsigned>(l.line);
  return mask;
}

const InputField* Category::Input(Field field) const {
  for (const InputField& f : inputs) {
    if (f.field == field) return &f;
  }
  return nullptr;
}

const ResultLine* Category::LineOf(Line line) const {
  for (const ResultLine& l : lines) {
    if (l.line == line) return &l;
  }
  return nullptr;
}

Field Category::Typed(Kind kind) {
  switch (kind) {
    case Kind::kFromTax:
      return Field::kTax;
    case Kind::kFromTakeHome:
    case Kind::kFromAfterTax:
      return Field::kAfterTax;
    case Kind::kForward:
      break;
  }
  return Field::kIncome;
}

std::span<const Category> Categories() { return kCategories; }

const Category& CategoryOf(CategoryId id) {
  return id == CategoryId::kPlan ? kPlan : kCategories[static_cast<std::size_t>(id)];
}

namespace {

// A name without the blanks and control characters (codes up to 32) around it.
std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

bool Names(const Category& c, std::string_view name) { return name == c.key || name == c.listText; }

}  // namespace

const Category* FindCategory(std::string_view name) {
  name = Trim(name);
  for (const Category& c : kCategories) {
    if (Names(c, name)) return &c;
  }
  return Names(kPlan, name) ? &kPlan : nullptr;
}

std::optional<Kind> FindKind(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return Kind::kForward;
  const auto* key = std::find(kKindKeys.begin(), kKindKeys.end(), text);
  if (key == kKindKeys.end()) return std::nullopt;
  return static_cast<Kind>(key - kKindKeys.begin());
}

}  // namespace quorvex::forms
