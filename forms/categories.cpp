#include "forms/categories.h"

#include <algorithm>
#include <string>

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

constexpr Widget kLabel = Widget::kLabel;
constexpr Widget kEdit = Widget::kEdit;

// A row of each table on a line of its own.
// clang-format off
// Inputs.
constexpr InputField kSalaryInputs[] = {
    {.field = Field::kIncome, .caption = "税前工资", .control = "EditIncome", .message = "TxtInfo_1", .rule = kIncomeRule, .onChange = kAll},
    {.field = Field::kContributions, .caption = "五险一金", .control = "EditSafe", .message = "TxtInfo_2", .rule = kContributionsRule, .onChange = kAll},
};
constexpr InputField kAwardInputs[] = {
    {.field = Field::kIncome, .caption = "年终奖金", .control = "EditYear", .message = "TxtInfo_1", .rule = kIncomeRule, .onChange = kAll},
    {.field = Field::kSalary, .caption = "税前工资", .control = "EditSalary", .message = "TxtInfo_2", .rule = kSalaryRule, .onChange = kAll},
    {.field = Field::kContributions, .caption = "五险一金", .control = "EditSafe", .message = "TxtInfo_3", .rule = kContributionsRule, .onChange = kAll},
};
constexpr InputField kYearInputs[] = {
    {.field = Field::kIncome, .caption = kIncomeCaption, .control = "EditIncome", .message = "TxtInfo_1", .rule = kIncomeRule, .onChange = kOwn},
};
constexpr InputField kPaymentInputs[] = {
    {.field = Field::kIncome, .caption = kIncomeCaption, .control = "EditIncome", .message = "TxtInfo", .rule = kIncomeRule, .onChange = kOwn},
};
constexpr InputField kPlanInputs[] = {
    {.field = Field::kIncome, .caption = "全年税前收入", .control = "EditIncome", .message = "TxtInfo_1", .rule = kIncomeRule, .onChange = kAll},
    {.field = Field::kContributions, .caption = "每月五险一金", .control = "EditSafe", .message = "TxtInfo_2", .rule = kContributionsRule, .onChange = kAll},
    {.field = Field::kPlannedBonus, .caption = "原计划年终奖", .control = "EditYear", .message = "TxtInfo_3", .rule = kPlannedBonusRule, .onChange = kAll},
};

