#include "sheets/engine/sheet_format.h"

#include <algorithm>
#include <unordered_map>

#include "sheets/engine/sheet_headers.h"
#include "sheets/sheet_messages.h"

namespace quorvex::sheets {

std::string AsciiLower(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

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

// The names a key may have that mean something, by length: the request fields and the
// outcome columns.
struct NamedKey {
  std::string_view name;
  KeyMeaning meaning;
};

constexpr auto kNamedKeys = [] {
  std::array<NamedKey, kRequestKeys.size() + kOutcomeNames.size()> keys{};
  for (std::size_t k = 0; k < kRequestKeys.size(); ++k)
    keys[k] = {kRequestKeys[k], {static_cast<std::uint8_t>(k), false}};
  for (std::size_t i = 0; i < kOutcomeNames.size(); ++i)
    keys[kRequestKeys.size() + i] = {kOutcomeNames[i], {kNoRequest, true}};
  // Of one length, the request fields first: records name them more often.
  std::sort(keys.begin(), keys.end(), [](const NamedKey& a, const NamedKey& b) {
    return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.meaning.request < b.meaning.request;
  });
  return keys;
}();

// A key names a request field or an outcome column, never both.
static_assert([] {
  for (std::size_t i = 0; i < kNamedKeys.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (kNamedKeys[i].name == kNamedKeys[j].name) return false;
    }
  }
  return true;
}());

constexpr std::size_t kLongestNamedKey = kNamedKeys.back().name.size();

// Where the names of each length start in kNamedKeys (those of length n: [n], [n + 1]).
constexpr auto kNamedKeysOfLength = [] {
  std::array<std::uint8_t, kLongestNamedKey + 2> first{};
  for (std::size_t n = 0; n < first.size(); ++n) {
    for (const NamedKey& k : kNamedKeys) first[n] += k.name.size() < n ? 1 : 0;
  }
  return first;
}();

}  // namespace

const std::vector<std::string>& OutcomeColumns() {
  static const std::vector<std::string> columns(kOutcomeNames.begin(), kOutcomeNames.end());
  return columns;
}

KeyMeaning MeaningOf(std::string_view key) {
  if (key.empty() || key.size() > kLongestNamedKey) return {};
  for (std::size_t i = kNamedKeysOfLength[key.size()]; i < kNamedKeysOfLength[key.size() + 1]; ++i) {
    const std::string_view name = kNamedKeys[i].name;
    if (name.front() == key.front() && name == key) return kNamedKeys[i].meaning;
  }
  return {};
}

bool IsOutcomeColumn(std::string_view name) { return MeaningOf(name).outcome; }

std::vector<std::string> OutputNames(const std::vector<std::string>& columns, bool chinese, std::string_view reserved) {
  std::vector<std::string> names = columns;
  NameIndex taken;
  for (const std::string& c : columns) taken.emplace(c, 0);
  NameIndex chineseOutcome;
  if (chinese) {
    for (const std::string& c : OutcomeColumns()) chineseOutcome.emplace(ChineseCaption(c), 0);
  }
  const auto isOutcome = [&](const std::string& name) {
    return IsOutcomeColumn(name) || chineseOutcome.count(name) != 0 || (!reserved.empty() && name == reserved);
  };
  // A name's next search starts after the one it was given last: a name taken stays taken.
  std::unordered_map<std::string, int> next;
  for (std::string& name : names) {
    if (!isOutcome(name)) continue;
    for (int& n = next.try_emplace(name, 0).first->second;;) {
      std::string candidate = name + "_" + std::to_string(++n);
      if (isOutcome(candidate) || taken.count(candidate) != 0) continue;
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
    return {outcome.totals ? std::string_view(kStatusTotals)
            : outcome.ok   ? std::string_view(kStatusOk)
                           : std::string_view(kStatusRejected),
            outcome.field == "record" ? std::string_view(kWholeRecord) : ChineseCaption(outcome.field), outcome.message,
            outcome.warning ? std::string_view(kWarningYes) : std::string_view(kWarningNo), outcome.income()};
  }
  return {outcome.totals ? "total"
          : outcome.ok   ? "ok"
                         : "rejected",
          outcome.field, outcome.message, outcome.warning ? "true" : "false", outcome.income()};
}

std::array<std::string_view, 5> OutcomeHead(const RecordOutcome& outcome, const Layout& layout) {
  std::array<std::string_view, 5> texts = OutcomeHead(outcome, layout.chinese);
  if (layout.chinese) {
    const auto key = std::find(kRequestKeys.begin(), kRequestKeys.end(), outcome.field);
    const int column = key == kRequestKeys.end() ? -1 : layout.requestColumn[key - kRequestKeys.begin()];
    if (column >= 0) texts[1] = layout.columns[static_cast<std::size_t>(column)];
  }
  return texts;
}

HeaderSearch::Seen HeaderSearch::Offer(const std::vector<std::string_view>& cells, std::uint64_t line,
                                       std::uint64_t next, Layout& layout) {
  if (line > kHeaderSearchRows) return Seen::kTooFar;
  bool category = false;
  bool amount = false;
  for (const std::string_view cell : cells) {
    const std::string_view key = InputKeyOf(cell);
    category = category || key == "category";
    amount = amount || key == "amount";
  }
  if (seen_.empty()) {
    seen_.assign(cells.begin(), cells.end());
    seenCategory_ = category;
    seenAmount_ = amount;
  }
  // Empty rows between the title's rows and the header are kept; those before the first are not.
  for (; nextRow_ != 0 && nextRow_ < line; ++nextRow_) layout.above.emplace_back();
  if (!category || !amount) {
    layout.above.emplace_back(cells.begin(), cells.end());
    nextRow_ = next;
    return Seen::kAbove;
  }
  for (const std::string_view cell : cells) {
    layout.columns.emplace_back(cell);
    layout.chinese = layout.chinese || IsChineseInputHeader(cell);
  }
  for (std::size_t k = 0; k < kRequestKeys.size(); ++k) {
    for (std::size_t i = 0; i < layout.columns.size(); ++i) {
      if (InputKeyOf(layout.columns[i]) == kRequestKeys[k]) {
        layout.requestColumn[k] = static_cast<int>(i);
        break;
      }
    }
  }
  return Seen::kHeader;
}

std::string HeaderSearch::NoHeader() const {
  if (seen_.empty()) return messages::kNoHeaderRow;
  // The first row is the header but for one column, or no row is.
  const std::string why = seenCategory_ != seenAmount_ ? messages::MissingColumn(seenCategory_ ? "amount" : "category")
                                                       : messages::NoHeaderInFirstRows(kHeaderSearchRows);
  return why + messages::FirstRowReads(seen_);
}

}  // namespace quorvex::sheets
