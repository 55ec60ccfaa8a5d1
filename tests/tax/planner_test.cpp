#include "tax/planner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "tax/bonus.h"

namespace quorvex::tax {

void PrintTo(const PlanResult::Texts& t, std::ostream* os) {
  *os << t.planSalary << " | " << t.planBonus << " | " << t.planSalaryTax << " | " << t.planBonusTax << " | "
      << t.planTotalTax << " | " << t.planAfterTax << " | " << t.allSalaryTotalTax << " | " << t.savingVsAllSalary
      << " | " << t.plannedTotalTax << " | " << t.savingVsPlanned << " | " << t.plannedZone;
}

namespace {

std::string ZoneText(int zone) { return zone == 0 ? std::string() : kBlindZones[static_cast<size_t>(zone - 1)].text; }

// ---- Worked figures ----

struct WorkedCase {
  const char* name;
  PlanInput in;
  PlanResult::Texts shown;
};

void PrintTo(const WorkedCase& c, std::ostream* os) { *os << c.name; }

class PlanWorkedTest : public testing::TestWithParam<WorkedCase> {};

TEST_P(PlanWorkedTest, ShowsTheFigures) { EXPECT_EQ(PlanYearEndBonus(GetParam().in).Shown(), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(Figures, PlanWorkedTest,
                         testing::Values(
                             // Salary taxable up to 4500 at 10 % and the bonus up to 18000 at 3 %: the bonus fills the
                             // 3 % row exactly, the salary takes the rest at 20 %.
                             WorkedCase{"BonusFillsItsLowestRow",
                                        {120000, 0, 3500, std::nullopt},
                                        {"8500.00", "18000.00", "445.00", "540.00", "5880.00", "114120.00", "8940.00",
                                         "3060.00", "", "", ""}},
                             // 100000 / 12 is 8333.33 with 4 fen over, which go into the planned bonus.
                             WorkedCase{"PlannedBonusTakesTheOddFen",
                                        {120000, 0, 3500, 20000},
                                        {"8500.00", "18000.00", "445.00", "540.00", "5880.00", "114120.00", "8940.00",
                                         "3060.00", "6835.00", "955.00", ""}},
                             WorkedCase{"PlannedBonusInZone1",
                                        {120000, 0, 3500, 19000},
                                        {"8500.00", "18000.00", "445.00", "540.00", "5880.00", "114120.00", "8940.00",
                                         "3060.00", "6934.99", "1054.99", ZoneText(1)}},
                             // Every split with salary and bonus both in the 3 % row pays 540; the smallest bonus wins.
                             WorkedCase{"EqualTotalsTakeTheSmallestBonus",
                                        {60000, 0, 3500, 18000},
                                        {"5000.00", "0.00", "45.00", "0.00", "540.00", "59460.00", "540.00", "0.00",
                                         "540.00", "0.00", ""}},
                             // A planned salary of 3000 falls 500 short of the threshold: the bonus taxed is 19000.
                             WorkedCase{"PlannedZoneFollowsTheAdjustedBonus",
                                        {55500, 0, 3500, 19500},
                                        {"4625.00", "0.00", "33.75", "0.00", "405.00", "55095.00", "405.00", "0.00",
                                         "1795.00", "1390.00", ZoneText(1)}}),
                         [](const testing::TestParamInfo<WorkedCase>& info) { return std::string(info.param.name); });

// ---- The plan against every split ----

struct SearchCase {
  const char* name;
  PlanInput in;
  std::int64_t step;  // fen between the salaries tried: 1 tries every split
};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

// Fails when `s` pays less than the plan, or as much with a smaller bonus.
void ExpectNotBetter(const PlanInput& in, const Split& plan, std::int64_t fen) {
  const Split s = EvaluateSplit(in, fen);
  const long double tolerance = PlanTieTolerance(in.annual);
  ASSERT_FALSE(s.totalTax < plan.totalTax - tolerance)
      << "salary " << s.salary << " pays " << static_cast<double>(s.totalTax) << ", the plan (salary " << plan.salary
      << ") " << static_cast<double>(plan.totalTax);
  if (s.totalTax <= plan.totalTax + tolerance) {
    ASSERT_GE(s.bonus, plan.bonus) << "salary " << s.salary << " pays as much with a smaller bonus";
  }
}

class PlanSearchTest : public testing::TestWithParam<SearchCase> {};

TEST_P(PlanSearchTest, NoSplitPaysLess) {
  const SearchCase& c = GetParam();
  const PlanResult r = PlanYearEndBonus(c.in);
  const std::int64_t maxFen = MaxSalaryFen(c.in.annual);
  ASSERT_GE(EvaluateSplit(c.in, maxFen).bonus, 0);
  for (std::int64_t fen = 0; fen <= maxFen; fen += c.step) {
    // Stepping by whole yuan, vary the fen so that odd fen are tried too.
    const std::int64_t tried = c.step == 1 ? fen : std::min(maxFen, fen + (fen / c.step) % c.step);
    ExpectNotBetter(c.in, r.plan, tried);
  }
  // Every fen near the plan and the top end.
  for (std::int64_t fen = r.plan.salaryFen - 3000; fen <= r.plan.salaryFen + 3000; ++fen) {
    if (fen >= 0 && fen <= maxFen) ExpectNotBetter(c.in, r.plan, fen);
  }
  for (std::int64_t fen = std::max<std::int64_t>(0, maxFen - 3000); fen <= maxFen; ++fen) {
    ExpectNotBetter(c.in, r.plan, fen);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFen, PlanSearchTest,
                         testing::Values(SearchCase{"Small", {3000, 0, 3500, std::nullopt}, 1},
                                         SearchCase{"SalaryAlwaysShort", {40000, 0, 3500, std::nullopt}, 1},
                                         SearchCase{"BonusRow2Threshold4800", {80000.07, 0, 4800, std::nullopt}, 1},
                                         SearchCase{"OddFenContributions", {66666.66, 321.55, 3500, 20000}, 1},
                                         SearchCase{
                                             "ContributionsAboveTheSalary", {60000.01, 5000, 3500, std::nullopt}, 1},
                                         SearchCase{"ShortfallAgainstBonusBound", {25000, 0, 3500, std::nullopt}, 1},
                                         SearchCase{"Row3Salary", {120000.11, 1000, 3500, 30000}, 1},
                                         SearchCase{"Row3Threshold4800", {118000.05, 0, 4800, std::nullopt}, 1},
                                         SearchCase{"SubFenAnnual", {100000.005, 250, 3500, std::nullopt}, 1}),
                         [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(EveryYuan, PlanSearchTest,
                         testing::Values(SearchCase{"HalfAMillion", {500000.03, 1200, 3500, 108000}, 100},
                                         SearchCase{"TwoMillion", {2000000, 3000, 4800, 660000}, 100},
                                         SearchCase{"TopRows", {13000000.99, 0, 3500, std::nullopt}, 100}),
                         [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

// ---- The ends of the range ----

TEST(PlanRangeTest, AllSalaryLeavesOnlyTheOddFen) {
  EXPECT_EQ(MaxSalaryFen(1000), 8333);
  EXPECT_EQ(EvaluateSplit({1000, 0, 3500, std::nullopt}, 8333).bonus, 0.04);
  EXPECT_EQ(MaxSalaryFen(0.11), 0);
  EXPECT_EQ(PlannedSalaryFen(1000, 1000), 0);
  EXPECT_EQ(PlannedSalaryFen(1000, 0), 8333);
  EXPECT_EQ(PlannedSalaryFen(1000, 999.99), 0);
}

TEST(PlanRangeTest, ExtremeInputsStayWithinTheYear) {
  for (const PlanInput& in : {PlanInput{kMaxPlanAnnual, 0, 4800, 1}, PlanInput{0.01, 1e300, 3500, 0.01},
                              PlanInput{1e-300, 0, 3500, std::nullopt}, PlanInput{1e6, 1e300, 3500, 5e5}}) {
    const PlanResult r = PlanYearEndBonus(in);
    EXPECT_GE(r.plan.bonus, 0);
    EXPECT_LE(r.plan.bonus, in.annual);
    EXPECT_LE(r.plan.totalTax, r.allSalary.totalTax);
    EXPECT_EQ(r.planned.has_value(), in.plannedBonus.has_value());
  }
}

}  // namespace
}  // namespace quorvex::tax
