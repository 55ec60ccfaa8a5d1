// Whole sheets through the engine, in memory: what each record becomes, what a sheet as a
// whole is refused for, and that threads, read sizes and formats change nothing but speed.
#include <gtest/gtest.h>
#include <sched.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "sheets/engine/compute_request.h"
#include "sheets/engine/sheet_engine.h"
#include "sheets/engine/sheet_format.h"

namespace quorvex::sheets {
namespace {

struct Outcomes {
  std::string output;
  EngineResult result;
};

// A source that hands out at most `step` bytes a read, to cut records, sequences and line
// breaks at every place.
class TrickleSource : public ByteSource {
 public:
  TrickleSource(std::string_view bytes, std::size_t step, std::size_t failAt = std::string::npos)
      : bytes_(bytes), step_(step), failAt_(failAt) {}
  long Read(char* data, std::size_t size, std::string& error) override {
    if (pos_ >= failAt_) {
      error = "cannot read sheet: Input/output error";
      return -1;
    }
    const std::size_t n = std::min({size, step_, bytes_.size() - pos_, failAt_ - pos_});
    std::copy_n(bytes_.data() + pos_, n, data);
    pos_ += n;
    return static_cast<long>(n);
  }
  bool Rewind(std::string&) override {
    pos_ = 0;
    return true;
  }
  std::uint64_t Size() const override { return 0; }

 private:
  std::string_view bytes_;
  std::size_t step_;
  std::size_t failAt_;
  std::size_t pos_ = 0;
};

Outcomes Process(std::string_view input, Format in, Format out, unsigned threads = 1, std::size_t step = 1 << 20) {
  TrickleSource source(input, step);
  StringSink sink;
  Outcomes run;
  run.result = ComputeSheet(source, sink, {in, out, Encoding::kAuto, threads}, {}, nullptr);
  run.output = sink.text;
  return run;
}

// The outcome columns as a CSV header, and an outcome's values after the record's own.
std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ",") + n;
  return out;
}
const std::string kOutcomeHeader = Joined(OutcomeColumns());
// status, field, message, warning and income, then the result lines, all empty but these.
const std::string kOk5000 = "ok,,,false,,,,1500.00,3%,0.00,45.00,4955.00" + std::string(kLineKeys.size() - 7, ',');

// The outcome as the JSON Lines writer ends a record: `texts` for the first columns, the
// others empty.
std::string JsonOutcome(const std::vector<std::string>& texts) {
  std::string out;
  const std::vector<std::string>& names = OutcomeColumns();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string text = i < texts.size() ? texts[i] : "";
    out += ",\"" + names[i] + "\":" + (i == 3 ? text : "\"" + text + "\"");
  }
  return out + "}\n";
}

struct SheetCase {
  const char* name;
  std::string input;
  Format in;
  Format out;
  std::string expected;  // the whole output
  std::uint64_t records;
  std::uint64_t rejected;
};

class SheetTest : public testing::TestWithParam<SheetCase> {};

TEST_P(SheetTest, WritesEveryRecordWithItsOutcome) {
  const SheetCase& c = GetParam();
  const Outcomes run = Process(c.input, c.in, c.out);
  EXPECT_EQ(run.result.error.reason, "");
  EXPECT_EQ(run.output, c.expected);
  EXPECT_EQ(run.result.records, c.records);
  EXPECT_EQ(run.result.rejected, c.rejected);
  // The same through one-byte reads and several threads.
  const Outcomes trickled = Process(c.input, c.in, c.out, 3, 1);
  EXPECT_EQ(trickled.output, c.expected);
}

const std::string kHeader = "id,category,amount," + kOutcomeHeader + "\r\n";
const std::string kRejectedRecord = "rejected,record,";
const std::string kEmptyFigures = ",false" + std::string(1 + kLineKeys.size(), ',');

