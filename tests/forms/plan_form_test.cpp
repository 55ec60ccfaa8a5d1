// The planner's form: which field a typed text is rejected in, with which message, and what
// is written back into the fields.
#include "forms/plan_form.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "forms/messages.h"
#include "tax/bonus.h"

namespace quorvex::forms {
namespace {

namespace msg = forms::messages;

PageInput Plan(std::string_view annual, std::string_view contributions, std::string_view planned) {
  PageInput t;
  t[Field::kIncome] = annual;
  t[Field::kContributions] = contributions;
  t[Field::kPlannedBonus] = planned;
  return t;
}

struct RejectCase {
  const char* name;
  const char* annual;
  const char* contributions;
  const char* planned;
  Field field;
  const char* message;
};

void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class PlanRejectTest : public testing::TestWithParam<RejectCase> {};

TEST_P(PlanRejectTest, ReportsBesideTheFieldAndFocusesIt) {
  const RejectCase& c = GetParam();
  const Outcome out = ComputePlan(Plan(c.annual, c.contributions, c.planned));
  EXPECT_FALSE(out.computed);
  EXPECT_EQ(out.messageField, c.field);
  EXPECT_EQ(out.message, c.message);
  EXPECT_TRUE(out.focus);
  EXPECT_EQ(out.focusField, c.field);
  EXPECT_EQ(out[Line::kPlanTotalTax], "");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, PlanRejectTest,
    testing::Values(
        RejectCase{"EmptyAnnual", "", "", "", Field::kIncome, msg::kInvalidAmount},
        RejectCase{"ZeroAnnual", " 0 ", "", "", Field::kIncome, msg::kIncomeNotPositive},
        RejectCase{"AnnualBeyondTheLimit", "1e10", "", "", Field::kIncome, msg::kAnnualTooLarge},
        RejectCase{"AnnualFirstThenTheOthers", "x", "-1", "-1", Field::kIncome, msg::kInvalidAmount},
        RejectCase{"GroupedContributions", "120000", "1,000", "", Field::kContributions, msg::kInvalidAmount},
        RejectCase{"NegativeContributions", "120000", "-1", "-1", Field::kContributions, msg::kContributionsNegative},
        RejectCase{"PlannedWithUnit", "120000", "", "2000元", Field::kPlannedBonus, msg::kInvalidAmount},
        RejectCase{"NegativePlanned", "120000", "", "-0.01", Field::kPlannedBonus, msg::kPlannedBonusNegative},
        RejectCase{"PlannedAboveTheYear", "120000", "", "120000.01", Field::kPlannedBonus,
                   msg::kPlannedBonusAboveAnnual}),
    [](const testing::TestParamInfo<RejectCase>& info) { return std::string(info.param.name); });

TEST(PlanFormTest, WritesTheTrimmedTextsBackAndFillsEmptyContributions) {
  const Outcome out = ComputePlan(Plan(" 120000\t", "", "  "));
  ASSERT_TRUE(out.computed);
  ASSERT_EQ(out.stepCount, 4);
  EXPECT_EQ(out.steps[0].what, Step::What::kClearResults);
  EXPECT_EQ(out.steps[1].text, "120000");
  EXPECT_EQ(out.steps[2].field, Field::kContributions);
  EXPECT_EQ(out.steps[2].text, "0.00");
  EXPECT_EQ(out.steps[3].field, Field::kPlannedBonus);
  EXPECT_EQ(out.steps[3].text, "");
  EXPECT_TRUE(out.focus);
  EXPECT_EQ(out.focusField, Field::kIncome);
  EXPECT_EQ(out.message, "");
  EXPECT_EQ(out[Line::kPlanBonus], "18000.00");
  // Nothing planned: the planned bonus's lines stay empty.
  EXPECT_EQ(out[Line::kPlannedTotalTax], "");
  EXPECT_EQ(out[Line::kSavingVsPlanned], "");
}

TEST(PlanFormTest, PlannedBonusMayBeNothingOrTheWholeYear) {
  const Outcome none = ComputePlan(Plan("60000", "0", "0"));
  ASSERT_TRUE(none.computed);
  EXPECT_EQ(none[Line::kPlannedTotalTax], "540.00");
  // All of it as bonus: no salary, so the whole threshold comes off the bonus; 56500 is taxed
  // at 20 % less 555 and lies in the second blind zone.
  const Outcome all = ComputePlan(Plan("60000", "0", "60000"));
  ASSERT_TRUE(all.computed);
  EXPECT_EQ(all[Line::kPlannedTotalTax], "10745.00");
  EXPECT_EQ(all[Line::kSavingVsPlanned], "10205.00");
  EXPECT_EQ(all[Line::kPlannedZone], tax::kBlindZones[1].text);
}

TEST(PlanFormTest, TheThresholdTakesEffect) {
  PageInput t = Plan("120000", "", "");
  t.threshold = 4800;
  const Outcome out = ComputePlan(t);
  ASSERT_TRUE(out.computed);
  // The bonus fills its 3 % row; the salary's 3700 above 4800 is taxed 265 a month (5880.00
  // with the lower threshold).
  EXPECT_EQ(out[Line::kPlanSalary], "8500.00");
  EXPECT_EQ(out[Line::kPlanTotalTax], "3720.00");
}

}  // namespace
}  // namespace quorvex::forms