// Result lines.
constexpr ResultLine kSalaryLines[] = {
    {.line = Line::kTaxableIncome, .caption = kTaxableCaption, .control = "TxtTaxIncome", .widget = kLabel},
    {.line = Line::kRate, .caption = kRateCaption, .control = "TxtRate", .widget = kLabel},
    {.line = Line::kQuickDeduction, .caption = kQuickCaption, .control = "TxtQuick", .widget = kLabel},
    {.line = Line::kTax, .caption = kTaxCaption, .control = "EditTax", .widget = kEdit, .reverse = Kind::kFromTax, .button = "BtnTax", .message = "TxtInfo_3", .onChange = kAll},
    {.line = Line::kAfterTax, .caption = "实发工资", .control = "EditRealIncome", .widget = kEdit, .reverse = Kind::kFromTakeHome, .button = "BtnRealIncome", .message = "TxtInfo_4", .onChange = kAll},
};
constexpr ResultLine kYearLines[] = {
    {.line = Line::kMonthlyAverage, .caption = "平均每月", .control = "TxtAverage", .widget = kLabel},
    {.line = Line::kRate, .caption = kRateCaption, .control = "TxtRate", .widget = kLabel},
    {.line = Line::kQuickDeduction, .caption = kQuickCaption, .control = "TxtQuick", .widget = kLabel},
    {.line = Line::kTax, .caption = kTaxCaption, .control = "EditTax", .widget = kEdit, .onChange = kAll},
    {.line = Line::kAfterTax, .caption = kAfterTaxCaption, .control = "EditRealIncome", .widget = kEdit, .reverse = Kind::kFromAfterTax, .button = "BtnRealIncome", .message = "TxtInfo_2", .onChange = kAll},
};
constexpr char kSalaryGroup[] = "工资";
constexpr char kBonusGroup[] = "年终奖";
constexpr ResultLine kAwardLines[] = {
    {.line = Line::kSalaryTax, .caption = kTaxCaption, .control = "TxtTax1", .widget = kLabel, .group = kSalaryGroup},
    {.line = Line::kSalaryAfterTax, .caption = "税后工资", .control = "TxtRealIncome1", .widget = kLabel, .group = kSalaryGroup},
    {.line = Line::kBonusTax, .caption = kTaxCaption, .control = "TxtTax2", .widget = kLabel, .group = kBonusGroup},
    {.line = Line::kBonusAfterTax, .caption = "税后奖金", .control = "TxtRealIncome2", .widget = kLabel, .group = kBonusGroup},
    {.line = Line::kTotalTax, .caption = "纳税总额", .control = "TxtTaxTotal", .widget = kLabel},
    {.line = Line::kTotalAfterTax, .caption = "税后总额", .control = "TxtRealIncomeAll", .widget = kLabel},
};
constexpr ResultLine kLabourLines[] = {
    {.line = Line::kAllowance, .caption = kAllowanceCaption, .control = "TxtDeduct", .widget = kLabel},
    {.line = Line::kTaxableIncome, .caption = kTaxableCaption, .control = "TxtTaxIncome", .widget = kLabel},
    {.line = Line::kRate, .caption = kRateCaption, .control = "TxtRate", .widget = kLabel},
    {.line = Line::kQuickDeduction, .caption = kQuickCaption, .control = "TxtQuick", .widget = kLabel},
    {.line = Line::kTax, .caption = kTaxCaption, .control = "EditTax", .widget = kEdit},
    {.line = Line::kAfterTax, .caption = kAfterTaxCaption, .control = "EditRealIncome", .widget = kEdit, .reverse = Kind::kFromAfterTax, .button = "BtnRealIncome", .message = "TxtInfo_2", .onChange = kAll},
};
constexpr ResultLine kAllowanceLines[] = {
    {.line = Line::kAllowance, .caption = kAllowanceCaption, .control = "TxtDeduct", .widget = kLabel},
    {.line = Line::kTaxableIncome, .caption = kTaxableCaption, .control = "TxtTaxIncome", .widget = kLabel},
    {.line = Line::kRate, .caption = kRateCaption, .control = "TxtRate", .widget = kLabel},
    {.line = Line::kTax, .caption = kTaxCaption, .control = "EditTax", .widget = kEdit},
    {.line = Line::kAfterTax, .caption = kAfterTaxCaption, .control = "EditRealIncome", .widget = kEdit},
};
constexpr ResultLine kFlatRateLines[] = {
    {.line = Line::kTaxableIncome, .caption = kTaxableCaption, .control = "TxtTaxIncome", .widget = kLabel},
    {.line = Line::kRate, .caption = kRateCaption, .control = "TxtRate", .widget = kLabel},
    {.line = Line::kTax, .caption = kTaxCaption, .control = "EditTax", .widget = kEdit},
    {.line = Line::kAfterTax, .caption = kAfterTaxCaption, .control = "EditRealIncome", .widget = kEdit},
};
// The business pages name their quick-deduction label TxtDeduct.
constexpr ResultLine kBusinessLines[] = {
    {.line = Line::kTaxableIncome, .caption = kTaxableCaption, .control = "TxtTaxIncome", .widget = kLabel},
    {.line = Line::kRate, .caption = kRateCaption, .control = "TxtRate", .widget = kLabel},
    {.line = Line::kQuickDeduction, .caption = kQuickCaption, .control = "TxtDeduct", .widget = kLabel},
    {.line = Line::kTax, .caption = kTaxCaption, .control = "EditTax", .widget = kEdit},
    {.line = Line::kAfterTax, .caption = kAfterTaxCaption, .control = "EditRealIncome", .widget = kEdit},
};