INSTANTIATE_TEST_SUITE_P(
    Sheets, SheetTest,
    testing::Values(
        SheetCase{"PassesColumnsThroughByteForByte",
                  "name,category,amount,contributions,threshold,note\n"
                  "张三,salary,5000,,,\"x \"\"q\"\"\"\n"
                  "李四,工资、薪金所得,abc,0,4800,\"a,b\"\n",
                  Format::kCsv, Format::kCsv,
                  "name,category,amount,contributions,threshold,note," + kOutcomeHeader +
                      "\r\n张三,salary,5000,,,\"x \"\"q\"\"\"," + kOk5000 +
                      "\r\n李四,工资、薪金所得,abc,0,4800,\"a,b\",rejected,amount,无效的金额，请重新输入" +
                      kEmptyFigures + "\r\n",
                  2, 1},
        SheetCase{"HeaderOnlySheetKeepsItsHeader", "id,category,amount\r\n", Format::kCsv, Format::kCsv, kHeader, 0, 0},
        SheetCase{"InputColumnsNamedLikeTheOutcomeAreRenamed", "id,category,amount,status,status\n1,salary,abc,x,ok\n",
                  Format::kCsv, Format::kCsv,
                  "id,category,amount,status_1,status_2," + kOutcomeHeader +
                      "\r\n1,salary,abc,x,ok,rejected,amount,无效的金额，请重新输入" + kEmptyFigures + "\r\n",
                  1, 1},
        SheetCase{
            "ExtraValuesStayInTheRejectedRowAfterTheOutcome", "id,category,amount\n1,salary,5000,x,\"y,z\"\n",
            Format::kCsv, Format::kCsv,
            kHeader + "1,salary,5000," + kRejectedRecord + "第2行的列数多于表头" + kEmptyFigures + ",x,\"y,z\"\r\n", 1,
            1},
        SheetCase{"ShortRowsAreFilledAndBlankLinesSkipped", "id,category,amount\n\n1,salary\r\n\r\n", Format::kCsv,
                  Format::kCsv, kHeader + "1,salary,,rejected,amount,无效的金额，请重新输入" + kEmptyFigures + "\r\n",
                  1, 1},
        SheetCase{"LineNumbersCountLoneCarriageReturnsAndQuotedBreaks",
                  "id,category,amount\r\"a\nb\",salary,1,x\r2,salary,1,y", Format::kCsv, Format::kCsv,
                  kHeader + "\"a\nb\",salary,1," + kRejectedRecord + "第2行的列数多于表头" + kEmptyFigures + ",x\r\n" +
                      "2,salary,1," + kRejectedRecord + "第4行的列数多于表头" + kEmptyFigures + ",y\r\n",
                  2, 2},
        SheetCase{"TextAfterAClosingQuoteRejectsTheRecordOnly",
                  "id,category,amount\n\"1\"2,salary,5000\n3,salary,5000\n", Format::kCsv, Format::kCsv,
                  kHeader + "\"1\"2,salary,5000," + kRejectedRecord + "第2行有引号外的多余文字" + kEmptyFigures +
                      "\r\n3,salary,5000," + kOk5000 + "\r\n",
                  2, 1},
        SheetCase{"PrivateUseCharacterFirstIsText", "（序号）,category,amount\n1,salary,5000\n", Format::kCsv,
                  Format::kCsv, "（序号）,category,amount," + kOutcomeHeader + "\r\n1,salary,5000," + kOk5000 + "\r\n",
                  1, 0},
        SheetCase{"ByteOrderMarkIsEchoed", "\xEF\xBB\xBFid,category,amount\n1,salary,5000\n", Format::kCsv,
                  Format::kCsv, "\xEF\xBB\xBF" + kHeader + "1,salary,5000," + kOk5000 + "\r\n", 1, 0},
        SheetCase{"JsonKeepsLiteralsAndRenamesClashingKeys",
                  "{\"id\":7,\"category\":\"salary\",\"amount\":5000,\"status\":null,\"x\":\"a\\\"b\"}\n",
                  Format::kJsonLines, Format::kJsonLines,
                  "{\"id\":7,\"category\":\"salary\",\"amount\":5000,\"status_1\":null,\"x\":\"a\\\"b\"" +
                      JsonOutcome({"ok", "", "", "false", "", "", "", "1500.00", "3%", "0.00", "45.00", "4955.00"}),
                  1, 0},
        SheetCase{"JsonToCsvHasEveryKeyAndRepeatsKeepTheirValues",
                  "{\"category\":\"salary\",\"amount\":\"5000\",\"a\":1,\"a\":2}\n\n{\"b\":\"x,y\",\"category\":"
                  "\"salary\",\"amount\":5000}\n",
                  Format::kJsonLines, Format::kCsv,
                  "category,amount,a,a,b," + kOutcomeHeader + "\r\nsalary,5000,1,2,," + kOk5000 +
                      "\r\nsalary,5000,,,\"x,y\"," + kOk5000 + "\r\n",
                  2, 0},
        SheetCase{"CsvToJsonNamesExtraValuesByPosition", "category,amount\nsalary,5000,x\n", Format::kCsv,
                  Format::kJsonLines,
                  "{\"category\":\"salary\",\"amount\":\"5000\",\"column_3\":\"x\"" +
                      JsonOutcome({"rejected", "record", "第2行的列数多于表头", "false"}),
                  1, 1}),
    [](const testing::TestParamInfo<SheetCase>& info) { return info.param.name; });

