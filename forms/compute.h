// What a page does with the texts typed into it: Compute() reads the fields in the page's
// order with its rules, calculates, and says everything the page then shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/categories.h"
#include "forms/fields.h"
#include "tax/business.h"
#include "tax/wage.h"

namespace quorvex::forms {

// The page's state when a calculation is asked for.
struct PageInput {
  std::array<std::string_view, kFieldCount> texts{};  // by Field
  double threshold = tax::kThresholds[0];
  int months = tax::kMaxOperationMonths;
  // Whether the outcome lists the steps the page takes on its fields; a caller without
  // fields (the command line) leaves them out.
  bool steps = true;

  [[nodiscard]] std::string_view& operator[](Field f) { return texts[Index(f)]; }
  [[nodiscard]] std::string_view operator[](Field f) const { return texts[Index(f)]; }
};

// One step a page takes on its fields before it shows the results, in order: the messages or
// every result emptied (result labels back to "0.00", result fields empty), or a text written
// into a field (the trimmed amount, "0.00" into an empty contributions field, the income a
// reverse calculation found).
struct Step {
  enum class What : std::uint8_t { kClearMessages, kClearResults, kWrite };
  What what = What::kWrite;
  Field field = Field::kIncome;
  std::string text;
};

struct Outcome {
  bool computed = false;  // false: an input was rejected
  std::array<Step, 8> steps;
  std::uint8_t stepCount = 0;
  // The result lines' texts; "" for a line the category does not show.
  std::array<std::string, kLineCount> lines;
  // Bit n set when line n was given a text: the lines of the other bits are empty.
  std::uint32_t shown = 0;
  // The text beside `messageField`: the input error, a no-tax notice or the blind-zone text;
  // "" for none.
  std::string_view message;
  Field messageField = Field::kIncome;
  bool warning = false;  // the blind-zone warning box is due
  // The field that takes the focus with its text selected; the focus stays where it is when
  // `focus` is false.
  bool focus = false;
  Field focusField = Field::kIncome;
  std::string income;  // reverse calculations: the text written into the income field

  [[nodiscard]] const std::string& operator[](Line l) const { return lines[static_cast<std::size_t>(l)]; }
  [[nodiscard]] std::string& operator[](Line l) { return lines[static_cast<std::size_t>(l)]; }
};

// Compute() runs calculation `kind` of `category` on the typed texts (a kind the category
// does not offer runs forwards).
[[nodiscard]] Outcome Compute(const Category& category, Kind kind, const PageInput& typed);
// ClearLines() empties the lines of the bits of `which`.
void ClearLines(Outcome& out, std::uint32_t which);

// The same into `out`, whose earlier contents are replaced; a caller computing many records
// keeps one outcome and so its strings' storage.
void Compute(const Category& category, Kind kind, const PageInput& typed, Outcome& out);

}  // namespace quorvex::forms
