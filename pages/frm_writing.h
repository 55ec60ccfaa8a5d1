// The writing remuneration page: 14 % of a payment after the expense allowance; 800 or less owes
// nothing.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmWriting final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmWriting(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kWriting, parent) {}
};

}  // namespace quorvex::pages
