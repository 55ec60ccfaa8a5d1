// The property lease page: 20 % of a payment after the expense allowance; 800 or less owes nothing.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmRent final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmRent(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kRent, parent) {}
};

}  // namespace quorvex::pages