// The planner: the plan, then paying everything as salary and paying the planned bonus, each
// with what the plan saves against it.
constexpr char kAllSalaryGroup[] = "全部按月发放";
constexpr char kPlannedGroup[] = "原计划年终奖";
constexpr char kYearTaxCaption[] = "全年纳税";
constexpr char kSavingCaption[] = "节税";
constexpr ResultLine kPlanLines[] = {
    {.line = Line::kPlanSalary, .caption = "建议每月工资", .control = "TxtSalary", .widget = kLabel},
    {.line = Line::kPlanBonus, .caption = "建议年终奖", .control = "TxtBonus", .widget = kLabel},
    {.line = Line::kPlanSalaryTax, .caption = "每月工资应纳税额", .control = "TxtTax1", .widget = kLabel},
    {.line = Line::kPlanBonusTax, .caption = "年终奖应纳税额", .control = "TxtTax2", .widget = kLabel},
    {.line = Line::kPlanTotalTax, .caption = kYearTaxCaption, .control = "TxtTaxTotal", .widget = kLabel},
    {.line = Line::kPlanAfterTax, .caption = "税后总额", .control = "TxtRealIncomeAll", .widget = kLabel},
    {.line = Line::kAllSalaryTotalTax, .caption = kYearTaxCaption, .control = "TxtAllSalaryTax", .widget = kLabel, .group = kAllSalaryGroup},
    {.line = Line::kSavingVsAllSalary, .caption = kSavingCaption, .control = "TxtAllSalarySaving", .widget = kLabel, .group = kAllSalaryGroup},
    {.line = Line::kPlannedTotalTax, .caption = kYearTaxCaption, .control = "TxtPlannedTax", .widget = kLabel, .group = kPlannedGroup},
    {.line = Line::kSavingVsPlanned, .caption = kSavingCaption, .control = "TxtPlannedSaving", .widget = kLabel, .group = kPlannedGroup},
    {.line = Line::kPlannedZone, .caption = "奖盲区", .control = "TxtPlannedZone", .widget = kLabel, .group = kPlannedGroup},
};
// clang-format on

// A page with one amount field and no reverse calculation.
constexpr Category Simple(CategoryId id, const char* key, const char* listText, const char* page,
                          std::span<const ResultLine> lines, Choice choice = Choice::kNone) {
  return {.id = id,
          .key = key,
          .listText = listText,
          .page = page,
          .inputs = kPaymentInputs,
          .choice = choice,
          .lines = lines,
          .reverseRule = kIncomeRule,
          .reverseClearsMessages = false,
          .linesBeforeWarning = lines.size()};
}

