#include "tax/labour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tax/amount.h"
#include "tests/tax/payment_texts_print.h"

namespace quorvex::tax {
namespace {

struct ForwardCase {
  const char* name;
  double payment;
  PaymentTexts shown;
};

void PrintTo(const ForwardCase& c, std::ostream* os) { *os << c.name; }

class LabourForwardTest : public testing::TestWithParam<ForwardCase> {};

TEST_P(LabourForwardTest, ShowsThePublishedFigures) {
  EXPECT_EQ(ShowLabourTax(CalcLabourTax(GetParam().payment)), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, LabourForwardTest,
    testing::Values(
        ForwardCase{"Untaxed500", 500, {"0.00", "0.00", "0.00", "0.00", "0.00", "500.00", ""}},
        ForwardCase{"ExactlyEightHundredIsUntaxed", 800, {"0.00", "0.00", "0.00", "0.00", "0.00", "800.00", ""}},
        ForwardCase{"OneFenAboveEightHundred", 800.01, {"800.00", "0.01", "20%", "0.00", "0.00", "800.01", ""}},
        ForwardCase{"FixedAllowance", 1000, {"800.00", "200.00", "20%", "0.00", "40.00", "960.00", ""}},
        ForwardCase{"ExactlyFourThousandKeepsFixedAllowance",
                    4000,
                    {"800.00", "3200.00", "20%", "0.00", "640.00", "3360.00", ""}},
        ForwardCase{"AboveFourThousandTakesTwentyPercent",
                    4000.01,
                    {"800.00", "3200.01", "20%", "0.00", "640.00", "3360.01", ""}},
        ForwardCase{"Payment5000", 5000, {"1000.00", "4000.00", "20%", "0.00", "800.00", "4200.00", ""}},
        ForwardCase{"TaxableExactly20000StaysInFirstRow",
                    25000,
                    {"5000.00", "20000.00", "20%", "0.00", "4000.00", "21000.00", ""}},
        ForwardCase{"TaxableJustAbove20000TakesSecondRow",
                    25000.02,
                    {"5000.00", "20000.02", "30%", "2000.00", "4000.00", "21000.02", ""}},
        ForwardCase{"SecondRow", 30000, {"6000.00", "24000.00", "30%", "2000.00", "5200.00", "24800.00", ""}},
        ForwardCase{"TaxableExactly50000StaysInSecondRow",
                    62500,
                    {"12500.00", "50000.00", "30%", "2000.00", "13000.00", "49500.00", ""}},
        ForwardCase{"TaxableJustAbove50000TakesThirdRow",
                    62500.01,
                    {"12500.00", "50000.01", "40%", "7000.00", "13000.00", "49500.01", ""}},
        ForwardCase{"ThirdRow", 100000, {"20000.00", "80000.00", "40%", "7000.00", "25000.00", "75000.00", ""}},
        // The schedule's rates are doubles, not extended constants: 0.375 x 0.2 lies above the half.
        ForwardCase{
            "RateIsTheDoubleNearestTwoTenths", 800.375, {"800.00", "0.38", "20%", "0.00", "0.08", "800.30", ""}}),
    [](const testing::TestParamInfo<ForwardCase>& info) { return std::string(info.param.name); });

TEST(FindLabourRow, BoundsTakeTheLowerRow) {
  EXPECT_EQ(FindLabourRow(0.01).rate, 0.20);
  EXPECT_EQ(FindLabourRow(20000).rate, 0.20);
  EXPECT_EQ(FindLabourRow(20000.01).rate, 0.30);
  EXPECT_EQ(FindLabourRow(20000.01).quickDeduction, 2000);
  EXPECT_EQ(FindLabourRow(50000).rate, 0.30);
  EXPECT_EQ(FindLabourRow(50000.01).rate, 0.40);
  EXPECT_EQ(FindLabourRow(50000.01).quickDeduction, 7000);
  EXPECT_EQ(FindLabourRow(1e300).rate, 0.40);
}

struct ReverseCase {
  const char* name;
  double afterTax;
  const char* incomeText;  // as written into the income field
  const char* taxShown;
  const char* afterTaxShown;
};

void PrintTo(const ReverseCase& c, std::ostream* os) { *os << c.name; }

class LabourReverseTest : public testing::TestWithParam<ReverseCase> {};

TEST_P(LabourReverseTest, FindsThePaymentAndTheForwardCalculationShowsItAgain) {
  const ReverseCase& c = GetParam();
  const std::string text = FormatGeneral(LabourIncomeFromRealIncome(c.afterTax));
  EXPECT_EQ(text, c.incomeText);
  const PaymentTexts shown = ShowLabourTax(CalcLabourTax(ParseAmount(text).value()));
  EXPECT_EQ(shown.tax, c.taxShown);
  EXPECT_EQ(shown.afterTax, c.afterTaxShown);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, LabourReverseTest,
                         testing::Values(ReverseCase{"UntaxedBandReturnsTheAmount", 500, "500", "0.00", "500.00"},
                                         ReverseCase{"FixedAllowanceBand", 900, "925", "25.00", "900.00"},
                                         ReverseCase{"FirstBandBound", 3360, "4000", "640.00", "3360.00"},
                                         ReverseCase{"TwentyPercentFirstRow", 5000, "5952.38095238095", "952.38",
                                                     "5000.00"},
                                         ReverseCase{"SecondBandBound", 21000, "25000", "4000.00", "21000.00"},
                                         ReverseCase{"SecondRow", 30000, "36842.1052631579", "6842.11", "30000.00"},
                                         ReverseCase{"ThirdBandBound", 49500, "62500", "13000.00", "49500.00"},
                                         ReverseCase{"ThirdRow", 60000, "77941.1764705882", "17941.18", "60000.00"},
                                         ReverseCase{"EightHundredIsUntaxed", 800, "800", "0.00", "800.00"}),
                         [](const testing::TestParamInfo<ReverseCase>& info) { return std::string(info.param.name); });

TEST(LabourIncomeFromRealIncome, BandBoundsGiveExactPayments) {
  EXPECT_EQ(LabourIncomeFromRealIncome(800), 800.0);
  EXPECT_EQ(LabourIncomeFromRealIncome(3360), 4000.0);
  EXPECT_EQ(LabourIncomeFromRealIncome(21000), 25000.0);
  EXPECT_EQ(LabourIncomeFromRealIncome(49500), 62500.0);
}

// Every after-tax amount in fen, through every band, comes back unchanged from the forward
// calculation of the payment as the page writes it (15 significant digits).
TEST(LabourIncomeFromRealIncome, RoundTripShowsTheTypedAmount) {
  for (long fen = 1; fen < 20'000'000; fen += 997) {
    for (long offset : {0L, 80'000L, 336'000L, 2'100'000L, 4'950'000L}) {
      const double typed = static_cast<double>(fen + offset) / 100;
      const double payment = ParseAmount(FormatGeneral(LabourIncomeFromRealIncome(typed))).value();
      ASSERT_EQ(FormatAmount(CalcLabourTax(payment).afterTax), FormatAmount(typed)) << typed;
    }
  }
}

TEST(LabourIncomeFromRealIncome, HugeAmountsOverflowToInfinity) {
  EXPECT_TRUE(std::isinf(LabourIncomeFromRealIncome(1.7e308)));
  EXPECT_TRUE(std::isfinite(LabourIncomeFromRealIncome(1e300)));
}

}  // namespace
}  // namespace quorvex::tax
