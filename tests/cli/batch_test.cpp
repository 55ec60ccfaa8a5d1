// Whole sheets and single requests through the command-line core.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/batch.h"
#include "cli/categories.h"

namespace quorvex::cli {
namespace {

std::string RunSheet(const std::string& input, Format in, Format out, BatchResult* result = nullptr) {
  std::istringstream is(input);
  std::ostringstream os;
  const BatchResult r = RunBatch(is, in, os, out);
  if (result != nullptr) *result = r;
  return os.str();
}

TEST(BatchTest, PassesOtherColumnsThroughInPlaceAndAppendsTheOutcome) {
  BatchResult r;
  const std::string out = RunSheet(
      "name,category,amount,contributions,threshold,note\n"
      "张三,salary,5000,,,x\n"
      "李四,工资、薪金所得,abc,0,4800,\"a,b\"\n",
      Format::kCsv, Format::kCsv, &r);
  EXPECT_EQ(r.records, 2);
  EXPECT_EQ(r.rejected, 1);
  std::istringstream lines(out);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(header.rfind("name,category,amount,contributions,threshold,note,status,field,message,warning,income,", 0),
            0u);
  EXPECT_EQ(first, "张三,salary,5000,,,x,ok,,,false,,,,1500.00,3%,0.00,45.00,4955.00,,,,,,,,,,,,,,,,,\r");
  EXPECT_EQ(
      second,
      "李四,工资、薪金所得,abc,0,4800,\"a,b\",rejected,amount,无效的金额，请重新输入,false,,,,,,,,,,,,,,,,,,,,,,,,,\r");
}

TEST(BatchTest, EchoesAByteOrderMarkAndReportsABrokenSheet) {
  BatchResult r;
  const std::string out = RunSheet(
      "\xEF\xBB\xBF"
      "category,amount\nsalary,5000\nsalary,\"6000\n",
      Format::kCsv, Format::kCsv, &r);
  EXPECT_EQ(out.rfind("\xEF\xBB\xBF"
                      "category,amount,status",
                      0),
            0u);
  EXPECT_EQ(r.records, 1);
  EXPECT_FALSE(r.error.empty());
}

TEST(BatchTest, FlagsARowWithMoreValuesThanTheHeader) {
  BatchResult r;
  const std::string out = RunSheet("category,amount\nsalary,5000,extra\n", Format::kCsv, Format::kCsv, &r);
  EXPECT_EQ(r.rejected, 1);
  EXPECT_NE(out.find("rejected,record,"), std::string::npos);
}

TEST(BatchTest, JsonLinesKeepTypesAndTurnBadLinesIntoRejectedRecords) {
  BatchResult r;
  const std::string out = RunSheet(
      "{\"id\":7,\"category\":\"salary\",\"amount\":9823.45,\"contributions\":\"523.45\","
      "\"threshold\":4800}\n\n{oops\n",
      Format::kJsonLines, Format::kJsonLines, &r);
  EXPECT_EQ(r.records, 2);
  EXPECT_EQ(r.rejected, 1);
  EXPECT_NE(out.find("{\"id\":7,\"category\":\"salary\",\"amount\":9823.45,"), std::string::npos);
  EXPECT_NE(out.find("\"taxable_income\":\"4500.00\",\"rate\":\"20%\""), std::string::npos);
  EXPECT_NE(out.find("\"warning\":false"), std::string::npos);
  EXPECT_NE(out.find("\"field\":\"record\""), std::string::npos);
}

TEST(BatchTest, PlansAYearFromItsRecord) {
  BatchResult r;
  const std::string out = RunSheet(
      "category,amount,contributions,threshold,planned_bonus\n"
      "plan,120000,,,19000\n"
      "plan,120000,,,\n"
      "plan,120000,,,130000\n",
      Format::kCsv, Format::kJsonLines, &r);
  EXPECT_EQ(r.rejected, 1);
  EXPECT_NE(out.find("\"plan_salary\":\"8500.00\",\"plan_bonus\":\"18000.00\""), std::string::npos);
  EXPECT_NE(out.find("\"saving_vs_planned\":\"1054.99\",\"planned_zone\":\"进入盲区"), std::string::npos);
  EXPECT_NE(out.find("\"saving_vs_planned\":\"\",\"planned_zone\":\"\"}"), std::string::npos);
  EXPECT_NE(out.find("\"field\":\"planned_bonus\",\"message\":\"年终奖不能大于全年税前收入"), std::string::npos);
}

TEST(BatchTest, CsvFromJsonLinesHasEveryFieldOfEveryRecord) {
  const std::string out = RunSheet(
      "{\"category\":\"salary\",\"amount\":\"5000\"}\n"
      "{\"category\":\"salary\",\"amount\":\"6000\",\"dept\":\"财务\"}\n",
      Format::kJsonLines, Format::kCsv);
  EXPECT_EQ(out.rfind("category,amount,status,", 0), 0u);
  EXPECT_NE(out.find(",dept\r\n"), std::string::npos);
  EXPECT_NE(out.find(",财务\r\n"), std::string::npos);
}

TEST(CalculateTest, ChecksCategoryKindThresholdAndMonths) {
  EXPECT_EQ(Calculate({"nope", "", "5000", "", "", "", "", ""}).field, "category");
  EXPECT_EQ(Calculate({"salary", "from-after-tax", "5000", "", "", "", "", ""}).field, "calc");
  EXPECT_EQ(Calculate({"salary", "", "5000", "", "", "4000", "", ""}).field, "threshold");
  EXPECT_EQ(Calculate({"salary", "", "5000", "", "", "", "13", ""}).field, "months");
  EXPECT_EQ(Calculate({"salary", "", "5000", "", "", "", "0", ""}).field, "months");
  EXPECT_TRUE(Calculate({" salary ", "forward", "5000", "", "", " 4800 ", "12", ""}).ok);
}

TEST(CalculateTest, SalaryReverseWritesTheIncomeTextAndShowsTheTypedAmountAgain) {
  const Outcome out = Calculate({"salary", "from-tax", "10000", "", "", "", "", ""});
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.income, "46016.6666666667");
  EXPECT_EQ(out[Line::kTax], "10000.00");
  EXPECT_EQ(out[Line::kAfterTax], "36016.67");
  const Outcome huge = Calculate({"salary", "from-tax", "1e308", "", "", "", "", ""});
  EXPECT_FALSE(huge.ok);
  EXPECT_EQ(huge.field, "amount");
  EXPECT_EQ(huge.message, "金额无效，请重新输入");
}

TEST(CalculateTest, ContributionsAreReadAfterTheAmountAndEmptyCountsAsZero) {
  EXPECT_EQ(Calculate({"salary", "", "x", "", "-1", "", "", ""}).field, "amount");
  EXPECT_EQ(Calculate({"salary", "", "5000", "", "-1", "", "", ""}).message, "五险一金需大于零，请重新输入");
  EXPECT_EQ(Calculate({"salary", "", "5000", "", " \t", "", "", ""})[Line::kTax], "45.00");
}

}  // namespace
}  // namespace quorvex::cli
