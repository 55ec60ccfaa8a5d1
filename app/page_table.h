// The category list of the main window and the page class behind each row.
#pragma once

#include <QString>
#include <array>

namespace quorvex::pages {
class CalculatorPage;
}

class QWidget;

namespace quorvex::app {

using PageFactory = pages::CalculatorPage* (*)(QWidget* parent);

struct CategoryRow {
  const char* text;
  PageFactory create;  // nullptr: the blank page
};

inline constexpr int kListRowCount = 16;

// The sixteen rows in list order.
const std::array<CategoryRow, kListRowCount>& CategoryRows();

// CreatePageForRow() builds the page of a row; separators, rows without a page yet and any
// index outside the list give the blank page.
pages::CalculatorPage* CreatePageForRow(int row, QWidget* parent);

}  // namespace quorvex::app
