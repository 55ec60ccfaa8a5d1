// The categories the command line knows, and the calculation of one request.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "cli/record.h"

namespace quorvex::cli {

struct Inputs {
  double threshold = 3500;
  int months = 12;
};

struct Category {
  const char* key;                      // "salary"
  const char* listText;                 // the main window's list text, "工资、薪金所得"
  const char* incomeCaption;            // caption of the field a reverse calculation writes into
  std::vector<std::string_view> kinds;  // calculation kinds, "forward" first
  std::vector<ShownLine> shown;         // the page's result lines, in page order
  Outcome (*run)(const Request& request, std::string_view kind, const Inputs& inputs);
};

// All categories, in the order of the main window's list.
std::span<const Category> Categories();

// FindCategory() accepts a key or a list text; nullptr when neither matches.
const Category* FindCategory(std::string_view name);

// Calculate() checks the request's category, kind, threshold and months, then computes.
// A request that names no known category or kind, or a threshold or month count the page
// cannot select, is rejected with `field` set to "category", "calc", "threshold" or "months".
Outcome Calculate(const Request& request);

}  // namespace quorvex::cli
