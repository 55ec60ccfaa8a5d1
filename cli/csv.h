// CSV as RFC 4180 describes it: fields separated by commas, records by CRLF (LF accepted),
// fields quoted with '"' when they hold a comma, a quote or a line break, quotes doubled.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace quorvex::cli {

class CsvReader {
 public:
  explicit CsvReader(std::istream& in) : in_(in) {}

  // Next() reads one record; false at the end of the input or on an error (see Error()).
  // A UTF-8 byte-order mark before the first record is skipped; blank lines are skipped.
  bool Next(std::vector<std::string>& fields);
  const std::string& Error() const { return error_; }
  bool HadBom() const { return bom_; }
  std::size_t Line() const { return line_; }

 private:
  int Get();
  int Peek();

  std::istream& in_;
  std::string error_;
  std::size_t line_ = 1;
  bool started_ = false;
  bool bom_ = false;
};

void WriteCsvRecord(std::ostream& out, const std::vector<std::string>& fields);

}  // namespace quorvex::cli