struct RefusedCase {
  const char* name;
  std::string input;
  Format in;
  Format out;
  const char* error;  // part of the message
};

class RefusedSheetTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedSheetTest, FailsWithTheReason) {
  const RefusedCase& c = GetParam();
  const Outcomes run = Process(c.input, c.in, c.out, 2, 4093);
  EXPECT_NE(run.result.error.reason.find(c.error), std::string::npos) << run.result.error.reason;
  EXPECT_EQ(run.result.error.kind, SheetErrorKind::kSheet);
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, RefusedSheetTest,
    testing::Values(
        RefusedCase{"UnclosedQuoteAtTheEnd", "id,category,amount\n1,salary,5000\n2,salary,\"6000\n", Format::kCsv,
                    Format::kCsv, "第3行的记录中有一个引号没有配对"},
        RefusedCase{"NoCategoryColumn", "id,amount\n1,5000\n", Format::kCsv, Format::kCsv, "没有“收入类型”列"},
        RefusedCase{"NoAmountColumn", "id,category\n1,salary\n", Format::kCsv, Format::kJsonLines, "没有“金额”列"},
        RefusedCase{"EmptyInput", "", Format::kCsv, Format::kCsv, "没有表头行"},
        RefusedCase{"RecordBeyondTheLimit", "category,amount\n" + std::string(kMaxRecordBytes + 10, ','), Format::kCsv,
                    Format::kCsv, "超过 1 MiB"},
        RefusedCase{"LineWithoutBreakBeyondTheLimit", std::string(kMaxRecordBytes + 10, 'x'), Format::kJsonLines,
                    Format::kJsonLines, "第1行的记录超过 1 MiB"},
        RefusedCase{"TooManyColumns", "category,amount" + std::string(kMaxColumns, ',') + "\n", Format::kCsv,
                    Format::kCsv, "列，多于"},
        RefusedCase{"NotUtf8AfterAnAsciiStart", std::string(300000, '\n') + "category,amount\n\xFF\n", Format::kCsv,
                    Format::kCsv, "不是 UTF-8 文字"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST(JsonLinesTest, InvalidLinesBecomeRejectedRecordsAndTheOutputStaysJson) {
  const Outcomes run = Process("{\"category\":\"salary\",\"amount\":05000}\n{oops\n[1]\n{\"a\":{\"b\":1}}\n",
                               Format::kJsonLines, Format::kJsonLines);
  EXPECT_EQ(run.result.records, 4u);
  EXPECT_EQ(run.result.rejected, 4u);
  EXPECT_EQ(run.output.find("05000"), std::string::npos);
  EXPECT_NE(run.output.find("\"message\":\"第1行不是有效的记录：数字不能以 0 开头\""), std::string::npos);
  EXPECT_NE(run.output.find("第4行不是有效的记录：记录中不能有嵌套的对象或数组"), std::string::npos);
}

// Each line is read as written, whatever keys the line before had in the same places.
TEST(JsonLinesTest, KeysAreReadAsWrittenWhateverTheLineBeforeHad) {
  const Outcomes run = Process(
      "{\"category\":\"salary\",\"amount\":\"5000\"}\n"
      "{\"category\":\"salary\",\"amounts\":\"9\",\"amount\":\"6000\"}\n"
      "{\"category\":\"salary\", \"amount\":\"7000\"}\n"
      "{\"category\":\"salary\",\"status\":\"x\",\"amount\":\"8000\"}\n"
      "{\"category\":\"salary\",\"amount\":\"8000\",\"amount\":\"1\"}\n"
      "{\"category\":\"salary\",\"amoun",
      Format::kJsonLines, Format::kJsonLines);
  std::vector<std::string> lines;
  std::istringstream in(run.output);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_NE(lines[0].find("\"amount\":\"5000\",\"status\":\"ok\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"amounts\":\"9\",\"amount\":\"6000\",\"status\":\"ok\""), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("{\"category\":\"salary\",\"amount\":\"7000\",\"status\":\"ok\""), std::string::npos)
      << lines[2];
  EXPECT_NE(lines[3].find("\"status_1\":\"x\",\"amount\":\"8000\",\"status\":\"ok\""), std::string::npos) << lines[3];
  const std::array<std::string, 4> taxes{"45.00", "145.00", "245.00", "345.00"};
  for (std::size_t i = 0; i < taxes.size(); ++i)
    EXPECT_NE(lines[i].find("\"tax\":\"" + taxes[i] + "\""), std::string::npos) << lines[i];
  // Readers of JSON disagree on which of two amounts counts: neither is taken.
  EXPECT_NE(
      lines[4].find(
          "\"status\":\"rejected\",\"field\":\"record\",\"message\":\"第5行不是有效的记录：字段 amount 出现两次\""),
      std::string::npos)
      << lines[4];
  EXPECT_NE(lines[5].find("第6行不是有效的记录"), std::string::npos) << lines[5];
}

// Keys named like the outcome's take the first free names, a name the record has itself or one
// given before skipped, however many of them the record has.
TEST(JsonLinesTest, KeysNamedLikeTheOutcomeTakeTheFirstFreeNames) {
  std::string many = "{\"category\":\"salary\",\"amount\":\"5000\"";
  for (int i = 0; i < 3000; ++i) many += ",\"tax\":" + std::to_string(i);
  const Outcomes run = Process(
      "{\"status\":\"a\",\"status_1\":\"b\",\"category\":\"salary\",\"status\":\"c\",\"amount\":\"5000\","
      "\"status\":\"d\",\"status_3\":\"e\"}\n" +
          many + "}\n",
      Format::kJsonLines, Format::kJsonLines);
  EXPECT_EQ(run.output.substr(0, run.output.find(",\"status\":")),
            "{\"status_2\":\"a\",\"status_1\":\"b\",\"category\":\"salary\",\"status_4\":\"c\",\"amount\":\"5000\","
            "\"status_5\":\"d\",\"status_3\":\"e\"");
  EXPECT_NE(run.output.find("\"tax_2999\":2998,\"tax_3000\":2999,\"status\":\"ok\""), std::string::npos);
}

TEST(JsonLinesTest, PlansAYearFromItsRecord) {
  const Outcomes run = Process(
      "category,amount,contributions,threshold,planned_bonus\n"
      "plan,120000,,,19000\n"
      "plan,120000,,,\n"
      "plan,120000,,,130000\n",
      Format::kCsv, Format::kJsonLines);
  EXPECT_EQ(run.result.rejected, 1u);
  EXPECT_NE(run.output.find("\"plan_salary\":\"8500.00\",\"plan_bonus\":\"18000.00\""), std::string::npos);
  EXPECT_NE(run.output.find("\"saving_vs_planned\":\"1054.99\",\"planned_zone\":\"进入盲区"), std::string::npos);
  EXPECT_NE(run.output.find("\"saving_vs_planned\":\"\",\"planned_zone\":\"\"}"), std::string::npos);
  EXPECT_NE(run.output.find("\"field\":\"planned_bonus\",\"message\":\"年终奖不能大于全年税前收入"), std::string::npos);
}

TEST(ReadErrorTest, IsAnErrorNotTheEndOfTheInput) {
  const std::string sheet = "{\"category\":\"salary\",\"amount\":\"5000\"}\n";
  std::string many;
  for (int i = 0; i < 5000; ++i) many += sheet;
  for (const Format out : {Format::kJsonLines, Format::kCsv}) {
    TrickleSource source(many, 4096, many.size() / 2);
    StringSink sink;
    const EngineResult r = ComputeSheet(source, sink, {Format::kJsonLines, out, Encoding::kAuto, 2}, {}, nullptr);
    EXPECT_EQ(r.error.reason, "cannot read sheet: Input/output error");
    EXPECT_EQ(r.error.kind, SheetErrorKind::kRead);
  }
}

TEST(ReadErrorTest, TextThatIsNotUtf8IsNamedByItsFirstBadByteWhateverTheThreads) {
  std::string sheet =
      "\xEF\xBB\xBF"
      "category,amount\n";
  while (sheet.size() < 3000000) sheet += "salary,5000\n";
  const std::size_t late = sheet.size() - 100000;  // far beyond the piece the encoding is chosen from
  std::string twoBad = sheet;
  twoBad[late] = '\xFF';
  twoBad[late + 50000] = '\xC0';
  std::string badHeader = sheet;
  badHeader[5] = '\xFF';
  for (const unsigned threads : {1U, 3U}) {
    const Outcomes deep = Process(twoBad, Format::kCsv, Format::kCsv, threads, 65536);
    EXPECT_EQ(deep.result.error.reason,
              "第 " + std::to_string(late + 1) + " 个字节不是 UTF-8 文字（GBK、GB18030 表格请加 --encoding gb18030）");
    EXPECT_EQ(deep.result.error.kind, SheetErrorKind::kSheet);
    const Outcomes header = Process(badHeader, Format::kCsv, Format::kJsonLines, threads);
    EXPECT_EQ(header.result.error.reason.rfind("第 6 个字节不是 UTF-8 文字", 0), 0u) << header.result.error.reason;
  }
}

TEST(ReadErrorTest, AWriteErrorStopsTheRun) {
  class FullSink : public ByteSink {
   public:
    bool Write(std::string_view, std::string& error) override {
      error = "cannot write out: No space left on device";
      return false;
    }
  } sink;
  MemorySource source("category,amount\nsalary,5000\n");
  const EngineResult r = ComputeSheet(source, sink, {}, {}, nullptr);
  EXPECT_EQ(r.error.kind, SheetErrorKind::kWrite);
  EXPECT_EQ(r.error.reason, "cannot write out: No space left on device");
}

// A mixed sheet of every category and kind, with rejected rows, many blocks long.
std::string MixedSheet(int rows) {
  const char* kinds[][2] = {{"salary", ""},
                            {"salary", "from-tax"},
                            {"salary", "from-take-home"},
                            {"year-bonus", ""},
                            {"year-bonus", "from-after-tax"},
                            {"salary-bonus", ""},
                            {"labour", ""},
                            {"labour", "from-after-tax"},
                            {"writing", ""},
                            {"rent", ""},
                            {"property", ""},
                            {"royalties", ""},
                            {"business", ""},
                            {"contract", ""},
                            {"interest", ""},
                            {"chance", ""},
                            {"other", "bad-kind"}};
  std::mt19937 rng(5);
  std::ostringstream out;
  out << "id,category,calc,amount,salary,months,note\n";
  for (int i = 0; i < rows; ++i) {
    const auto& k = kinds[static_cast<std::size_t>(i) % std::size(kinds)];
    out << i << ',' << k[0] << ',' << k[1] << ',' << rng() % 200000 << '.' << rng() % 100 << ',' << rng() % 9000 << ','
        << (i % 12) + 1 << ",\"n " << i << "\"" << (i % 5 == 0 ? "\r\n" : "\n");
  }
  return out.str();
}

TEST(ThreadsTest, KeepTheOrderAndEveryFigure) {
  const std::string sheet = MixedSheet(60000);
  const Outcomes one = Process(sheet, Format::kCsv, Format::kCsv, 1);
  ASSERT_EQ(one.result.error.reason, "");
  EXPECT_EQ(one.result.records, 60000u);
  EXPECT_EQ(one.result.rejected, 60000u / 17);
  for (unsigned threads : {2U, 5U}) {
    const Outcomes many = Process(sheet, Format::kCsv, Format::kCsv, threads, 65536 + threads);
    EXPECT_EQ(many.output, one.output) << threads;
    EXPECT_EQ(many.result.rejected, one.result.rejected);
  }
  // Each row is what a single calculation gives.
  std::istringstream rows(one.output);
  std::string row;
  std::getline(rows, row);
  std::getline(rows, row);
  EXPECT_EQ(row.rfind("0,salary,,", 0), 0u);
}

TEST(ThreadsTest, RecordsLongerThanABlockComeOutWhole) {
  // Every 700th record is some 40 KB long, so a record often runs on from one piece read to the
  // next, with more of it left than the room kept for the rest of a record.
  std::string sheet = "id,category,amount,name\n";
  for (int i = 0; i < 20000; ++i)
    sheet += std::to_string(i) + ",labour," + std::to_string(1000 + i) + "," +
             std::string(i % 700 == 0 ? 40000 + i : 8, 'x') + "\n";
  const Outcomes one = Process(sheet, Format::kCsv, Format::kJsonLines, 1, 4096);
  ASSERT_EQ(one.result.error.reason, "");
  EXPECT_EQ(one.result.records, 20000u);
  for (unsigned threads : {1U, 2U, 3U}) {
    for (const std::size_t step : {std::size_t{1} << 20, std::size_t{70001}}) {
      const Outcomes many = Process(sheet, Format::kCsv, Format::kJsonLines, threads, step);
      EXPECT_EQ(many.output, one.output) << threads << " threads, " << step;
    }
  }
}

TEST(ThreadsTest, ByDefaultOnePerCoreTheRunMayUse) {
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &all)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  // Pinned to one core (as by taskset), a run starts one thread, however many the machine has.
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  const unsigned pinned = EffectiveThreads(0);
  ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(pinned, 1u);
  EXPECT_EQ(EffectiveThreads(0), std::min(8u, static_cast<unsigned>(CPU_COUNT(&all))));
  EXPECT_EQ(EffectiveThreads(3), 3u);
}

TEST(ThreadsTest, JsonLinesRoundTripKeepsTheFigures) {
  const std::string sheet = MixedSheet(3000);
  const Outcomes csv = Process(sheet, Format::kCsv, Format::kCsv);
  const Outcomes json = Process(sheet, Format::kCsv, Format::kJsonLines, 2);
  // The JSON Lines output read back as input computes the same again: the renamed outcome
  // columns pass through and the new ones agree with them.
  const Outcomes again = Process(json.output, Format::kJsonLines, Format::kCsv, 2, 999);
  ASSERT_EQ(again.result.error.reason, "");
  EXPECT_EQ(again.result.records, csv.result.records);
  EXPECT_EQ(again.result.rejected, csv.result.rejected);
  std::istringstream a(csv.output);
  std::istringstream b(again.output);
  std::string x;
  std::string y;
  std::getline(a, x);
  std::getline(b, y);
  EXPECT_NE(y.find(",status_1,field_1,"), std::string::npos);
  while (std::getline(a, x) && std::getline(b, y)) {
    // The outcome at the end of both rows is the same.
    ASSERT_EQ(x.substr(x.find(",ok,") == std::string::npos ? x.rfind(",rejected,") : x.rfind(",ok,")),
              y.substr(y.find(",ok,") == std::string::npos ? y.rfind(",rejected,") : y.rfind(",ok,")));
  }
}

TEST(CalculateTest, ChecksCategoryKindThresholdAndMonths) {
  EXPECT_EQ(ComputeRequest({"nope", "", "5000", "", "", "", "", ""}).field, "category");
  EXPECT_EQ(ComputeRequest({"salary", "from-after-tax", "5000", "", "", "", "", ""}).field, "calc");
  EXPECT_EQ(ComputeRequest({"salary", "", "5000", "", "", "4000", "", ""}).field, "threshold");
  EXPECT_EQ(ComputeRequest({"salary", "", "5000", "", "", "", "13", ""}).field, "months");
  EXPECT_TRUE(ComputeRequest({" salary ", "forward", "5000", "", "", " 4800 ", "12", ""}).ok);
}

TEST(CalculateTest, TakesAKindExactlyWhereItsPageHasIt) {
  const std::vector<std::string_view> reverse[] = {
      {"from-tax", "from-take-home"}, {"from-after-tax"}, {}, {"from-after-tax"}};  // salary, year-bonus, ..., labour
  for (const forms::Category& category : forms::Categories()) {
    const auto row = static_cast<std::size_t>(category.id);
    for (const std::string_view kind : forms::kKindKeys) {
      const bool offered = kind == "forward" || (row < std::size(reverse) &&
                                                 std::count(reverse[row].begin(), reverse[row].end(), kind) == 1);
      EXPECT_EQ(ComputeRequest({category.key, kind, "5000", "", "", "", "", ""}).field != "calc", offered)
          << category.key << " " << kind;
    }
  }
  for (const char* nearly :
       {"from-taxx", "from_tax", "From-tax", "from-take-homE", "from-after-taX", "forwards", "反算"})
    EXPECT_EQ(ComputeRequest({"salary", nearly, "5000", "", "", "", "", ""}).field, "calc") << nearly;
}

TEST(CalculateTest, TakesAKindByItsChineseNameAndNamesTheOffersWhenRefused) {
  for (std::size_t k = 0; k < forms::kKindCount; ++k) {
    const RecordOutcome english = ComputeRequest({"salary", forms::kKindKeys[k], "5000", "", "", "", "", ""});
    const RecordOutcome chinese = ComputeRequest({"salary", forms::kKindNames[k], "5000", "", "", "", "", ""});
    EXPECT_EQ(english.field, chinese.field);
    EXPECT_EQ(english.page.lines, chinese.page.lines);
    EXPECT_EQ(english.page.income, chinese.page.income);
  }
  EXPECT_EQ(ComputeRequest({"labour", "由实发工资反算", "5000", "", "", "", "", ""}).message,
            "该收入类型没有这种计算方式，可填：正算、由税后收入反算");
  EXPECT_EQ(ComputeRequest({"salary", "x", "5000", "", "", "", "", ""}).message,
            "该收入类型没有这种计算方式，可填：正算、由应纳税额反算、由实发工资反算");
  EXPECT_EQ(ComputeRequest({"rent", "x", "5000", "", "", "", "", ""}).message,
            "该收入类型没有这种计算方式，可填：正算");
}

}  // namespace
}  // namespace quorvex::sheets
