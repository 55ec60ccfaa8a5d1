// Reading and writing sheets: CSV as RFC 4180 writes it, JSON Lines records, and the text
// layer under both (byte-order mark, UTF-8 checks, GB18030, line counting).
#include <gtest/gtest.h>

#include "sheets/engine/cell_text.h"
#include "sheets/engine/sheet_engine.h"
#include "sheets/engine/sheet_format.h"
#include "sheets/text/byte_scan.h"
#include "sheets/text/csv.h"
#include "sheets/text/json_line.h"
#include "sheets/text/sheet_text.h"

namespace quorvex::sheets {
namespace {

// The fields of one CSV text, record by record.
std::vector<std::vector<std::string>> ReadCsvText(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  CsvReader reader(true);
  std::string arena;
  arena.reserve(text.size());
  Record record;
  std::size_t pos = 0;
  std::uint64_t line = 1;
  while (reader.Parse(text, pos, line, record, arena)) {
    std::vector<std::string>& row = rows.emplace_back();
    for (const FieldRef& f : record.fields) row.emplace_back(f.text);
  }
  return rows;
}

using Rows = std::vector<std::vector<std::string>>;

TEST(CsvReaderTest, ReadsQuotedFieldsWithCommasQuotesAndLineBreaks) {
  EXPECT_EQ(ReadCsvText("a,b\r\n\"x, y\",\"say \"\"hi\"\"\"\r\n\"two\nlines\",\r\n"),
            (Rows{{"a", "b"}, {"x, y", "say \"hi\""}, {"two\nlines", ""}}));
  EXPECT_EQ(ReadCsvText("a,b\r\rx\"y,\"\"\n,"), (Rows{{"a", "b"}, {"x\"y", ""}, {"", ""}}));
}

TEST(CsvReaderTest, RecordEndsOnlyOutsideQuotesAndNeverBetweenCrAndLf) {
  const CsvReader reader;
  EXPECT_EQ(reader.LastRecordEnd("a,\"b\nc\"\nd,\"e\n", false), 8u);
  EXPECT_EQ(reader.LastRecordEnd("a,\"b\nc\"\nd,\"e\n", true), std::string_view::npos);
  EXPECT_EQ(reader.LastRecordEnd("a\r\nb\r", false), 3u);
  EXPECT_EQ(reader.LastRecordEnd("a\"\nb", false), 3u);  // a quote inside a field is a character
  EXPECT_EQ(reader.LastRecordEnd("\"a\"\"", false), std::string_view::npos);
  EXPECT_EQ(reader.LastRecordEnd("abc", true), 3u);
  // Lines ended by CR alone, as a pipe hands them one at a time: the last CR may be half of a
  // CR LF, the one before it ends a record.
  EXPECT_EQ(reader.LastRecordEnd("a,b\rc,d\r", false), 4u);
  EXPECT_EQ(reader.LastRecordEnd("a,b\r", false), std::string_view::npos);
  EXPECT_EQ(reader.LastRecordEnd("h\r\na,b\rc,d\r", false), 7u);
}

TEST(CsvReaderTest, LinesReadAlikeDeepInALongTextAndAtItsEnd) {
  // Lines with a long stretch of text after them are split another way than the last ones.
  Rows numbers(1);
  std::string numbered;
  for (int i = 1; i <= 28; ++i) {
    numbers[0].push_back(std::to_string(i));
    numbered += (i > 1 ? "," : "") + numbers[0].back();
  }
  const std::vector<std::pair<std::string, Rows>> lines = {{"a,b,c", {{"a", "b", "c"}}},
                                                           {",,", {{"", "", ""}}},
                                                           {"x\"y,\"q,\"\"r\"\"\",z", {{"x\"y", "q,\"r\"", "z"}}},
                                                           {std::string(70, 'w') + ",v", {{std::string(70, 'w'), "v"}}},
                                                           {numbered, numbers},
                                                           {"tail,", {{"tail", ""}}},
                                                           {"\"open\nnext\",k", {{"open\nnext", "k"}}},
                                                           {"p\rq", {{"p"}, {"q"}}}};
  std::string text;
  Rows expected;
  for (const char* end : {"\n", "\r\n", "\r"}) {
    for (const auto& [line, rows] : lines) {
      text += line + end;
      expected.insert(expected.end(), rows.begin(), rows.end());
    }
  }
  EXPECT_EQ(ReadCsvText(text), expected);
}

TEST(CsvWriterTest, QuotesOnlyWhatNeedsIt) {
  std::string out;
  for (const char* f : {"plain", "a,b", "say \"x\"", "l1\nl2", "税前工资", ""}) {
    AppendCsvField(out, f);
    out.push_back(',');
  }
  EXPECT_EQ(out, "plain,\"a,b\",\"say \"\"x\"\"\",\"l1\nl2\",税前工资,,");
  EXPECT_EQ(ReadCsvText(out), (Rows{{"plain", "a,b", "say \"x\"", "l1\nl2", "税前工资", "", ""}}));
}

TEST(CsvWriterTest, ResultTextsAreQuotedWhateverTheirLength) {
  for (const std::string text : {"1234567890123,5", "1234567890123\"45", "12345678901234567,"}) {
    RecordOutcome outcome;
    outcome.ok = true;
    outcome.page.lines[2] = text;
    outcome.page.shown = 1U << 2;
    OutBuffer buffer;
    AppendOutcomeCsv(buffer, OutcomeHead(outcome), outcome, false);
    const std::string out(buffer.View());
    const Rows rows = ReadCsvText(out);
    ASSERT_EQ(rows.size(), 1u) << out;
    ASSERT_GT(rows[0].size(), 7u);
    EXPECT_EQ(rows[0][7], text);
  }
}

TEST(JsonLineTest, ReadsFlatObjectsKeepingValuesAsWritten) {
  std::vector<FieldRef> f;
  std::string arena;
  std::string error;
  const std::string line =
      R"({"category":"salary", "amount": -5000.10e2, "ok": true, "x": null, "n":"\u7a0e\ud83d\ude00"})";
  arena.reserve(line.size());
  ASSERT_TRUE(ParseJsonObject(line, f, arena, error)) << error;
  ASSERT_EQ(f.size(), 5u);
  EXPECT_EQ(f[0].rawKey, "\"category\"");
  EXPECT_EQ(f[1].text, "-5000.10e2");
  EXPECT_TRUE(f[1].literal);
  EXPECT_EQ(f[2].text, "true");
  EXPECT_EQ(f[3].text, "");
  EXPECT_EQ(f[3].raw, "null");
  EXPECT_EQ(f[4].text, "税\xF0\x9F\x98\x80");
}

TEST(JsonLineTest, RejectsWhatIsNotAFlatObjectOfJsonValues) {
  std::vector<FieldRef> f;
  std::string arena;
  std::string error;
  for (const char* line : {"[1]", "{\"a\":{\"b\":1}}", "{\"a\":1", "{\"a\" 1}", "{\"a\":1} x", "{a:1}",
                           "{\"a\":\"\\ud800\"}", "{\"a\":01}", "{\"a\":-05}", "{\"a\":+5}", "{\"a\":1.}",
                           "{\"a\":\"tab\there\"}", "{\"a\":-}", "{\"a\":tru}", ""}) {
    arena.clear();
    arena.reserve(64);
    EXPECT_FALSE(ParseJsonObject(line, f, arena, error)) << line;
  }
}

TEST(JsonLineTest, QuoteEscapesWhatJsonRequires) {
  EXPECT_EQ(Quote("a\"b\\c\n\x01税"), "\"a\\\"b\\\\c\\n\\u0001税\"");
  std::vector<FieldRef> f;
  std::string arena;
  std::string error;
  const std::string line = "{\"k\":" + Quote("a\"b\\c\n\x01税") + "}";
  arena.reserve(line.size());
  ASSERT_TRUE(ParseJsonObject(line, f, arena, error));
  EXPECT_EQ(f[0].text, "a\"b\\c\n\x01税");
}

TEST(JsonLineTest, OutcomeMembersReadBackWhateverTheirTexts) {
  // Plain texts, long ones and those to escape; an object of the outcome alone has no comma
  // before its first member.
  struct ReadBack {
    std::string line;
    std::string arena;
    std::vector<FieldRef> f;
  };
  // Writes the outcome alone as an object and reads it back: every member there.
  const auto writeAndRead = [](const RecordOutcome& outcome, ReadBack& r) {
    Layout layout;
    layout.in = layout.out = Format::kJsonLines;
    Written out;
    JsonLinesWriter(layout).Write(Record{}, outcome, out);
    r.line = out.text.View();
    EXPECT_EQ(r.line.back(), '\n');
    r.line.pop_back();
    r.arena.reserve(r.line.size());
    std::string error;
    EXPECT_TRUE(ParseJsonObject(r.line, r.f, r.arena, error)) << r.line;
    ASSERT_EQ(r.f.size(), 5 + kLineCount) << r.line;
  };
  for (const std::string text : {"1234567890123.45", "12345678901234.56", "a\"b", "税\\\n", ""}) {
    RecordOutcome outcome;
    outcome.ok = true;
    outcome.page.lines[1] = "stale, not shown";
    outcome.page.lines[3] = text;
    outcome.page.lines[kLineCount - 1] = "最后一行";
    outcome.page.shown = 1U << 3 | 1U << (kLineCount - 1);
    ReadBack r;
    ASSERT_NO_FATAL_FAILURE(writeAndRead(outcome, r));
    const std::vector<FieldRef>& f = r.f;
    EXPECT_EQ(f[0].key, "status");
    EXPECT_EQ(f[0].text, "ok");
    EXPECT_EQ(f[3].raw, "false");
    EXPECT_EQ(f[5 + 1].text, "");
    EXPECT_EQ(f[5 + 3].key, kLineKeys[3]);
    EXPECT_EQ(f[5 + 3].text, text);
    EXPECT_EQ(f.back().text, "最后一行");
  }
  RecordOutcome rejected;
  rejected.field = "amount";
  rejected.message = "第2行不是有效的记录：\"x\"";
  rejected.warning = true;
  rejected.page.lines[0] = "not shown";
  rejected.page.shown = 1;
  ReadBack r;
  ASSERT_NO_FATAL_FAILURE(writeAndRead(rejected, r));
  const std::vector<FieldRef>& f = r.f;
  EXPECT_EQ(f[0].text, "rejected");
  EXPECT_EQ(f[1].text, "amount");
  EXPECT_EQ(f[2].text, rejected.message);
  EXPECT_EQ(f[3].raw, "true");
  EXPECT_EQ(f[5].text, "");
}

TEST(TextTest, Utf8PrefixStopsAtTheFirstInvalidSequence) {
  EXPECT_EQ(Utf8Prefix("abc税\xEE\x80\x80"), 9u);   // U+E000 is text
  EXPECT_EQ(Utf8Prefix("ab\xC0\x80"), 2u);          // overlong
  EXPECT_EQ(Utf8Prefix("ab\xED\xA0\x80"), 2u);      // surrogate
  EXPECT_EQ(Utf8Prefix("ab\xF4\x90\x80\x80"), 2u);  // beyond U+10FFFF
  EXPECT_EQ(Utf8Prefix("abcdefgh\xE7\xA8"), 8u);    // cut sequence
  EXPECT_EQ(Utf8Prefix("12345678901234567\xFF"), 17u);
  // After a run of three-byte characters: a cut one, a bad continuation, a surrogate, U+FFFF.
  EXPECT_EQ(Utf8Prefix("税税\xE7\xA8"), 6u);
  EXPECT_EQ(Utf8Prefix("税\xE7\x28\x80"), 3u);
  EXPECT_EQ(Utf8Prefix("税\xED\xA0\x80"), 3u);
  EXPECT_EQ(Utf8Prefix("税\xEF\xBF\xBF"), 6u);
  // ASCII runs that end exactly at, just before and just after a 32-byte step.
  for (std::size_t n : {31u, 32u, 33u, 64u, 71u, 72u}) {
    const std::string ascii(n, 'x');
    EXPECT_EQ(Utf8Prefix(ascii), n);
    EXPECT_EQ(Utf8Prefix(ascii + "\xE7\xA8"), n);
    std::string mixed = ascii;
    mixed.append("税").append(ascii);
    EXPECT_EQ(Utf8Prefix(mixed), 2 * n + 3);
  }
  // A bad byte after any number of ASCII bytes, with text before and after it.
  for (std::size_t k = 0; k < 20; ++k) {
    std::string bad(k, 'x');
    bad.append("\xFF").append(20, 'y');
    EXPECT_EQ(Utf8Prefix(bad), k);
    std::string later(k, 'x');
    later.append("税").append(k, 'y').append("\x80").append(k, 'x');
    EXPECT_EQ(Utf8Prefix(later), 2 * k + 3);
  }
}

TEST(TextTest, KeysAreKnownByTheirWholeName) {
  for (std::string_view name : {"status", "field", "message", "warning", "income", "tax", "after_tax", "planned_zone",
                                "saving_vs_all_salary", "quick_deduction"}) {
    EXPECT_TRUE(IsOutcomeColumn(name)) << name;
    EXPECT_EQ(MeaningOf(name).request, kNoRequest) << name;
  }
  for (std::size_t k = 0; k < kRequestKeys.size(); ++k) {
    EXPECT_EQ(MeaningOf(kRequestKeys[k]).request, k) << kRequestKeys[k];
    EXPECT_FALSE(MeaningOf(kRequestKeys[k]).outcome) << kRequestKeys[k];
  }
  for (std::string_view name : {"taxes", "tax_", "Status", "status_1", "incomE", "", "t", "plan_zone", "amounts",
                                "salarY", "planned_bonus_tax_and_more"}) {
    EXPECT_FALSE(IsOutcomeColumn(name)) << name;
    EXPECT_EQ(MeaningOf(name).request, kNoRequest) << name;
  }
}

TEST(TextTest, CountLinesCountsLfCrLfAndLoneCr) {
  const std::string text = "a\r\nb\rc\nd\r\r\n0123456789\n0123456789\r";
  EXPECT_EQ(CountLines(text, true), 7u);
  EXPECT_EQ(CountLines(text, false), 4u);
  // Every mix of CR, LF and other bytes, against a count byte by byte.
  std::uint32_t seed = 7;
  for (std::size_t size = 0; size < 200; ++size) {
    std::string mixed(size, 'x');
    for (char& c : mixed) c = "\r\nx"[((seed = seed * 1103515245 + 12345) >> 16) % 3];
    std::uint64_t breaks = 0;
    for (std::size_t i = 0; i < size; ++i)
      breaks += mixed[i] == '\n' || (mixed[i] == '\r' && (i + 1 == size || mixed[i + 1] != '\n'));
    EXPECT_EQ(CountLines(mixed, true), breaks) << size;
  }
}

// Everything a TextInput gives, and its error.
std::string ReadAll(TextInput& in, std::string& error) {
  std::string text;
  while (in.Append(text, error)) {
  }
  return text;
}

// Hands out at most one byte a read after the first piece, so that sequences are cut.
class Trickle : public MemorySource {
 public:
  using MemorySource::MemorySource;
  long Read(char* data, std::size_t size, std::string& error) override {
    return MemorySource::Read(data, first_ ? (first_ = false, size) : 1, error);
  }

