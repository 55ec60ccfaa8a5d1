// Sheets from file to file: Chinese headers, workbooks in and out, and the result file that is
// replaced whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "forms/categories.h"
#include "sheets/engine/compute_request.h"
#include "sheets/engine/sheet_engine.h"
#include "sheets/engine/sheet_headers.h"
#include "sheets/sheet_job.h"
#include "sheets/workbook/sheet_template.h"
#include "sheets/workbook/shown_number.h"
#include "sheets/workbook/xlsx_reader.h"
#include "sheets/workbook/xlsx_writer.h"
#include "support/temp_folder.h"

namespace quorvex::sheets {
namespace {

using Rows = std::vector<std::vector<std::string>>;

using test_support::TempFolder;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBook(const std::string& path, const Rows& rows) {
  XlsxWriter writer;
  ASSERT_TRUE(writer.Open(path));
  for (const auto& row : rows) ASSERT_TRUE(writer.WriteRow(row));
  ASSERT_TRUE(writer.Close());
}

Rows ReadBook(const std::string& path) {
  XlsxReader reader;
  Rows rows;
  if (!reader.Open(path)) return {{reader.Error()}};
  std::vector<std::string> row;
  while (reader.Next(row)) rows.push_back(row);
  return rows;
}

// The value of column `header` in each data row.
std::vector<std::string> Column(const Rows& rows, const std::string& header) {
  std::vector<std::string> values;
  const auto at = std::find(rows[0].begin(), rows[0].end(), header) - rows[0].begin();
  for (std::size_t i = 1; i < rows.size(); ++i) {
    values.push_back(static_cast<std::size_t>(at) < rows[i].size() ? rows[i][static_cast<std::size_t>(at)] : "");
  }
  return values;
}

struct HeaderCase {
  const char* name;
  const char* header;
  const char* key;
};

class InputHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(InputHeaderTest, NamesItsField) {
  EXPECT_EQ(InputKeyOf(GetParam().header), GetParam().key);
  EXPECT_EQ(IsChineseInputHeader(GetParam().header),
            GetParam().header != std::string(GetParam().key) && *GetParam().key != '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Headers, InputHeaderTest,
    ::testing::Values(HeaderCase{"CategoryCaption", "收入类型", "category"},
                      HeaderCase{"CategoryAlias", "类别", "category"}, HeaderCase{"CalcCaption", "计算方式", "calc"},
                      HeaderCase{"AmountCaption", "金额", "amount"},
                      HeaderCase{"AmountPreTaxIncome", "税前收入", "amount"},
                      HeaderCase{"AmountSalaryPageCaption", " 税前工资 ", "amount"},
                      HeaderCase{"AmountOfAPayroll", "应发工资", "amount"}, HeaderCase{"Salary", "工资", "salary"},
                      HeaderCase{"Contributions", "五险一金", "contributions"},
                      HeaderCase{"Threshold", "起征点", "threshold"}, HeaderCase{"Months", "月数", "months"},
                      HeaderCase{"EnglishKey", "amount", "amount"}, HeaderCase{"OtherColumn", "姓名", ""},
                      HeaderCase{"ResultColumnIsNoInput", "税前收入(反算)", ""}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

// Each result column is headed by what a page (or the planner) shows beside that line, with
// the line's box or more before it where the caption alone would head two columns; no two
// columns share a header, and every input caption of a page names its field.
TEST(ChineseHeadersTest, ResultColumnsTakeThePagesCaptions) {
  std::vector<const forms::Category*> pages;
  for (const forms::Category& c : forms::Categories()) pages.push_back(&c);
  pages.push_back(forms::FindCategory("plan"));
  std::set<std::string> headers;
  for (std::size_t i = 0; i < kLineCount; ++i) {
    const std::string caption(ChineseCaption(kLineKeys[i]));
    EXPECT_TRUE(headers.insert(caption).second) << caption;
    bool shown = false;
    for (const forms::Category* c : pages) {
      if (const forms::ResultLine* line = c->LineOf(static_cast<Line>(i))) {
        const std::string own(line->caption);
        shown = shown ||
                (caption.size() >= own.size() && caption.compare(caption.size() - own.size(), own.size(), own) == 0);
      }
    }
    EXPECT_TRUE(shown) << kLineKeys[i] << " " << caption;
  }
  for (const char* key : {"status", "field", "message", "warning", "income"}) {
    EXPECT_TRUE(headers.insert(std::string(ChineseCaption(key))).second) << key;
  }
  for (const forms::Category* c : pages) {
    for (const forms::InputField& input : c->inputs) EXPECT_NE(InputKeyOf(input.caption), "") << input.caption;
  }
}

TEST(ChineseHeadersTest, AddedColumnsAndTheirTextsFollowTheInputsLanguage) {
  std::istringstream in(
      "姓名,类别,税前收入,五险一金\n"
      "张三,年终奖所得,18001,\n"
      "李四,工资、薪金所得,5000,-1\n");
  const std::string text = in.str();
  MemorySource source(text);
  StringSink out;
  const EngineResult r = ComputeSheet(source, out, {}, {}, nullptr);
  EXPECT_EQ(r.rejected, 1u);
  std::istringstream lines(out.text);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(header,
            "姓名,类别,税前收入,五险一金,状态,出错项,提示,奖盲区,税前收入(反算),减除费用,平均每月,应纳税所得额,"
            "税率,速算扣除数,应纳税额,税后收入,工资应纳税额,税后工资,年终奖应纳税额,税后奖金,纳税总额,税后总额,"
            "建议每月工资,建议年终奖,每月工资应纳税额,建议年终奖应纳税额,全年纳税,建议税后总额,全部按月发放全年纳税,"
            "全部按月发放节税,原计划年终奖全年纳税,原计划年终奖节税,原计划年终奖奖盲区\r");
  EXPECT_EQ(first.rfind("张三,年终奖所得,18001,,正常,,", 0), 0u) << first;
  EXPECT_NE(first.find(",是,"), std::string::npos) << first;  // 18001 lies in a blind zone
  EXPECT_EQ(second.rfind("李四,工资、薪金所得,5000,-1,有误,五险一金,五险一金需大于零，请重新输入,否,", 0), 0u)
      << second;
}

TEST(SheetFileTest, ChineseWorkbookInWorkbookOutWithTheFiguresOfCsv) {
  TempFolder dir;
  const Rows input{{"姓名", "收入类型", "计算方式", "金额", "工资", "五险一金", "起征点", "月数"},
                   {"张三", "工资、薪金所得", "", "9823.45", "", "523.45", "4800", ""},
                   {"李四", "劳务报酬所得", "from-after-tax", "4200", "", "", "", ""},
                   {"王五", "工资、年终奖所得", "", "30000", "8000", "800", "", ""},
                   {"赵六", "contract", "", "80000", "", "", "", "13"}};
  WriteBook(dir.File("工资表.xlsx"), input);
  const SheetSummary s =
      RunSheet({dir.File("工资表.xlsx"), dir.File("结果.xlsx"), Format::kXlsx, Format::kXlsx}, {}, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(s.records, 4u);
  EXPECT_EQ(s.rejected, 1u);
  const Rows out = ReadBook(dir.File("结果.xlsx"));
  EXPECT_EQ(Column(out, "状态"), (std::vector<std::string>{"正常", "正常", "正常", "有误"}));
  EXPECT_EQ(Column(out, "出错项")[3], "月数");
  EXPECT_EQ(Column(out, "税前收入(反算)")[1], "5000");

  // The same sheet as CSV gives the same texts.
  std::ostringstream csv;
  for (const auto& row : input) {
    for (std::size_t i = 0; i < row.size(); ++i) csv << (i > 0 ? "," : "") << row[i];
    csv << "\n";
  }
  WriteText(dir.File("工资表.csv"), csv.str());
  ASSERT_TRUE(RunSheet({dir.File("工资表.csv"), dir.File("结果2.xlsx"), Format::kCsv, Format::kXlsx}, {}, nullptr).ok);
  EXPECT_EQ(ReadBook(dir.File("结果2.xlsx")), out);
  for (const char* column : {"应纳税额", "税后收入", "税率", "纳税总额"}) {
    std::vector<std::string> expected;
    for (std::size_t i = 1; i < input.size(); ++i) {
      const RecordOutcome o = ComputeRequest(
          {input[i][1], input[i][2], input[i][3], input[i][4], input[i][5], input[i][6], input[i][7], ""});
      const std::string key = column == std::string("应纳税额")   ? "tax"
                              : column == std::string("税后收入") ? "after_tax"
                              : column == std::string("税率")     ? "rate"
                                                                  : "total_tax";
      const auto line =
          static_cast<std::size_t>(std::find(kLineKeys.begin(), kLineKeys.end(), key) - kLineKeys.begin());
      expected.push_back(o.ok ? o.lines()[line] : "");
    }
    // The workbook holds the figures as numbers: they read back as the value the page's text shows.
    const std::vector<std::string> read = Column(out, column);
    ASSERT_EQ(read.size(), expected.size()) << column;
    for (std::size_t i = 0; i < read.size(); ++i) {
      if (expected[i].empty()) {
        EXPECT_EQ(read[i], "") << column << i;
        continue;
      }
      const std::optional<ShownNumber> shown = ShownNumberOf(expected[i]);
      ASSERT_TRUE(shown) << expected[i];
      EXPECT_EQ(std::stod(read[i]), shown->value) << column << " " << expected[i] << " read as " << read[i];
    }
  }
}

TEST(SheetFileTest, AResultOverTheInputIsComputedFromTheWholeInput) {
  TempFolder dir;
  WriteText(dir.File("a.csv"), "category,amount\nsalary,5000\n");
  SheetSummary s = RunSheet({dir.File("a.csv"), dir.File("a.csv"), Format::kCsv, Format::kCsv}, {}, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(s.records, 1u);
  EXPECT_EQ(ReadText(dir.File("a.csv")).rfind("category,amount,status", 0), 0u);

  s = RunSheet({dir.File("a.csv"), dir.File("no-such-folder/r.xlsx"), Format::kCsv, Format::kXlsx}, {}, nullptr);
  EXPECT_FALSE(s.ok);
  EXPECT_NE(s.error.Text().find("no-such-folder/r.xlsx"), std::string::npos) << s.error.Text();
}

TEST(SheetFileTest, AResultAnOfficeProgramHoldsOpenIsLeftAsItWas) {
  TempFolder dir;
  WriteText(dir.File("a.csv"), "category,amount\nsalary,5000\n");
  WriteText(dir.File("r.xlsx"), "old result");
  WriteText(dir.File(".~lock.r.xlsx#"), "");
  WriteText(dir.File("r.csv"), "old result");
  WriteText(dir.File("~$r.csv"), "");
  for (const char* result : {"r.xlsx", "r.csv"}) {
    const SheetSummary s = RunSheet({dir.File("a.csv"), dir.File(result), Format::kCsv, Format::kXlsx}, {}, nullptr);
    EXPECT_FALSE(s.ok);
    EXPECT_NE(s.error.Text().find("正被其他程序"), std::string::npos) << s.error.Text();
    EXPECT_EQ(ReadText(dir.File(result)), "old result");
  }
  EXPECT_EQ(dir.Names().size(), 5u);
}

TEST(SheetFileTest, AReadOnlyResultIsLeftAsItWas) {
  TempFolder dir;
  WriteText(dir.File("a.csv"), "category,amount\nsalary,5000\n");
  WriteText(dir.File("r.xlsx"), "old result");
  ASSERT_EQ(chmod(dir.File("r.xlsx").c_str(), 0444), 0);
  const SheetSummary s = RunSheet({dir.File("a.csv"), dir.File("r.xlsx"), Format::kCsv, Format::kXlsx}, {}, nullptr);
  EXPECT_FALSE(s.ok);
  EXPECT_NE(s.error.Text().find("只读"), std::string::npos) << s.error.Text();
  EXPECT_EQ(ReadText(dir.File("r.xlsx")), "old result");
}

TEST(SheetFileTest, WorkbooksAreReadAndWrittenAsFilesOnly) {
  TempFolder dir;
  WriteText(dir.File("a.csv"), "category,amount\nsalary,5000\n");
  SheetSummary s = RunSheet({"-", dir.File("r.csv"), Format::kXlsx, Format::kCsv}, {}, nullptr);
  EXPECT_FALSE(s.ok);
  s = RunSheet({dir.File("a.csv"), "-", Format::kCsv, Format::kXlsx}, {}, nullptr);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.csv"}));
}

TEST(SheetFileTest, AFailedOrCancelledRunLeavesTheOldResultAndNoTemporaryFile) {
  TempFolder dir;
  WriteText(dir.File("bad.xlsx"), "not a workbook");
  WriteText(dir.File("good.csv"), "category,amount\nsalary,5000\nsalary,6000\n");
  WriteText(dir.File("r.csv"), "old result");
  SheetSummary s = RunSheet({dir.File("bad.xlsx"), dir.File("r.csv"), Format::kXlsx, Format::kCsv}, {}, nullptr);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.error.Text().rfind(dir.File("bad.xlsx"), 0), 0u) << s.error.Text();

  const std::atomic<bool> cancel{true};
  s = RunSheet({dir.File("good.csv"), dir.File("r.csv"), Format::kCsv, Format::kCsv}, {}, &cancel);
  EXPECT_FALSE(s.ok);
  EXPECT_TRUE(s.cancelled);

  // A workbook result that is cancelled leaves neither the old file changed nor a temporary one.
  WriteBook(dir.File("in.xlsx"), {{"category", "amount"}, {"salary", "5000"}});
  WriteText(dir.File("r.xlsx"), "old result");
  s = RunSheet({dir.File("in.xlsx"), dir.File("r.xlsx"), Format::kXlsx, Format::kXlsx}, {}, &cancel);
  EXPECT_TRUE(s.cancelled);
  EXPECT_EQ(ReadText(dir.File("r.xlsx")), "old result");

  WriteText(dir.File("empty.csv"), "");
  s = RunSheet({dir.File("empty.csv"), dir.File("r.csv"), Format::kCsv, Format::kCsv}, {}, nullptr);
  EXPECT_FALSE(s.ok);
  EXPECT_NE(s.error.Text().find("表头"), std::string::npos) << s.error.Text();

  EXPECT_EQ(ReadText(dir.File("r.csv")), "old result");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bad.xlsx", "empty.csv", "good.csv", "in.xlsx", "r.csv", "r.xlsx"}));
}

TEST(SheetFileTest, WorkbookRowsBlankOrStyledBeyondTheHeaderAreNotRecords) {
  TempFolder dir;
  WriteBook(dir.File("in.xlsx"), {{"category", "amount"}, {"", ""}, {"salary", "5000", ""}});
  const SheetSummary s = RunSheet({dir.File("in.xlsx"), dir.File("out.csv"), Format::kXlsx, Format::kCsv}, {}, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(s.records, 1u);
  EXPECT_EQ(s.rejected, 0u);
}

TEST(SheetFileTest, WorkbookErrorsNameTheSheetRowAcrossBlankRowsAndLineBreaksInCells) {
  TempFolder dir;
  WriteBook(dir.File("in.xlsx"),
            {{"类别", "金额"}, {"多行\n文本", "5000"}, {"", ""}, {"", ""}, {"salary", "5000", "x"}});
  const SheetSummary s =
      RunSheet({dir.File("in.xlsx"), dir.File("out.xlsx"), Format::kXlsx, Format::kXlsx}, {}, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(s.rejected, 2u);
  const Rows out = ReadBook(dir.File("out.xlsx"));
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1][0], "多行\n文本");  // the cell comes back whole
  EXPECT_EQ(Column(out, "出错项"), (std::vector<std::string>{"类别", "整行"}));
  EXPECT_EQ(Column(out, "提示")[1], "第5行的列数多于表头");
  EXPECT_EQ(out[2].back(), "x");  // a value beyond the header stays in its row
}

TEST(SheetFileTest, WorkbookProgressIsThroughTheWorksheet) {
  TempFolder dir;
  Rows rows{{"category", "amount"}};
  for (int i = 0; i < 2000; ++i) rows.push_back({"salary", std::to_string(3000 + i)});
  WriteBook(dir.File("in.xlsx"), rows);
  SheetProgress last;
  const SheetSummary s = RunSheet(
      {dir.File("in.xlsx"), dir.File("out.csv"), Format::kXlsx, Format::kCsv},
      [&last](const SheetProgress& p) { last = p; }, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(last.records, 2000u);
  EXPECT_GT(last.bytesTotal, 0u);
  EXPECT_EQ(last.bytesRead, last.bytesTotal);
}

TEST(SheetTemplateTest, HasChineseHeadersAndOneExampleOfEachCategoryThatComputes) {
  TempFolder dir;
  ASSERT_EQ(WriteSheetTemplate(dir.File("模板.xlsx")), "");
  const Rows rows = ReadBook(dir.File("模板.xlsx"));
  ASSERT_FALSE(rows.empty());
  for (const std::string& header : rows[0]) EXPECT_TRUE(header == "姓名" || IsChineseInputHeader(header)) << header;
  std::vector<std::string> categories;
  for (const forms::Category& c : forms::Categories()) categories.emplace_back(c.listText);
  categories.insert(categories.end(), {"工资、薪金所得", "年终奖筹划"});  // a reverse calculation, the planner
  EXPECT_EQ(Column(rows, "收入类型"), categories);
  EXPECT_EQ(Column(rows, "计算方式")[categories.size() - 2], "由实发工资反算");
  // Its sheet is 工资表, its amounts numbers shown with two decimals.
  XlsxReader book;
  ASSERT_TRUE(book.Open(dir.File("模板.xlsx")));
  EXPECT_EQ(book.Sheets()[0].name, "工资表");
  std::vector<std::string> row;
  ASSERT_TRUE(book.Next(row) && book.Next(row));
  ASSERT_GT(book.Types().size(), 3u);
  EXPECT_EQ(book.Types()[3].kind, CellKind::kNumber);
  EXPECT_EQ(book.Types()[3].format, 2);

  const SheetSummary s =
      RunSheet({dir.File("模板.xlsx"), dir.File("模板结果.xlsx"), Format::kXlsx, Format::kXlsx}, {}, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(s.records, categories.size());
  EXPECT_EQ(s.rejected, 0u);
  // What may not take a result does not take the template either.
  ASSERT_EQ(chmod(dir.File("模板.xlsx").c_str(), 0444), 0);
  EXPECT_NE(WriteSheetTemplate(dir.File("模板.xlsx")).find("只读"), std::string::npos);
}

// A result computed again: the clerk's 状态 column and every added column of the first run
// keep their values under names of their own, and the records compute as they did.
TEST(SheetFileTest, AResultComputesAgainWithoutTwoColumnsOfOneName) {
  TempFolder dir;
  WriteText(dir.File("a.csv"),
            "姓名,收入类型,金额,状态\n张三,工资、薪金所得,5000,在职\n李四,工资、薪金所得,abc,离职\n");
  for (const char* step : {"a", "b", "c"}) {
    const std::string next = std::string(1, static_cast<char>(step[0] + 1)) + ".csv";
    const SheetSummary s =
        RunSheet({dir.File(std::string(step) + ".csv"), dir.File(next), Format::kCsv, Format::kCsv}, {}, nullptr);
    ASSERT_TRUE(s.ok) << s.error.Text();
    EXPECT_EQ(s.records, 2u);
    EXPECT_EQ(s.rejected, 1u);
    std::istringstream lines(ReadText(dir.File(next)));
    std::string header;
    std::getline(lines, header);
    std::set<std::string> names;
    if (!header.empty() && header.back() == '\r') header.pop_back();
    std::istringstream cells(header);
    for (std::string name; std::getline(cells, name, ',');) EXPECT_TRUE(names.insert(name).second) << name;
    EXPECT_EQ(names.count("状态_1"), 1u);
  }
}

TEST(SheetFileTest, FormatsByExtensionWhateverTheCase) {
  EXPECT_EQ(FormatOfPath("/a/工资表.XLSX"), Format::kXlsx);
  EXPECT_EQ(FormatOfPath("b.csv"), Format::kCsv);
  EXPECT_EQ(FormatOfPath("c.ndjson"), Format::kJsonLines);
  EXPECT_EQ(FormatOfPath("d.xls"), std::nullopt);  // read, never written
  EXPECT_EQ(InputFormatOfPath("d.xls"), Format::kXlsx);
  EXPECT_EQ(InputFormatOfPath("e.Xlsm"), Format::kXlsx);
  EXPECT_EQ(InputFormatOfPath("f.TXT"), Format::kCsv);
}

}  // namespace
}  // namespace quorvex::sheets
