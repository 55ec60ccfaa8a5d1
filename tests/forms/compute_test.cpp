// What each page shows for what is typed into it: every result line, the message and the
// field it stands beside, the warning, where the focus goes and the income a reverse
// calculation writes. One row per case, in the pages' own terms.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>

#include "forms/compute.h"
#include "forms/messages.h"

namespace quorvex::forms {
namespace {

namespace msg = forms::messages;

struct Case {  // NOLINT(clang-analyzer-optin.performance.Padding): rows read in page order
  const char* name;
  CategoryId category;
  Kind kind;
  const char* typed;  // into the kind's field
  const char* contributions = "";
  double threshold = 3500;
  const char* salary = "";
  int months = 12;
  // Expected: the category's lines joined with '|' in page order ("" when rejected), the
  // message, the field it stands beside, the warning, the focused field ("" = unmoved) and
  // the income written back.
  const char* lines = "";
  const char* message = "";
  const char* beside = "income";
  bool warning = false;
  const char* focus = "income";
  const char* income = "";
};

const char* FieldName(Field f) {
  static const char* const kNames[] = {"income", "salary", "contributions", "tax", "after-tax"};
  return kNames[Index(f)];
}

PageInput TypedOf(const Case& c) {
  PageInput typed;
  typed[Category::Typed(c.kind)] = c.typed;
  typed[Field::kContributions] = c.contributions;
  typed[Field::kSalary] = c.salary;
  typed.threshold = c.threshold;
  typed.months = c.months;
  return typed;
}

Outcome ComputeCase(const Case& c) { return Compute(CategoryOf(c.category), c.kind, TypedOf(c)); }

class ComputeTest : public testing::TestWithParam<Case> {};

TEST_P(ComputeTest, ShowsWhatThePageShows) {
  const Case& c = GetParam();
  const Outcome out = ComputeCase(c);
  std::string lines;
  if (out.computed) {
    for (const ResultLine& l : CategoryOf(c.category).lines) lines += (lines.empty() ? "" : "|") + out[l.line];
  }
  EXPECT_EQ(lines, c.lines);
  EXPECT_EQ(out.message, c.message);
  if (!out.message.empty()) {
    EXPECT_STREQ(FieldName(out.messageField), c.beside);
  }
  EXPECT_EQ(out.warning, c.warning);
  EXPECT_STREQ(out.focus ? FieldName(out.focusField) : "", c.focus);
  EXPECT_EQ(out.income, c.income);
}

constexpr Kind F = Kind::kForward;
constexpr Kind Tax = Kind::kFromTax;
constexpr Kind TakeHome = Kind::kFromTakeHome;
constexpr Kind AfterTax = Kind::kFromAfterTax;
using C = CategoryId;

const Case kCases[] = {
    // Salary: both sides of the first bound, the higher threshold, the top row, no tax.
    {.name = "SalaryOnTheFirstBound",
     .category = C::kSalary,
     .kind = F,
     .typed = "5000",
     .contributions = "0",
     .lines = "1500.00|3%|0.00|45.00|4955.00"},
    {.name = "SalaryOneFenAbove",
     .category = C::kSalary,
     .kind = F,
     .typed = "5000.01",
     .lines = "1500.01|10%|105.00|45.00|4955.01"},
    {.name = "SalaryThreshold4800",
     .category = C::kSalary,
     .kind = F,
     .typed = "84800",
     .threshold = 4800,
     .lines = "80000.00|35%|5505.00|22495.00|62305.00"},
    {.name = "SalaryTopRow",
     .category = C::kSalary,
     .kind = F,
     .typed = "100000",
     .lines = "96500.00|45%|13505.00|29920.00|70080.00"},
    {.name = "SalaryUntaxed",
     .category = C::kSalary,
     .kind = F,
     .typed = "3000",
     .contributions = "300",
     .lines = "0.00|0.00|0.00|0.00|2700.00"},
    {.name = "SalaryRejectsText", .category = C::kSalary, .kind = F, .typed = "abc", .message = msg::kInvalidAmount},
    {.name = "SalaryRejectsZero", .category = C::kSalary, .kind = F, .typed = "0", .message = msg::kIncomeNotPositive},
    {.name = "SalaryRejectsNegativeContributions",
     .category = C::kSalary,
     .kind = F,
     .typed = "5000",
     .contributions = "-1",
     .message = msg::kContributionsNegative,
     .beside = "contributions",
     .focus = "contributions"},
    {.name = "SalaryFromTax",
     .category = C::kSalary,
     .kind = Tax,
     .typed = "10000",
     .lines = "42516.67|30%|2755.00|10000.00|36016.67",
     .income = "46016.6666666667"},
    {.name = "SalaryFromTakeHome",
     .category = C::kSalary,
     .kind = TakeHome,
     .typed = "3000",
     .contributions = "500",
     .lines = "0.00|0.00|0.00|0.00|3000.00",
     .income = "3500"},
    {.name = "SalaryFromTaxRejectsZero",
     .category = C::kSalary,
     .kind = Tax,
     .typed = "0",
     .message = msg::kReverseNotPositive,
     .beside = "tax",
     .focus = "tax"},
    {.name = "SalaryFromTakeHomeRejectsText",
     .category = C::kSalary,
     .kind = TakeHome,
     .typed = "x",
     .message = msg::kReverseInvalid,
     .beside = "after-tax",
     .focus = "after-tax"},
    // The salary is read before the contributions, the typed tax before both.
    {.name = "SalaryReportsTheIncomeBeforeTheContributions",
     .category = C::kSalary,
     .kind = F,
     .typed = "x",
     .contributions = "x",
     .message = msg::kInvalidAmount},
    {.name = "SalaryRejectsUnreadableContributions",
     .category = C::kSalary,
     .kind = F,
     .typed = "5000",
     .contributions = "x",
     .message = msg::kInvalidAmount,
     .beside = "contributions",
     .focus = "contributions"},
    {.name = "SalaryFromTaxRejectsNegativeContributions",
     .category = C::kSalary,
     .kind = Tax,
     .typed = "45",
     .contributions = "-3",
     .message = msg::kContributionsNegative,
     .beside = "contributions",
     .focus = "contributions"},
    // A salary found next to the largest double is written rounded, and its text no longer
    // reads back: the forward calculation rejects it beside the income.
    {.name = "SalaryFoundBeyondTheRangeOfADouble",
     .category = C::kSalary,
     .kind = Tax,
     .typed = "100",
     .contributions = "1.7976931348623157e308",
     .message = msg::kInvalidAmount,
     .income = "1.79769313486232E+308"},
    // Year-end bonus: the blind zone's first fen, the reverse past it.
    {.name = "YearBonusOnTheBound",
     .category = C::kYearBonus,
     .kind = F,
     .typed = "18000",
     .lines = "1500.00|3%|0.00|540.00|17460.00"},
    {.name = "YearBonusInZone1",
     .category = C::kYearBonus,
     .kind = F,
     .typed = "18000.01",
     .lines = "1500.00|10%|105.00|1695.00|16305.01",
     .message = "进入盲区：( 18,000, 19,283.33 ]",
     .warning = true},
    {.name = "YearBonusFromAfterTaxPastAZone",
     .category = C::kYearBonus,
     .kind = AfterTax,
     .typed = "17460.01",
     .lines = "1606.94|10%|105.00|1823.33|17460.01",
     .income = "19283.34"},
    {.name = "YearBonusFromAfterTaxBeyondADouble",
     .category = C::kYearBonus,
     .kind = AfterTax,
     .typed = "1e308",
     .message = msg::kInvalidAmount,
     .beside = "after-tax",
     .focus = "after-tax"},
    {.name = "YearBonusFromAfterTaxRejectsZero",
     .category = C::kYearBonus,
     .kind = AfterTax,
     .typed = "0",
     .message = msg::kIncomeNotPositive,
     .beside = "after-tax",
     .focus = "after-tax"},
    // Salary and bonus: the shortfall, a zone; the focus is left where it was.
    {.name = "SalaryAndBonusShortfall",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "12000",
     .contributions = "0",
     .salary = "2000",
     .lines = "0.00|2000.00|315.00|11685.00|315.00|13685.00",
     .focus = ""},
    {.name = "SalaryAndBonusInZone2",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "60000",
     .contributions = "2000",
     .salary = "10000",
     .lines = "345.00|9655.00|11445.00|48555.00|11790.00|58210.00",
     .message = "进入奖盲区：( 54,000, 60187.50 ]",
     .warning = true,
     .focus = ""},
    {.name = "SalaryAndBonusThreshold4800",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "24000",
     .contributions = "1000",
     .threshold = 4800,
     .salary = "6000",
     .lines = "6.00|5994.00|2295.00|21705.00|2301.00|27699.00",
     .focus = ""},
    {.name = "SalaryAndBonusTypedInAZoneAdjustedBelowIt",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "18400",
     .contributions = "0",
     .salary = "3000",
     .lines = "0.00|3000.00|537.00|17863.00|537.00|20863.00",
     .focus = ""},
    {.name = "SalaryAndBonusReportsTheBonusBeforeTheSalary",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "x",
     .salary = "-1",
     .message = msg::kInvalidAmount},
    {.name = "SalaryAndBonusRejectsAnEmptySalary",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "1000",
     .message = msg::kInvalidAmount,
     .beside = "salary",
     .focus = "salary"},
    {.name = "SalaryAndBonusRejectsNegativeContributions",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "1000",
     .contributions = "-1",
     .salary = "0",
     .message = msg::kContributionsNegative,
     .beside = "contributions",
     .focus = "contributions"},
    {.name = "SalaryAndBonusRejectsNegativeSalary",
     .category = C::kSalaryAndBonus,
     .kind = F,
     .typed = "1000",
     .salary = "-1",
     .message = msg::kSalaryNegative,
     .beside = "salary",
     .focus = "salary"},
    // Labour: 800 leaves the focus, both sides of 4000, the reverse bounds.
    {.name = "LabourUntaxed",
     .category = C::kLabour,
     .kind = F,
     .typed = "800",
     .lines = "0.00|0.00|0.00|0.00|0.00|800.00",
     .focus = ""},
    {.name = "LabourOneFenAbove4000",
     .category = C::kLabour,
     .kind = F,
     .typed = "4000.01",
     .lines = "800.00|3200.01|20%|0.00|640.00|3360.01"},
    {.name = "LabourHalfAYuanAbove4000",
     .category = C::kLabour,
     .kind = F,
     .typed = "4000.50",
     .lines = "800.10|3200.40|20%|0.00|640.08|3360.42"},
    {.name = "LabourFromAfterTaxOnABound",
     .category = C::kLabour,
     .kind = AfterTax,
     .typed = "49500",
     .lines = "12500.00|50000.00|30%|2000.00|13000.00|49500.00",
     .income = "62500"},
    {.name = "LabourFromAfterTaxRejectsZero",
     .category = C::kLabour,
     .kind = AfterTax,
     .typed = "0",
     .message = msg::kReverseNotPositive,
     .beside = "after-tax",
     .focus = "after-tax"},
    {.name = "LabourFromAfterTaxBeyondADouble",
     .category = C::kLabour,
     .kind = AfterTax,
     .typed = "1.7e308",
     .message = msg::kReverseInvalid,
     .beside = "after-tax",
     .focus = "after-tax"},
    // Per-payment and flat-rate pages.
    {.name = "WritingUntaxed",
     .category = C::kWriting,
     .kind = F,
     .typed = "800",
     .lines = "0.00|0.00|0.00|0.00|800.00",
     .focus = ""},
    {.name = "Writing", .category = C::kWriting, .kind = F, .typed = "1000", .lines = "800.00|200.00|14%|28.00|972.00"},
    {.name = "RoyaltiesUntaxedWithNotice",
     .category = C::kRoyalties,
     .kind = F,
     .typed = "800",
     .lines = "0.00|0.00|0.00|0.00|800.00",
     .message = "收入金额小于800元，无需纳税。"},
    {.name = "RentUntaxed",
     .category = C::kRent,
     .kind = F,
     .typed = " 800 ",
     .lines = "0.00|0.00|0.00|0.00|800.00",
     .focus = ""},
    {.name = "PropertyTakesALonePointForZero",
     .category = C::kProperty,
     .kind = F,
     .typed = ".",
     .message = msg::kIncomeNotPositive},
    {.name = "Rent", .category = C::kRent, .kind = F, .typed = "4000", .lines = "800.00|3200.00|20%|640.00|3360.00"},
    {.name = "FlatRateSmallest", .category = C::kInterest, .kind = F, .typed = "0.03", .lines = "0.03|20%|0.01|0.02"},
    {.name = "PropertyRejectsBlank",
     .category = C::kProperty,
     .kind = F,
     .typed = "  ",
     .message = msg::kInvalidAmount},
    // Business pages.
    {.name = "BusinessOneFenAboveABound",
     .category = C::kBusiness,
     .kind = F,
     .typed = "15000.01",
     .lines = "15000.01|10%|750|750.00|14250.01"},
    {.name = "ContractUntaxed",
     .category = C::kContract,
     .kind = F,
     .typed = "42000",
     .lines = "0.00|0.00|0.00|0.00|42000.00",
     .message = "无需纳税。"},
    {.name = "ContractHalfAYear",
     .category = C::kContract,
     .kind = F,
     .typed = "30000",
     .months = 6,
     .lines = "9000.00|5%|0|450.00|29550.00"},
};

INSTANTIATE_TEST_SUITE_P(Pages, ComputeTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// One outcome computed into case after case, as a sheet does for its records, holds just what
// a fresh one would: nothing of the case before stays behind.
TEST(ComputeReuseTest, AnOutcomeComputedIntoAgainHoldsOnlyTheNewCase) {
  Outcome reused;
  for (const bool backwards : {false, true}) {
    for (std::size_t n = 0; n < std::size(kCases); ++n) {
      const Case& c = kCases[backwards ? std::size(kCases) - 1 - n : n];
      Compute(CategoryOf(c.category), c.kind, TypedOf(c), reused);
      const Outcome fresh = ComputeCase(c);
      EXPECT_EQ(reused.lines, fresh.lines) << c.name;
      EXPECT_EQ(reused.shown, fresh.shown) << c.name;
      EXPECT_EQ(reused.message, fresh.message) << c.name;
      EXPECT_EQ(reused.income, fresh.income) << c.name;
    }
  }
}

// The texts a page writes back into its fields, in the order it writes them.
std::string Writes(const Outcome& out) {
  std::string s;
  for (std::size_t i = 0; i < out.stepCount; ++i) {
    const Step& step = out.steps[i];
    if (step.what == Step::What::kClearMessages) s += "[messages]";
    if (step.what == Step::What::kClearResults) s += "[results]";
    if (step.what == Step::What::kWrite) s += std::string(FieldName(step.field)) + "=" + step.text + ";";
  }
  return s;
}

TEST(ComputeStepsTest, TrimsWhatIsReadAndFillsEmptyContributions) {
  PageInput typed;
  typed[Field::kIncome] = " 5000\t";
  EXPECT_EQ(Writes(Compute(CategoryOf(C::kSalary), F, typed)), "[results]income=5000;contributions=0.00;");
}

TEST(ComputeStepsTest, ReverseClearsMessagesThenResultsAfterWritingTheIncome) {
  PageInput typed;
  typed[Field::kTax] = "45 ";
  EXPECT_EQ(Writes(Compute(CategoryOf(C::kSalary), Tax, typed)),
            "[messages]tax=45;contributions=0.00;income=5000;[results]income=5000;contributions=0.00;");
  typed[Field::kAfterTax] = "900";
  EXPECT_EQ(Writes(Compute(CategoryOf(C::kLabour), AfterTax, typed)), "after-tax=900;income=925;[results]income=925;");
}

TEST(ComputeStepsTest, ReadingStopsAtTheFirstRejectedField) {
  PageInput typed;
  typed[Field::kIncome] = "";
  typed[Field::kSalary] = "abc";
  EXPECT_EQ(Writes(Compute(CategoryOf(C::kSalaryAndBonus), F, typed)), "[results]income=;");
}

TEST(ComputeStepsTest, AKindThePageLacksRunsForwards) {
  PageInput typed;
  typed[Field::kIncome] = "1000";
  EXPECT_TRUE(Compute(CategoryOf(C::kWriting), Tax, typed).computed);
}

}  // namespace
}  // namespace quorvex::forms
