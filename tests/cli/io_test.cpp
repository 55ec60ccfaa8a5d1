// Reading and writing sheets: CSV as RFC 4180 writes it, JSON Lines records.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/csv.h"
#include "cli/json_line.h"

namespace quorvex::cli {
namespace {

std::vector<std::vector<std::string>> ReadAll(const std::string& text, std::string* error = nullptr) {
  std::istringstream in(text);
  CsvReader reader(in);
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  while (reader.Next(row)) rows.push_back(row);
  if (error != nullptr) *error = reader.Error();
  return rows;
}

using Rows = std::vector<std::vector<std::string>>;

TEST(CsvReaderTest, ReadsQuotedFieldsWithCommasQuotesAndLineBreaks) {
  EXPECT_EQ(ReadAll("a,b\r\n\"x, y\",\"say \"\"hi\"\"\"\r\n\"two\nlines\",\r\n"),
            (Rows{{"a", "b"}, {"x, y", "say \"hi\""}, {"two\nlines", ""}}));
}

TEST(CsvReaderTest, AcceptsBomLfEndingsMissingFinalBreakAndBlankLines) {
  std::istringstream in(
      "\xEF\xBB\xBF"
      "a,b\n\n1,2");
  CsvReader reader(in);
  std::vector<std::string> row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(reader.HadBom());
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (std::vector<std::string>{"1", "2"}));
  EXPECT_FALSE(reader.Next(row));
  EXPECT_EQ(reader.Error(), "");
}

TEST(CsvReaderTest, ReportsAnUnclosedQuoteAndTextAfterAQuote) {
  std::string error;
  EXPECT_EQ(ReadAll("a\n\"open\n", &error), (Rows{{"a"}}));
  EXPECT_NE(error.find("never closed"), std::string::npos);
  ReadAll("\"a\"b\n", &error);
  EXPECT_NE(error.find("closing quote"), std::string::npos);
}

TEST(CsvWriterTest, QuotesOnlyWhatNeedsIt) {
  std::ostringstream out;
  WriteCsvRecord(out, {"plain", "a,b", "say \"x\"", "l1\nl2", "税前工资", ""});
  EXPECT_EQ(out.str(), "plain,\"a,b\",\"say \"\"x\"\"\",\"l1\nl2\",税前工资,\r\n");
  EXPECT_EQ(ReadAll(out.str()), (Rows{{"plain", "a,b", "say \"x\"", "l1\nl2", "税前工资", ""}}));
}

TEST(JsonLineTest, ReadsFlatObjectsKeepingNumbersAsWritten) {
  std::string error;
  const auto f = ParseJsonLine(
      R"({"category":"salary", "amount": 5000.10, "ok": true, "x": null, "n":"\u7a0e\ud83d\ude00"})", error);
  ASSERT_TRUE(f.has_value()) << error;
  ASSERT_EQ(f->size(), 5u);
  EXPECT_EQ((*f)[1].text, "5000.10");
  EXPECT_EQ((*f)[1].raw, "5000.10");
  EXPECT_EQ((*f)[2].text, "true");
  EXPECT_EQ((*f)[3].text, "");
  EXPECT_EQ((*f)[4].text, "税\xF0\x9F\x98\x80");
}

TEST(JsonLineTest, RejectsWhatIsNotAFlatObject) {
  std::string error;
  for (const char* line : {"[1]", "{\"a\":{\"b\":1}}", "{\"a\":1", "{\"a\" 1}", "{\"a\":1} x", "{a:1}",
                           "{\"a\":\"\\ud800\"}", "{\"a\":01x}", "{\"a\":\"tab\there\"}", "{\"a\":-}", ""}) {
    EXPECT_FALSE(ParseJsonLine(line, error).has_value()) << line;
  }
}

TEST(JsonLineTest, QuoteEscapesWhatJsonRequires) {
  EXPECT_EQ(Quote("a\"b\\c\n\x01税"), "\"a\\\"b\\\\c\\n\\u0001税\"");
  std::string error;
  const auto back = ParseJsonLine("{\"k\":" + Quote("a\"b\\c\n\x01税") + "}", error);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ((*back)[0].text, "a\"b\\c\n\x01税");
}

}  // namespace
}  // namespace quorvex::cli
