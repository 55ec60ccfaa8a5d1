#include "cli/batch.h"

#include <algorithm>
#include <memory>

#include "cli/categories.h"
#include "cli/csv.h"
#include "cli/json_line.h"
#include "cli/sheet_headers.h"

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

class CsvSource : public RowSource {
 public:
  explicit CsvSource(std::istream& in) : reader_(in) {}
  bool Next(std::vector<std::string>& row) override { return reader_.Next(row); }
  std::string Error() const override { return reader_.Error(); }
  std::size_t Line() const override { return reader_.Line() - 1; }
  bool HadBom() const { return reader_.HadBom(); }

 private:
  CsvReader reader_;
};

// CSV rows onto a stream, a byte-order mark first when the CSV input had one.
class CsvSink : public RowSink {
 public:
  CsvSink(std::ostream& out, const CsvSource* input) : out_(out), input_(input) {}
  bool Write(const std::vector<std::string>& row) override {
    if (first_ && input_ != nullptr && input_->HadBom()) out_ << "\xEF\xBB\xBF";
    first_ = false;
    WriteCsvRecord(out_, row);
    return true;
  }
  std::string Error() const override { return {}; }

 private:
  std::ostream& out_;
  const CsvSource* input_;
  bool first_ = true;
};

// Writes records as they come. A table needs one header for all records: when the records
// do not all share the same fields (JSON Lines input), they are held until Finish() and the
// header is the union of their fields in the order first seen.
class Writer {
 public:
  Writer(std::ostream* json, RowSink* table, bool uniformFields)
      : json_(json), table_(table), hold_(table != nullptr && !uniformFields) {}

  bool Write(std::vector<Field> record) {
    if (json_ != nullptr) {
      WriteJsonRecord(*json_, record);
      return true;
    }
    if (hold_) {
      held_.push_back(std::move(record));
      return true;
    }
    if (header_.empty() && !WriteHeader(record)) return false;
    return WriteRow(record);
  }

  bool Finish() {
    if (!hold_ || held_.empty()) return true;
    std::vector<Field> all;
    for (const auto& record : held_) {
      for (const Field& f : record) {
        if (std::none_of(all.begin(), all.end(), [&](const Field& a) { return a.key == f.key; })) all.push_back(f);
      }
    }
    if (!WriteHeader(all)) return false;
    for (const auto& record : held_) {
      if (!WriteRow(record)) return false;
    }
    held_.clear();
    return true;
  }

 private:
  bool WriteHeader(const std::vector<Field>& record) {
    for (const Field& f : record) header_.push_back(f.key);
    return table_->Write(header_);
  }
  bool WriteRow(const std::vector<Field>& record) {
    std::vector<std::string> row(header_.size());
    for (size_t i = 0; i < header_.size(); ++i) {
      for (const Field& f : record) {
        if (f.key == header_[i]) row[i] = f.text;
      }
    }
    return table_->Write(row);
  }

  std::ostream* json_;
  RowSink* table_;
  bool hold_;
  std::vector<std::string> header_;
  std::vector<std::vector<Field>> held_;
};

Outcome BadRecord(std::string message) {
  Outcome bad;
  bad.field = "record";
  bad.message = std::move(message);
  return bad;
}

// Counts, writes and asks whether to go on; false stops the run.
class Run {
 public:
  Run(Writer& writer, const BatchTick& tick) : writer_(writer), tick_(tick) {}

  bool Process(std::vector<Field> record, const Outcome& outcome) {
    AppendOutcome(record, outcome);
    ++result.records;
    if (!outcome.ok) ++result.rejected;
    if (!writer_.Write(std::move(record))) {
      failed = true;
      return false;
    }
    if (tick_ && !tick_(result.records)) {
      result.cancelled = true;
      return false;
    }
    return true;
  }

  BatchResult result;
  bool failed = false;

 private:
  Writer& writer_;
  const BatchTick& tick_;
};

bool IsBlank(const std::vector<std::string>& row) {
  return std::all_of(row.begin(), row.end(), [](const std::string& s) { return s.empty(); });
}

BatchResult RunTable(RowSource& reader, Writer& writer, const BatchTick& tick) {
  Run run(writer, tick);
  std::vector<std::string> header;
  if (!reader.Next(header)) {
    run.result.error = reader.Error().empty() ? "表格没有表头行" : reader.Error();
    return run.result;
  }
  std::vector<std::string> row;
  while (reader.Next(row)) {
    if (IsBlank(row)) continue;
    std::vector<Field> record;
    for (size_t i = 0; i < header.size(); ++i) record.push_back({header[i], i < row.size() ? row[i] : "", ""});
    const Outcome outcome = row.size() > header.size()
                                ? BadRecord("第" + std::to_string(reader.Line()) + "行的列数多于表头")
                                : Compute(record);
    if (!run.Process(std::move(record), outcome)) break;
  }
  if (!run.failed && !run.result.cancelled && !writer.Finish()) run.failed = true;
  if (!run.result.cancelled && run.result.error.empty()) run.result.error = reader.Error();
  return run.result;
}

