#include "forms/categories.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tax/amount.h"

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

// What Offers() and LineMask() tell of each page, worked out once from its lines: a sheet asks
// on every record, and a loop over the lines would end at another place for each category.
struct Masks {
  std::uint32_t lines = 0;
  std::uint8_t kinds = 0;  // bit k: a calculation of Kind k
};
constexpr auto kMasks = [] {
  std::array<Masks, kCategoryCount + 1> masks{};
  for (std::size_t i = 0; i <= kCategoryCount; ++i) {
    const Category& c = i < kCategoryCount ? kCategories[i] : kPlan;
    Masks& m = masks[static_cast<std::size_t>(c.id)];
    m.kinds = 1U << static_cast<unsigned>(Kind::kForward);
    for (const ResultLine& l : c.lines) {
      m.lines |= std::uint32_t{1} << static_cast<unsigned>(l.line);
      m.kinds |= static_cast<std::uint8_t>(1U << static_cast<unsigned>(l.reverse));
    }
  }
  return masks;
}();
static_assert(static_cast<std::size_t>(CategoryId::kPlan) == kCategoryCount);

}  // namespace

bool Category::Offers(Kind kind) const {
  return (kMasks[static_cast<std::size_t>(id)].kinds >> static_cast<unsigned>(kind) & 1U) != 0;
}

std::uint32_t Category::LineMask() const { return kMasks[static_cast<std::size_t>(id)].lines; }

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

// Every name a category is found by, measured once: the keys (what sheets mostly give), then
// the list texts; the planner last of each.
constexpr auto kNames = [] {
  std::array<std::string_view, 2 * (kCategoryCount + 1)> names{};
  for (std::size_t i = 0; i <= kCategoryCount; ++i) {
    const Category& c = i < kCategoryCount ? kCategories[i] : kPlan;
    names[i] = c.key;
    names[kCategoryCount + 1 + i] = c.listText;
  }
  return names;
}();
static_assert(std::none_of(kNames.begin(), kNames.end(), [](std::string_view n) { return n.empty(); }));

// The place of `text` in `kTable`, or its size: compared with each known text of known length
// in turn, which the compiler does for the short ones in a few instructions, without a call (a
// sheet asks for a category and a kind on every record).
template <const auto& kTable, std::size_t... I>
std::size_t PlaceOf(std::string_view text, std::index_sequence<I...> /*all*/) {
  std::size_t place = kTable.size();
  static_cast<void>(((text.size() == kTable[I].size() &&
                      std::memcmp(text.data(), kTable[I].data(), kTable[I].size()) == 0 && (place = I, true)) ||
                     ...));
  return place;
}
template <const auto& kTable>
std::size_t PlaceOf(std::string_view text) {
  return PlaceOf<kTable>(text, std::make_index_sequence<kTable.size()>{});
}

}  // namespace

const Category* FindCategory(std::string_view name) {
  const std::size_t place = PlaceOf<kNames>(tax::TrimAmountText(name));
  if (place == kNames.size()) return nullptr;
  const std::size_t i = place % (kCategoryCount + 1);  // the keys, then the list texts, in one order
  return i < kCategoryCount ? &kCategories[i] : &kPlan;
}

std::optional<Kind> FindKind(std::string_view text) {
  text = tax::TrimAmountText(text);
  if (text.empty()) return Kind::kForward;
  const std::size_t place = PlaceOf<kKindKeys>(text);
  if (place == kKindKeys.size()) return std::nullopt;
  return static_cast<Kind>(place);
}

}  // namespace quorvex::forms
