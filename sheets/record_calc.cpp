#include "sheets/record_calc.h"

#include <array>
#include <string>

#include "sheets/compute_request.h"
#include "sheets/shown_amount.h"

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
// with the message naming it. False when the calculation reads none of them.
bool RefuseUnsaved(const Record& record, RecordOutcome& out) {
  for (std::size_t k = 0; k < kRequestKeys.size(); ++k) {
    if ((record.unsaved >> k & 1U) == 0 || !Reads(record, k)) continue;
    out = RecordOutcome();
    out.problem = Problem::kInput;
    out.field = kRequestKeys[k];
    out.message = record.unsavedMessage[k];
    return true;
  }
  return false;
}

// The request fields that hold amounts, read as a spreadsheet shows them.
constexpr std::array<std::string_view Request::*, 5> kAmountFields{
    &Request::amount, &Request::salary, &Request::contributions, &Request::threshold, &Request::plannedBonus};

}  // namespace

void ComputeRecord(const Record& record, RecordOutcome& out, bool cells) {
  if (!record.error.empty()) {
    out = RecordOutcome();
    out.field = "record";
    out.message = record.error;
    return;
  }
  if (record.unsaved != 0 && RefuseUnsaved(record, out)) return;
  Request request = RequestOf(record);
  ComputeRequest(request, out);
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
