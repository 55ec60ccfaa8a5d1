// Excel workbooks: what the reader takes from a worksheet as other programs write it, what it
// refuses, and what the writer's files read back as.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sheets/engine/sheet_engine.h"
#include "sheets/workbook/workbook_open.h"
#include "sheets/workbook/xlsx_reader.h"
#include "sheets/workbook/xlsx_writer.h"
#include "sheets/workbook/zip_writer.h"
#include "support/temp_folder.h"

namespace quorvex::sheets {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;
using Parts = std::map<std::string, std::string>;

using test_support::TempFolder;

// Writes a zip archive holding `parts`, each deflated.
void WriteZip(const std::string& path, const Parts& parts) {
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(zip, nullptr);
  for (const auto& [name, text] : parts) {
    zip_source_t* src = zip_source_buffer(zip, text.data(), text.size(), 0);
    ASSERT_GE(zip_file_add(zip, name.c_str(), src, ZIP_FL_ENC_UTF_8), 0);
  }
  ASSERT_EQ(zip_close(zip), 0);
}

constexpr char kMain[] = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
constexpr char kRel[] = R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";

// A workbook as Excel lays it out, its first sheet's <sheetData> content given, and the
// shared strings given as <si> items (no sharedStrings.xml when empty).
Parts Workbook(const std::string& sheetData, const std::string& sharedItems = {}) {
  Parts parts;
  parts["[Content_Types].xml"] = "<Types/>";
  parts["_rels/.rels"] =
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
      "</Relationships>";
  // The second sheet is listed first in the relationships: the order of <sheets> decides.
  parts["xl/workbook.xml"] = std::string("<workbook ") + kMain + " " + kRel +
                             R"(><sheets><sheet name="工资" sheetId="1" r:id="rId3"/>)"
                             R"(<sheet name="Other" sheetId="2" r:id="rId1"/></sheets></workbook>)";
  parts["xl/_rels/workbook.xml.rels"] =
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet2.xml"/>)"
      R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet1.xml"/>)"
      R"(<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
      "</Relationships>";
  parts["xl/worksheets/sheet1.xml"] =
      std::string("<worksheet ") + kMain + "><sheetData>" + sheetData + "</sheetData></worksheet>";
  parts["xl/worksheets/sheet2.xml"] = std::string("<worksheet ") + kMain +
                                      R"(><sheetData><row r="1"><c r="A1"><v>99</v></c></row></sheetData></worksheet>)";
  if (!sharedItems.empty()) parts["xl/sharedStrings.xml"] = std::string("<sst ") + kMain + ">" + sharedItems + "</sst>";
  return parts;
}

Rows ReadRows(const std::string& path, std::string* error = nullptr, const XlsxLimits& limits = {}) {
  XlsxReader reader;
  Rows rows;
  if (reader.Open(path, limits)) {
    std::vector<std::string> row;
    while (reader.Next(row)) rows.push_back(row);
  }
  if (error != nullptr) *error = reader.Error();
  return rows;
}

TEST(XlsxReaderTest, TakesTheFirstSheetsCellsAsTheWorkbookStoresThem) {
  TempFolder dir;
  const std::string path = dir.File("book.xlsx");
  WriteZip(
      path,
      Workbook(
          // Shared strings, one of them rich text with a phonetic run.
          R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c>)"
          R"(<c r="E1" t="inlineStr"><is><t>备注</t></is></c></row>)"
          // A gap in the references, an inline string, a number, a boolean.
          R"(<row r="2" spans="1:5"><c r="A2" t="inlineStr"><is><t>工资、薪金所得</t></is></c>)"
          R"(<c r="C2" s="3"><v>5000.5</v></c><c r="E2" t="b"><v>1</v></c></row>)"
          // A blank row element, then a row number skipped; cells without references.
          R"(<row r="3"/><row r="5"><c><v>1</v></c><c t="str"><f>A1&amp;"x"</f><v>text&amp;more</v></c></row>)"
          // A formula's cached value stored with 17 digits; a styled empty cell after the last.
          R"(<row r="6"><c r="A6"><f>0.1+0.2</f><v>0.30000000000000004</v></c><c r="B6" s="2"/></row>)"
          // Cells far right of the header's last, the later one written first.
          R"(<row r="7"><c r="XFD7"><v>2</v></c><c r="AB7" t="e"><v>#N/A</v></c></row>)"
          // Characters XML cannot carry, escaped as Excel escapes them; half a surrogate pair.
          R"(<row r="8"><c t="inlineStr"><is><t>a_x000D_b_x005F_x0041_</t></is></c><c t="s"><v>3</v></c>)"
          R"(<c t="inlineStr"><is><t>_x0000__x4E2D__xFFFE__xD800_</t></is></c></row>)",
          R"(<si><t>收入类型</t></si><si><r><t>税前</t></r><r><rPr><b/></rPr><t xml:space="preserve">工资 </t></r>)"
          R"(<rPh><t>ぜいぜん</t></rPh></si><si><t/></si><si><t>x_x0009_y</t></si>)"));
  std::string error;
  const Rows rows = ReadRows(path, &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(rows, (Rows{{"收入类型", "税前工资 ", "", "", "备注"},
                        {"工资、薪金所得", "", "5000.5", "", "TRUE"},
                        {"1", "text&more"},
                        {"0.3"},
                        {"", "", "", "", "", "#N/A", "2"},
                        {"a\rb_x0041_", "x\ty", std::string("\0中\xEF\xBF\xBE_xD800_", 14)}}));
}

TEST(XlsxReaderTest, ReportsSheetRowNumbersAndProgress) {
  TempFolder dir;
  const std::string path = dir.File("book.xlsx");
  WriteZip(path, Workbook(R"(<row r="1"><c r="A1"><v>1</v></c></row><row r="4"><c r="A4"><v>2</v></c></row>)"));
  XlsxReader reader;
  ASSERT_TRUE(reader.Open(path));
  std::vector<std::string> row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(reader.Line(), 1u);
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(reader.Line(), 4u);
  EXPECT_FALSE(reader.Next(row));
  EXPECT_GT(reader.BytesTotal(), 0u);
  EXPECT_EQ(reader.BytesRead(), reader.BytesTotal());
}

// A file the reader must refuse, and what the refusal must say besides the file's name.
struct Refusal {
  const char* name;
  std::function<void(const std::string& path)> make;
  const char* reason;
  XlsxLimits limits;
};

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string Zeros(std::size_t n) {
  return std::string("<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>") + std::string(n, '0') +
         "</t></is></c></row></sheetData></worksheet>";
}

class XlsxRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(XlsxRefusalTest, NamesTheFileAndTheReason) {
  TempFolder dir;
  const std::string path = dir.File("工资表.xlsx");
  GetParam().make(path);
  std::string error;
  const Rows rows = ReadRows(path, &error, GetParam().limits);
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(error.rfind(path + "：", 0), 0u) << error;
  EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

XlsxLimits Small(std::uint64_t part, double ratio, std::uint64_t shared = std::uint64_t{1} << 20) {
  XlsxLimits l;
  l.maxPartSize = part;
  l.ratioFloor = 4096;
  l.maxRatio = ratio;
  l.maxSharedStrings = shared;
  return l;
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, XlsxRefusalTest,
    ::testing::Values(Refusal{"Missing", [](const std::string&) {}, "文件不存在", {}},
                      Refusal{"Folder", [](const std::string& p) { fs::create_directory(p); }, "是文件夹", {}},
                      Refusal{"Pipe", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, "不是普通文件", {}},
                      Refusal{"CsvRenamed",
                              [](const std::string& p) { WriteText(p, "category,amount\nsalary,5000\n"); },
                              "不是 Excel 工作簿",
                              {}},
                      Refusal{"Truncated",
                              [](const std::string& p) {
                                WriteZip(p, Workbook(R"(<row><c><v>1</v></c></row>)"));
                                fs::resize_file(p, fs::file_size(p) / 2);
                              },
                              "",
                              {}},
                      Refusal{"ZipOfSomethingElse",
                              [](const std::string& p) {
                                WriteZip(p, {{"readme.txt", "hello"}});
                              },
                              "其中没有工作簿",
                              {}},
                      Refusal{"NoSheet",
                              [](const std::string& p) {
                                Parts parts = Workbook("");
                                parts["xl/workbook.xml"] = std::string("<workbook ") + kMain + "><sheets/></workbook>";
                                WriteZip(p, parts);
                              },
                              "没有工作表",
                              {}},
                      Refusal{"BrokenSheetXml",
                              [](const std::string& p) { WriteZip(p, Workbook("<row><c><v>1</v></row>")); },
                              "不是有效的 XML",
                              {}},
                      Refusal{"SharedStringOutOfRange",
                              [](const std::string& p) {
                                WriteZip(p, Workbook(R"(<row><c t="s"><v>7</v></c></row>)", "<si><t>a</t></si>"));
                              },
                              "共享字符串",
                              {}},
                      Refusal{"SharedStringIndexNotANumber",
                              [](const std::string& p) {
                                WriteZip(p, Workbook(R"(<row><c t="s"><v>-1</v></c><c t="s"><v>0</v></c></row>)",
                                                     "<si><t>a</t></si>"));
                              },
                              "共享字符串",
                              {}},
                      Refusal{"SharedStringIndexWithAFraction",
                              [](const std::string& p) {
                                WriteZip(p, Workbook(R"(<row><c t="s"><v>0.9</v></c></row>)", "<si><t>a</t></si>"));
                              },
                              "共享字符串",
                              {}},
                      Refusal{"RowBeyondTheLast",
                              [](const std::string& p) {
                                WriteZip(p, Workbook(R"(<row r="1"><c><v>1</v></c></row>)"
                                                     R"(<row r="99999999999"><c><v>2</v></c></row>)"));
                              },
                              "第99999999999行超出工作表的最后一行",
                              {}},
                      Refusal{"DocumentTypeDeclaration",
                              [](const std::string& p) {
                                Parts parts = Workbook("");
                                parts["xl/worksheets/sheet1.xml"] =
                                    R"(<!DOCTYPE w [<!ENTITY a "aaaaaaaaaa">]><worksheet><sheetData/></worksheet>)";
                                WriteZip(p, parts);
                              },
                              "文档类型",
                              {}},
                      Refusal{"ZipBombByRatio",
                              [](const std::string& p) {
                                Parts parts = Workbook("");
                                parts["xl/worksheets/sheet1.xml"] = Zeros(4 << 20);
                                WriteZip(p, parts);
                              },
                              "压缩炸弹", Small(std::uint64_t{1} << 30, 100)},
                      Refusal{"PartBeyondTheSizeCap",
                              [](const std::string& p) {
                                Parts parts = Workbook("");
                                parts["xl/worksheets/sheet1.xml"] = Zeros(64 << 10);
                                WriteZip(p, parts);
                              },
                              "压缩炸弹", Small(32 << 10, 1e9)},
                      Refusal{"SharedStringsBeyondTheirCap",
                              [](const std::string& p) {
                                WriteZip(p, Workbook("", "<si><t>" + std::string(2000, 'x') + "</t></si>"));
                              },
                              "共享字符串表超过", Small(std::uint64_t{1} << 30, 1e9, 1000)}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(XlsxWriterTest, RoundTripsTextExactlyWithGapsAndWideCharacters) {
  TempFolder dir;
  const std::string path = dir.File("out.xlsx");
  const Rows rows{{"姓名", "税率", "应纳税额", "备注"},
                  {"张三", "3%", "0.00", ""},
                  {"", "45%", "1234567890123.45", "a<b&c>\"d\""},
                  {"李四", "", "", "line\nbreak"},
                  {"tab\tbell\x07", "_x0041_", "a_b", "\r\n"},
                  {std::string("a\0b", 3), "\xEF\xBF\xBE\xEF\xBF\xBF", "\x01\x1F_xfffe_", "_x_x1_"}};
  XlsxWriter writer;
  ASSERT_TRUE(writer.Open(path));
  for (const auto& row : rows) ASSERT_TRUE(writer.WriteRow(row));
  ASSERT_TRUE(writer.Close()) << writer.Error();
  std::string error;
  EXPECT_EQ(ReadRows(path, &error), (Rows{{"姓名", "税率", "应纳税额", "备注"},
                                          {"张三", "3%", "0.00"},
                                          {"", "45%", "1234567890123.45", "a<b&c>\"d\""},
                                          {"李四", "", "", "line\nbreak"},
                                          {"tab\tbell\x07", "_x0041_", "a_b", "\r\n"},
                                          rows.back()}));
  EXPECT_EQ(error, "");
}

TEST(XlsxWriterTest, RefusesWhatExcelCannotHoldAndWritesNothingUnclosed) {
  TempFolder dir;
  XlsxWriter tooLong;
  ASSERT_TRUE(tooLong.Open(dir.File("long.xlsx"), "结果.xlsx"));
  EXPECT_FALSE(tooLong.WriteRow({std::string(XlsxWriter::kMaxCellChars + 1, 'x')}));
  EXPECT_EQ(tooLong.Error().rfind("结果.xlsx：", 0), 0u);
  EXPECT_NE(tooLong.Error().find("32767"), std::string::npos);
  EXPECT_FALSE(tooLong.Close());
  EXPECT_FALSE(fs::exists(dir.File("long.xlsx")));
  {
    XlsxWriter dropped;
    ASSERT_TRUE(dropped.Open(dir.File("dropped.xlsx")));
    ASSERT_TRUE(dropped.WriteRow({"a"}));
  }
  EXPECT_FALSE(fs::exists(dir.File("dropped.xlsx")));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{}) << "a scratch file was left";
}

TEST(ZipWriterTest, SizesPastFourGibibytesGoInZip64RecordsThatReadersFollow) {
  TempFolder dir;
  const std::string path = dir.File("big.zip");
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ZipWriter zip(fd);
  // The entry's stream is not read; its recorded sizes are what is checked.
  const std::uint64_t huge = (std::uint64_t{5} << 30) + 7;
  ASSERT_TRUE(zip.Begin("big.xml", 0x12345678, huge, 3) && zip.Write("abc"));
  ASSERT_TRUE(zip.Add("after.xml", "<after/>") && zip.Finish());
  ::close(fd);
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  ASSERT_NE(archive, nullptr) << "libzip error " << error;
  zip_stat_t st;
  ASSERT_EQ(zip_stat(archive, "big.xml", 0, &st), 0);
  EXPECT_EQ(st.size, huge);
  EXPECT_EQ(st.comp_size, 3u);
  EXPECT_EQ(st.crc, 0x12345678u);
  zip_file_t* after = zip_fopen(archive, "after.xml", 0);
  ASSERT_NE(after, nullptr);
  char text[16] = {};
  EXPECT_EQ(zip_fread(after, text, sizeof text), 8);
  EXPECT_STREQ(text, "<after/>");
  zip_fclose(after);
  zip_close(archive);
}

TEST(XlsxWriterTest, ReplacesMalformedUtf8SoThatTheWorkbookStaysReadable) {
  TempFolder dir;
  const std::string path = dir.File("out.xlsx");
  XlsxWriter writer;
  ASSERT_TRUE(writer.Open(path));
  ASSERT_TRUE(writer.WriteRow({"ok\xff", "\xe5\xb7", "税"}));
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadRows(path), (Rows{{"ok\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD", "税"}}));
}

TEST(XlsxWriterTest, DisplayWidthCountsWideCharactersTwice) {
  EXPECT_EQ(DisplayWidth("5000.00"), 7u);
  EXPECT_EQ(DisplayWidth("应纳税额"), 8u);
  EXPECT_EQ(DisplayWidth("税率3%（年）"), 12u);
}

TEST(XlsxReaderTest, GivesEachCellsKindAndTheNumberFormatOfItsStyle) {
  TempFolder dir;
  Parts parts = Workbook(
      R"(<row r="1"><c r="A1" s="1"><v>42064</v></c><c r="B1" t="s" s="2"><v>0</v></c><c r="C1" t="b"><v>1</v></c>)"
      R"(<c r="D1" s="2"><f>A1*2</f><v>84128</v></c><c r="E1" t="str"><f>"x"</f><v>x</v></c>)"
      R"(<c r="G1" s="3"><v>0.05</v></c><c r="H1" s="9"><v>7</v></c></row>)",
      "<si><t>名</t></si>");
  // The cell styles' formats are those of <cellXfs>, not of the <cellStyleXfs> before them.
  parts["xl/styles.xml"] = std::string("<styleSheet ") + kMain +
                           R"(><numFmts count="1"><numFmt numFmtId="164" formatCode="yyyy-mm-dd"/></numFmts>)"
                           R"(<cellStyleXfs count="2"><xf numFmtId="0"/><xf numFmtId="10"/></cellStyleXfs>)"
                           R"(<cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="4"/>)"
                           R"(<xf numFmtId="9"/></cellXfs></styleSheet>)";
  parts["xl/_rels/workbook.xml.rels"].insert(
      parts["xl/_rels/workbook.xml.rels"].find("</Relationships>"),
      R"(<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)");
  WriteZip(dir.File("typed.xlsx"), parts);
  XlsxReader reader;
  ASSERT_TRUE(reader.Open(dir.File("typed.xlsx"))) << reader.Error();
  std::vector<std::string> row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (std::vector<std::string>{"42064", "名", "TRUE", "84128", "x", "", "0.05", "7"}));
  const std::vector<CellInfo>& types = reader.Types();
  ASSERT_EQ(types.size(), 8u);
  const auto is = [&types](std::size_t i, CellKind kind, std::uint16_t format) {
    return types[i].kind == kind && types[i].format == format;
  };
  EXPECT_TRUE(is(0, CellKind::kNumber, 164));
  EXPECT_EQ(reader.FormatCode(164), "yyyy-mm-dd");
  EXPECT_TRUE(is(1, CellKind::kText, 4));
  EXPECT_TRUE(is(2, CellKind::kBoolean, 0));
  EXPECT_TRUE(is(3, CellKind::kNumber, 4));  // a formula by its saved value
  EXPECT_TRUE(is(4, CellKind::kText, 0));
  EXPECT_TRUE(is(6, CellKind::kNumber, 9));
  EXPECT_TRUE(is(7, CellKind::kNumber, 0));  // a style the workbook lacks: General
}

TEST(XlsxReaderTest, WhatAFileClaimsPastAnyProgramCostsLittle) {
  // A row repeating two cells 20,000 times, a sheet name of 300 characters, a number format of
  // 300: one cell a column, the name cut at a character, the format's cells in General.
  TempFolder dir;
  std::string repeated;
  for (int i = 0; i < 20000; ++i) repeated += R"(<c r="C2"><v>1</v></c><c r="D2"><v>2</v></c>)";
  Parts parts = Workbook(R"(<row r="2"><c r="A2" s="1"><v>5</v></c>)" + repeated + "</row>");
  std::string name;
  for (int i = 0; i < 300; ++i) name += "名";
  parts["xl/workbook.xml"].replace(parts["xl/workbook.xml"].find("工资"), 6, name);
  parts["xl/styles.xml"] =
      std::string("<styleSheet ") + kMain + R"(><numFmts count="1"><numFmt numFmtId="164" formatCode=")" +
      std::string(300, '0') +
      R"("/></numFmts><cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>)";
  parts["xl/_rels/workbook.xml.rels"].insert(
      parts["xl/_rels/workbook.xml.rels"].find("</Relationships>"),
      R"(<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)");
  WriteZip(dir.File("claims.xlsx"), parts);
  XlsxReader reader;
  ASSERT_TRUE(reader.Open(dir.File("claims.xlsx"))) << reader.Error();
  EXPECT_EQ(reader.Sheets()[0].name, name.substr(0, 255));
  std::vector<std::string> row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (std::vector<std::string>{"5", "", "1", "2"}));
  EXPECT_EQ(reader.FormatCode(164), "");
}

