#include "sheets/xlsx_sheet.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

#include "sheets/csv.h"
#include "sheets/sheet_format.h"
#include "sheets/sheet_messages.h"

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

// FNV-1a over a row's texts that are not empty, with their places.
class RowHash {
 public:
  void Add(std::size_t place, std::string_view text) {
    Mix(std::string_view(reinterpret_cast<const char*>(&place), sizeof place));
    Mix(text);
  }
  std::uint64_t Value() const { return hash_; }

 private:
  void Mix(std::string_view bytes) {
    for (char c : bytes) hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  }
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// The number a workbook's cell was read as, when `text` is still all of it.
std::optional<double> NumberIn(const std::string& text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

void CellKinds::Add(const std::vector<std::string>& row, const std::vector<CellInfo>& types) {
  Row kept;
  RowHash hash;
  // A formula without a saved result leaves its cell empty in the rows written.
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (!row[i].empty() && row[i][0] != kUnsavedFormula) hash.Add(i, row[i]);
  }
  kept.texts = hash.Value();
  for (std::size_t i = 0; i < types.size() && i < row.size(); ++i) {
    if (types[i].kind != CellKind::kText || types[i].format != 0)
      kept.typed.push_back({static_cast<std::uint32_t>(i), types[i]});
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  rows_.push_back(std::move(kept));
}

void CellKinds::Take(const std::vector<std::string>& row, std::size_t columns, std::size_t outcome,
                     std::vector<WrittenCell>& kinds) {
  // The place in the row read of the cell at `col` of the row written; npos for the outcome's.
  const auto placeOf = [columns, outcome](std::size_t col) {
    return col < columns ? col : col >= columns + outcome ? col - outcome : std::string::npos;
  };
  RowHash hash;
  for (std::size_t col = 0; col < row.size(); ++col) {
    const std::size_t place = placeOf(col);
    if (place != std::string::npos && !row[col].empty()) hash.Add(place, row[col]);
  }
  Row found;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t look = std::min(kLookAhead, rows_.size());
    std::size_t at = 0;
    while (at < look && rows_[at].texts != hash.Value()) ++at;
    if (at == look) {
      // No row read has these texts: the oldest is this row's, changed on the way; it goes.
      if (!rows_.empty()) rows_.pop_front();
      return;
    }
    found = std::move(rows_[at]);
    rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(at) + 1);
  }
  for (const Typed& t : found.typed) {
    const std::size_t col = t.place < columns ? t.place : t.place + outcome;
    if (col >= row.size() || col >= kinds.size()) continue;
    WrittenCell& cell = kinds[col];
    cell.builtin = t.info.format;
    cell.code = reader_.FormatCode(t.info.format);  // a code the workbook gives rules over the built-in id
    if (t.info.kind == CellKind::kNumber) {
      if (const std::optional<double> value = NumberIn(row[col])) {
        cell.kind = CellKind::kNumber;
        cell.number = *value;
      }
    } else if (t.info.kind == CellKind::kBoolean && (row[col] == "TRUE" || row[col] == "FALSE")) {
      cell.kind = CellKind::kBoolean;
      cell.number = row[col] == "TRUE" ? 1 : 0;
    }
  }
}

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
    if (kinds_ != nullptr && !header_) kinds_->Add(row, reader_.Types());
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
  error = messages::kWorkbookReadOnce;
  return false;
}

bool WorkbookSink::Write(std::string_view data, std::string& error) {
  // Row by row: a block of records read whole would hold every one of its fields at once.
  return ForEachCsvRow(data, [&](const std::vector<std::string>& row) {
    if (titleRows_ > 0 || header_) {
      if (titleRows_ > 0) {
        --titleRows_;
        if (!writer_.WriteRow(row)) {
          error = writer_.Error();
          return false;
        }
        return true;
      }
      // The outcome's columns end the header: status, field, message and warning, then the figures.
      header_ = false;
      const std::size_t outcome = OutcomeColumns().size();
      columns_ = row.size() >= outcome ? row.size() - outcome : 0;
      figuresFrom_ = std::min(columns_ + 4, row.size());
      figuresTo_ = row.size();
      if (!writer_.WriteRow(row)) {
        error = writer_.Error();
        return false;
      }
      return true;
    }
    kinds_.assign(row.size(), WrittenCell{});
    figures_.resize(std::max(figures_.size(), row.size()));
    if (cellKinds_ != nullptr) cellKinds_->Take(row, columns_, figuresTo_ - columns_, kinds_);
    for (std::size_t col = figuresFrom_; col < std::min(figuresTo_, row.size()); ++col) {
      std::optional<ShownNumber> figure = ShownNumberOf(row[col]);
      if (!figure) continue;
      figures_[col] = std::move(*figure);
      kinds_[col] = {CellKind::kNumber, figures_[col].value, 0, figures_[col].format};
    }
    if (!writer_.WriteRow(row, &kinds_)) {
      error = writer_.Error();
      return false;
    }
    return true;
  });
}

}  // namespace quorvex::sheets