BatchResult RunJsonLines(std::istream& in, Writer& writer, const BatchTick& tick) {
  Run run(writer, tick);
  std::string line;
  long number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::string error;
    std::vector<Field> record;
    bool goOn = true;
    if (const auto fields = ParseJsonLine(line, error)) {
      for (const JsonField& f : *fields) record.push_back({f.key, f.text, f.raw});
      const Outcome outcome = Compute(record);
      goOn = run.Process(std::move(record), outcome);
    } else {
      goOn = run.Process({}, BadRecord("第" + std::to_string(number) + "行不是有效的记录：" + error));
    }
    if (!goOn) break;
  }
  if (!run.failed && !run.result.cancelled) run.failed = !writer.Finish();
  return run.result;
}

}  // namespace

std::vector<std::string> OutcomeColumns() {
  std::vector<std::string> columns(std::begin(kFixedColumns), std::end(kFixedColumns));
  for (std::string_view key : kLineKeys) columns.emplace_back(key);
  return columns;
}

Request RequestFrom(const std::vector<Field>& record) {
  Request r;
  for (const Field& f : record) {
    const std::string_view key = InputKeyOf(f.key);
    std::string* into = key == "category"        ? &r.category
                        : key == "calc"          ? &r.calc
                        : key == "amount"        ? &r.amount
                        : key == "salary"        ? &r.salary
                        : key == "contributions" ? &r.contributions
                        : key == "threshold"     ? &r.threshold
                        : key == "months"        ? &r.months
                        : key == "planned_bonus" ? &r.plannedBonus
                                                 : nullptr;
    if (into != nullptr) *into = f.text;
  }
  return r;
}

void AppendOutcome(std::vector<Field>& record, const Outcome& outcome) {
  const bool chinese =
      std::any_of(record.begin(), record.end(), [](const Field& f) { return IsChineseInputHeader(f.key); });
  if (!chinese) {
    Set(record, "status", outcome.ok ? "ok" : "rejected");
    Set(record, "field", outcome.field);
    Set(record, "message", outcome.message);
    Set(record, "warning", outcome.warning ? "true" : "false", outcome.warning ? "true" : "false");
    Set(record, "income", outcome.income);
    for (size_t i = 0; i < kLineKeys.size(); ++i) Set(record, kLineKeys[i], outcome.ok ? outcome.lines[i] : "");
    return;
  }
  // The field in error by the header the record itself gives it.
  std::string field = outcome.field == "record" ? kWholeRecord : std::string(ChineseCaption(outcome.field));
  for (const Field& f : record) {
    if (!outcome.field.empty() && InputKeyOf(f.key) == outcome.field) field = f.key;
  }
  Set(record, ChineseCaption("status"), outcome.ok ? kStatusOk : kStatusRejected);
  Set(record, ChineseCaption("field"), field);
  Set(record, ChineseCaption("message"), outcome.message);
  Set(record, ChineseCaption("warning"), outcome.warning ? kWarningYes : kWarningNo);
  Set(record, ChineseCaption("income"), outcome.income);
  for (size_t i = 0; i < kLineKeys.size(); ++i) {
    Set(record, ChineseCaption(kLineKeys[i]), outcome.ok ? outcome.lines[i] : "");
  }
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
  return RunBatch({inFormat, &in, nullptr}, {outFormat, &out, nullptr});
}

BatchResult RunBatch(const BatchInput& in, const BatchOutput& out, const BatchTick& tick) {
  const bool csvIn = in.format != Format::kJsonLines && in.rows == nullptr;
  std::unique_ptr<CsvSource> csv = csvIn ? std::make_unique<CsvSource>(*in.stream) : nullptr;
  std::unique_ptr<RowSink> csvOut;
  RowSink* table = out.rows;
  const bool jsonOut = out.format == Format::kJsonLines;
  BatchResult result;
  if (in.format == Format::kJsonLines) {
    if (!jsonOut && table == nullptr) table = (csvOut = std::make_unique<CsvSink>(*out.stream, nullptr)).get();
    Writer writer(jsonOut ? out.stream : nullptr, jsonOut ? nullptr : table, false);
    result = RunJsonLines(*in.stream, writer, tick);
  } else {
    if (!jsonOut && table == nullptr) table = (csvOut = std::make_unique<CsvSink>(*out.stream, csv.get())).get();
    Writer writer(jsonOut ? out.stream : nullptr, jsonOut ? nullptr : table, true);
    result = RunTable(csv ? *csv : *in.rows, writer, tick);
  }
  if (result.error.empty() && table != nullptr && !table->Error().empty()) result.error = table->Error();
  return result;
}

}  // namespace quorvex::cli
