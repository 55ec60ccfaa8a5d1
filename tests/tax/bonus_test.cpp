#include "tax/bonus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "tax/amount.h"

namespace quorvex::tax {
namespace {}  // namespace

void PrintTo(const YearBonusResult::Texts& t, std::ostream* os) {
  *os << t.average << " | " << t.rate << " | " << t.quickDeduction << " | " << t.tax << " | " << t.afterTax;
}

void PrintTo(const SalaryAndBonusResult::Texts& t, std::ostream* os) {
  *os << t.salaryTax << " | " << t.afterTaxSalary << " | " << t.bonusTax << " | " << t.afterTaxBonus << " | "
      << t.totalTax << " | " << t.totalAfterTax;
}

namespace {

std::string ZoneText(int zone) { return zone == 0 ? std::string() : kBlindZones[static_cast<size_t>(zone - 1)].text; }

// ---- Year-end bonus, forward ----

struct YearCase {
  const char* name;
  double bonus;
  YearBonusResult::Texts shown;
  int zone;  // 0: no warning
};

class YearBonusForwardTest : public testing::TestWithParam<YearCase> {};

TEST_P(YearBonusForwardTest, ShowsThePublishedFigures) {
  const YearCase& c = GetParam();
  const YearBonusResult r = CalcYearBonusTax(c.bonus);
  EXPECT_EQ(r.Shown(), c.shown);
  EXPECT_EQ(r.blindZone, ZoneText(c.zone));
  EXPECT_EQ(r.warn, c.zone != 0);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, YearBonusForwardTest,
    testing::Values(
        YearCase{"SmallBonus", 1000, {"83.33", "3%", "0.00", "30.00", "970.00"}, 0},
        YearCase{"AverageOnFirstBound", 18000, {"1500.00", "3%", "0.00", "540.00", "17460.00"}, 0},
        YearCase{"OneFenIntoZone1", 18000.01, {"1500.00", "10%", "105.00", "1695.00", "16305.01"}, 1},
        YearCase{"JustAboveZone1", 19283.34, {"1606.94", "10%", "105.00", "1823.33", "17460.01"}, 0},
        YearCase{"AverageOnSecondBound", 54000, {"4500.00", "10%", "105.00", "5295.00", "48705.00"}, 0},
        YearCase{"OneFenIntoZone2", 54000.01, {"4500.00", "20%", "555.00", "10245.00", "43755.01"}, 2},
        YearCase{"ThirdRow", 100000, {"8333.33", "20%", "555.00", "19445.00", "80555.00"}, 0},
        YearCase{"TopRowUsesQuickDeduction", 1200000, {"100000.00", "45%", "13505.00", "526495.00", "673505.00"}, 0}),
    [](const testing::TestParamInfo<YearCase>& info) { return std::string(info.param.name); });

// ---- Blind zones ----

struct ZoneCase {
  const char* name;
  double bonus;
  int zone;
};

class BlindZoneTest : public testing::TestWithParam<ZoneCase> {};

TEST_P(BlindZoneTest, LowerBoundIsOutsideUpperBoundInside) {
  const ZoneCase& c = GetParam();
  EXPECT_EQ(FindBlindZone(c.bonus), ZoneText(c.zone));
}

std::vector<ZoneCase> ZoneBounds() {
  static std::vector<std::string> names;
  names.reserve(64);
  std::vector<ZoneCase> cases;
  const double uppers[] = {19283.32, 60187.5, 114600, 447500, 706538.46, 1120000};
  for (int z = 1; z <= 6; ++z) {
    const double lower = kBlindZones[static_cast<size_t>(z - 1)].lower;
    const double upper = uppers[z - 1];
    const std::string tag = "Zone" + std::to_string(z);
    auto add = [&](const std::string& what, double bonus, int zone) {
      names.push_back(tag + what);
      cases.push_back({names.back().c_str(), bonus, zone});
    };
    auto typed = [](double v) { return *ParseAmount(FormatAmount(v)); };  // as a user types it
    add("OnLowerBound", lower, 0);
    add("OneFenAboveLower", typed(lower + 0.01), z);
    add("LastFenInside", upper, z);
    add("OneFenAboveUpper", typed(upper + 0.01), 0);
  }
  // The two inexact upper bounds are extended constants: the typed decimal falls outside
  // zone 1 (its double lies above 19283.33L) and inside zone 5 (below 706538.46L).
  cases.push_back({"Typed19283p33IsOutsideZone1", 19283.33, 0});
  cases.push_back({"Typed706538p46IsInsideZone5", 706538.46, 5});
  cases.push_back({"BetweenZones", 300000, 0});
  cases.push_back({"FarAboveEveryZone", 5e6, 0});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllZones, BlindZoneTest, testing::ValuesIn(ZoneBounds()),
                         [](const testing::TestParamInfo<ZoneCase>& info) { return std::string(info.param.name); });

// A zone ends where the higher row's after-tax bonus returns to the one at the boundary.
TEST(BlindZoneTest, UpperBoundsAreWhereTheAfterTaxBonusRecovers) {
  for (const BlindZone& zone : kBlindZones) {
    const double atBoundary = CalcYearBonusTax(zone.lower).afterTax;
    const double upper = static_cast<double>(zone.upper);
    EXPECT_LE(CalcYearBonusTax(upper).afterTax, atBoundary + 0.005) << zone.text;
    EXPECT_GT(CalcYearBonusTax(upper + 0.01).afterTax, atBoundary) << zone.text;
  }
}

TEST(BlindZoneTest, WarningTextHasTwoLinesAndTheServiceNumber) {
  EXPECT_EQ(BlindZoneWarningText("12345"),
            "年终奖发放不合理，个税盲区致年终奖严重缩水。\r\n联系客服 QQ：12345，帮你筹划，为您节税。");
  EXPECT_STREQ(kBlindZoneWarningTitle, "注意");
}

// ---- Year-end bonus, reverse ----

struct ReverseCase {
  const char* name;
  double typed;
  const char* income;
  const char* tax;
  const char* afterTax;
};

class YearBonusReverseTest : public testing::TestWithParam<ReverseCase> {};

TEST_P(YearBonusReverseTest, FindsTheBonusAndTheForwardCalculationAgrees) {
  const ReverseCase& c = GetParam();
  const std::string written = FormatAmount(YearBonusFromRealIncome(c.typed));
  EXPECT_EQ(written, c.income);
  const YearBonusResult r = CalcYearBonusTax(*ParseAmount(written));
  EXPECT_EQ(r.Shown().tax, c.tax);
  EXPECT_EQ(r.Shown().afterTax, c.afterTax);
  EXPECT_FALSE(r.warn);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, YearBonusReverseTest,
    testing::Values(ReverseCase{"FirstRow", 10000, "10309.28", "309.28", "10000.00"},
                    ReverseCase{"AfterTaxAtFirstBoundary", 17460, "18000.00", "540.00", "17460.00"},
                    ReverseCase{"OneFenAboveFirstBoundary", 17460.01, "19283.34", "1823.33", "17460.01"},
                    // The take-home column would pick the second row and give 54327.78, which
                    // leaves 44017.22 in zone 2.
                    ReverseCase{"AboveTheSecondRowsReach", 49000, "60556.25", "11556.25", "49000.00"},
                    ReverseCase{"TopRow", 400000, "567492.86", "167492.86", "400000.00"},
                    // Reachable below 54000 and inside zone 2: the bonus below is taken.
                    ReverseCase{"OverlapTakesTheBonusBelowTheBoundary", 48000, "53216.67", "5216.67", "48000.00"},
                    ReverseCase{"AfterTaxAtSixthBoundary", 629505, "960000.00", "330495.00", "629505.00"}),
    [](const testing::TestParamInfo<ReverseCase>& info) { return std::string(info.param.name); });

// Every after-tax amount with at most two decimals comes back from the forward calculation,
// and never from a bonus inside a blind zone (each amount a zone leaves is also left by a
// smaller bonus below its boundary). Dense around both ends of every overlap of two rows,
// sparse elsewhere.
TEST(YearBonusReverseTest, RoundTripsAndNeverWarns) {
  std::vector<std::pair<long, long>> ranges{{1, 130000000}};  // cents, with a stride below
  for (const BlindZone& zone : kBlindZones) {
    const long top = std::lround(CalcYearBonusTax(zone.lower).afterTax * 100);
    const long bottom = std::lround(CalcYearBonusTax(zone.lower + 0.01).afterTax * 100);
    ranges.emplace_back(top - 1500, top + 1500);
    ranges.emplace_back(bottom - 1500, bottom + 1500);
  }
  for (size_t i = 0; i < ranges.size(); ++i) {
    const long stride = i == 0 ? 9973 : 1;
    for (long cents = ranges[i].first; cents <= ranges[i].second; cents += stride) {
      const double typed = static_cast<double>(cents) / 100;
      const std::string written = FormatAmount(YearBonusFromRealIncome(typed));
      const YearBonusResult r = CalcYearBonusTax(*ParseAmount(written));
      ASSERT_EQ(FormatAmount(r.afterTax), FormatAmount(typed)) << "typed " << typed << ", bonus " << written;
      ASSERT_FALSE(r.warn) << "typed " << typed << ", bonus " << written;
    }
  }
}

// ---- Salary and bonus together ----

struct AwardCase {
  const char* name;
  SalaryAndBonusInput in;
  SalaryAndBonusResult::Texts shown;
  int zone;
};

class SalaryAndBonusTest : public testing::TestWithParam<AwardCase> {};

TEST_P(SalaryAndBonusTest, ShowsThePublishedFigures) {
  const AwardCase& c = GetParam();
  const SalaryAndBonusResult r = CalcSalaryAndBonusTax(c.in);
  EXPECT_EQ(r.Shown(), c.shown);
  EXPECT_EQ(r.blindZone, ZoneText(c.zone));
  EXPECT_EQ(r.warn, c.zone != 0);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, SalaryAndBonusTest,
    testing::Values(
        AwardCase{
            "BothTaxed", {12000, 5000, 0, 3500}, {"45.00", "4955.00", "360.00", "11640.00", "405.00", "16595.00"}, 0},
        AwardCase{"SalaryExactlyAtThreshold",
                  {12000, 3500, 0, 3500},
                  {"0.00", "3500.00", "360.00", "11640.00", "360.00", "15140.00"},
                  0},
        AwardCase{"ShortfallLowersTheBonusTax",
                  {12000, 2000, 0, 3500},
                  {"0.00", "2000.00", "315.00", "11685.00", "315.00", "13685.00"},
                  0},
        AwardCase{"ContributionsAndHigherThreshold",
                  {24000, 6000, 1000, 4800},
                  {"6.00", "5994.00", "2295.00", "21705.00", "2301.00", "27699.00"},
                  0},
        AwardCase{"AdjustedBonusInZone1",
                  {19500, 3000, 0, 3500},
                  {"0.00", "3000.00", "1795.00", "17705.00", "1795.00", "20705.00"},
                  1},
        AwardCase{"AdjustedBonusBelowZone1",
                  {18400, 3000, 0, 3500},
                  {"0.00", "3000.00", "537.00", "17863.00", "537.00", "20863.00"},
                  0},
        AwardCase{"BonusInZone2",
                  {60000, 10000, 2000, 3500},
                  {"345.00", "9655.00", "11445.00", "48555.00", "11790.00", "58210.00"},
                  2},
        AwardCase{"NoSalary", {5000, 0, 0, 3500}, {"0.00", "0.00", "45.00", "4955.00", "45.00", "4955.00"}, 0},
        AwardCase{"ShortfallAboveTheBonus",
                  {1000, 1000, 0, 3500},
                  {"0.00", "1000.00", "0.00", "1000.00", "0.00", "2000.00"},
                  0},
        // The shortfall counts the contributions: 3500 - (1000 - 2000) = 4500.
        AwardCase{"ContributionsAboveSalary",
                  {12000, 1000, 2000, 3500},
                  {"0.00", "1000.00", "225.00", "11775.00", "225.00", "12775.00"},
                  0},
        // Salary tax 0.045: the after-tax salary is shown from the extended difference
        // 3501.455000..., where the nearest double would show 3501.45.
        AwardCase{"DifferencesShownInExtendedPrecision",
                  {1000, 3501.5, 0, 3500},
                  {"0.04", "3501.46", "30.00", "970.00", "30.05", "4471.46"},
                  0}),
    [](const testing::TestParamInfo<AwardCase>& info) { return std::string(info.param.name); });

TEST(SalaryAndBonusTest, ShortfallAndAdjustedBonus) {
  const SalaryAndBonusResult r = CalcSalaryAndBonusTax({19500, 3000, 0, 3500});
  EXPECT_EQ(r.shortfall, 500);
  EXPECT_EQ(r.adjustedBonus, 19000);
  const SalaryAndBonusResult none = CalcSalaryAndBonusTax({19500, 4000, 500, 3500});
  EXPECT_EQ(none.shortfall, 0);
  EXPECT_EQ(none.adjustedBonus, 19500);
  EXPECT_EQ(none.blindZone, ZoneText(0));
}

}  // namespace
}  // namespace quorvex::tax
