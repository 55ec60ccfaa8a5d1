#include "tax/wage.h"

#include <gtest/gtest.h>

#include <string>

#include "tax/amount.h"

namespace quorvex::tax {
namespace {

using Shown = SalaryResult::Texts;

Shown Show(double salary, double contributions, double threshold) {
  return CalcSalaryTax({salary, contributions, threshold}).Shown();
}

struct ForwardCase {
  const char* name;
  double salary, contributions, threshold;
  Shown shown;
};

class SalaryForwardTest : public testing::TestWithParam<ForwardCase> {};

TEST_P(SalaryForwardTest, ShowsThePublishedFigures) {
  const ForwardCase& c = GetParam();
  EXPECT_EQ(Show(c.salary, c.contributions, c.threshold), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, SalaryForwardTest,
    testing::Values(
        ForwardCase{"TaxableAtFirstBound", 5000, 0, 3500, {"1500.00", "3%", "0.00", "45.00", "4955.00"}},
        ForwardCase{"OneFenAboveFirstBound", 5000.01, 0, 3500, {"1500.01", "10%", "105.00", "45.00", "4955.01"}},
        ForwardCase{"WithContributions", 10000, 1000, 3500, {"5500.00", "20%", "555.00", "545.00", "8455.00"}},
        ForwardCase{"HigherThreshold", 8000, 0, 4800, {"3200.00", "10%", "105.00", "215.00", "7785.00"}},
        ForwardCase{"AtSixthBound", 84800, 0, 4800, {"80000.00", "35%", "5505.00", "22495.00", "62305.00"}},
        ForwardCase{"TopRow", 100000, 0, 3500, {"96500.00", "45%", "13505.00", "29920.00", "70080.00"}},
        ForwardCase{"TieRoundsAwayFromZero", 12500.5, 0, 3500, {"9000.50", "25%", "1005.00", "1245.13", "11255.38"}},
        ForwardCase{"BelowThreshold", 3000, 300, 3500, {"0.00", "0.00", "0.00", "0.00", "2700.00"}},
        ForwardCase{"TaxableExactlyZero", 5000, 1500, 3500, {"0.00", "0.00", "0.00", "0.00", "3500.00"}},
        ForwardCase{"TinyTaxable", 3500.01, 0, 3500, {"0.01", "3%", "0.00", "0.00", "3500.01"}},
        ForwardCase{"ContributionsAboveSalary", 1000, 2000, 3500, {"0.00", "0.00", "0.00", "0.00", "-1000.00"}},
        // The extended difference lies just above 4500, so the third row applies.
        ForwardCase{
            "ExtendedPrecisionPicksRow", 9823.45, 523.45, 4800, {"4500.00", "20%", "555.00", "345.00", "8955.00"}}),
    [](const testing::TestParamInfo<ForwardCase>& info) { return std::string(info.param.name); });

// Every bound of every column, on both sides: an amount equal to a bound takes the lower row.
struct BoundCase {
  const char* name;
  ScheduleRow (*find)(double);
  double bound;
};

class ScheduleBoundTest : public testing::TestWithParam<BoundCase> {};

TEST_P(ScheduleBoundTest, BoundTakesLowerRowAndOneFenMoreTheNext) {
  const BoundCase& c = GetParam();
  size_t index = 0;
  while (kMonthlyWageSchedule[index].taxableBound != c.bound && kMonthlyWageSchedule[index].taxBound != c.bound &&
         kMonthlyWageSchedule[index].afterTaxBound != c.bound)
    ++index;
  const ScheduleRow at = c.find(c.bound);
  const ScheduleRow above = c.find(c.bound + 0.01);
  EXPECT_EQ(at.rate, kMonthlyWageSchedule[index].rate);
  EXPECT_EQ(at.quickDeduction, kMonthlyWageSchedule[index].quickDeduction);
  EXPECT_EQ(above.rate, kMonthlyWageSchedule[index + 1].rate);
  EXPECT_EQ(above.quickDeduction, kMonthlyWageSchedule[index + 1].quickDeduction);
}

std::vector<BoundCase> AllBounds() {
  std::vector<BoundCase> cases;
  static std::vector<std::string> names;
  names.reserve(32);
  for (size_t i = 0; i + 1 < kMonthlyWageSchedule.size(); ++i) {
    const MonthlyWageRow& r = kMonthlyWageSchedule[i];
    names.push_back("Taxable" + std::to_string(static_cast<int>(r.taxableBound)));
    cases.push_back({names.back().c_str(), &FindMonthlyWageRow, r.taxableBound});
    names.push_back("Tax" + std::to_string(static_cast<int>(r.taxBound)));
    cases.push_back({names.back().c_str(), &FindMonthlyWageRowByTax, r.taxBound});
    names.push_back("TakeHome" + std::to_string(static_cast<int>(r.afterTaxBound)));
    cases.push_back({names.back().c_str(), &FindMonthlyWageRowByRealIncome, r.afterTaxBound});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllColumns, ScheduleBoundTest, testing::ValuesIn(AllBounds()),
                         [](const testing::TestParamInfo<BoundCase>& info) { return std::string(info.param.name); });

TEST(ScheduleTest, SmallAndNegativeAmountsTakeTheFirstRowAndLargeOnesTheLast) {
  EXPECT_EQ(FindMonthlyWageRow(-5).rate, 0.03);
  EXPECT_EQ(FindMonthlyWageRowByTax(0.01).rate, 0.03);
  EXPECT_EQ(FindMonthlyWageRow(1e300).rate, 0.45);
  EXPECT_EQ(FindMonthlyWageRowByRealIncome(1e12).quickDeduction, 13505);
}

struct ReverseCase {
  const char* name;
  bool fromTax;
  double typed, contributions, threshold;
  const char* income;
  const char* tax;
  const char* afterTax;
};

class SalaryReverseTest : public testing::TestWithParam<ReverseCase> {};

TEST_P(SalaryReverseTest, FindsTheSalaryAndTheForwardCalculationAgrees) {
  const ReverseCase& c = GetParam();
  const double salary = c.fromTax ? SalaryIncomeFromTax(c.typed, c.contributions, c.threshold)
                                  : SalaryIncomeFromRealIncome(c.typed, c.contributions, c.threshold);
  const std::string written = FormatGeneral(salary);
  EXPECT_EQ(written, c.income);
  const Shown shown = Show(*ParseAmount(written), c.contributions, c.threshold);
  EXPECT_EQ(shown.tax, c.tax);
  EXPECT_EQ(shown.afterTax, c.afterTax);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, SalaryReverseTest,
    testing::Values(ReverseCase{"TaxAtFirstBound", true, 45, 0, 3500, "5000", "45.00", "4955.00"},
                    ReverseCase{"TaxInSecondRow", true, 100, 0, 3500, "5550", "100.00", "5450.00"},
                    ReverseCase{"TaxWithContributions", true, 545, 1000, 3500, "10000", "545.00", "8455.00"},
                    ReverseCase{"TaxFifteenDigits", true, 10000, 0, 3500, "46016.6666666667", "10000.00", "36016.67"},
                    ReverseCase{"TaxAtSixthBound", true, 22495, 0, 3500, "83500", "22495.00", "61005.00"},
                    ReverseCase{"TakeHomeAtFirstBound", false, 4955, 0, 3500, "5000", "45.00", "4955.00"},
                    ReverseCase{"TakeHomeFourthRow", false, 30000, 0, 3500, "37493.3333333333", "7493.33", "30000.00"},
                    ReverseCase{"TakeHomeFifthRow", false, 35000, 0, 3500, "44564.2857142857", "9564.29", "35000.00"},
                    ReverseCase{"TakeHomeBelowThreshold", false, 3000, 500, 3500, "3500", "0.00", "3000.00"},
                    ReverseCase{"TakeHomeEqualsThreshold", false, 3500, 200, 3500, "3700", "0.00", "3500.00"}),
    [](const testing::TestParamInfo<ReverseCase>& info) { return std::string(info.param.name); });

TEST(SalaryReverseTest, RowBoundsReturnTheTaxableBoundPlusThresholdAndContributions) {
  const double contributions = 321.5;
  for (size_t i = 0; i + 1 < kMonthlyWageSchedule.size(); ++i) {
    const MonthlyWageRow& r = kMonthlyWageSchedule[i];
    for (double threshold : {3500.0, 4800.0}) {
      const double expected = r.taxableBound + threshold + contributions;
      EXPECT_EQ(SalaryIncomeFromTax(r.taxBound, contributions, threshold), expected) << r.taxBound;
      EXPECT_EQ(SalaryIncomeFromRealIncome(r.afterTaxBound + threshold, contributions, threshold), expected)
          << r.afterTaxBound;
    }
  }
}

// Every typed take-home or tax amount with at most two decimals comes back from the forward
// calculation (the rows' rates are at most 45%, so one fen of pay moves the result by less
// than a fen).
TEST(SalaryReverseTest, RoundTripsAcrossAllRows) {
  for (double threshold : {3500.0, 4800.0}) {
    for (long cents = 1; cents < 20000000; cents += 997) {
      const double typed = static_cast<double>(cents) / 100;
      const double fromTakeHome = *ParseAmount(FormatGeneral(SalaryIncomeFromRealIncome(typed, 100, threshold)));
      ASSERT_EQ(Show(fromTakeHome, 100, threshold).afterTax, FormatAmount(typed)) << typed;
      const double fromTax = *ParseAmount(FormatGeneral(SalaryIncomeFromTax(typed, 100, threshold)));
      ASSERT_EQ(Show(fromTax, 100, threshold).tax, FormatAmount(typed)) << typed;
    }
  }
}

}  // namespace
}  // namespace quorvex::tax
