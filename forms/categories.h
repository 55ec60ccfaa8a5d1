// The categories of the main window's list: for each, its key on the command line, its list
// text, the calculations it offers, the fields it reads with their rules and captions, and
// the result lines it shows. Pages are built from this table and quorvex-calc reads and
// writes its records by it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "forms/fields.h"

namespace quorvex::forms {

// In the order of the main window's list (separators left out), then the year-end bonus
// planner of the 工具 menu, which is no row of the list and not counted in kCategoryCount.
enum class CategoryId : std::uint8_t {
  kSalary,
  kYearBonus,
  kSalaryAndBonus,
  kLabour,
  kWriting,
  kRent,
  kProperty,
  kRoyalties,
  kBusiness,
  kContract,
  kInterest,
  kChance,
  kOther,
  kPlan,
};
inline constexpr std::size_t kCategoryCount = 13;

// The calculations of a page: forwards from the income, or backwards from a typed tax, a
// salary's take-home pay, or an after-tax amount.
enum class Kind : std::uint8_t { kForward, kFromTax, kFromTakeHome, kFromAfterTax };
inline constexpr std::size_t kKindCount = 4;
inline constexpr std::array<std::string_view, kKindCount> kKindKeys{"forward", "from-tax", "from-take-home",
                                                                    "from-after-tax"};
// The same calculations as a sheet's 计算方式 column names them, after the pages' buttons.
inline constexpr std::array<std::string_view, kKindCount> kKindNames{"正算", "由应纳税额反算", "由实发工资反算",
                                                                     "由税后收入反算"};

// The result lines of all pages, in the order quorvex-calc writes them.
enum class Line : std::uint8_t {
  kAllowance,
  kMonthlyAverage,
  kTaxableIncome,
  kRate,
  kQuickDeduction,
  kTax,
  kAfterTax,
  kSalaryTax,
  kSalaryAfterTax,
  kBonusTax,
  kBonusAfterTax,
  kTotalTax,
  kTotalAfterTax,
  // The year-end bonus planner's.
  kPlanSalary,
  kPlanBonus,
  kPlanSalaryTax,
  kPlanBonusTax,
  kPlanTotalTax,
  kPlanAfterTax,
  kAllSalaryTotalTax,
  kSavingVsAllSalary,
  kPlannedTotalTax,
  kSavingVsPlanned,
  kPlannedZone,
};
inline constexpr std::size_t kLineCount = 24;
inline constexpr std::array<std::string_view, kLineCount> kLineKeys{"allowance",
                                                                    "monthly_average",
                                                                    "taxable_income",
                                                                    "rate",
                                                                    "quick_deduction",
                                                                    "tax",
                                                                    "after_tax",
                                                                    "salary_tax",
                                                                    "salary_after_tax",
                                                                    "bonus_tax",
                                                                    "bonus_after_tax",
                                                                    "total_tax",
                                                                    "total_after_tax",
                                                                    "plan_salary",
                                                                    "plan_bonus",
                                                                    "plan_salary_tax",
                                                                    "plan_bonus_tax",
                                                                    "plan_total_tax",
                                                                    "plan_after_tax",
                                                                    "all_salary_total_tax",
                                                                    "saving_vs_all_salary",
                                                                    "planned_total_tax",
                                                                    "saving_vs_planned",
                                                                    "planned_zone"};

// What a change of a field's text empties: nothing, the field's own message, or every message.
enum class OnChange : std::uint8_t { kNothing, kOwnMessage, kAllMessages };

// A list a page offers beside its amounts.
enum class Choice : std::uint8_t { kNone, kThreshold, kMonths };

struct InputField {
  Field field;
  const char* caption;
  const char* control;  // the field's object name
  const char* message;  // its message label's object name
  FieldRule rule;
  OnChange onChange;
};

// The control a result line is shown in.
enum class Widget : std::uint8_t { kLabel, kEdit };

// A result line: a label or a field. A field that a reverse calculation is typed into has the
// button of that calculation and a message label of its own.
struct ResultLine {
  Line line;
  const char* caption;
  const char* control;
  Widget widget;
  const char* group = "";  // the box the line stands in, "" for none
  Kind reverse = Kind::kForward;
  const char* button = "";
  const char* message = "";
  OnChange onChange = OnChange::kNothing;
};

struct Category {
  CategoryId id;
  const char* key;
  const char* listText;
  const char* page;  // the page's object name
  std::span<const InputField> inputs;
  Choice choice;
  std::span<const ResultLine> lines;
  FieldRule reverseRule;           // how a reverse calculation reads its typed amount
  bool reverseClearsMessages;      // a reverse calculation empties every message before reading
  std::size_t linesBeforeWarning;  // the lines on show while the blind-zone warning is open

  // Offers() tells whether the page has a calculation of `kind` (every page goes forwards).
  [[nodiscard]] bool Offers(Kind kind) const;
  [[nodiscard]] const InputField* Input(Field field) const;
  [[nodiscard]] const ResultLine* LineOf(Line line) const;
  // LineMask() has bit n set when the page shows line n.
  [[nodiscard]] std::uint32_t LineMask() const;
  // Typed() is the field a calculation of `kind` reads its amount from.
  [[nodiscard]] static Field Typed(Kind kind);
};

// The categories of the main window's list, in list order (the planner is not among them).
[[nodiscard]] std::span<const Category> Categories();
// CategoryOf() gives the planner's too.
[[nodiscard]] const Category& CategoryOf(CategoryId id);

// TrimName() is a name (of a category, a kind or a column) without the blanks and control
// characters (codes up to 32) around it.
[[nodiscard]] std::string_view TrimName(std::string_view text);

// FindCategory() is the one look-up of a category by name, for the command line, the
// planner and the sheets: a key or a list text (the planner's "plan" and "年终奖筹划" too), or
// a name payroll sheets give it: 年终奖, a list text without its 、 (工资薪金所得) or with ASCII
// parentheses (偶然所得(如中奖、中彩)). Blanks around it are ignored; nullptr when none matches.
[[nodiscard]] const Category* FindCategory(std::string_view name);
// FindKind() accepts a key of kKindKeys or a name of kKindNames, blanks around it ignored;
// empty is forward.
[[nodiscard]] std::optional<Kind> FindKind(std::string_view text);

}  // namespace quorvex::forms
