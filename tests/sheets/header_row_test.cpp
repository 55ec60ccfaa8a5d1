// Where a sheet's table starts: a title or a group caption above the header, found in a CSV
// text and in a workbook.
#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sheets/engine/sheet_engine.h"
#include "sheets/sheet_job.h"
#include "sheets/workbook/xlsx_reader.h"
#include "support/temp_folder.h"

namespace quorvex::sheets {
namespace {

using test_support::TempFolder;

class StringSource : public ByteSource {
 public:
  StringSource(std::string text, std::size_t step) : text_(std::move(text)), step_(step) {}
  long Read(char* data, std::size_t size, std::string&) override {
    const std::size_t n = std::min({size, step_, text_.size() - pos_});
    text_.copy(data, n, pos_);
    pos_ += n;
    return static_cast<long>(n);
  }
  bool Rewind(std::string&) override {
    pos_ = 0;
    return true;
  }
  std::uint64_t Size() const override { return text_.size(); }

 private:
  std::string text_;
  std::size_t step_;
  std::size_t pos_ = 0;
};

class HeaderSink : public StringSink {
 public:
  void HeaderRow(std::size_t rows) override { headerRow = rows; }
  std::size_t headerRow = 99;
};

struct Outcome {
  std::string output;
  std::size_t headerRow = 0;
  EngineResult result;
};

Outcome Compute(const std::string& csv, Format out, std::size_t step = 1 << 20, unsigned threads = 2) {
  StringSource source(csv, step);
  HeaderSink sink;
  Outcome run;
  run.result = ComputeSheet(source, sink, {Format::kCsv, out, Encoding::kAuto, threads}, {}, nullptr);
  run.output = sink.text;
  run.headerRow = sink.headerRow;
  return run;
}

const std::string kTable =
    "姓名,收入类型,税前工资,五险一金\r\n"
    "张三,工资、薪金所得,8000,1000\r\n"
    "李四,劳务报酬所得,abc,\r\n";

TEST(HeaderRowTest, RowsAboveTheHeaderAreLeftOutOfACsvResult) {
  const Outcome plain = Compute(kTable, Format::kCsv);
  ASSERT_FALSE(plain.result.error.failed()) << plain.result.error.reason;
  EXPECT_EQ(plain.headerRow, 0u);
  // A merged title, an empty row, a group caption: the same table, read in pieces of any size.
  const std::string titled = "2018年1月工资表,,,\r\n\r\n,,应发,\r\n" + kTable;
  for (const std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{1} << 20}) {
    const Outcome run = Compute(titled, Format::kCsv, step);
    EXPECT_EQ(run.output, plain.output) << step;
    EXPECT_EQ(run.result.records, 2u);
    EXPECT_EQ(run.result.rejected, 1u);
  }
  EXPECT_EQ(Compute(titled, Format::kJsonLines).output, Compute(kTable, Format::kJsonLines).output);
}

// The rows a workbook result is given, as texts.
class RowsSink : public SheetSink {
 public:
  bool Put(const Written& records, std::string&) override {
    for (std::size_t i = 0; i < records.rows.size(); ++i) {
      std::vector<std::string>& row = rows.emplace_back(records.rows.Width(i));
      for (const CellRows::Cell& cell : records.rows.Row(i)) row[cell.column] = records.rows.Text(cell);
    }
    return true;
  }
  void HeaderRow(std::size_t rows) override { headerRow = rows; }
  std::vector<std::vector<std::string>> rows;
  std::size_t headerRow = 99;
};

TEST(HeaderRowTest, AWorkbookResultKeepsTheRowsAboveAsTheyWere) {
  // Leading empty rows are dropped as before; those between stay, so the header keeps its
  // distance from the title.
  StringSource source("\r\n\"2018年1月工资表\"\r\n\r\n,,\"应,发\"\r\n" + kTable, 5);
  RowsSink sink;
  const EngineResult result =
      ComputeSheet(source, sink, {Format::kCsv, Format::kXlsx, Encoding::kAuto, 2}, {}, nullptr);
  ASSERT_FALSE(result.error.failed()) << result.error.reason;
  EXPECT_EQ(sink.headerRow, 3u);
  ASSERT_EQ(sink.rows.size(), 6u);
  using Row = std::vector<std::string>;
  EXPECT_EQ(sink.rows[0], Row{"2018年1月工资表"});
  EXPECT_EQ(sink.rows[1], Row{});
  EXPECT_EQ(sink.rows[2], (Row{"", "", "应,发"}));
  EXPECT_EQ(Row(sink.rows[3].begin(), sink.rows[3].begin() + 5),
            (Row{"姓名", "收入类型", "税前工资", "五险一金", "状态"}));
}

TEST(HeaderRowTest, ATotalsRowUnderTheTableIsPassedThroughNotRejected) {
  // 合计 in the first cell with no category, 小计 spaced apart in the category's own cell; a
  // row with no category and another first cell is still an error.
  const Outcome run = Compute(kTable +
                                  "合计,,13000,1000\r\n"
                                  ",小　计,5000,\r\n"
                                  "王五,,5000,\r\n",
                              Format::kCsv);
  ASSERT_FALSE(run.result.error.failed()) << run.result.error.reason;
  EXPECT_EQ(run.result.records, 3u);
  EXPECT_EQ(run.result.rejected, 2u);
  EXPECT_EQ(run.result.totals, 2u);
  EXPECT_NE(run.output.find("\r\n合计,,13000,1000,合计,,,否,,"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\r\n,小　计,5000,,合计,,"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\r\n王五,,5000,,有误,"), std::string::npos) << run.output;
}

TEST(HeaderRowTest, ASheetWithoutAHeaderInItsFirstRowsNamesWhatItSaw) {
  std::string late;
  for (int i = 0; i < 20; ++i) late += "说明,第" + std::to_string(i + 1) + "行\r\n";
  Outcome run = Compute(late + kTable, Format::kCsv);
  EXPECT_EQ(run.result.error.kind, SheetErrorKind::kSheet);
  EXPECT_NE(run.result.error.reason.find("前 20 行中没有表头行"), std::string::npos) << run.result.error.reason;
  EXPECT_NE(run.result.error.reason.find("；第一行是：说明、第1行"), std::string::npos) << run.result.error.reason;
  EXPECT_TRUE(run.output.empty());
  // Twenty rows are searched: the header on the 20th is found, after an empty row too.
  late.erase(0, late.find('\n') + 1);
  EXPECT_FALSE(Compute("\r\n" + late.substr(late.find('\n') + 1) + kTable, Format::kCsv).result.error.failed());
  // A header lacking one column is told as before, with what it holds.
  run = Compute("姓名,收入类型,工资\r\n张三,工资、薪金所得,8000\r\n", Format::kCsv, 5);
  EXPECT_NE(run.result.error.reason.find("表格没有“金额”列（英文表头写作 amount）；第一行是：姓名、收入类型、工资"),
            std::string::npos)
      << run.result.error.reason;
}

// A workbook of the given sheets (name, state, sheetData), written as a script writes one.
void WriteBook(const std::string& path, const std::vector<std::vector<std::string>>& sheets,
               const std::string& bookProperties = {}) {
  std::string list;
  std::string rels;
  std::vector<std::pair<std::string, std::string>> parts{{"[Content_Types].xml", "<Types/>"}};
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    list.append(R"(<sheet name=")").append(sheets[i][0]).append(R"(" sheetId=")").append(n);
    list.append(R"(" r:id="rId)").append(n).append("\"");
    if (!sheets[i][1].empty()) list.append(R"( state=")").append(sheets[i][1]).append("\"");
    list.append("/>");
    rels.append(R"(<Relationship Id="rId)").append(n);
    rels.append(R"(" Type="x/worksheet" Target="worksheets/sheet)").append(n).append(R"(.xml"/>)");
    parts.emplace_back("xl/worksheets/sheet" + n + ".xml",
                       "<worksheet><sheetData>" + sheets[i][2] + "</sheetData></worksheet>");
  }
  parts.emplace_back("xl/workbook.xml",
                     R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)" +
                         bookProperties + "<sheets>" + list + "</sheets></workbook>");
  parts.emplace_back("xl/_rels/workbook.xml.rels", "<Relationships>" + rels + "</Relationships>");
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(zip, nullptr);
  for (const auto& [name, text] : parts) {
    zip_source_t* src = zip_source_buffer(zip, text.data(), text.size(), 0);
    ASSERT_GE(zip_file_add(zip, name.c_str(), src, ZIP_FL_ENC_UTF_8), 0);
  }
  ASSERT_EQ(zip_close(zip), 0);
}

