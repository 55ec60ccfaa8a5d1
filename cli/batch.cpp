#include "cli/batch.h"

#include <algorithm>

#include "cli/categories.h"
#include "cli/csv.h"
#include "cli/json_line.h"

namespace quorvex::cli {
namespace {

constexpr const char* kFixedColumns[] = {"status", "field", "message", "warning", "income"};

void Set(std::vector<Field>& record, std::string_view key, std::string text, std::string json = {}) {
  for (Field& f : record) {
    if (f.key == key) {
      f.text = std::move(text);
      f.json = std::move(json);
      return;
    }
  }
  record.push_back({std::string(key), std::move(text), std::move(json)});
}

Outcome Compute(const std::vector<Field>& record) { return Calculate(RequestFrom(record)); }

// Writes records as they come. CSV needs one header for all records: when the records do
// not all share the same fields (JSON Lines input), they are held until Finish() and the
// header is the union of their fields in the order first seen.
class Writer {
 public:
  Writer(std::ostream& out, Format format, bool bom, bool uniformFields)
      : out_(out), format_(format), bom_(bom), hold_(format == Format::kCsv && !uniformFields) {}

  void Write(std::vector<Field> record) {
    if (format_ == Format::kJsonLines) {
      WriteJsonRecord(out_, record);
    } else if (hold_) {
      held_.push_back(std::move(record));
    } else {
      if (header_.empty()) WriteHeader(record);
      WriteRow(record);
    }
  }

  void Finish() {
    if (!hold_ || held_.empty()) return;
    std::vector<Field> all;
    for (const auto& record : held_) {
      for (const Field& f : record) {
        if (std::none_of(all.begin(), all.end(), [&](const Field& a) { return a.key == f.key; })) all.push_back(f);
      }
    }
    WriteHeader(all);
    for (const auto& record : held_) WriteRow(record);
    held_.clear();
  }

 private:
  void WriteHeader(const std::vector<Field>& record) {
    if (bom_) out_ << "\xEF\xBB\xBF";
    for (const Field& f : record) header_.push_back(f.key);
    WriteCsvRecord(out_, header_);
  }
  void WriteRow(const std::vector<Field>& record) {
    std::vector<std::string> row(header_.size());
    for (size_t i = 0; i < header_.size(); ++i) {
      for (const Field& f : record) {
        if (f.key == header_[i]) row[i] = f.text;
      }
    }
    WriteCsvRecord(out_, row);
  }

  std::ostream& out_;
  Format format_;
  bool bom_;
  bool hold_;
  std::vector<std::string> header_;
  std::vector<std::vector<Field>> held_;
};

void Process(std::vector<Field> record, const Outcome& outcome, BatchResult& result, Writer& writer) {
  AppendOutcome(record, outcome);
  ++result.records;
  if (!outcome.ok) ++result.rejected;
  writer.Write(std::move(record));
}

Outcome BadRecord(std::string message) {
  Outcome bad;
  bad.field = "record";
  bad.message = std::move(message);
  return bad;
}

BatchResult RunCsv(std::istream& in, std::ostream& out, Format outFormat) {
  BatchResult result;
  CsvReader reader(in);
  std::vector<std::string> header;
  if (!reader.Next(header)) {
    result.error = reader.Error();
    return result;
  }
  Writer writer(out, outFormat, reader.HadBom(), true);
  std::vector<std::string> row;
  while (reader.Next(row)) {
    std::vector<Field> record;
    for (size_t i = 0; i < header.size(); ++i) record.push_back({header[i], i < row.size() ? row[i] : "", ""});
    const Outcome outcome = row.size() > header.size()
                                ? BadRecord("第" + std::to_string(reader.Line() - 1) + "行的列数多于表头")
                                : Compute(record);
    Process(std::move(record), outcome, result, writer);
  }
  writer.Finish();
  result.error = reader.Error();
  return result;
}

BatchResult RunJsonLines(std::istream& in, std::ostream& out, Format outFormat) {
  BatchResult result;
  Writer writer(out, outFormat, false, false);
  std::string line;
  long number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::string error;
    std::vector<Field> record;
    if (const auto fields = ParseJsonLine(line, error)) {
      for (const JsonField& f : *fields) record.push_back({f.key, f.text, f.raw});
      const Outcome outcome = Compute(record);
      Process(std::move(record), outcome, result, writer);
    } else {
      Process({}, BadRecord("第" + std::to_string(number) + "行不是有效的记录：" + error), result, writer);
    }
  }
  writer.Finish();
  return result;
}

}  // namespace

std::vector<std::string> OutcomeColumns() {
  std::vector<std::string> columns(std::begin(kFixedColumns), std::end(kFixedColumns));
  for (std::string_view key : kLineKeys) columns.emplace_back(key);
  return columns;
}

Request RequestFrom(const std::vector<Field>& record) {
  Request r;
  auto take = [&](std::string_view key, std::string& into) {
    for (const Field& f : record) {
      if (f.key == key) into = f.text;
    }
  };
  take("category", r.category);
  take("calc", r.calc);
  take("amount", r.amount);
  take("salary", r.salary);
  take("contributions", r.contributions);
  take("threshold", r.threshold);
  take("months", r.months);
  take("planned_bonus", r.plannedBonus);
  return r;
}

void AppendOutcome(std::vector<Field>& record, const Outcome& outcome) {
  Set(record, "status", outcome.ok ? "ok" : "rejected");
  Set(record, "field", outcome.field);
  Set(record, "message", outcome.message);
  Set(record, "warning", outcome.warning ? "true" : "false", outcome.warning ? "true" : "false");
  Set(record, "income", outcome.income);
  for (size_t i = 0; i < kLineKeys.size(); ++i) Set(record, kLineKeys[i], outcome.ok ? outcome.lines[i] : "");
}

void WriteJsonRecord(std::ostream& out, const std::vector<Field>& record) {
  out.put('{');
  for (size_t i = 0; i < record.size(); ++i) {
    if (i > 0) out.put(',');
    out << Quote(record[i].key) << ':' << (record[i].json.empty() ? Quote(record[i].text) : record[i].json);
  }
  out << "}\n";
}

BatchResult RunBatch(std::istream& in, Format inFormat, std::ostream& out, Format outFormat) {
  return inFormat == Format::kCsv ? RunCsv(in, out, outFormat) : RunJsonLines(in, out, outFormat);
}

}  // namespace quorvex::cli