TEST(XlsxReaderTest, ASheetListedWithoutItsPartRefusesTheWorkbook) {
  TempFolder dir;
  Parts parts = Workbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)");
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  rels.erase(rels.find(R"(<Relationship Id="rId1")"),
             rels.find(R"(<Relationship Id="rId3")") - rels.find(R"(<Relationship Id="rId1")"));
  WriteZip(dir.File("lost.xlsx"), parts);
  XlsxReader reader;
  EXPECT_FALSE(reader.Open(dir.File("lost.xlsx")));
  EXPECT_EQ(reader.Reason(), "已损坏：读不出工作表Other");
}

// A worksheet of the given rows (texts and kinds), whose own format 164 is a date's.
class GivenRows : public WorkbookRows {
 public:
  struct Row {
    std::vector<std::string> texts;
    std::vector<CellInfo> types;
  };
  explicit GivenRows(std::vector<Row> rows) : rows_(std::move(rows)) {}
  bool Next(std::vector<std::string>& row) override {
    if (next_ == rows_.size()) return false;
    row = rows_[next_].texts;
    types_ = rows_[next_++].types;
    return true;
  }
  const std::vector<CellInfo>& Types() const override { return types_; }
  const std::string& Error() const override { return error_; }
  std::size_t Line() const override { return next_; }
  std::uint64_t BytesRead() const override { return next_; }
  std::uint64_t BytesTotal() const override { return rows_.size(); }
  std::string_view FormatCode(std::uint16_t id) const override { return id == 164 ? "yyyy-mm-dd" : ""; }
  const std::vector<WorkbookSheet>& Sheets() const override { return sheets_; }
  bool Select(std::size_t) override { return false; }

