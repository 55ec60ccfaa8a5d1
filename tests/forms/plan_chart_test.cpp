// The pictures' data and words: what quorvex-calc prints of the curve is what pointing at the
// chart says, and the marks and the description carry the dialog's own figures.
#include "forms/plan_chart.h"

#include <gtest/gtest.h>

#include <string>

#include "tax/amount.h"

namespace quorvex::forms {
namespace {

TEST(PlanChartTest, EachPrintedVertexReadsBackAsTheSplitPointedAt) {
  for (const tax::PlanInput& in :
       {tax::PlanInput{120000, 0, 3500, std::nullopt}, tax::PlanInput{66666.66, 321.55, 4800, std::nullopt},
        tax::PlanInput{2000000, 3000, 3500, std::nullopt}}) {
    const std::vector<CurveRow> rows = PlanCurveRows(in);
    ASSERT_FALSE(rows.empty());
    for (const CurveRow& row : rows) {
      const ChartPick pick = PlanChartPoint(in, *tax::ParseAmount(row.bonus));
      EXPECT_EQ(pick.amount, row.bonus);
      EXPECT_EQ(pick.text, "年终奖 " + row.bonus + " 元，全年纳税 " + row.totalTax + " 元");
    }
  }
}

TEST(PlanChartTest, MarksAndWordsCarryThePlansFigures) {
  const ChartData chart = PlanChart({120000, 0, 3500, 19000});
  EXPECT_EQ(chart.xMax, 120000);
  ASSERT_EQ(chart.marks.size(), 3U);
  EXPECT_EQ(chart.marks[0].label, "全部发工资");
  EXPECT_EQ(chart.marks[0].x, 0);
  EXPECT_EQ(chart.marks[1].label, "建议年终奖 18000.00");
  EXPECT_NEAR(chart.marks[1].y, 5880, 1e-9);
  EXPECT_EQ(chart.marks[2].label, "原计划年终奖 19000.08");
  EXPECT_EQ(chart.description,
            "建议年终奖 18000.00 元，建议每月工资 8500.00 元，全年纳税 5880.00 元；全部发工资全年纳税 8940.00 元；"
            "原计划年终奖 19000.08 元，全年纳税 6934.99 元。");
  ASSERT_EQ(chart.zones.size(), 3U);
  EXPECT_EQ(chart.zones[0].text, "进入盲区：( 18,000, 19,283.33 ]");
}

TEST(BonusChartTest, TypedBonusIsMarkedWithItsAfterTaxAmount) {
  const ChartData chart = BonusChart(18001);
  EXPECT_EQ(chart.xMax, kBonusChartEnd);
  EXPECT_EQ(chart.zones.size(), 6U);
  ASSERT_EQ(chart.marks.size(), 1U);
  EXPECT_EQ(chart.marks[0].label, "税后 16305.90");
  EXPECT_EQ(BonusChartPoint(18000.004).text, "年终奖 18000.00 元，税后 17460.00 元");
  // A bonus beyond the axis stretches it.
  EXPECT_EQ(BonusChart(1500000).xMax, 1500000);
}

}  // namespace
}  // namespace quorvex::forms
