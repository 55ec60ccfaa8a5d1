#include "tax/payment.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/tax/payment_texts_print.h"

namespace quorvex::tax {
namespace {

// The texts a page shows; the flat-rate pages have no allowance line (their deduct stays 0.00).
struct Case {
  const char* name;
  PaymentResult (*calc)(double);
  double payment;
  PaymentTexts shown;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class PaymentTest : public testing::TestWithParam<Case> {};

TEST_P(PaymentTest, ShowsThePublishedFigures) {
  const Case& c = GetParam();
  EXPECT_EQ(ShowPayment(c.calc(c.payment)), c.shown);
}

constexpr char kNotice[] = "收入金额小于800元，无需纳税。";

INSTANTIATE_TEST_SUITE_P(
    Writing, PaymentTest,
    testing::Values(
        Case{"ExactlyEightHundredSilentlyUntaxed",
             CalcWritingTax,
             800,
             {"0.00", "0.00", "0.00", "0.00", "0.00", "800.00", ""}},
        Case{
            "OneFenAboveEightHundred", CalcWritingTax, 800.01, {"800.00", "0.01", "14%", "0.00", "0.00", "800.01", ""}},
        Case{"Payment1000", CalcWritingTax, 1000, {"800.00", "200.00", "14%", "0.00", "28.00", "972.00", ""}},
        Case{"Payment3000", CalcWritingTax, 3000, {"800.00", "2200.00", "14%", "0.00", "308.00", "2692.00", ""}},
        Case{
            "ExactlyFourThousand", CalcWritingTax, 4000, {"800.00", "3200.00", "14%", "0.00", "448.00", "3552.00", ""}},
        Case{"AboveFourThousand",
             CalcWritingTax,
             4000.01,
             {"800.00", "3200.01", "14%", "0.00", "448.00", "3552.01", ""}},
        Case{"Payment10000", CalcWritingTax, 10000, {"2000.00", "8000.00", "14%", "0.00", "1120.00", "8880.00", ""}},
        // 0.14 x 0.75 lies at the half; the extended 0.14 puts it below.
        Case{"ExtendedRateAtATie", CalcWritingTax, 800.75, {"800.00", "0.75", "14%", "0.00", "0.10", "800.64", ""}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Royalties, PaymentTest,
    testing::Values(
        Case{"BelowEightHundredGivesNotice",
             CalcLicenceTax,
             500,
             {"0.00", "0.00", "0.00", "0.00", "0.00", "500.00", kNotice}},
        Case{"ExactlyEightHundredGivesNotice",
             CalcLicenceTax,
             800,
             {"0.00", "0.00", "0.00", "0.00", "0.00", "800.00", kNotice}},
        Case{
            "OneFenAboveEightHundred", CalcLicenceTax, 800.01, {"800.00", "0.01", "20%", "0.00", "0.00", "800.01", ""}},
        Case{"Payment3000", CalcLicenceTax, 3000, {"800.00", "2200.00", "20%", "0.00", "440.00", "2560.00", ""}},
        Case{
            "ExactlyFourThousand", CalcLicenceTax, 4000, {"800.00", "3200.00", "20%", "0.00", "640.00", "3360.00", ""}},
        Case{"AboveFourThousand",
             CalcLicenceTax,
             4000.01,
             {"800.00", "3200.01", "20%", "0.00", "640.00", "3360.01", ""}},
        Case{"Payment10000", CalcLicenceTax, 10000, {"2000.00", "8000.00", "20%", "0.00", "1600.00", "8400.00", ""}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Lease, PaymentTest,
    testing::Values(
        Case{"BelowEightHundredSilent", CalcRentTax, 500, {"0.00", "0.00", "0.00", "0.00", "0.00", "500.00", ""}},
        Case{"ExactlyEightHundredSilent", CalcRentTax, 800, {"0.00", "0.00", "0.00", "0.00", "0.00", "800.00", ""}},
        Case{"OneFenAboveEightHundred", CalcRentTax, 800.01, {"800.00", "0.01", "20%", "0.00", "0.00", "800.01", ""}},
        Case{"Payment3000", CalcRentTax, 3000, {"800.00", "2200.00", "20%", "0.00", "440.00", "2560.00", ""}},
        Case{"ExactlyFourThousand", CalcRentTax, 4000, {"800.00", "3200.00", "20%", "0.00", "640.00", "3360.00", ""}},
        Case{"Payment10000", CalcRentTax, 10000, {"2000.00", "8000.00", "20%", "0.00", "1600.00", "8400.00", ""}},
        // 0.2 x 0.375 lies at the half; the extended 0.2 puts it below.
        Case{"ExtendedRateAtATie", CalcRentTax, 800.375, {"800.00", "0.38", "20%", "0.00", "0.07", "800.30", ""}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    FlatRate, PaymentTest,
    testing::Values(
        Case{"Amount10000", CalcFlatRateTax, 10000, {"0.00", "10000.00", "20%", "0.00", "2000.00", "8000.00", ""}},
        Case{"Amount123_45", CalcFlatRateTax, 123.45, {"0.00", "123.45", "20%", "0.00", "24.69", "98.76", ""}},
        Case{"ThreeFen", CalcFlatRateTax, 0.03, {"0.00", "0.03", "20%", "0.00", "0.01", "0.02", ""}},
        Case{"OneFenOwesNothingButIsTaxed", CalcFlatRateTax, 0.01, {"0.00", "0.01", "20%", "0.00", "0.00", "0.01", ""}},
        Case{"NoLowerLimit", CalcFlatRateTax, 500, {"0.00", "500.00", "20%", "0.00", "100.00", "400.00", ""}},
        Case{"ExtendedRateAtATie", CalcFlatRateTax, 0.375, {"0.00", "0.38", "20%", "0.00", "0.07", "0.30", ""}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvex::tax
