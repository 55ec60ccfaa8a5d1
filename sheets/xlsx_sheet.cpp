#include "sheets/xlsx_sheet.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sheets/csv.h"

namespace quorvex::sheets {
namespace {

// Line breaks in CSV text as the CSV reader counts them: LF, CRLF and a lone CR.
std::uint64_t Breaks(std::string_view s) {
  std::uint64_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n' || (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n'))) ++n;
  }
  return n;
}

}  // namespace

bool WorkbookSource::Fill(std::string& error) {
  std::vector<std::string> row;
  pending_.erase(0, pos_);
  pos_ = 0;
  while (!end_ && pending_.size() < (std::size_t{64} << 10)) {
    if (!reader_.Next(row)) {
      end_ = true;
      if (!reader_.Error().empty()) {
        error = reader_.Error();
        return false;
      }
      break;
    }
    // Empty rows between are blank lines, which the CSV reader skips but counts.
    const std::uint64_t at = reader_.Line();
    if (at > line_) {
      pending_.append(at - line_, '\n');
      line_ = at;
    }
    const std::size_t start = pending_.size();
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) pending_.push_back(',');
      if (!row[i].empty() && row[i][0] == kUnsavedFormula) {
        if (!header_) pending_.append(kUnsavedCsvField).append(std::string_view(row[i]).substr(1));
      } else {
        AppendCsvField(pending_, row[i]);
      }
    }
    header_ = false;
    // A row of one empty cell would read as a blank line.
    if (row.size() == 1 && row[0].empty()) pending_ += "\"\"";
    line_ += Breaks(std::string_view(pending_).substr(start)) + 1;
    pending_.push_back('\n');
  }
  return true;
}

long WorkbookSource::Read(char* data, std::size_t size, std::string& error) {
  if (pos_ == pending_.size() && !Fill(error)) return -1;
  const std::size_t n = std::min(size, pending_.size() - pos_);
  std::memcpy(data, pending_.data() + pos_, n);
  pos_ += n;
  return static_cast<long>(n);
}

bool WorkbookSource::Rewind(std::string& error) {
  error = "无法再读一遍 Excel 工作簿";
  return false;
}

bool WorkbookSink::Write(std::string_view data, std::string& error) {
  for (const std::vector<std::string>& row : ReadCsvText(data)) {
    if (!writer_.WriteRow(row)) {
      error = writer_.Error();
      return false;
    }
  }
  return true;
}

}  // namespace quorvex::sheets