// clang-format off
constexpr std::array<Category, kCategoryCount> kCategories{{
    {.id = CategoryId::kSalary, .key = "salary", .listText = "工资、薪金所得", .page = "TFrmSalary",
     .inputs = kSalaryInputs, .choice = Choice::kThreshold, .lines = kSalaryLines, .reverseRule = kReverseRule,
     .reverseClearsMessages = true, .linesBeforeWarning = std::size(kSalaryLines)},
    {.id = CategoryId::kYearBonus, .key = "year-bonus", .listText = "年终奖所得", .page = "TFrmYear",
     .inputs = kYearInputs, .choice = Choice::kNone, .lines = kYearLines, .reverseRule = kAfterTaxBonusRule,
     .reverseClearsMessages = false, .linesBeforeWarning = std::size(kYearLines)},
    {.id = CategoryId::kSalaryAndBonus, .key = "salary-bonus", .listText = "工资、年终奖所得", .page = "TFrmAward",
     .inputs = kAwardInputs, .choice = Choice::kThreshold, .lines = kAwardLines, .reverseRule = kIncomeRule,
     .reverseClearsMessages = false, .linesBeforeWarning = 2},
    {.id = CategoryId::kLabour, .key = "labour", .listText = "劳务报酬所得", .page = "TFrmLabour",
     .inputs = kPaymentInputs, .choice = Choice::kNone, .lines = kLabourLines, .reverseRule = kReverseRule,
     .reverseClearsMessages = false, .linesBeforeWarning = std::size(kLabourLines)},
    Simple(CategoryId::kWriting, "writing", "稿酬所得", "TFrmWriting", kAllowanceLines),
    Simple(CategoryId::kRent, "rent", "财产租赁所得", "TFrmRent", kAllowanceLines),
    Simple(CategoryId::kProperty, "property", "财产转让所得", "TFrmProperty", kFlatRateLines),
    Simple(CategoryId::kRoyalties, "royalties", "特许权使用费所得", "TFrmLicence", kAllowanceLines),
    Simple(CategoryId::kBusiness, "business", "个体工商户生产、经营所得", "TFrmCompany", kBusinessLines),
    Simple(CategoryId::kContract, "contract", "对企事业单位的承包经营、承租经营所得", "TFrmContract", kBusinessLines, Choice::kMonths),
    Simple(CategoryId::kInterest, "interest", "利息、股息、红利所得", "TFrmInterest", kFlatRateLines),
    Simple(CategoryId::kChance, "chance", "偶然所得（如中奖、中彩）", "TFrmChance", kFlatRateLines),
    Simple(CategoryId::kOther, "other", "被确定征税的其他部分", "TFrmOther", kFlatRateLines),
}};

// The planner: a dialog of its own, not a row of the list.
constexpr Category kPlan{.id = CategoryId::kPlan, .key = "plan", .listText = "年终奖筹划", .page = "FrmPlan",
                         .inputs = kPlanInputs, .choice = Choice::kThreshold, .lines = kPlanLines, .reverseRule = kIncomeRule,
                         .reverseClearsMessages = false, .linesBeforeWarning = std::size(kPlanLines)};
// clang-format on

constexpr bool TableInListOrder() {
  for (std::size_t i = 0; i < kCategories.size(); ++i) {
    if (static_cast<std::size_t>(kCategories[i].id) != i) return false;
    if (kCategories[i].linesBeforeWarning > kCategories[i].lines.size()) return false;
    for (const ResultLine& l : kCategories[i].lines) {
      if (l.reverse != Kind::kForward && l.widget != Widget::kEdit) return false;
    }
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

std::string_view TrimName(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

namespace {

bool Names(const Category& c, std::string_view name) { return name == c.key || name == c.listText; }

// `text` without its 、, its parentheses full-width as the list texts write them.
std::string Plainly(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 3) == "、") {
      i += 2;
    } else if (text[i] == '(') {
      out += "（";
    } else if (text[i] == ')') {
      out += "）";
    } else {
      out += text[i];
    }
  }
  return out;
}

// A payroll's name of a category that is neither its key nor its list text.
const Category* FindPayrollName(std::string_view name) {
  if (name.empty() || static_cast<unsigned char>(name[0]) < 0x80) return nullptr;  // no Chinese name
  if (name == "年终奖") return &CategoryOf(CategoryId::kYearBonus);
  const std::string plain = Plainly(name);
  for (const Category& c : kCategories) {
    if (plain == Plainly(c.listText)) return &c;
  }
  return nullptr;
}

}  // namespace

const Category* FindCategory(std::string_view name) {
  name = TrimName(name);
  for (const Category& c : kCategories) {
    if (Names(c, name)) return &c;
  }
  if (Names(kPlan, name)) return &kPlan;
  return FindPayrollName(name);
}

std::optional<Kind> FindKind(std::string_view text) {
  text = TrimName(text);
  if (text.empty()) return Kind::kForward;
  for (std::size_t i = 0; i < kKindCount; ++i) {
    if (text == kKindKeys[i] || text == kKindNames[i]) return static_cast<Kind>(i);
  }
  return std::nullopt;
}

}  // namespace quorvex::forms
