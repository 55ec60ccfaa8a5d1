#include "app/page_table.h"

#include "forms/categories.h"
#include "pages/frm_award.h"
#include "pages/frm_chance.h"
#include "pages/frm_company.h"
#include "pages/frm_contract.h"
#include "pages/frm_empty.h"
#include "pages/frm_interest.h"
#include "pages/frm_labour.h"
#include "pages/frm_licence.h"
#include "pages/frm_other.h"
#include "pages/frm_property.h"
#include "pages/frm_rent.h"
#include "pages/frm_salary.h"
#include "pages/frm_writing.h"
#include "pages/frm_year.h"

namespace quorvex::app {
namespace {

template <class Page>
pages::CalculatorPage* Create(QWidget* parent) {
  return new Page(parent);
}

constexpr char kSeparator[] = "----------------------------------";

// The page class of each category, in the order of the category table.
constexpr PageFactory kFactories[] = {
    &Create<pages::TFrmSalary>,   &Create<pages::TFrmYear>,     &Create<pages::TFrmAward>,
    &Create<pages::TFrmLabour>,   &Create<pages::TFrmWriting>,  &Create<pages::TFrmRent>,
    &Create<pages::TFrmProperty>, &Create<pages::TFrmLicence>,  &Create<pages::TFrmCompany>,
    &Create<pages::TFrmContract>, &Create<pages::TFrmInterest>, &Create<pages::TFrmChance>,
    &Create<pages::TFrmOther>,
};
static_assert(std::size(kFactories) == forms::kCategoryCount);

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
    rows[row++] = {forms::Categories()[i].listText, kFactories[i]};
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
    if (r.create != nullptr) return r.create(parent);
  }
  return new pages::TFrmEmpty(parent);
}

}  // namespace quorvex::app