std::string Cell(const std::string& ref, const std::string& text) {
  return R"(<c r=")" + ref + R"(" t="inlineStr"><is><t>)" + text + "</t></is></c>";
}

// A month's sheet: a title over the table, a group caption over 税前工资 and 五险一金.
std::string MonthRows(const std::string& month, const std::string& amount) {
  return R"(<row r="1">)" + Cell("A1", "2018年" + month + "工资表") + "</row>" + R"(<row r="2">)" + Cell("C2", "应发") +
         "</row>" + R"(<row r="3">)" + Cell("A3", "姓名") + Cell("B3", "收入类型") + Cell("C3", "税前工资") +
         Cell("E3", "备注") + "</row>" + R"(<row r="4">)" + Cell("A4", "张三") + Cell("B4", "工资、薪金所得") +
         R"(<c r="C4"><v>)" + amount + "</v></c>" + Cell("E4", "x") + "</row>";
}

std::vector<std::vector<std::string>> ReadBack(const std::string& path) {
  XlsxReader reader;
  std::vector<std::vector<std::string>> rows;
  if (!reader.Open(path)) return {{reader.Error()}};
  std::vector<std::string> row;
  while (reader.Next(row)) rows.push_back(row);
  return rows;
}

// Computes dir/in.xlsx into dir/`out` in `format`; the summary says how it went.
SheetSummary ComputeBook(const TempFolder& dir, const std::string& out, Format format) {
  SheetJob job;
  job.input = dir.File("in.xlsx");
  job.output = dir.File(out);
  job.outFormat = format;
  return RunSheet(job, {}, nullptr);
}

