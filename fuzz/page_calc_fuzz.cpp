// Every page's logic on arbitrary typed texts: never crash and never trip a sanitizer. A
// computed outcome shows every line of its page as a finite figure (never empty, "inf" or
// "nan"); a rejected one shows no line and says why beside a field the page has, which also
// takes the focus. An income a reverse calculation writes either reads back as a positive
// amount or is rejected beside the income field.
//
// Input: a byte choosing the category, a byte choosing the kind (its high bit picks the
// threshold 4800), a byte of months, then the typed texts of the income, the salary and the
// contributions, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "forms/compute.h"
#include "tax/amount.h"

namespace {

using namespace quorvex::forms;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsFigure(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == '%')) return false;
  }
  return true;
}

bool PageHas(const Category& c, Field f) { return c.Input(f) != nullptr || f == Field::kTax || f == Field::kAfterTax; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const Category& category = Categories()[data[0] % kCategoryCount];
  const Kind kind = static_cast<Kind>(data[1] % kKindCount);
  PageInput typed;
  typed.threshold = (data[1] & 0x80) != 0 ? 4800 : 3500;
  typed.months = 1 + data[2] % 12;
  std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  for (Field f : {Category::Typed(kind), Field::kSalary, Field::kContributions}) {
    const size_t end = rest.find('\0');
    typed[f] = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  }

  const Outcome out = Compute(category, kind, typed);
  if (out.focus) Check(PageHas(category, out.focusField));
  if (!out.computed) {
    Check(!out.message.empty() && PageHas(category, out.messageField));
    for (const std::string& line : out.lines) Check(line.empty());
    return 0;
  }
  for (const ResultLine& line : category.lines) Check(IsFigure(out[line.line]));
  if (!out.income.empty()) {
    const std::optional<double> back = quorvex::tax::ParseAmount(out.income);
    Check(back.has_value() && *back > 0);
  }
  return 0;
}
