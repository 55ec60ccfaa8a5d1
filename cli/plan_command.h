// quorvex-calc plan: the year-end bonus planner on the command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quorvex::cli {

// RunPlanCommand() plans a year from the arguments after "plan":
//   ANNUAL [--contributions X] [--threshold 3500|4800] [--planned-bonus P] [--curve] [--json]
// and prints the planner's lines (or one JSON record), or with --curve the total-tax curve's
// vertices as CSV (or JSON Lines), to `out`, problems to `err`. Returns
// 0 when planned, 1 when an amount is rejected, 2 for a usage error.
int RunPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace quorvex::cli
