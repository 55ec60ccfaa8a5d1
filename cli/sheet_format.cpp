#include "cli/sheet_format.h"

#include <algorithm>

#include "cli/csv.h"
#include "cli/json_line.h"
#include "cli/sheet_headers.h"

namespace quorvex::cli {

namespace {

constexpr std::array<std::string_view, 5 + kLineKeys.size()> kOutcomeNames = [] {
  std::array<std::string_view, 5 + kLineKeys.size()> names{"status", "field", "message", "warning", "income"};
  for (std::size_t i = 0; i < kLineKeys.size(); ++i) names[5 + i] = kLineKeys[i];
  return names;
}();

// Bit n set: some outcome column is n bytes long.
constexpr std::uint64_t kOutcomeLengths = [] {
  std::uint64_t lengths = 0;
  for (std::string_view name : kOutcomeNames) lengths |= std::uint64_t{1} << name.size();
  return lengths;
}();

}  // namespace

const std::vector<std::string>& OutcomeColumns() {
  static const std::vector<std::string> columns(kOutcomeNames.begin(), kOutcomeNames.end());
  return columns;
}

bool IsOutcomeColumn(std::string_view name) {
  // Most keys differ in length from every outcome column: one bit test.
  if (name.size() >= 64 || (kOutcomeLengths & (std::uint64_t{1} << name.size())) == 0) return false;
  return std::find(kOutcomeNames.begin(), kOutcomeNames.end(), name) != kOutcomeNames.end();
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

Request RequestOf(const Record& record) {
  const auto& r = record.request;
  return {r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]};
}

std::array<std::string_view, 5 + kLineKeys.size()> OutcomeTexts(const Outcome& outcome, bool chinese) {
  std::array<std::string_view, 5 + kLineKeys.size()> texts{outcome.ok ? "ok" : "rejected", outcome.field,
                                                           outcome.message, outcome.warning ? "true" : "false",
                                                           outcome.income()};
  if (chinese) {
    texts[0] = outcome.ok ? kStatusOk : kStatusRejected;
    texts[1] = outcome.field == "record" ? std::string_view(kWholeRecord) : ChineseCaption(outcome.field);
    texts[3] = outcome.warning ? kWarningYes : kWarningNo;
  }
  if (outcome.ok) std::copy(outcome.lines().begin(), outcome.lines().end(), texts.begin() + 5);
  return texts;
}

std::unique_ptr<SheetReader> MakeReader(Format format) {
  switch (format) {
    case Format::kCsv:
    case Format::kXlsx:
      return std::make_unique<CsvReader>();
    case Format::kJsonLines:
      return std::make_unique<JsonLinesReader>();
  }
  return nullptr;
}

std::unique_ptr<SheetWriter> MakeWriter(const Layout& layout) {
  switch (layout.out) {
    case Format::kCsv:
    case Format::kXlsx:
      return std::make_unique<CsvWriter>(layout);
    case Format::kJsonLines:
      return std::make_unique<JsonLinesWriter>(layout);
  }
  return nullptr;
}

}  // namespace quorvex::cli
