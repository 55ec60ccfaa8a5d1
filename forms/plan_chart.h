// What the planner's two pictures show, Qt-free: the year's total tax against the year-end
// bonus, and the bonus's after-tax amount against the bonus, as polylines with their blind
// zones, marked points and every text the pictures write. quorvex-calc prints the same curve.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tax/planner.h"

namespace quorvex::forms {

// A vertex; the line from the previous one is broken when the curve jumps there.
struct ChartPoint {
  double x = 0;
  double y = 0;
  bool breakBefore = false;
};

// A blind zone over [from, to] of the x axis, with the zone's own text.
struct ChartSpan {
  double from = 0;
  double to = 0;
  std::string text;
};

struct ChartMark {
  double x = 0;
  double y = 0;
  std::string label;
  bool labelBelow = false;  // nothing of the curve lies below the mark (the least total)
};

struct ChartData {
  std::vector<ChartPoint> curve;
  std::vector<ChartSpan> zones;
  std::vector<ChartMark> marks;
  double xMax = 0;  // the x axis runs from 0 to here
  std::string xTitle, yTitle;
  std::string name;         // the picture's accessible name
  std::string description;  // what the picture says, in words
};

// A point of a curve under the pointer: where it lies and what it is in words.
struct ChartPick {
  double x = 0;
  double y = 0;
  std::string amount;  // x as an amount ("18000.00"), the text a click puts into a field
  std::string text;    // "年终奖 X 元，全年纳税 Y 元" or "年终奖 X 元，税后 Y 元"
};

// PlanChart() is the year's total tax against the bonus over every split: the curve, the blind
// zones the bonus as taxed meets, and marks at the plan, at the planned bonus when there is one
// and at "全部发工资".
[[nodiscard]] ChartData PlanChart(const tax::PlanInput& in);
// PlanChartFrame() is the total-tax picture before a year is planned: its titles and name only.
[[nodiscard]] ChartData PlanChartFrame();
// PlanChartPoint() is the split at `bonus` (the one a planned bonus of that amount stands for).
[[nodiscard]] ChartPick PlanChartPoint(const tax::PlanInput& in, double bonus);

// The bonus axis of the after-tax picture ends here.
inline constexpr double kBonusChartEnd = 1'000'000;
// BonusChart() is the after-tax bonus against the bonus from 0 to kBonusChartEnd with the six
// blind zones, and a mark at `bonus` when one is given.
[[nodiscard]] ChartData BonusChart(std::optional<double> bonus);
[[nodiscard]] ChartPick BonusChartPoint(double bonus);

// The total-tax curve's vertices as quorvex-calc prints them, each figure as the dialog writes it.
struct CurveRow {
  std::string bonus, monthlySalary, totalTax;
};
[[nodiscard]] std::vector<CurveRow> PlanCurveRows(const tax::PlanInput& in);

}  // namespace quorvex::forms
