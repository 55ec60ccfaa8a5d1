#include "tax/business.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tax/amount.h"

namespace quorvex::tax {

// Found by argument-dependent lookup when a comparison fails.
std::ostream& operator<<(std::ostream& os, const BusinessTexts& t) {
  return os << '[' << t.notice << "] " << t.taxableIncome << " | " << t.rate << " | " << t.quickDeduction << " | "
            << t.tax << " | " << t.afterTax;
}

namespace {

BusinessTexts Taxed(const char* taxable, const char* rate, const char* quick, const char* tax, const char* after) {
  return {"", taxable, rate, quick, tax, after};
}

BusinessTexts NotTaxed(const char* after) { return {"无需纳税。", "0.00", "0.00", "0.00", "0.00", after}; }

struct BusinessCase {
  const char* name;
  double income;
  BusinessTexts shown;
};

class IndividualBusinessTest : public testing::TestWithParam<BusinessCase> {};

TEST_P(IndividualBusinessTest, ShowsThePublishedFigures) {
  const BusinessCase& c = GetParam();
  EXPECT_EQ(ShowBusinessResult(CalcBusinessTax(c.income)), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, IndividualBusinessTest,
    testing::Values(BusinessCase{"OneYuan", 1, Taxed("1.00", "5%", "0", "0.05", "0.95")},
                    BusinessCase{"OneFen", 0.01, Taxed("0.01", "5%", "0", "0.00", "0.01")},
                    BusinessCase{"AtFirstBound", 15000, Taxed("15000.00", "5%", "0", "750.00", "14250.00")},
                    BusinessCase{"AboveFirstBound", 15000.01, Taxed("15000.01", "10%", "750", "750.00", "14250.01")},
                    BusinessCase{"AtSecondBound", 30000, Taxed("30000.00", "10%", "750", "2250.00", "27750.00")},
                    BusinessCase{"AboveSecondBound", 30000.01, Taxed("30000.01", "20%", "3750", "2250.00", "27750.01")},
                    BusinessCase{"ThirdRow", 50000, Taxed("50000.00", "20%", "3750", "6250.00", "43750.00")},
                    BusinessCase{"AtThirdBound", 60000, Taxed("60000.00", "20%", "3750", "8250.00", "51750.00")},
                    BusinessCase{"AboveThirdBound", 60000.01, Taxed("60000.01", "30%", "9750", "8250.00", "51750.01")},
                    BusinessCase{"AtFourthBound", 100000, Taxed("100000.00", "30%", "9750", "20250.00", "79750.00")},
                    BusinessCase{"AboveFourthBound", 100000.01,
                                 Taxed("100000.01", "35%", "14750", "20250.00", "79750.01")},
                    BusinessCase{"TopRow", 120000, Taxed("120000.00", "35%", "14750", "27250.00", "92750.00")},
                    // 383.7 x 0.05 lies just above 19.185 in extended precision, below it in double.
                    BusinessCase{"ExtendedProductRoundsUp", 383.7, Taxed("383.70", "5%", "0", "19.19", "364.51")}),
    [](const testing::TestParamInfo<BusinessCase>& info) { return std::string(info.param.name); });

struct ContractCase {
  const char* name;
  double income;
  int months;
  BusinessTexts shown;
};

class ContractedOperationTest : public testing::TestWithParam<ContractCase> {};

TEST_P(ContractedOperationTest, ShowsThePublishedFigures) {
  const ContractCase& c = GetParam();
  EXPECT_EQ(ShowBusinessResult(CalcContractTax(c.income, c.months)), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, ContractedOperationTest,
    testing::Values(
        ContractCase{"IncomeEqualsYearAllowance", 42000, 12, NotTaxed("42000.00")},
        ContractCase{"OneFenAboveYearAllowance", 42000.01, 12, Taxed("0.01", "5%", "0", "0.00", "42000.01")},
        ContractCase{"SecondRow", 60000, 12, Taxed("18000.00", "10%", "750", "1050.00", "58950.00")},
        ContractCase{"HalfYear", 30000, 6, Taxed("9000.00", "5%", "0", "450.00", "29550.00")},
        ContractCase{"TopRow", 200000, 12, Taxed("158000.00", "35%", "14750", "40550.00", "159450.00")},
        ContractCase{"IncomeBelowAllowance", 1234.565, 1, NotTaxed("1234.57")},
        ContractCase{"TaxableAtFirstBound", 57000, 12, Taxed("15000.00", "5%", "0", "750.00", "56250.00")},
        ContractCase{"TaxableAboveFirstBound", 18500.01, 1, Taxed("15000.01", "10%", "750", "750.00", "17750.01")},
        ContractCase{"TaxableAtSecondBound", 51000, 6, Taxed("30000.00", "10%", "750", "2250.00", "48750.00")},
        ContractCase{"TaxableAboveSecondBound", 51000.01, 6, Taxed("30000.01", "20%", "3750", "2250.00", "48750.01")},
        ContractCase{"TaxableAtThirdBound", 102000, 12, Taxed("60000.00", "20%", "3750", "8250.00", "93750.00")},
        ContractCase{"TaxableAboveThirdBound", 67000.01, 2, Taxed("60000.01", "30%", "9750", "8250.00", "58750.01")},
        ContractCase{"TaxableAtFourthBound", 142000, 12, Taxed("100000.00", "30%", "9750", "20250.00", "121750.00")},
        ContractCase{"TaxableAboveFourthBound", 138500.01, 11,
                     Taxed("100000.01", "35%", "14750", "20250.00", "118250.01")},
        // Extended-precision products land above the half fen that a double product misses.
        ContractCase{"ExtendedProductOneMonth", 6569.5, 1, Taxed("3069.50", "5%", "0", "153.48", "6416.02")},
        ContractCase{"ExtendedProductFullYear", 45069.5, 12, Taxed("3069.50", "5%", "0", "153.48", "44916.03")}),
    [](const testing::TestParamInfo<ContractCase>& info) { return std::string(info.param.name); });

// For every month count the allowance is months x 3500: the income equal to it owes nothing,
// one fen more is taxed at 5% on that fen.
TEST(ContractAllowanceTest, AllowanceCoversExactlyMonthsTimes3500) {
  for (int months = kMinOperationMonths; months <= kMaxOperationMonths; ++months) {
    const double allowance = 3500.0 * months;
    EXPECT_EQ(ContractAllowance(months), 3500LL * months);
    const BusinessResult at = CalcContractTax(allowance, months);
    EXPECT_FALSE(at.taxed) << months;
    EXPECT_EQ(at.afterTax, allowance);
    EXPECT_EQ(ShowBusinessResult(at), NotTaxed(FormatAmount(allowance).c_str())) << months;
    const double above = *ParseAmount(FormatAmount(allowance) + "1");  // allowance + 0.001
    EXPECT_TRUE(CalcContractTax(above, months).taxed) << months;
    const BusinessTexts fen = ShowBusinessResult(CalcContractTax(allowance + 0.01, months));
    EXPECT_EQ(fen.taxableIncome, "0.01") << months;
    EXPECT_EQ(fen.rate, "5%") << months;
    EXPECT_EQ(fen.quickDeduction, "0") << months;
    EXPECT_TRUE(fen.notice.empty()) << months;
    EXPECT_TRUE(CalcContractTax(allowance - 0.01, months).afterTax == allowance - 0.01) << months;
  }
}

// Every bound of the schedule, on both sides: an amount equal to a bound takes the lower row.
TEST(AnnualBusinessScheduleTest, BoundTakesTheLowerRowAndOneFenMoreTheNext) {
  for (std::size_t i = 0; i + 1 < kAnnualBusinessSchedule.size(); ++i) {
    const double bound = kAnnualBusinessSchedule[i].taxableBound;
    const BusinessRow at = FindAnnualBusinessRow(bound);
    const BusinessRow above = FindAnnualBusinessRow(bound + 0.01);
    EXPECT_EQ(at.rate, kAnnualBusinessSchedule[i].row.rate) << bound;
    EXPECT_EQ(at.quickDeduction, kAnnualBusinessSchedule[i].row.quickDeduction) << bound;
    EXPECT_EQ(above.rate, kAnnualBusinessSchedule[i + 1].row.rate) << bound;
    EXPECT_EQ(above.quickDeduction, kAnnualBusinessSchedule[i + 1].row.quickDeduction) << bound;
  }
}

TEST(AnnualBusinessScheduleTest, QuickDeductionsAreShownAsPlainIntegers) {
  std::vector<std::string> shown;
  for (double income : {1.0, 20000.0, 40000.0, 80000.0, 1e9})
    shown.push_back(ShowBusinessResult(CalcBusinessTax(income)).quickDeduction);
  EXPECT_EQ(shown, (std::vector<std::string>{"0", "750", "3750", "9750", "14750"}));
}

}  // namespace
}  // namespace quorvex::tax
