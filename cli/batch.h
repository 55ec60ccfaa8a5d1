// A whole sheet: one calculation per record, every input field passed through in place,
// the outcome appended.
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/record.h"

namespace quorvex::cli {

enum class Format { kCsv, kJsonLines, kXlsx };

// The names of the outcome columns, in output order.
std::vector<std::string> OutcomeColumns();

// One input or output field: its name, its text, and for JSON its value as written.
struct Field {
  std::string key;
  std::string text;
  std::string json;  // JSON value to write; empty: write `text` as a JSON string
};

// Request fields taken from a record (absent ones stay empty).
Request RequestFrom(const std::vector<Field>& record);

// Appends the outcome to a record; a column the input already holds is replaced in place.
// A record whose input fields have Chinese headers gets Chinese headers and texts for the
// added columns too (状态 正常/有误, 奖盲区 是/否, 出错项 naming the record's own column).
void AppendOutcome(std::vector<Field>& record, const Outcome& outcome);

void WriteJsonRecord(std::ostream& out, const std::vector<Field>& record);

struct BatchResult {
  long records = 0;
  long rejected = 0;
  std::string error;  // the input could not be read to its end, or the output not written
  bool cancelled = false;
};

BatchResult RunBatch(std::istream& in, Format inFormat, std::ostream& out, Format outFormat);

// A sheet read a row at a time, its header first (a workbook).
class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual bool Next(std::vector<std::string>& row) = 0;  // false at the end or on an error
  virtual std::string Error() const = 0;
  virtual std::size_t Line() const = 0;  // where the last row began, for messages
};

// A sheet written a row at a time, its header first.
class RowSink {
 public:
  virtual ~RowSink() = default;
  virtual bool Write(const std::vector<std::string>& row) = 0;  // false (with Error()) on failure
  virtual std::string Error() const = 0;
};

// Where a run reads and writes: a stream of the format, or for a workbook a row source or sink.
struct BatchInput {
  Format format = Format::kCsv;
  std::istream* stream = nullptr;
  RowSource* rows = nullptr;
};
struct BatchOutput {
  Format format = Format::kCsv;
  std::ostream* stream = nullptr;
  RowSink* rows = nullptr;
};

// Called after each record with the count so far; false stops the run (`cancelled`).
using BatchTick = std::function<bool(long records)>;

BatchResult RunBatch(const BatchInput& in, const BatchOutput& out, const BatchTick& tick = {});

}  // namespace quorvex::cli