 private:
  bool first_ = true;
};

TEST(TextTest, Gb18030IsRecognisedAndConvertedAcrossReads) {
  // "姓名,金额\n张三,5000\n" in GB18030, and a four-byte sequence (U+20000).
  const std::string gb = "\xD0\xD5\xC3\xFB,\xBD\xF0\xB6\xEE\n\xD5\xC5\xC8\xFD,5000\n\x95\x32\x82\x36";
  Trickle source(gb);
  TextInput in(source, Encoding::kAuto);
  std::string error;
  EXPECT_EQ(ReadAll(in, error), "姓名,金额\n张三,5000\n\xF0\xA0\x80\x80");
  EXPECT_EQ(error, "");
  EXPECT_TRUE(in.Converted());
  MemorySource bad("\x81\x20");
  TextInput badIn(bad, Encoding::kGb18030);
  ReadAll(badIn, error);
  EXPECT_EQ(error, "第 1 个字节不是 GB18030 文字");
}

// UTF-16LE bytes of `text`, after its byte-order mark.
std::string Utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

TEST(TextTest, Utf16TabSeparatedTextReadsAsItsCsvAcrossReads) {
  // Fields quoted with tabs, quotes and line breaks in them, cut at every byte after the
  // first piece, and a last field ended by the input's end.
  std::u16string tsv = u"category\tamount\tnote\r\n";
  std::string csv = "category,amount,note\r\n";
  for (int i = 0; i < 12000; ++i) {
    tsv += u"x\t\"q\"\"\t\n\"\t, y\r\n";
    csv += "x,\"q\"\"\t\n\",\", y\"\r\n";
  }
  tsv += u"\t\tlast";
  csv += ",,last";
  const std::string bytes = Utf16Le(tsv);
  Trickle tsvSource(bytes);
  MemorySource csvSource(csv);
  StringSink fromTsv;
  StringSink fromCsv;
  const EngineOptions options{Format::kCsv, Format::kCsv, Encoding::kAuto, 2};
  const EngineResult result = ComputeSheet(tsvSource, fromTsv, options, {}, nullptr);
  EXPECT_FALSE(result.error.failed()) << result.error.reason;
  EXPECT_EQ(result.records, 12001u);
  ComputeSheet(csvSource, fromCsv, options, {}, nullptr);
  EXPECT_TRUE(fromTsv.text == "\xEF\xBB\xBF" + fromCsv.text);  // converted text keeps a byte-order mark
}

// A sheet's encoding is judged by its whole first piece: UTF-8 with a stray byte of another
// encoding is UTF-8 in error, and GBK whose first characters happen to be valid UTF-8 is GBK.
TEST(TextTest, EncodingIsJudgedByTheWholeSample) {
  EXPECT_TRUE(ReadsAsUtf8("id,name\n1,plain\n", false));
  EXPECT_TRUE(
      ReadsAsUtf8("id,name\n1,张三\n2,Ren\xE9"
                  "e\n",
                  false));
  EXPECT_TRUE(ReadsAsUtf8("id,name\n1,\xE4\xB8", true));  // a character cut by the piece's end
  // "楼陇,收入类型,税前收入\n张三,工资、薪金所得,5000\n" in GBK: 楼陇 reads as UTF-8 "¥¤".
  const std::string gbk =
      "\xC2\xA5\xC2\xA4,\xCA\xD5\xC8\xEB\xC0\xE0\xD0\xCD,\xCB\xB0\xC7\xB0\xCA\xD5\xC8\xEB\n"
      "\xD5\xC5\xC8\xFD,\xB9\xA4\xD7\xCA\xA1\xA2\xD0\xBD\xBD\xF0\xCB\xF9\xB5\xC3,5000\n";
  EXPECT_FALSE(ReadsAsUtf8(gbk, false));
  EXPECT_FALSE(ReadsAsUtf8("\xD5\xC5\xC8\xFD,5000\n", false));
  // Read through a TextInput, the stray byte is an error at its offset, nothing is converted.
  MemorySource stray(
      "id,name\n1,张三\n2,Ren\xE9"
      "e\n");
  TextInput in(stray, Encoding::kAuto);
  std::string error;
  EXPECT_EQ(ReadAll(in, error), "");
  EXPECT_EQ(error.rfind("第 23 个字节不是 UTF-8 文字", 0), 0u) << error;
  EXPECT_FALSE(in.Converted());
}

TEST(TextTest, ByteOrderMarkIsSkippedAndUtf8CheckedAcrossReads) {
  const std::string text = "\xEF\xBB\xBF税,a\n" + std::string(300000, 'x') + "税\n";
  Trickle source(text);
  TextInput in(source, Encoding::kAuto);
  std::string error;
  EXPECT_EQ(ReadAll(in, error), text.substr(3));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(in.HadBom());
  EXPECT_FALSE(in.Converted());
  const std::string cutText = std::string(300000, 'x') + "\xE7\xA8";
  MemorySource cut(cutText);
  TextInput cutIn(cut, Encoding::kAuto);
  ReadAll(cutIn, error);
  EXPECT_EQ(error.rfind("第 300001 个字节不是 UTF-8 文字", 0), 0u);
}

// A workbook's numbers as its sheet shows them, as a spreadsheet program writes them to CSV.
TEST(CellTextTest, NumbersShowAsTheirFormatsShowThem) {
  struct Case {
    double value;
    std::uint16_t builtin;
    std::string_view code;
    std::string_view shown;
  };
  for (const Case& c : std::initializer_list<Case>{
           {40238, 0, "yyyy-mm-dd", "2010-03-01"},
           {40238, 14, "", "2010/3/1"},
           {42369, 0, "m/d/yyyy", "12/31/2015"},
           {42372.6278, 0, "yyyy\"年\"m\"月\"d\"日\" hh:mm AM/PM", "2016年1月3日 03:04 下午"},
           {60, 14, "", "1900/2/29"},  // the day the 1900 system counts that never was
           {61, 14, "", "1900/3/1"},
           {0, 0, "yyyy-mm-dd", "1900-01-00"},
           {0.12, 9, "", "12%"},
           {0.125, 10, "", "12.50%"},
           {11300, 0, "\"￥\"#,##0.00", "￥11,300.00"},
           {-11300, 0, "[$￥-804]#,##0.00", "-￥11,300.00"},
           {-1234.5, 0, "#,##0.00_);[Red](#,##0.00)", "(1,234.50)"},
           {1234.5, 0, "#,##0.00_);[Red](#,##0.00)", "1,234.50 "},
           {2.675, 2, "", "2.68"},  // half away from zero, on 15 digits
           {0.5, 0, "#.##", ".5"},
           {1234567, 0, "#,##0,\"千\"", "1,235千"},
           {40238, 49, "", ""},  // text format, General, fractions: the cell's own text
           {40238, 0, "General", ""},
           {0.5, 0, "# ?/?", ""},
           {1, 0, "[>0]0;0", ""},
       }) {
    EXPECT_EQ(ShownText(c.value, c.builtin, c.code, false), c.shown) << c.code << " " << c.builtin;
  }
  EXPECT_EQ(ShownText(0, 0, "yyyy-mm-dd", true), "1904-01-01");
}

}  // namespace
}  // namespace quorvex::sheets
