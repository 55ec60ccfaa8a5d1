// The total-tax curve against the planner's own evaluation of each split, and the bonus's
// after-tax curve against the bonus calculation, over years drawn at random.
#include "tax/plan_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "tax/amount.h"
#include "tax/bonus.h"

namespace quorvex::tax {
namespace {

// Years of whole fen up to a few million, odd contributions, both thresholds, some planned.
std::vector<PlanInput> RandomYears(int count) {
  std::mt19937_64 random(20111231);
  std::uniform_int_distribution<std::int64_t> annualFen(1, 300'000'000);
  std::uniform_int_distribution<std::int64_t> contributionFen(0, 600'000);
  std::vector<PlanInput> years;
  for (int i = 0; i < count; ++i) {
    // Every third year is small enough to keep its salary short of the threshold for long.
    const std::int64_t fen = i % 3 == 0 ? annualFen(random) % 10'000'000 + 1 : annualFen(random);
    years.push_back({static_cast<double>(fen) / 100, static_cast<double>(contributionFen(random)) / 100,
                     kThresholds[static_cast<std::size_t>(i % 2)], std::nullopt});
  }
  years.push_back({120000, 0, 3500, std::nullopt});
  years.push_back({kMaxPlanAnnual, 0, 4800, std::nullopt});
  years.push_back({100000.005, 250, 3500, std::nullopt});  // not a whole fen
  return years;
}

TEST(PlanCurveTest, VerticesAreTheSplitsAsThePlannerTaxesThem) {
  for (const PlanInput& in : RandomYears(60)) {
    SCOPED_TRACE(FormatAmount(in.annual));
    const PlanCurve curve = PlanTotalTaxCurve(in);
    ASSERT_GE(curve.vertices.size(), 2U);
    EXPECT_EQ(curve.vertices.front().split.salaryFen, MaxSalaryFen(in.annual));
    EXPECT_EQ(curve.vertices.back().split.salaryFen, 0);
    for (std::size_t i = 0; i < curve.vertices.size(); ++i) {
      const Split& v = curve.vertices[i].split;
      const Split own = EvaluateSplit(in, v.salaryFen);
      EXPECT_EQ(v.bonus, own.bonus);
      EXPECT_EQ(v.totalTax, own.totalTax);
      if (i > 0) {
        EXPECT_LT(curve.vertices[i - 1].split.bonus, v.bonus);
      }
    }
  }
}

TEST(PlanCurveTest, LeastVertexIsThePlan) {
  for (const PlanInput& in : RandomYears(60)) {
    SCOPED_TRACE(FormatAmount(in.annual));
    const PlanCurve curve = PlanTotalTaxCurve(in);
    const long double tolerance = PlanTieTolerance(in.annual);
    const Split* least = &curve.vertices.front().split;
    for (const CurveVertex& v : curve.vertices) {
      if (v.split.totalTax < least->totalTax - tolerance) least = &v.split;
    }
    const Split plan = PlanYearEndBonus(in).plan;
    EXPECT_EQ(least->salaryFen, plan.salaryFen);
    EXPECT_EQ(FormatExtendedAmount(least->totalTax), FormatExtendedAmount(plan.totalTax));
  }
}

TEST(PlanCurveTest, EverySplitLiesOnItsSegment) {
  std::mt19937_64 random(7);
  for (const PlanInput& in : RandomYears(60)) {
    SCOPED_TRACE(FormatAmount(in.annual));
    const PlanCurve curve = PlanTotalTaxCurve(in);
    const long double tolerance = PlanTieTolerance(in.annual);
    for (std::size_t i = 1; i < curve.vertices.size(); ++i) {
      const Split& a = curve.vertices[i - 1].split;  // the larger salary
      const Split& b = curve.vertices[i].split;
      if (a.salaryFen - b.salaryFen < 2) continue;
      EXPECT_FALSE(curve.vertices[i].jumpBefore);
      std::uniform_int_distribution<std::int64_t> between(b.salaryFen + 1, a.salaryFen - 1);
      for (int k = 0; k < 20; ++k) {
        const Split s = EvaluateSplit(in, between(random));
        const long double t = static_cast<long double>(a.salaryFen - s.salaryFen) / (a.salaryFen - b.salaryFen);
        const long double line = a.totalTax + (b.totalTax - a.totalTax) * t;
        ASSERT_NEAR(static_cast<double>(s.totalTax), static_cast<double>(line), static_cast<double>(tolerance))
            << "salary fen " << s.salaryFen << " between " << b.salaryFen << " and " << a.salaryFen;
      }
    }
  }
}

TEST(PlanCurveTest, JumpsOnlyWhereTheBonusTaxedEntersAHigherRow) {
  // 120000 a year: the bonus 18000.00 (salary 8500.00) pays 540, the next split's bonus
  // 18000.12 is taxed at 10 % less 105.
  const PlanCurve curve = PlanTotalTaxCurve({120000, 0, 3500, std::nullopt});
  int jumps = 0;
  for (std::size_t i = 1; i < curve.vertices.size(); ++i) {
    if (!curve.vertices[i].jumpBefore) continue;
    ++jumps;
    EXPECT_EQ(curve.vertices[i - 1].split.salaryFen, curve.vertices[i].split.salaryFen + 1);
    EXPECT_GT(curve.vertices[i].split.totalTax, curve.vertices[i - 1].split.totalTax + 1000);
  }
  EXPECT_EQ(jumps, 3);  // into 10 % at 18000, 20 % at 54000, 25 % at 108000
  ASSERT_EQ(curve.zones.size(), 3U);
  EXPECT_EQ(curve.zones[0].text, kBlindZones[0].text);
  EXPECT_EQ(FormatAmount(curve.zones[0].fromBonus), "18000.12");
  EXPECT_EQ(FormatAmount(curve.zones[0].toBonus), "19283.28");
  EXPECT_EQ(FormatAmount(SplitAtBonus({120000, 0, 3500, std::nullopt}, 18000).bonus), "18000.00");
  EXPECT_EQ(FormatAmount(SplitAtBonus({120000, 0, 3500, std::nullopt}, 18000.05).bonus), "18000.12");
}

TEST(YearBonusCurveTest, FollowsTheBonusCalculationAndDropsAtEachBoundary) {
  const std::vector<BonusVertex> curve = YearBonusCurve(1'000'000);
  ASSERT_EQ(curve.size(), 14U);  // 0, six boundaries with the fen after each, 1,000,000
  EXPECT_EQ(curve.back().bonus, 1'000'000);
  std::mt19937_64 random(3);
  for (std::size_t i = 1; i < curve.size(); ++i) {
    const BonusVertex& a = curve[i - 1];
    const BonusVertex& b = curve[i];
    EXPECT_EQ(b.afterTax, CalcYearBonusTax(b.bonus).afterTax);
    if (b.jumpBefore) {
      EXPECT_LT(b.afterTax, a.afterTax);  // 18,000.01 leaves less than 18,000
      continue;
    }
    std::uniform_real_distribution<double> between(a.bonus, b.bonus);
    for (int k = 0; k < 50; ++k) {
      const double bonus = std::round(between(random) * 100) / 100;
      const double line = a.afterTax + (b.afterTax - a.afterTax) * (bonus - a.bonus) / (b.bonus - a.bonus);
      ASSERT_NEAR(CalcYearBonusTax(bonus).afterTax, line, 1e-6) << bonus;
    }
  }
  EXPECT_EQ(FormatAmount(curve[1].afterTax), "17460.00");
  EXPECT_EQ(FormatAmount(curve[2].afterTax), "16305.01");
}

}  // namespace
}  // namespace quorvex::tax
