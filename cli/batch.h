// `quorvex-calc batch`: a whole sheet from the command line.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sheets/engine/record.h"

namespace quorvex::cli {

// Exit statuses of quorvex-calc.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRejected = 1;
inline constexpr int kExitError = 2;  // usage, reading or writing

// BatchCommand() runs `quorvex-calc batch ARGS...` and returns the exit status: 0 every
// record computed, 1 some record rejected, 2 a usage, reading or writing error.
int BatchCommand(const std::vector<std::string>& args);

// RecordJson() is a request and its outcome as one JSON Lines record (with its line feed),
// the fields named as in a sheet; the second form writes the given fields only.
std::string RecordJson(const sheets::Request& request, const sheets::RecordOutcome& outcome);
std::string RecordJson(const std::vector<std::pair<std::string_view, std::string_view>>& fields,
                       const sheets::RecordOutcome& outcome);

}  // namespace quorvex::cli
