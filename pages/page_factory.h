// The page class of each category.
#pragma once

#include "forms/categories.h"

class QWidget;

namespace quorvex::pages {

class CalculatorPage;

// CreatePage() builds the page of a category of the list, owned by `parent`; nullptr for a
// category without a page of its own (the planner is a dialog).
CalculatorPage* CreatePage(forms::CategoryId id, QWidget* parent);

}  // namespace quorvex::pages
