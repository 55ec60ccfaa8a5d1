// Cost of the pure calculations, of reading amount text and of the three number formats. The
// "Shown" rows include writing every text the page shows (the figures' formatting dominates).
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "tax/amount.h"
#include "tax/bonus.h"
#include "tax/business.h"
#include "tax/labour.h"
#include "tax/payment.h"
#include "tax/planner.h"
#include "tax/wage.h"

namespace {

using namespace quorvex::tax;

// Amounts across the schedules' rows, so that the searches do not always stop at row 1.
constexpr double kAmounts[] = {3000, 5000.01, 9823.45, 40000, 62000.5, 90000, 250000, 1e6};

template <class Calc>
void Across(benchmark::State& state, Calc calc) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(calc(kAmounts[i]));
    i = (i + 1) % std::size(kAmounts);
  }
}

void SalaryForward(benchmark::State& s) {
  Across(s, [](double v) { return CalcSalaryTax({v, 500, 3500}); });
}
void SalaryFromTax(benchmark::State& s) {
  Across(s, [](double v) { return SalaryIncomeFromTax(v / 10, 500, 3500); });
}
void SalaryFromTakeHome(benchmark::State& s) {
  Across(s, [](double v) { return SalaryIncomeFromRealIncome(v, 500, 3500); });
}
void YearBonusShown(benchmark::State& s) {
  Across(s, [](double v) { return CalcYearBonusTax(v).Shown(); });
}
void YearBonusReverse(benchmark::State& s) {
  Across(s, [](double v) { return YearBonusFromRealIncome(v); });
}
void SalaryAndBonusShown(benchmark::State& s) {
  Across(s, [](double v) { return CalcSalaryAndBonusTax({v, 4000, 300, 3500}).Shown(); });
}
void LabourShown(benchmark::State& s) {
  Across(s, [](double v) { return ShowLabourTax(CalcLabourTax(v)); });
}
void LabourReverse(benchmark::State& s) {
  Across(s, [](double v) { return LabourIncomeFromRealIncome(v); });
}
void WritingShown(benchmark::State& s) {
  Across(s, [](double v) { return ShowPayment(CalcWritingTax(v)); });
}
void FlatRateShown(benchmark::State& s) {
  Across(s, [](double v) { return ShowPayment(CalcFlatRateTax(v)); });
}
void BusinessShown(benchmark::State& s) {
  Across(s, [](double v) { return ShowBusinessResult(CalcBusinessTax(v)); });
}
void ContractShown(benchmark::State& s) {
  Across(s, [](double v) { return ShowBusinessResult(CalcContractTax(v, 12)); });
}
// A year's plan: taxing every candidate split, with every shown text. The annual pay is
// twelve times the amounts above.
void PlanShown(benchmark::State& s) {
  Across(s, [](double v) { return PlanYearEndBonus({v * 12, 500, 3500, v * 2}).Shown(); });
}

void Parse(benchmark::State& state, std::string_view text) {
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
    benchmark::DoNotOptimize(ParseAmount(TrimAmountText(text)));
  }
}
void Format(benchmark::State& state, std::string (*format)(double)) {
  Across(state, [format](double v) { return format(v / 7); });
}

}  // namespace

BENCHMARK(SalaryForward);
BENCHMARK(SalaryFromTax);
BENCHMARK(SalaryFromTakeHome);
BENCHMARK(YearBonusShown);
BENCHMARK(YearBonusReverse);
BENCHMARK(SalaryAndBonusShown);
BENCHMARK(LabourShown);
BENCHMARK(LabourReverse);
BENCHMARK(WritingShown);
BENCHMARK(FlatRateShown);
BENCHMARK(BusinessShown);
BENCHMARK(ContractShown);
BENCHMARK(PlanShown);
BENCHMARK_CAPTURE(Parse, plain, std::string_view("5000"));
BENCHMARK_CAPTURE(Parse, padded_decimals, std::string_view("\t 12500.55 \n"));
BENCHMARK_CAPTURE(Parse, exponent, std::string_view("1.2345678901234E+5"));
BENCHMARK_CAPTURE(Parse, rejected, std::string_view("1,000"));
BENCHMARK_CAPTURE(Format, amount, &FormatAmount);
BENCHMARK_CAPTURE(Format, general, &FormatGeneral);
BENCHMARK_CAPTURE(Format, percent, &FormatPercent);

BENCHMARK_MAIN();
