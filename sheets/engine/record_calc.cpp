#include "sheets/engine/record_calc.h"

#include <array>
#include <string>

#include "sheets/engine/compute_request.h"
#include "sheets/engine/shown_amount.h"
#include "sheets/sheet_messages.h"

namespace quorvex::sheets {
namespace {

// Whether the calculation of the record reads request field `k` (its place in kRequestKeys).
bool Reads(const Record& record, std::size_t k) {
  if (k <= 2) return true;  // the category, the kind and the amount
  const forms::Category* category = forms::FindCategory(record.request[0]);
  if (category == nullptr) return false;  // refused for its category
  switch (k) {
    case 3:
      return category->Input(forms::Field::kSalary) != nullptr;
    case 4:
      return category->Input(forms::Field::kContributions) != nullptr;
    case 5:
      return category->choice == forms::Choice::kThreshold;
    case 6:
      return category->choice == forms::Choice::kMonths;
    default:
      return category->Input(forms::Field::kPlannedBonus) != nullptr;
  }
}

// A workbook's row with a formula cell the calculation reads and has no result of: refused
// with the message naming its column and cell. False when the calculation reads none of them.
bool RefuseUnsaved(const Record& record, const Layout& layout, RecordOutcome& out) {
  for (std::size_t k = 0; k < kRequestKeys.size(); ++k) {
    const auto c = static_cast<std::size_t>(layout.requestColumn[k]);  // -1 becomes larger than any count
    if (c >= record.kinds.size() || record.kinds[c].kind != CellKind::kUnsavedFormula || !Reads(record, k)) continue;
    thread_local std::string message;
    message.assign(forms::TrimName(layout.columns[c])).append("（").append(record.fields[c].raw).append("）");
    message.append(messages::kUnsavedFormula);
    out = RecordOutcome();
    out.problem = Problem::kInput;
    out.field = kRequestKeys[k];
    out.message = message;
    return true;
  }
  return false;
}

// Whether a cell reads 合计, 小计 or 总计, the two characters perhaps spaced apart ("合　计").
bool TotalsLabel(std::string_view text) {
  std::string label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 3, "\u3000") == 0) {
      i += 2;
    } else if (text[i] != ' ' && text[i] != '\t') {
      label += text[i];
    }
  }
  return label == "合计" || label == "小计" || label == "总计";
}

// A table's totals row: its first cell that holds something is a totals label, and it names
// no category but that label.
bool IsTotalsRow(const Record& record) {
  const std::string_view category = forms::TrimName(record.request[0]);
  for (const FieldRef& f : record.fields) {
    if (forms::TrimName(f.text).empty()) continue;
    return TotalsLabel(f.text) && (category.empty() || TotalsLabel(category));
  }
  return false;
}

// The request fields that hold amounts, read as a spreadsheet shows them.
constexpr std::array<std::string_view Request::*, 5> kAmountFields{
    &Request::amount, &Request::salary, &Request::contributions, &Request::threshold, &Request::plannedBonus};

}  // namespace

void ComputeRecord(const Record& record, const Layout& layout, RecordOutcome& out) {
  if (!record.error.empty()) {
    out = RecordOutcome();
    out.field = "record";
    out.message = record.error;
    return;
  }
  const bool cells = IsTable(layout.in);
  // A totals row is refused (no category; its amount often a sum without a saved result) and
  // then known for one: rows the page takes cost nothing more.
  const auto totals = [&] {
    if (!cells || !IsTotalsRow(record)) return false;
    out = RecordOutcome();
    out.totals = true;
    return true;
  };
  if (!record.kinds.empty() && RefuseUnsaved(record, layout, out)) {
    totals();
    return;
  }
  Request request = RequestOf(record);
  out.totals = false;
  ComputeRequest(request, out);
  if (!out.ok && totals()) return;
  // A record the page takes is computed: only one it refuses may hold an amount as shown
  // (no plain amount has a comma or a character beyond ASCII), read again in plain figures.
  if (!cells || out.ok) return;
  bool shown = false;
  for (std::size_t i = 0; i < kAmountFields.size(); ++i) {
    std::string_view& text = request.*kAmountFields[i];
    if (!MaybeShownAmount(text)) continue;
    thread_local std::array<std::string, kAmountFields.size()> plain;
    if (!ReadShownAmount(text, plain[i])) continue;
    text = plain[i];
    shown = true;
  }
  if (shown) ComputeRequest(request, out);
}

}  // namespace quorvex::sheets
