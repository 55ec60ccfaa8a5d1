// The category list of the main window and the page class behind each row.
#pragma once

#include <QString>
#include <array>

#include "forms/categories.h"

namespace quorvex::pages {
class CalculatorPage;
}

class QWidget;

namespace quorvex::app {

struct CategoryRow {
  const char* text;
  const forms::Category* category;  // nullptr: a separator, which shows the blank page
};

inline constexpr int kListRowCount = 16;

// The sixteen rows in list order.
const std::array<CategoryRow, kListRowCount>& CategoryRows();

// CreatePageForRow() builds the page of a row; separators, rows without a page yet and any
// index outside the list give the blank page.
pages::CalculatorPage* CreatePageForRow(int row, QWidget* parent);

}  // namespace quorvex::app
