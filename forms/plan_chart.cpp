#include "forms/plan_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tax/amount.h"
#include "tax/arith.h"
#include "tax/bonus.h"
#include "tax/plan_curve.h"

namespace quorvex::forms {
namespace {

constexpr char kPlanName[] = "全年纳税与年终奖";
constexpr char kPlanXTitle[] = "年终奖（元）";
constexpr char kPlanYTitle[] = "全年纳税（元）";
constexpr char kPlanMark[] = "建议年终奖 ";
constexpr char kPlannedMark[] = "原计划年终奖 ";
constexpr char kAllSalaryMark[] = "全部发工资";
constexpr char kBonusName[] = "年终奖盲区图";
constexpr char kBonusXTitle[] = "税前年终奖（元）";
constexpr char kBonusYTitle[] = "税后年终奖（元）";
constexpr char kBonusWords[] = "年终奖 ";
constexpr char kYuan[] = " 元";
constexpr char kTotalWords[] = " 元，全年纳税 ";
constexpr char kAfterTaxWords[] = " 元，税后 ";
constexpr char kAfterTaxMark[] = "税后 ";
constexpr char kBonusSummary[] = "税前年终奖落在盲区内时，多发的奖金反而使税后更少：";

double Shown(long double total) { return static_cast<double>(total); }

ChartMark MarkAt(const tax::Split& s, std::string label) { return {s.bonus, Shown(s.totalTax), std::move(label)}; }

// "建议年终奖 18000.00 元，建议每月工资 8500.00 元，全年纳税 5880.00 元；全部发工资全年纳税
// 8940.00 元" and the planned bonus's, as the dialog's lines show them.
std::string PlanInWords(const tax::PlanResult& r) {
  const tax::PlanResult::Texts t = r.Shown();
  std::string words = kPlanMark + t.planBonus + kYuan + "，建议每月工资 " + t.planSalary + kYuan + "，全年纳税 " +
                      t.planTotalTax + kYuan + "；" + kAllSalaryMark + "全年纳税 " + t.allSalaryTotalTax + kYuan;
  if (r.planned) {
    words += std::string("；") + kPlannedMark + tax::FormatAmount(r.planned->bonus) + kYuan + "，全年纳税 " +
             t.plannedTotalTax + kYuan;
  }
  return words + "。";
}

double NearestFen(double amount) { return static_cast<double>(std::llround(tax::Widen(amount) * 100)) / 100; }

}  // namespace

ChartData PlanChartFrame() {
  ChartData chart;
  chart.xTitle = kPlanXTitle;
  chart.yTitle = kPlanYTitle;
  chart.name = kPlanName;
  return chart;
}

ChartData PlanChart(const tax::PlanInput& in) {
  ChartData chart = PlanChartFrame();
  const tax::PlanCurve curve = tax::PlanTotalTaxCurve(in);
  for (const tax::CurveVertex& v : curve.vertices)
    chart.curve.push_back({v.split.bonus, Shown(v.split.totalTax), v.jumpBefore});
  for (const tax::ZoneSpan& z : curve.zones) chart.zones.push_back({z.fromBonus, z.toBonus, std::string(z.text)});
  const tax::PlanResult r = tax::PlanYearEndBonus(in);
  chart.marks.push_back(MarkAt(r.allSalary, kAllSalaryMark));
  chart.marks.push_back(MarkAt(r.plan, kPlanMark + tax::FormatAmount(r.plan.bonus)));
  chart.marks.back().labelBelow = true;
  if (r.planned) chart.marks.push_back(MarkAt(*r.planned, kPlannedMark + tax::FormatAmount(r.planned->bonus)));
  chart.xMax = in.annual;
  chart.description = PlanInWords(r);
  return chart;
}

ChartPick PlanChartPoint(const tax::PlanInput& in, double bonus) {
  const tax::Split s = tax::SplitAtBonus(in, std::clamp(bonus, 0.0, in.annual));
  ChartPick pick{s.bonus, Shown(s.totalTax), tax::FormatAmount(s.bonus), {}};
  pick.text = kBonusWords + pick.amount + kTotalWords + tax::FormatExtendedAmount(s.totalTax) + kYuan;
  return pick;
}

ChartData BonusChart(std::optional<double> bonus) {
  ChartData chart;
  chart.xMax = std::max(kBonusChartEnd, bonus.value_or(0));
  for (const tax::BonusVertex& v : tax::YearBonusCurve(chart.xMax))
    chart.curve.push_back({v.bonus, v.afterTax, v.jumpBefore});
  chart.description = kBonusSummary;
  for (const tax::BlindZone& z : tax::kBlindZones) {
    chart.zones.push_back({z.lower, static_cast<double>(z.upper), z.text});
    if (&z != tax::kBlindZones.data()) chart.description += "；";
    chart.description += z.text;
  }
  chart.description += "。";
  if (bonus) {
    const double afterTax = tax::CalcYearBonusTax(*bonus).afterTax;
    chart.marks.push_back({*bonus, afterTax, kAfterTaxMark + tax::FormatAmount(afterTax)});
    chart.description += BonusChartPoint(*bonus).text + "。";
  }
  chart.xTitle = kBonusXTitle;
  chart.yTitle = kBonusYTitle;
  chart.name = kBonusName;
  return chart;
}

ChartPick BonusChartPoint(double bonus) {
  const double at = NearestFen(std::max(bonus, 0.0));
  const double afterTax = tax::CalcYearBonusTax(at).afterTax;
  ChartPick pick{at, afterTax, tax::FormatAmount(at), {}};
  pick.text = kBonusWords + pick.amount + kAfterTaxWords + tax::FormatAmount(afterTax) + kYuan;
  return pick;
}

std::vector<CurveRow> PlanCurveRows(const tax::PlanInput& in) {
  std::vector<CurveRow> rows;
  for (const tax::CurveVertex& v : tax::PlanTotalTaxCurve(in).vertices) {
    rows.push_back({tax::FormatAmount(v.split.bonus), tax::FormatAmount(v.split.salary),
                    tax::FormatExtendedAmount(v.split.totalTax)});
  }
  return rows;
}

}  // namespace quorvex::forms
