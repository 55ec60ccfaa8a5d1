// A whole sheet: one calculation per record, every input field passed through in place,
// the outcome appended.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/record.h"

namespace quorvex::cli {

enum class Format { kCsv, kJsonLines };

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
void AppendOutcome(std::vector<Field>& record, const Outcome& outcome);

void WriteJsonRecord(std::ostream& out, const std::vector<Field>& record);

struct BatchResult {
  long records = 0;
  long rejected = 0;
  std::string error;  // the input could not be read to its end
};

BatchResult RunBatch(std::istream& in, Format inFormat, std::ostream& out, Format outFormat);

}  // namespace quorvex::cli
