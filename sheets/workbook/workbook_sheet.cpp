#include "sheets/workbook/workbook_sheet.h"

#include <charconv>

#include "sheets/engine/sheet_headers.h"
#include "sheets/workbook/shown_number.h"

namespace quorvex::sheets {
namespace {

// Field `i` of a record as the cell it came from: a workbook's number or boolean stays one
// while its text is still what was read; anything else is a text.
void AddField(const Record& record, std::size_t i, CellRows& rows) {
  const std::string_view text = record.fields[i].text;
  if (i >= record.kinds.size()) return rows.Add(text);
  WrittenCell how = record.kinds[i];
  if (how.kind == CellKind::kNumber) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), how.number);
    if (ec != std::errc() || end != text.data() + text.size()) how = {};
  } else if (how.kind == CellKind::kBoolean && (text == "TRUE" || text == "FALSE")) {
    how.number = text == "TRUE" ? 1 : 0;
  } else {
    how = {};
  }
  rows.Add(text, how);
}

// A figure of the outcome: a number shown as its text, or the text when it is none.
void AddFigure(std::string_view text, CellRows& rows) {
  const std::optional<ShownNumber> figure = ShownNumberOf(text);
  if (figure) return rows.Add(text, {CellKind::kNumber, figure->value, 0, figure->format});
  rows.Add(text);
}

}  // namespace

void BookWriter::Begin(Written& out) const {
  for (const std::vector<std::string>& row : layout_.above) {
    for (const std::string& text : row) out.rows.Add(text);
    out.rows.EndRow();
  }
  for (const std::string& name : layout_.names) out.rows.Add(name);
  for (const std::string& name : OutcomeColumns()) out.rows.Add(layout_.chinese ? ChineseCaption(name) : name);
  out.rows.EndRow();
}

void BookWriter::Write(const Record& record, const RecordOutcome& outcome, Written& out) {
  CellRows& rows = out.rows;
  const std::size_t columns = layout_.columns.size();
  const std::size_t given = record.fields.size();
  for (std::size_t i = 0; i < columns; ++i) {
    if (i < given) {
      AddField(record, i, rows);
    } else {
      rows.Add({});
    }
  }
  // Status, field, message and warning; then the figures.
  const std::array<std::string_view, 5> head = OutcomeHead(outcome, layout_);
  for (std::size_t i = 0; i < 4; ++i) rows.Add(head[i]);
  AddFigure(head[4], rows);
  for (std::size_t k = 0; k < kLineCount; ++k) AddFigure(LineText(outcome, k), rows);
  // Values beyond the header stay in the row, after the outcome.
  for (std::size_t i = columns; i < given; ++i) AddField(record, i, rows);
  if (record.moreFields != 0) rows.Add(record.rest);  // more than a worksheet holds: refused by it
  rows.EndRow(record.line);
}

std::size_t BookWriter::PerRecordBytes() const {
  // Each cell's place and kind, and the outcome's texts.
  return 400 + sizeof(CellRows::Cell) * (layout_.columns.size() + OutcomeColumns().size());
}

bool BookSink::Put(const Written& records, std::string& error) {
  for (std::size_t i = 0; i < records.rows.size(); ++i) {
    if (!writer_.WriteRow(records.rows, i)) {
      error = writer_.Error();
      return false;
    }
  }
  return true;
}

}  // namespace quorvex::sheets
