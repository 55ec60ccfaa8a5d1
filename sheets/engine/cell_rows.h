// Rows of typed cells, as a workbook's reader hands them to the engine and as the engine hands
// a workbook's writer its records: each cell a text and what it holds, in flat memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sheets {

// What a cell holds: a text, a number or a boolean (a formula's saved value counts as what it
// is), or a formula whose result was never saved (a workbook written by a script) or is to be
// computed anew when the workbook is opened: no value; its text is the cell's reference ("H2").
enum class CellKind : std::uint8_t { kText, kNumber, kBoolean, kUnsavedFormula };

// A cell's kind and how it is shown: a number or boolean (`number`, not 0 for TRUE) by the
// number format `code`, or when that is empty by Excel's built-in format `builtin` (0:
// General; the built-in ones are below 164, a workbook's own from 164 on).
struct WrittenCell {
  CellKind kind = CellKind::kText;
  double number = 0;
  std::uint16_t builtin = 0;
  std::string_view code;
};

// Only the cells that hold something are kept, each with its column: an output row has about
// as many empty cells as full ones (the result lines a category does not show), and a block
// of rows in flight costs a third of what it would with every cell kept at full size.
class CellRows {
 public:
  struct Cell {
    std::uint32_t text = 0;   // where its text starts in texts_
    std::uint32_t size : 24;  // a cell holds at most a record's 1 MiB
    std::uint32_t kind : 8;
    std::uint32_t more = 0;  // a number's value and format code in texts_; 0: none
    std::uint16_t builtin = 0;
    std::uint16_t column = 0;
  };

  // Add() adds the next cell of the row being made; its texts are copied. An empty text is
  // a cell with nothing in it (a formula without a result has its reference).
  void Add(std::string_view text, const WrittenCell& how = {}) {
    const std::size_t column = width_++;
    if (text.empty()) return;
    Cell& cell = cells_.emplace_back();
    cell.text = static_cast<std::uint32_t>(texts_.size());
    cell.size = static_cast<std::uint32_t>(text.size());
    cell.kind = static_cast<std::uint32_t>(how.kind);
    cell.builtin = how.builtin;
    cell.column = static_cast<std::uint16_t>(column);
    texts_.append(text);
    if (how.number == 0 && how.code.empty()) return;
    // The value and the code's length, then the code.
    cell.more = static_cast<std::uint32_t>(texts_.size());
    const auto codeSize = static_cast<std::uint16_t>(std::min<std::size_t>(how.code.size(), UINT16_MAX));
    char head[sizeof(double) + sizeof codeSize];
    std::memcpy(head, &how.number, sizeof(double));
    std::memcpy(head + sizeof(double), &codeSize, sizeof codeSize);
    texts_.append(head, sizeof head).append(how.code.substr(0, codeSize));
  }
  // EndRow() ends the row being made: sheet row `line` of the input (0 when it has none).
  void EndRow(std::uint64_t line = 0) {
    rows_.push_back({cells_.size(), width_, line});
    width_ = 0;
  }
  void clear() {
    texts_.clear();
    cells_.clear();
    rows_.clear();
    width_ = 0;
  }

  [[nodiscard]] std::size_t size() const { return rows_.size(); }
  // The bytes held and kept, for the engine's bounds.
  [[nodiscard]] std::size_t Bytes() const { return texts_.size() + cells_.size() * sizeof(Cell); }
  [[nodiscard]] std::size_t Capacity() const { return texts_.capacity() + cells_.capacity() * sizeof(Cell); }

  // The cells of row `i` that hold something, by column.
  [[nodiscard]] std::span<const Cell> Row(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : rows_[i - 1].end;
    return {cells_.data() + begin, rows_[i].end - begin};
  }
  // The cells row `i` was given, the empty ones too.
  [[nodiscard]] std::size_t Width(std::size_t i) const { return rows_[i].width; }
  [[nodiscard]] std::uint64_t Line(std::size_t i) const { return rows_[i].line; }
  [[nodiscard]] std::string_view Text(const Cell& cell) const { return {texts_.data() + cell.text, cell.size}; }
  [[nodiscard]] WrittenCell How(const Cell& cell) const {
    WrittenCell how{static_cast<CellKind>(cell.kind), 0, cell.builtin, {}};
    if (cell.more == 0) return how;
    std::uint16_t codeSize = 0;
    std::memcpy(&how.number, texts_.data() + cell.more, sizeof(double));
    std::memcpy(&codeSize, texts_.data() + cell.more + sizeof(double), sizeof codeSize);
    how.code = {texts_.data() + cell.more + sizeof(double) + sizeof codeSize, codeSize};
    return how;
  }

 private:
  struct RowEnd {
    std::size_t end;  // in cells_
    std::size_t width;
    std::uint64_t line;
  };
  std::string texts_;
  std::vector<Cell> cells_;
  std::vector<RowEnd> rows_;
  std::size_t width_ = 0;  // of the row being made
};

}  // namespace quorvex::sheets
