// Rows of typed cells, as a workbook's reader hands them to the engine and as the engine hands
// a workbook's writer its records: each cell a text and what it holds, in flat memory.
#pragma once

#include <cstddef>
#include <cstdint>
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

class CellRows {
 public:
  struct Cell {
    double number = 0;
    std::uint32_t text = 0;  // the cell's text and its format's code, in the rows' texts
    std::uint32_t size = 0;
    std::uint32_t code = 0;
    std::uint16_t codeSize = 0;
    std::uint16_t builtin = 0;
    CellKind kind = CellKind::kText;
  };

  // Add() adds a cell to the row being made; its texts are copied.
  void Add(std::string_view text, const WrittenCell& how = {}) {
    Cell& cell = cells_.emplace_back();
    cell.text = static_cast<std::uint32_t>(texts_.size());
    cell.size = static_cast<std::uint32_t>(text.size());
    texts_.append(text);
    cell.number = how.number;
    cell.builtin = how.builtin;
    cell.kind = how.kind;
    if (how.code.empty()) return;
    cell.code = static_cast<std::uint32_t>(texts_.size());
    cell.codeSize = static_cast<std::uint16_t>(how.code.size());
    texts_.append(how.code.substr(0, cell.codeSize));
  }
  // EndRow() ends the row being made: sheet row `line` of the input (0 when it has none).
  void EndRow(std::uint64_t line = 0) {
    ends_.push_back(cells_.size());
    lines_.push_back(line);
  }
  void clear() {
    texts_.clear();
    cells_.clear();
    ends_.clear();
    lines_.clear();
  }

  [[nodiscard]] std::size_t size() const { return ends_.size(); }
  [[nodiscard]] bool empty() const { return ends_.empty(); }
  // The bytes held and kept, for the engine's bounds.
  [[nodiscard]] std::size_t Bytes() const { return texts_.size() + cells_.size() * sizeof(Cell); }
  [[nodiscard]] std::size_t Capacity() const { return texts_.capacity() + cells_.capacity() * sizeof(Cell); }

  [[nodiscard]] std::span<const Cell> Row(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return {cells_.data() + begin, ends_[i] - begin};
  }
  [[nodiscard]] std::uint64_t Line(std::size_t i) const { return lines_[i]; }
  [[nodiscard]] std::string_view Text(const Cell& cell) const { return {texts_.data() + cell.text, cell.size}; }
  [[nodiscard]] WrittenCell How(const Cell& cell) const {
    return {cell.kind, cell.number, cell.builtin, {texts_.data() + cell.code, cell.codeSize}};
  }

 private:
  std::string texts_;
  std::vector<Cell> cells_;
  std::vector<std::size_t> ends_;  // each row's end in cells_
  std::vector<std::uint64_t> lines_;
};

}  // namespace quorvex::sheets
