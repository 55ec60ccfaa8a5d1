// Requests of the command line and of sheets computed as the pages compute them.
#pragma once

#include <optional>
#include <string_view>

#include "forms/categories.h"
#include "sheets/engine/record.h"

namespace quorvex::sheets {

// The kinds' names on the command line.
[[nodiscard]] std::string_view KindKey(forms::Kind kind);

// ReadThreshold() reads a threshold the page offers (an empty text is the usual one), or
// none.
[[nodiscard]] std::optional<double> ReadThreshold(std::string_view text);

// ComputeRequest() finds the request's category and kind, reads its threshold and months, and
// computes as the page does. A category, kind, threshold or month count that the page cannot
// take is rejected with `field` "category", "calc", "threshold" or "months".
// The message texts are static or the request's own.
[[nodiscard]] RecordOutcome ComputeRequest(const Request& request);
// The same into `out`, replacing what it held (its storage is kept for the next record).
void ComputeRequest(const Request& request, RecordOutcome& out);

}  // namespace quorvex::sheets