TEST(HeaderRowTest, AWorkbookTitleAndGroupCaptionPassThroughAboveTheResult) {
  TempFolder dir;
  WriteBook(dir.File("in.xlsx"), {{"一月工资", "", MonthRows("1月", "8000")}});
  SheetJob job;
  job.input = dir.File("in.xlsx");
  job.output = dir.File("out.xlsx");
  job.outFormat = Format::kXlsx;
  const SheetSummary s = RunSheet(job, {}, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  const auto rows = ReadBack(job.output);
  ASSERT_EQ(rows.size(), 4u) << rows[0][0];
  EXPECT_EQ(rows[0], std::vector<std::string>{"2018年1月工资表"});
  EXPECT_EQ(rows[1], (std::vector<std::string>{"", "", "应发"}));
  EXPECT_EQ(std::vector<std::string>(rows[2].begin(), rows[2].begin() + 6),
            (std::vector<std::string>{"姓名", "收入类型", "税前工资", "", "备注", "状态"}));
  // The empty column stays between: the cells keep their columns under the header.
  EXPECT_EQ(std::vector<std::string>(rows[3].begin(), rows[3].begin() + 6),
            (std::vector<std::string>{"张三", "工资、薪金所得", "8000", "", "x", "正常"}));
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Month sheets of the same columns, without a title: each result sheet starts with its own
// header, and its records' figures are numbers, as in the first.
TEST(HeaderRowTest, EveryMonthSheetOfAWorkbookResultHasItsHeader) {
  TempFolder dir;
  const auto month = [](const std::string& amount) {
    return R"(<row r="1">)" + Cell("A1", "收入类型") + Cell("B1", "金额") + "</row>" + R"(<row r="2">)" +
           Cell("A2", "工资、薪金所得") + R"(<c r="B2"><v>)" + amount + "</v></c></row>";
  };
  WriteBook(dir.File("in.xlsx"), {{"一月", "", month("8000")}, {"二月", "", month("9000")}});
  ASSERT_TRUE(ComputeBook(dir, "out.xlsx", Format::kXlsx).ok);
  XlsxReader result;
  ASSERT_TRUE(result.Open(dir.File("out.xlsx"))) << result.Error();
  for (std::size_t i = 0; i < 2; ++i) {
    ASSERT_TRUE(result.Select(i));
    std::vector<std::string> row;
    ASSERT_TRUE(result.Next(row));
    EXPECT_EQ(row[0], "收入类型") << i;
    ASSERT_TRUE(result.Next(row));
    EXPECT_EQ(row[1], i == 0 ? "8000" : "9000");
    EXPECT_EQ(result.Types()[1].kind, CellKind::kNumber) << i;
    EXPECT_FALSE(result.Next(row)) << i;
  }
}

// Month sheets that carry a 工作表 column of their own, into one CSV result: the leading
// column that names each record's sheet keeps its name, theirs becomes 工作表_1.
TEST(HeaderRowTest, ASheetColumnOfTheInputGivesWayToTheLeadingOne) {
  TempFolder dir;
  const auto month = [](const std::string& name) {
    return R"(<row r="1">)" + Cell("A1", "工作表") + Cell("B1", "收入类型") + Cell("C1", "金额") + "</row>" +
           R"(<row r="2">)" + Cell("A2", name) + Cell("B2", "工资、薪金所得") + R"(<c r="C2"><v>8000</v></c></row>)";
  };
  WriteBook(dir.File("in.xlsx"), {{"一月", "", month("x")}, {"二月", "", month("y")}});
  ASSERT_TRUE(ComputeBook(dir, "out.csv", Format::kCsv).ok);
  const std::string csv = ReadText(dir.File("out.csv"));
  EXPECT_EQ(csv.rfind("工作表,工作表_1,收入类型,金额,", 0), 0u) << csv;
  EXPECT_NE(csv.find("\r\n二月,y,工资、薪金所得,8000,"), std::string::npos) << csv;
}

// A workbook whose dates count from 1904: the result copies the serials, so it counts from
// 1904 too, and its dates read as they did.
TEST(HeaderRowTest, AResultOfA1904WorkbookKeepsItsDates) {
  TempFolder dir;
  const std::string table = R"(<row r="1">)" + Cell("A1", "收入类型") + Cell("B1", "金额") + Cell("C1", "入职日期") +
                            "</row>" + R"(<row r="2">)" + Cell("A2", "工资、薪金所得") +
                            R"(<c r="B2"><v>8000</v></c><c r="C2"><v>39141</v></c></row>)";
  WriteBook(dir.File("in.xlsx"), {{"工资", "", table}}, R"(<workbookPr date1904="1"/>)");
  ASSERT_TRUE(ComputeBook(dir, "out.xlsx", Format::kXlsx).ok);
  XlsxReader result;
  ASSERT_TRUE(result.Open(dir.File("out.xlsx"))) << result.Error();
  EXPECT_TRUE(result.Date1904());
  std::vector<std::string> row;
  ASSERT_TRUE(result.Next(row) && result.Next(row));
  EXPECT_EQ(row[2], "39141");
}

// A payroll workbook: a hidden sheet of parameters (with a table of its own), two months, notes.
class WorkbookSheetsTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string table = R"(<row r="1">)" + Cell("A1", "收入类型") + Cell("B1", "金额") + "</row>" +
                              R"(<row r="2">)" + Cell("A2", "劳务报酬所得") + R"(<c r="B2"><v>3</v></c></row>)";
    WriteBook(dir.File("in.xlsx"), {{"参数", "hidden", table},
                                    {"一月工资", "", MonthRows("1月", "8000")},
                                    {"二月工资", "", MonthRows("2月", "9000")},
                                    {"说明", "", R"(<row r="1">)" + Cell("A1", "本表说明") + "</row>"}});
  }

  SheetSummary Run(const std::string& out, Format format, const std::string& sheet = {}) {
    SheetJob job;
    job.input = dir.File("in.xlsx");
    job.output = dir.File(out);
    job.outFormat = format;
    job.sheet = sheet;
    return RunSheet(job, {}, nullptr);
  }

  TempFolder dir;
};

