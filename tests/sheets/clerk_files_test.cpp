// Sheets as clerks' tools leave them: workbooks written by scripts (formulas without results),
// Excel 97-2003 workbooks, Excel's Unicode text, formats we cannot read, and amount cells as a
// spreadsheet shows them.
#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sheets/engine/compute_request.h"
#include "sheets/engine/shown_amount.h"
#include "sheets/sheet_job.h"
#include "sheets/workbook/sheet_template.h"
#include "sheets/workbook/shown_number.h"
#include "support/temp_folder.h"

namespace quorvex::sheets {
namespace {

using test_support::TempFolder;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The data lines of a CSV result, without the header.
std::vector<std::string> DataLines(const std::string& csv) {
  std::vector<std::string> lines;
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) lines.push_back(line.substr(0, line.size() - (line.ends_with('\r') ? 1 : 0)));
  return lines;
}

// Runs the sheet at `in` into out.csv beside it; the result's data lines, or the error's text.
std::vector<std::string> Compute(const TempFolder& dir, const std::string& in, SheetSummary* summary = nullptr) {
  SheetJob job;
  job.input = dir.File(in);
  job.output = dir.File("out.csv");
  job.inFormat = InputFormatOfPath(in).value_or(Format::kCsv);
  const SheetSummary s = RunSheet(job, {}, nullptr);
  if (summary != nullptr) *summary = s;
  if (!s.ok) return {s.error.Text()};
  return DataLines(ReadText(job.output));
}

// A workbook as a script writes it: inline strings and numbers, formulas with or without a
// saved value, and the workbook's calculation properties as given.
void WriteScriptBook(const std::string& path, const std::string& sheetData, const std::string& calcPr) {
  const std::map<std::string, std::string> parts{
      {"[Content_Types].xml", "<Types/>"},
      {"xl/workbook.xml",
       R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
       R"(<sheet name="Sheet" sheetId="1" r:id="rId1"/></sheets>)" +
           calcPr + "</workbook>"},
      {"xl/_rels/workbook.xml.rels",
       R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)"},
      {"xl/worksheets/sheet1.xml", "<worksheet><sheetData>" + sheetData + "</sheetData></worksheet>"}};
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(zip, nullptr);
  for (const auto& [name, text] : parts) {
    zip_source_t* src = zip_source_buffer(zip, text.data(), text.size(), 0);
    ASSERT_GE(zip_file_add(zip, name.c_str(), src, ZIP_FL_ENC_UTF_8), 0);
  }
  ASSERT_EQ(zip_close(zip), 0);
}

std::string Text(const char* ref, const char* text) {
  return std::string(R"(<c r=")") + ref + R"(" t="inlineStr"><is><t>)" + text + "</t></is></c>";
}

constexpr char kHeader[] = R"(<row r="1">)"
                           R"(<c r="A1" t="inlineStr"><is><t>姓名</t></is></c>)"
                           R"(<c r="B1" t="inlineStr"><is><t>收入类型</t></is></c>)"
                           R"(<c r="C1" t="inlineStr"><is><t>金额</t></is></c>)"
                           R"(<c r="D1" t="inlineStr"><is><t>工资</t></is></c>)"
                           R"(<c r="E1" t="inlineStr"><is><t>五险一金</t></is></c>)"
                           R"(<c r="F1" t="inlineStr"><is><t>备注</t></is></c></row>)";

constexpr char kUnsavedText[] = "是公式，没有保存计算结果：请在 Excel/WPS 中打开并保存后再计算";

TEST(UnsavedFormulaTest, RefusesTheRowThatReadsItAndPassesOtherCellsThroughEmpty) {
  TempFolder dir;
  WriteScriptBook(dir.File("in.xlsx"),
                  std::string(kHeader) +
                      // Contributions summed by a formula never computed: no tax on a wrong base.
                      R"(<row r="2">)" + Text("A2", "张三") + Text("B2", "工资、薪金所得") +
                      R"(<c r="C2"><v>8000</v></c><c r="E2"><f>SUM(G2:J2)</f></c></row>)"
                      // The amount itself, and a remark, computed by formulas never computed.
                      R"(<row r="3">)" +
                      Text("A3", "李四") + Text("B3", "劳务报酬所得") +
                      R"(<c r="C3"><f>1000*5</f></c><c r="F3" t="str"><f>A3&amp;"x"</f></c></row>)"
                      // A salary the labour page does not read; a remark by a formula with its value.
                      R"(<row r="4">)" +
                      Text("A4", "王五") + Text("B4", "劳务报酬所得") +
                      R"(<c r="C4"><v>5000</v></c><c r="D4"><f>C4</f></c><c r="F4"><f>1+1</f><v>2</v></c>)"
                      R"(<c r="E4"><f>0</f><v>0</v></c></row>)",
                  "");
  SheetSummary s;
  const std::vector<std::string> lines = Compute(dir, "in.xlsx", &s);
  ASSERT_EQ(lines.size(), 3u) << lines[0];
  EXPECT_EQ(s.records, 3u);
  EXPECT_EQ(s.rejected, 2u);
  EXPECT_EQ(lines[0].rfind(std::string("张三,工资、薪金所得,8000,,,,有误,五险一金,五险一金（E2）") + kUnsavedText, 0),
            0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind(std::string("李四,劳务报酬所得,,,,,有误,金额,金额（C3）") + kUnsavedText, 0), 0u)
      << lines[1];
  // A saved formula result is read by its value, as a number.
  EXPECT_EQ(lines[2].rfind("王五,劳务报酬所得,5000,,0,2,正常,", 0), 0u) << lines[2];
}

TEST(UnsavedFormulaTest, AWorkbookAskingToBeComputedOnOpeningHasNoResultsToTrust) {
  TempFolder dir;
  const std::string rows = std::string(kHeader) + R"(<row r="2">)" + Text("A2", "张三") + Text("B2", "工资、薪金所得") +
                           R"(<c r="C2"><v>8000</v></c><c r="E2"><f>SUM(G2:J2)</f><v>0</v></c></row>)";
  WriteScriptBook(dir.File("full.xlsx"), rows, R"(<calcPr calcId="124519" fullCalcOnLoad="1"/>)");
  EXPECT_NE(Compute(dir, "full.xlsx")[0].find("五险一金（E2）"), std::string::npos);
  WriteScriptBook(dir.File("saved.xlsx"), rows, R"(<calcPr calcId="191029"/>)");
  EXPECT_EQ(Compute(dir, "saved.xlsx")[0].rfind("张三,工资、薪金所得,8000,,0,,正常,", 0), 0u);
}

// payroll.xls, made with python3-xlwt: a sheet 工资 (姓名, 收入类型, 应发工资, 五险一金, 备注) with a
// blank row, the number 0.1 + 0.2 + 4200, a second sheet that is not read.
TEST(WorkbookFileTest, ReadsAnExcel97WorkbookLikeItsXlsx) {
  TempFolder dir;
  std::filesystem::copy_file(QUORVEX_TEST_DATA "/payroll.xls", dir.File("工资表.XLS"));
  SheetSummary s;
  const std::vector<std::string> lines = Compute(dir, "工资表.XLS", &s);
  EXPECT_EQ(s.rejected, 0u) << lines[0];
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(
      lines[0].rfind("张三,工资、薪金所得,9823.45,523.45,十月,正常,,,否,,,,5800.00,20%,555.00,605.00,8695.00,", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("李四,劳务报酬所得,4200.3,,,正常,", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("王五,年终奖,18001,,7,正常,", 0), 0u) << lines[2];
}

TEST(WorkbookFileTest, AWorkbookIsKnownByItsContentWhateverItsName) {
  TempFolder dir;
  const std::string rows =
      std::string(kHeader) + R"(<row r="2">)" + Text("B2", "salary") + R"(<c r="C2"><v>5000</v></c></row>)";
  for (const char* name : {"book.xlsm", "book.csv", "book"}) {
    WriteScriptBook(dir.File(name), rows, "");
    const std::vector<std::string> lines = Compute(dir, name);
    ASSERT_EQ(lines.size(), 1u) << name << ": " << lines[0];
    EXPECT_EQ(lines[0].rfind(",salary,5000,,,,正常,", 0), 0u) << name << ": " << lines[0];
  }
}

TEST(WorkbookFileTest, FormatsWeCannotReadAreRefusedWithHowToSaveThem) {
  TempFolder dir;
  // An OpenDocument sheet: its first entry is its type, stored.
  {
    int error = 0;
    zip_t* zip = zip_open(dir.File("sheet.ods").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(zip, nullptr);
    static const std::string type = "application/vnd.oasis.opendocument.spreadsheet";
    const zip_int64_t at = zip_file_add(zip, "mimetype", zip_source_buffer(zip, type.data(), type.size(), 0), 0);
    ASSERT_EQ(zip_set_file_compression(zip, static_cast<zip_uint64_t>(at), ZIP_CM_STORE, 0), 0);
    ASSERT_EQ(zip_close(zip), 0);
  }
  const std::string compound = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(1000, '\0');
  // A workbook encrypted with a password: a compound file holding the encrypted package.
  const std::u16string stream = u"EncryptedPackage";
  WriteText(dir.File("locked.xlsx"),
            compound + std::string(reinterpret_cast<const char*>(stream.data()), stream.size() * 2));
  WriteText(dir.File("other.et"), compound);
  WriteText(dir.File("out.csv"), "old result");
  const std::map<std::string, std::string> refusals{
      {"sheet.ods", "是 OpenDocument 表格（.ods），无法读取"},
      {"locked.xlsx", "设有打开密码（已加密），无法读取"},
      {"other.et", "不是能读取的 Excel 工作簿（可能是其他程序的格式，或已损坏）"}};
  for (const auto& [name, what] : refusals) {
    SheetSummary s;
    EXPECT_EQ(Compute(dir, name, &s)[0],
              dir.File(name) + "：" + what + "：请在 Excel/WPS 中另存为 .xlsx 或 CSV 后再计算");
    EXPECT_EQ(s.error.kind, SheetErrorKind::kSheet);
  }
  EXPECT_EQ(ReadText(dir.File("out.csv")), "old result");
}

// Excel's "Unicode 文本": UTF-16 with its byte-order mark, fields separated by tabs, quoted
// where they hold a tab, a quote or a line break.
TEST(TextFileTest, UnicodeTextReadsAsItsCsv) {
  TempFolder dir;
  const std::u16string tsv =
      u"姓名\t收入类型\t金额\t备注\r\n张三\t工资、薪金所得\t8000\t\"a\tb "
      u"\"\"c\"\"\"\r\n李四\t稿酬所得\t5000\t\"两\n行\", x\r\n";
  std::string le = "\xFF\xFE";
  std::string be = "\xFE\xFF";
  for (const char16_t c : tsv) {
    le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  WriteText(dir.File("le.txt"), le);
  WriteText(dir.File("be.txt"), be);
  WriteText(
      dir.File("same.csv"),
      "姓名,收入类型,金额,备注\r\n张三,工资、薪金所得,8000,\"a\tb \"\"c\"\"\"\r\n李四,稿酬所得,5000,\"两\n行, x\"\r\n");
  const std::vector<std::string> expected = Compute(dir, "same.csv");
  ASSERT_EQ(expected.size(), 3u);  // the second record holds a line break
  EXPECT_EQ(Compute(dir, "le.txt"), expected);
  EXPECT_EQ(Compute(dir, "be.txt"), expected);
  EXPECT_EQ(ReadText(dir.File("out.csv")).rfind("\xEF\xBB\xBF姓名,", 0), 0u);  // converted text keeps a BOM

  WriteText(dir.File("odd.txt"), le + "x");
  EXPECT_NE(Compute(dir, "odd.txt")[0].find("不是 UTF-16 文字"), std::string::npos);
}

TEST(TextFileTest, GbkEuroSignIsReadAsWindowsHasIt) {
  TempFolder dir;
  WriteText(dir.File("gbk.csv"),
            "\xD0\xD5\xC3\xFB,category,amount\r\n\xD5\xC5\xC8\xFD \x80"
            "5,salary,5000\r\n");
  EXPECT_EQ(Compute(dir, "gbk.csv")[0].rfind("张三 €5,salary,5000,ok,", 0), 0u);
}

TEST(ShownAmountTest, ReadsWhatASpreadsheetShowsAndNothingElse) {
  const std::map<std::string, std::string> shown{
      {"8,000.00", "8000.00"},       {"1,234,567.8", "1234567.8"}, {"￥8,000", "8000"},  {"¥ 8000", "8000"},
      {"-￥1,000", "-1000"},         {"￥-1,000", "-1000"},        {"8000元", "8000"},   {"８，０００．５", "8000.5"},
      {"\u3000 8000\u00A0", "8000"}, {"\u3000\u00A0", ""},         {"1,000 元", "1000"}, {"12,345,678", "12345678"}};
  for (const auto& [text, plain] : shown) {
    std::string read;
    EXPECT_TRUE(ReadShownAmount(text, read)) << text;
    EXPECT_EQ(read, plain) << text;
  }
  for (const char* text : {"80,00", "8,0000", ",800", "1,000,00", "1,000.000,5", "8000美元", "八千", "￥", "元",
                           "8 000", "8,000.00元元", "1.5,000"}) {
    std::string read;
    EXPECT_FALSE(ReadShownAmount(text, read)) << text;
  }
}

TEST(ShownNumberTest, AFigureBecomesTheDecimalItShowsWithAFormatShowingItAgain) {
  const struct {
    const char* text;
    double value;
    const char* format;
  } figures[] = {{"905.10", 905.10, "0.00"},
                 {"9750", 9750, "0"},
                 {"3%", 0.03, "0%"},
                 {"2.5%", 0.025, "0.0%"},
                 {"-45.05", -45.05, "0.00"},
                 {"0.00", 0, "0.00"},
                 {"1,234.5", 1234.5, "#,##0.0"},
                 {"0.1", 0.1, "0.0"},
                 {"45%", 0.45, "0%"},
                 {"123456789012.345", 123456789012.345, "0.000"}};
  for (const auto& f : figures) {
    const std::optional<ShownNumber> n = ShownNumberOf(f.text);
    ASSERT_TRUE(n) << f.text;
    EXPECT_EQ(n->value, f.value) << f.text;  // the double nearest the decimal, not 3 * 0.01
    EXPECT_EQ(n->format, f.format) << f.text;
  }
  for (const char* text : {"", "是", "正常", "-", "%", "1.", ".5", "007", "-0.00", "1E+15", "+5", "1,00", "12,3456",
                           "1 000", "5%%", "1234567890123456", "0.1234567890123456", "3%x"}) {
    EXPECT_FALSE(ShownNumberOf(text)) << text;
  }
}

TEST(ShownAmountTest, ASheetComputesShownAmountsAsTypedOnesAndKeepsTheCellsText) {
  TempFolder dir;
  WriteText(
      dir.File("shown.csv"),
      "category,amount,contributions\r\nsalary,\"￥9,823.45\",５２３．４５\r\nsalary,\"80,00\",\r\n,,\r\n,,,,\r\n");
  WriteText(dir.File("typed.csv"), "category,amount,contributions\r\nsalary,9823.45,523.45\r\n");
  SheetSummary s;
  const std::vector<std::string> shown = Compute(dir, "shown.csv", &s);
  EXPECT_EQ(s.records, 2u);  // the rows of empty cells are no records
  ASSERT_EQ(shown.size(), 2u);
  const std::string typed = Compute(dir, "typed.csv")[0];
  EXPECT_EQ(shown[0], "salary,\"￥9,823.45\",５２３．４５" + typed.substr(typed.find(",ok,")));
  EXPECT_EQ(shown[1].rfind("salary,\"80,00\",,rejected,amount,", 0), 0u);
  // JSON Lines values are written by programs, not shown by a spreadsheet: taken as typed.
  WriteText(dir.File("typed.jsonl"), "{\"category\":\"salary\",\"amount\":\"8,000\"}\n");
  EXPECT_NE(Compute(dir, "typed.jsonl")[0].find(",rejected,amount,"), std::string::npos);
}

TEST(RequestCategoryTest, TakesThePayrollNamesOfACategory) {
  const std::map<std::string, forms::CategoryId> names{{"年终奖", forms::CategoryId::kYearBonus},
                                                       {"工资薪金所得", forms::CategoryId::kSalary},
                                                       {" 偶然所得(如中奖、中彩) ", forms::CategoryId::kChance},
                                                       {"个体工商户生产经营所得", forms::CategoryId::kBusiness},
                                                       {"工资、薪金所得", forms::CategoryId::kSalary}};
  for (const auto& [name, id] : names) {
    const forms::Category* c = forms::FindCategory(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->id, id) << name;
  }
  for (const char* name : {"年终", "工资", "(如中奖、中彩)", "salary bonus"})
    EXPECT_EQ(forms::FindCategory(name), nullptr);
}

}  // namespace
}  // namespace quorvex::sheets
