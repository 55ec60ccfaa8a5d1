#include "sheets/sheet_format.h"

#include <algorithm>
#include <unordered_set>

#include "sheets/sheet_headers.h"

namespace quorvex::sheets {

void OutBuffer::Grow(std::size_t most) {
  // Doubling, so that growing costs little over a block; once grown, a buffer is reused.
  bytes_.resize(std::max({bytes_.size() * 2, size_ + most, std::size_t{4096}}));
}

namespace {

constexpr std::array<std::string_view, 5 + kLineKeys.size()> kOutcomeNames = [] {
  std::array<std::string_view, 5 + kLineKeys.size()> names{"status", "field", "message", "warning", "income"};
  for (std::size_t i = 0; i < kLineKeys.size(); ++i) names[5 + i] = kLineKeys[i];
  return names;
}();

}  // namespace

const std::vector<std::string>& OutcomeColumns() {
  static const std::vector<std::string> columns(kOutcomeNames.begin(), kOutcomeNames.end());
  return columns;
}

bool IsOutcomeColumn(std::string_view name) {
  static const std::unordered_set<std::string_view> names(kOutcomeNames.begin(), kOutcomeNames.end());
  return names.count(name) != 0;
}

std::vector<std::string> OutputNames(const std::vector<std::string>& columns) {
  std::vector<std::string> names = columns;
  NameIndex taken;
  for (const std::string& c : columns) taken.emplace(c, 0);
  for (std::string& name : names) {
    if (!IsOutcomeColumn(name)) continue;
    for (int n = 1;; ++n) {
      std::string candidate = name + "_" + std::to_string(n);
      if (IsOutcomeColumn(candidate) || taken.count(candidate) != 0) continue;
      taken.emplace(candidate, 0);
      name = std::move(candidate);
      break;
    }
  }
  return names;
}

long FindColumn(const Layout& layout, std::string_view key, std::size_t nth) {
  const auto it = layout.index.find(key);
  if (it == layout.index.end()) return -1;
  if (nth == 0) return it->second;
  const std::vector<std::uint32_t>& more = layout.repeats[it->second];
  return nth <= more.size() ? static_cast<long>(more[nth - 1]) : -1L;
}

long AddColumn(Layout& layout, std::string_view key, std::size_t nth) {
  const long found = FindColumn(layout, key, nth);
  if (found >= 0) return found;
  if (layout.columns.size() >= kMaxColumns) return -1;
  const auto column = static_cast<std::uint32_t>(layout.columns.size());
  layout.columns.emplace_back(key);
  layout.repeats.emplace_back();
  if (nth == 0) {
    layout.index.emplace(std::string(key), column);
  } else {
    // Occurrences are met in order, so the one before this exists.
    layout.repeats[layout.index.find(key)->second].push_back(column);
  }
  return column;
}

std::array<std::string_view, 5> OutcomeHead(const RecordOutcome& outcome, bool chinese) {
  if (chinese) {
    return {outcome.ok ? std::string_view(kStatusOk) : std::string_view(kStatusRejected),
            outcome.field == "record" ? std::string_view(kWholeRecord) : ChineseCaption(outcome.field), outcome.message,
            outcome.warning ? std::string_view(kWarningYes) : std::string_view(kWarningNo), outcome.income()};
  }
  return {outcome.ok ? "ok" : "rejected", outcome.field, outcome.message, outcome.warning ? "true" : "false",
          outcome.income()};
}

}  // namespace quorvex::sheets