TEST_F(WorkbookSheetsTest, EveryShownSheetWithAHeaderIsComputedIntoASheetOfItsName) {
  const SheetSummary s = Run("out.xlsx", Format::kXlsx);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(s.records, 2u);
  EXPECT_EQ(s.sheets, (std::vector<std::string>{"一月工资", "二月工资"}));
  EXPECT_EQ(s.skippedSheets, (std::vector<std::string>{"参数（隐藏）", "说明（没有表头）"}));
  XlsxReader result;
  ASSERT_TRUE(result.Open(dir.File("out.xlsx"))) << result.Error();
  ASSERT_EQ(result.Sheets().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(result.Sheets()[i].name, s.sheets[i]);
    ASSERT_TRUE(result.Select(i));
    std::vector<std::string> row;
    for (int n = 0; n < 4; ++n) ASSERT_TRUE(result.Next(row)) << n;
    EXPECT_EQ(row[2], i == 0 ? "8000" : "9000");
    EXPECT_EQ(row[5], "正常");
  }
}

TEST_F(WorkbookSheetsTest, ATextResultNamesEachRecordsSheetInALeadingColumn) {
  ASSERT_TRUE(Run("out.csv", Format::kCsv).ok);
  const std::string csv = ReadText(dir.File("out.csv"));
  EXPECT_EQ(csv.rfind("工作表,姓名,收入类型,税前工资,,备注,状态,", 0), 0u) << csv;
  EXPECT_NE(csv.find("\r\n一月工资,张三,工资、薪金所得,8000,,x,正常,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n二月工资,张三,工资、薪金所得,9000,,x,正常,"), std::string::npos) << csv;
  EXPECT_EQ(csv.find("姓名", 20), std::string::npos) << "one header for sheets of the same columns";
  ASSERT_TRUE(Run("out.jsonl", Format::kJsonLines).ok);
  const std::string json = ReadText(dir.File("out.jsonl"));
  EXPECT_EQ(json.rfind(R"({"工作表":"一月工资","姓名":"张三",)", 0), 0u) << json;
  EXPECT_NE(json.find("\n{\"工作表\":\"二月工资\",\"姓名\":\"张三\","), std::string::npos) << json;
}

