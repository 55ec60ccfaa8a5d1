#include "app/page_table.h"

#include "pages/frm_empty.h"
#include "pages/page_factory.h"

namespace quorvex::app {
namespace {

constexpr char kSeparator[] = "----------------------------------";

// The list groups the categories, a separator row after each group but the last.
constexpr std::size_t kGroupEnds[] = {3, 7, 10};
static_assert(kListRowCount == forms::kCategoryCount + std::size(kGroupEnds));

std::array<CategoryRow, kListRowCount> MakeRows() {
  std::array<CategoryRow, kListRowCount> rows{};
  std::size_t row = 0;
  std::size_t group = 0;
  for (std::size_t i = 0; i < forms::kCategoryCount; ++i) {
    if (group < std::size(kGroupEnds) && i == kGroupEnds[group]) {
      rows[row++] = {kSeparator, nullptr};
      ++group;
    }
    rows[row++] = {forms::Categories()[i].listText, &forms::Categories()[i]};
  }
  return rows;
}

}  // namespace

const std::array<CategoryRow, kListRowCount>& CategoryRows() {
  static const std::array<CategoryRow, kListRowCount> rows = MakeRows();
  return rows;
}

pages::CalculatorPage* CreatePageForRow(int row, QWidget* parent) {
  if (row >= 0 && row < kListRowCount) {
    const CategoryRow& r = CategoryRows()[static_cast<size_t>(row)];
    if (r.category != nullptr) {
      if (pages::CalculatorPage* page = pages::CreatePage(r.category->id, parent)) return page;
    }
  }
  return new pages::TFrmEmpty(parent);
}

}  // namespace quorvex::app
