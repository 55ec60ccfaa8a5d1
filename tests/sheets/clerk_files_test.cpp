// Sheets as clerks' tools leave them: workbooks written by scripts (formulas without results),
// Excel 97-2003 workbooks, Excel's Unicode text, formats we cannot read, and amount cells as a
// spreadsheet shows them.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "sheets/engine/compute_request.h"
#include "sheets/engine/shown_amount.h"
#include "sheets/sheet_job.h"
#include "sheets/workbook/sheet_template.h"
#include "sheets/workbook/shown_number.h"
#include "sheets/workbook/xls_reader.h"
#include "sheets/workbook/xlsx_reader.h"
#include "support/temp_folder.h"

namespace quorvex::sheets {
namespace {

using test_support::TempFolder;
using namespace std::string_literals;

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

// unsaved_formulas.xls, made with python3-xlwt (Workbook, add_sheet, write with xlwt.Formula,
// set_cell_error, easyxf(num_format_str="yyyy-mm-dd")): a hidden sheet 参数 with a table, and a
// sheet 工资 whose 五险一金 D2 =ROUND(C2*0.105,2), 备注 E2 =A2&"（在职）" and E3 =1/0, 已核对 G2
// =C2>5000 are formulas xlwt saves without results; E4 the error #N/A, G3 FALSE, G4 TRUE, and
// 入职日期 dates. saved_results.xls is the same workbook saved by `ssconvert --recalc` (Gnumeric),
// which saves the formulas' results, its Workbook stream short enough for the mini stream.
TEST(UnsavedFormulaTest, AScriptsExcel97FormulaIsRefusedByItsCell) {
  TempFolder dir;
  std::filesystem::copy_file(QUORVEX_TEST_DATA "/unsaved_formulas.xls", dir.File("in.xls"));
  SheetSummary s;
  const std::vector<std::string> lines = Compute(dir, "in.xls", &s);
  ASSERT_EQ(lines.size(), 3u) << lines[0];
  EXPECT_EQ(s.rejected, 1u);
  EXPECT_EQ(
      lines[0].rfind(
          std::string("张三,工资、薪金所得,9823.45,,,2021-03-15,,有误,五险一金,五险一金（D2）") + kUnsavedText, 0),
      0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("李四,劳务报酬所得,4200.3,,,2020-01-02,FALSE,正常,", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("王五,年终奖,18001,,#N/A,,TRUE,正常,", 0), 0u) << lines[2];
}

// saved_results.xls: see above.
TEST(Excel97WorkbookTest, FormulasErrorsAndBooleansReadAsSavedAndAHiddenSheetIsSkipped) {
  TempFolder dir;
  std::filesystem::copy_file(QUORVEX_TEST_DATA "/saved_results.xls", dir.File("in.xls"));
  SheetSummary s;
  const std::vector<std::string> lines = Compute(dir, "in.xls", &s);
  ASSERT_EQ(lines.size(), 3u) << lines[0];
  EXPECT_EQ(s.rejected, 0u);
  EXPECT_EQ(s.skippedSheets, std::vector<std::string>{"参数（隐藏）"});
  // The contributions' result lowers the tax: 503.40, not 709.69 as without it.
  EXPECT_EQ(
      lines[0].rfind(
          "张三,工资、薪金所得,9823.45,1031.46,张三（在职）,2021-03-15,TRUE,正常,,,否,,,,5291.99,20%,555.00,503.40,",
          0),
      0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("李四,劳务报酬所得,4200.3,,#DIV/0!,2020-01-02,FALSE,正常,", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("王五,年终奖,18001,,#N/A,,TRUE,正常,", 0), 0u) << lines[2];

  XlsReader reader;
  ASSERT_TRUE(reader.Open(dir.File("in.xls"))) << reader.Error();
  ASSERT_TRUE(reader.Select(1));
  std::vector<std::string> row;
  ASSERT_TRUE(reader.Next(row) && reader.Next(row));
  const std::vector<CellInfo>& types = reader.Types();
  ASSERT_EQ(types.size(), 7u);
  EXPECT_EQ(types[3].kind, CellKind::kNumber);
  EXPECT_EQ(types[4].kind, CellKind::kText);
  EXPECT_EQ(types[6].kind, CellKind::kBoolean);
  EXPECT_EQ(reader.FormatCode(types[5].format), "yyyy-mm-dd");
}

// saved_results.xls: 入职日期 in the format yyyy-mm-dd, which Gnumeric gives the id 50.
TEST(Excel97WorkbookTest, ADateKeepsItsFormatInAWorkbookResult) {
  TempFolder dir;
  SheetJob job;
  job.input = QUORVEX_TEST_DATA "/saved_results.xls";
  job.output = dir.File("out.xlsx");
  job.outFormat = Format::kXlsx;
  ASSERT_TRUE(RunSheet(job, {}, nullptr).ok);
  XlsxReader result;
  ASSERT_TRUE(result.Open(job.output)) << result.Error();
  std::vector<std::string> row;
  ASSERT_TRUE(result.Next(row) && result.Next(row));
  EXPECT_EQ(row[5], "44270");
  EXPECT_EQ(result.Types()[5].kind, CellKind::kNumber);
  EXPECT_EQ(result.FormatCode(result.Types()[5].format), "yyyy-mm-dd");
}

// mini_stream.xls, made with SheetJS (XLSX.writeFile with bookType "biff8"): a Workbook stream
// of 1,267 bytes in the compound file's mini stream, texts in LABEL records.
TEST(Excel97WorkbookTest, ASmallWorkbookInTheMiniStreamReads) {
  TempFolder dir;
  std::filesystem::copy_file(QUORVEX_TEST_DATA "/mini_stream.xls", dir.File("in.xls"));
  const std::vector<std::string> lines = Compute(dir, "in.xls");
  ASSERT_EQ(lines.size(), 2u) << lines[0];
  EXPECT_EQ(lines[0].rfind("张三,工资、薪金所得,8000,Ünïcode ✓,正常,", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("李四,稿酬所得,5000.5,TRUE,正常,", 0), 0u) << lines[1];
}

std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
  return out;
}
std::string Record(std::uint16_t type, const std::string& data) { return Le(type, 2) + Le(data.size(), 2) + data; }
std::string Utf16(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) out += Le(c, 2);
  return out;
}

// A workbook of one sheet, "S", of the cell records `cells`: a compound file of 512-byte sectors
// holding the Workbook stream (its stream sectors, then the directory's, then the FAT's).
std::string BuildWorkbook(const std::string& globals, const std::string& cells) {
  const std::string bof = Record(0x0809, Le(0x0600, 2) + Le(0x0005, 2) + std::string(12, '\0'));
  const std::size_t sheetAt = bof.size() + globals.size() + 13 + 4;  // after BOUNDSHEET and EOF
  std::string stream = bof + globals + Record(0x0085, Le(sheetAt, 4) + std::string(2, '\0') + "\x01\x00S"s) +
                       Record(0x000A, "") + Record(0x0809, Le(0x0600, 2) + Le(0x0010, 2) + std::string(12, '\0')) +
                       cells + Record(0x000A, "");
  stream.resize(std::max<std::size_t>(4096, (stream.size() + 511) / 512 * 512));
  const std::size_t n = stream.size() / 512;
  constexpr std::uint32_t kEnd = 0xFFFFFFFE;
  std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(16, '\0') + Le(0x3E, 2) + Le(3, 2) +
                       Le(0xFFFE, 2) + Le(9, 2) + Le(6, 2) + std::string(10, '\0') + Le(1, 4) + Le(n, 4) + Le(0, 4) +
                       Le(4096, 4) + Le(kEnd, 4) + Le(0, 4) + Le(kEnd, 4) + Le(0, 4) + Le(n + 1, 4) +
                       std::string(std::size_t{108} * 4, '\xFF');
  const auto entry = [](const std::u16string& name, int type, std::uint32_t child, std::uint32_t start,
                        std::size_t size) {
    std::string e = Utf16(name + u'\0');
    e.resize(64, '\0');
    return e + Le(2 * (name.size() + 1), 2) + Le(type, 1) + Le(1, 1) + Le(0xFFFFFFFF, 8) + Le(child, 4) +
           std::string(36, '\0') + Le(start, 4) + Le(size, 8);
  };
  std::string directory = entry(u"Root Entry", 5, 1, kEnd, 0) + entry(u"Workbook", 2, 0xFFFFFFFF, 0, stream.size());
  directory.resize(512, '\0');
  std::string fat;
  for (std::size_t i = 1; i < n; ++i) fat += Le(i, 4);
  fat += Le(kEnd, 4) + Le(kEnd, 4) + Le(0xFFFFFFFD, 4);
  fat.resize(512, '\xFF');
  return header + stream + directory + fat;
}

// The rows of the first sheet of the workbook `bytes`, with each cell's kind after its text.
std::vector<std::string> ReadXls(const TempFolder& dir, const std::string& bytes) {
  WriteText(dir.File("built.xls"), bytes);
  XlsReader reader;
  if (!reader.Open(dir.File("built.xls"))) return {reader.Error()};
  std::vector<std::string> rows;
  std::vector<std::string> row;
  while (reader.Next(row)) {
    std::string line = std::to_string(reader.Line()) + ":";
    for (std::size_t i = 0; i < row.size(); ++i)
      line += row[i] + "/" + std::to_string(static_cast<int>(reader.Types()[i].kind)) + ",";
    rows.push_back(line);
  }
  return rows;
}

// Texts split between a record and its CONTINUE records, each part with its own width; runs
// and phonetic data passed over; surrogate pairs joined, a lone one U+FFFD; the cell records
// of older writers; formulas' results, an empty text too where the workbook was computed.
TEST(Excel97WorkbookTest, TextsSplitBetweenRecordsAndEveryKindOfCellRecordRead) {
  TempFolder dir;
  const std::string sst =
      Record(0x00FC, Le(3, 4) + Le(3, 4) + Le(4, 2) + "\0ab"s) +
      Record(0x003C, "\x01" + Utf16(u"中文") + Le(1, 2) + "\x0C" + Le(1, 2) + Le(3, 4) + "x" + "\x01\x02") +
      Record(0x003C, std::string("\x03\x04\x05\x06\x07", 5) + Le(3, 2) + "\x01" + Utf16(u"😀\xDC00"));
  const std::string emptyResult =
      Record(0x0006, Le(4, 2) + Le(1, 2) + Le(0, 2) + Le(0xFFFF000000000003, 8) + std::string(8, '\0'));
  const std::string cells =
      Record(0x00FD, Le(0, 2) + Le(0, 2) + Le(0, 2) + Le(0, 4)) +
      Record(0x00FD, Le(0, 2) + Le(1, 2) + Le(0, 2) + Le(1, 4)) +
      Record(0x00FD, Le(0, 2) + Le(3, 2) + Le(0, 2) + Le(2, 4)) +
      // A LABEL, an RSTRING with a formatting run; hundredths and an integer in a MULRK.
      Record(0x0204, Le(2, 2) + Le(0, 2) + Le(0, 2) + Le(2, 2) + "\0hi"s) +
      Record(0x00D6, Le(2, 2) + Le(1, 2) + Le(0, 2) + Le(1, 2) + "\0r"s + Le(1, 2) + Le(0, 4)) +
      Record(0x00BD, Le(2, 2) + Le(2, 2) + Le(0, 2) + Le(0x001CB047, 4) + Le(0, 2) +
                         Le(static_cast<std::uint32_t>(-42 * 4) | 2, 4) + Le(3, 2)) +
      // Formulas: a text result in STRING and its CONTINUE, an empty text, an error.
      Record(0x0006, Le(4, 2) + Le(0, 2) + Le(0, 2) + Le(0xFFFF000000000000, 8) + std::string(8, '\0')) +
      Record(0x0207, Le(3, 2) + "\0ab"s) + Record(0x003C, "\x01" + Utf16(u"元")) + emptyResult +
      Record(0x0006, Le(4, 2) + Le(2, 2) + Le(0, 2) + Le(0xFFFF000000170002, 8) + std::string(8, '\0')) +
      Record(0x0205, Le(4, 2) + Le(3, 2) + Le(0, 2) + "\x01\x00"s);
  EXPECT_EQ(ReadXls(dir, BuildWorkbook(sst, cells)),
            (std::vector<std::string>{"1:ab中文/0,x/0,/0,😀\uFFFD/0,", "3:hi/0,r/0,4700.33/1,-42/1,",
                                      "5:ab元/0,/0,#REF!/0,TRUE/2,"}));
  // Formulas whose results are all empty texts, as a script saves them: no results, unless a
  // RECALCID record says a program computed the workbook.
  EXPECT_EQ(ReadXls(dir, BuildWorkbook("", emptyResult)), std::vector<std::string>{"5:/0,B5/3,"});
  EXPECT_EQ(ReadXls(dir, BuildWorkbook(Record(0x01C1, Le(0x1C1, 2) + Le(0, 2) + Le(0x18D54, 4)), emptyResult)),
            std::vector<std::string>{});
}

// payroll.xls with the dimensions both its sheets claim set to 65,536 rows of 256 columns.
TEST(Excel97WorkbookTest, TheDimensionsAWorkbookClaimsCostNoMemory) {
  TempFolder dir;
  std::string bytes = ReadText(QUORVEX_TEST_DATA "/payroll.xls");
  int claims = 0;
  for (std::size_t at = 0; (at = bytes.find(std::string("\x00\x02\x0E\x00", 4), at)) != std::string::npos; at += 4) {
    bytes.replace(at + 8, 4, Le(65536, 4));
    bytes.replace(at + 14, 2, Le(256, 2));
    ++claims;
  }
  ASSERT_EQ(claims, 2);
  WriteText(dir.File("claims.xls"), bytes);
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  XlsReader reader;
  ASSERT_TRUE(reader.Open(dir.File("claims.xls")));
  std::vector<std::string> row;
  int rows = 0;
  for (std::size_t sheet = 0; sheet < 2; ++sheet) {
    ASSERT_TRUE(reader.Select(sheet));
    while (reader.Next(row)) ++rows;
  }
  EXPECT_EQ(rows, 5);
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);  // kilobytes
}

// payroll.xls locked with a password or damaged: refused whole, its rows never partly read.
TEST(Excel97WorkbookTest, ALockedOrDamagedWorkbookIsRefusedWhole) {
  TempFolder dir;
  const std::string payroll = ReadText(QUORVEX_TEST_DATA "/payroll.xls");
  const auto size = [](const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at + 2]) | static_cast<unsigned char>(b[at + 3]) << 8;
  };
  const std::string unreadable = "不是能读取的 Excel 工作簿（可能是其他程序的格式，或已损坏）";
  const std::vector<std::tuple<std::string, std::function<void(std::string&)>, std::string>> changes{
      // Encrypted: a FILEPASS record after the BOF; the data of the records after it (not their
      // headers) scrambled as a cipher leaves it.
      {"locked.xls",
       [&](std::string& b) {
         std::size_t at = b.find(std::string("\x09\x08\x10\x00\x00\x06\x05\x00", 8)) + 20;
         b.replace(at, 2, Le(0x002F, 2));
         for (at += 4 + size(b, at); b.compare(at, 2, Le(0x000A, 2)) != 0; at += 4 + size(b, at))
           for (std::size_t i = at + 4; i < at + 4 + size(b, at); ++i) b[i] = static_cast<char>(b[i] ^ 0x5A);
       },
       "设有打开密码（已加密），无法读取"},
      // The first cell record a byte longer; a later one a byte shorter.
      {"first.xls", [](std::string& b) { b[b.find(std::string("\xFD\x00\x0A\x00\x00\x00\x00\x00", 8)) + 2] = 0x0B; },
       "已损坏：第1行有读不出的单元格"},
      {"later.xls", [](std::string& b) { b[b.find(std::string("\x7E\x02\x0A\x00\x02\x00\x02\x00", 8)) + 2] = 0x09; },
       "已损坏：第3行有读不出的单元格"},
      // The Workbook stream's chain of sectors comes back to its second sector (the FAT is sector 8).
      {"loop.xls", [](std::string& b) { b.replace(9 * 512 + 3 * 4, 4, Le(1, 4)); }, unreadable},
      {"cut.xls", [](std::string& b) { b.resize(2600); }, unreadable}};
  for (const auto& [name, change, refusal] : changes) {
    std::string bytes = payroll;
    change(bytes);
    WriteText(dir.File(name), bytes);
    WriteText(dir.File("out.csv"), "old result");
    EXPECT_EQ(Compute(dir, name)[0],
              dir.File(name) + "：" + refusal + "：请在 Excel/WPS 中另存为 .xlsx 或 CSV 后再计算");
    EXPECT_EQ(ReadText(dir.File("out.csv")), "old result") << name;
  }
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