TEST_F(WorkbookSheetsTest, ALaterSheetOfOtherColumnsGetsItsOwnHeaderLine) {
  WriteBook(dir.File("in.xlsx"),
            {{"一月", "", MonthRows("1月", "8000")},
             {"奖金", "",
              R"(<row r="1">)" + Cell("A1", "category") + Cell("B1", "amount") + "</row>" + R"(<row r="2">)" +
                  Cell("A2", "salary") + R"(<c r="B2"><v>5000</v></c></row>)"}});
  ASSERT_TRUE(Run("out.csv", Format::kCsv).ok);
  const std::string csv = ReadText(dir.File("out.csv"));
  EXPECT_EQ(csv.rfind("工作表,姓名,", 0), 0u) << csv;
  EXPECT_NE(csv.find("\r\nsheet,category,amount,status,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n奖金,salary,5000,ok,"), std::string::npos) << csv;
}

TEST_F(WorkbookSheetsTest, OneSheetIsPickedByNameAndAMissingNameIsRefusedWithTheNames) {
  SheetSummary s = Run("out.csv", Format::kCsv, "参数");
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(ReadText(dir.File("out.csv")).rfind("收入类型,金额,状态,", 0), 0u) << "no sheet column for one sheet";
  s = Run("out.csv", Format::kCsv, "三月");
  EXPECT_EQ(s.error.kind, SheetErrorKind::kUsage);
  EXPECT_NE(s.error.Text().find("没有名为“三月”的工作表；其中的工作表有：参数、一月工资、二月工资、说明"),
            std::string::npos)
      << s.error.Text();
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"in.xlsx", "out.csv"})) << "nothing left beside the result";
  // A sheet refused names the workbook, the worksheet and what its first row holds.
  s = Run("out.csv", Format::kCsv, "说明");
  EXPECT_EQ(s.error.kind, SheetErrorKind::kSheet);
  EXPECT_NE(s.error.Text().find("in.xlsx（工作表 说明）：前 20 行中没有表头行"), std::string::npos) << s.error.Text();
  EXPECT_NE(s.error.Text().find("第一行是：本表说明"), std::string::npos) << s.error.Text();
}

TEST_F(WorkbookSheetsTest, AWorkbookWithoutAHeaderInAnyShownSheetIsRefusedForTheFirst) {
  WriteBook(dir.File("in.xlsx"), {{"参数", "hidden", MonthRows("1月", "8000")},
                                  {"说明", "", R"(<row r="1">)" + Cell("A1", "本表说明") + "</row>"},
                                  {"备忘", "", R"(<row r="1">)" + Cell("A1", "备忘") + "</row>"}});
  const SheetSummary s = Run("out.csv", Format::kCsv);
  EXPECT_EQ(s.error.kind, SheetErrorKind::kSheet);
  EXPECT_NE(s.error.Text().find("（工作表 说明）"), std::string::npos) << s.error.Text();
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.csv")));
}

// payroll.xls (see clerk_files_test.cpp): its second sheet 其他 holds no table.
TEST(Excel97SheetsTest, ASheetWithoutATableIsSkippedAndNamedAndOneIsPickedByName) {
  TempFolder dir;
  SheetJob job;
  job.input = QUORVEX_TEST_DATA "/payroll.xls";
  job.output = dir.File("out.csv");
  SheetSummary s = RunSheet(job, {}, nullptr);
  ASSERT_TRUE(s.ok) << s.error.Text();
  EXPECT_EQ(s.records, 3u);
  EXPECT_EQ(s.sheets, std::vector<std::string>{"工资"});
  EXPECT_EQ(s.skippedSheets, std::vector<std::string>{"其他（没有表头）"});
  job.sheet = "其他";
  s = RunSheet(job, {}, nullptr);
  EXPECT_EQ(s.error.kind, SheetErrorKind::kSheet);
  EXPECT_NE(s.error.Text().find("payroll.xls（工作表 其他）："), std::string::npos) << s.error.Text();
}

}  // namespace
}  // namespace quorvex::sheets