 private:
  std::vector<Row> rows_;
  std::size_t next_ = 0;
  std::vector<CellInfo> types_;
  std::string error_;
  std::vector<WorkbookSheet> sheets_;
};

// The rows a run hands a workbook.
class RowsSink : public SheetSink {
 public:
  bool Put(const Written& records, std::string&) override {
    for (std::size_t i = 0; i < records.rows.size(); ++i) {
      std::vector<std::pair<std::string, WrittenCell>>& row = rows.emplace_back(records.rows.Width(i));
      for (const CellRows::Cell& cell : records.rows.Row(i)) {
        WrittenCell how = records.rows.How(cell);
        codes.emplace_back(how.code);
        how.code = codes.back();
        row[cell.column] = {std::string(records.rows.Text(cell)), how};
      }
    }
    return true;
  }
  std::vector<std::vector<std::pair<std::string, WrittenCell>>> rows;
  std::deque<std::string> codes;
};

TEST(WorkbookRecordsTest, CellsKeepTheirKindsAndAFormulaWithoutAResultIsRefusedByItsCell) {
  const CellInfo number{CellKind::kNumber, 0}, date{CellKind::kNumber, 164}, boolean{CellKind::kBoolean, 0};
  const CellInfo unsaved{CellKind::kUnsavedFormula, 0};
  GivenRows book({{{"工资表"}, {}},
                  {{"工号", "入职", "在职", "收入类型", "金额", "备注"}, {}},
                  {{"1001", "42064", "TRUE", "工资、薪金所得", "8000", "7"}, {number, date, boolean, {}, number}},
                  {{"1002", "42064", "FALSE", "工资、薪金所得", "E4"}, {number, date, boolean, {}, unsaved}},
                  {{"合计", "", "", "", "E5"}, {{}, {}, {}, {}, unsaved}}});  // a sum under the table
  RowsSink sink;
  const EngineResult result = ComputeSheet(book, sink, {Format::kXlsx, Format::kXlsx, Encoding::kUtf8, 2}, {}, nullptr);
  ASSERT_FALSE(result.error.failed()) << result.error.reason;
  EXPECT_EQ(result.records, 2u);
  EXPECT_EQ(result.rejected, 1u);
  EXPECT_EQ(result.totals, 1u);
  ASSERT_EQ(sink.rows.size(), 5u);  // the title, the header, the records and the totals row
  EXPECT_EQ(sink.rows[0][0].first, "工资表");
  const auto& ok = sink.rows[2];
  EXPECT_EQ(ok[0].second.kind, CellKind::kNumber);
  EXPECT_EQ(ok[0].second.number, 1001);
  EXPECT_EQ(ok[1].second.number, 42064);
  EXPECT_EQ(ok[1].second.code, "yyyy-mm-dd");
  EXPECT_EQ(ok[2].second.kind, CellKind::kBoolean);
  EXPECT_EQ(ok[2].second.number, 1);
  EXPECT_EQ(ok[6].first, "正常");
  EXPECT_EQ(ok[6].second.kind, CellKind::kText);
  EXPECT_EQ(ok[5].first, "7");  // read as a text, it stays one
  EXPECT_EQ(ok[5].second.kind, CellKind::kText);
  // The outcome's figures are numbers showing their text.
  const auto figure = std::find_if(ok.begin() + 10, ok.end(), [](const auto& c) { return !c.first.empty(); });
  ASSERT_NE(figure, ok.end());
  EXPECT_EQ(figure->second.kind, CellKind::kNumber);
  const auto& refused = sink.rows[3];
  EXPECT_EQ(refused[2].second.number, 0);  // FALSE
  EXPECT_EQ(refused[4].first, "");         // the formula's cell is left empty
  EXPECT_EQ(refused[6].first, "有误");
  EXPECT_EQ(refused[8].first, "金额（E4）是公式，没有保存计算结果：请在 Excel/WPS 中打开并保存后再计算");
}

TEST(WorkbookFileTest, AnOpenDocumentSheetFromAnyWriterGetsTheSaveAsHint) {
  // Its type entry deflated and after the content, as some scripts' libraries write it.
  TempFolder dir;
  WriteZip(dir.File("script.ods"), {{"content.xml", "<office:document-content/>"},
                                    {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}});
  SheetError error;
  EXPECT_EQ(OpenWorkbook(dir.File("script.ods"), error), nullptr);
  EXPECT_EQ(error.reason, "是 OpenDocument 表格（.ods），无法读取：请在 Excel/WPS 中另存为 .xlsx 或 CSV 后再计算");
}

}  // namespace
}  // namespace quorvex::sheets
