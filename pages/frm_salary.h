// The wages-and-salaries page: the month's tax forwards, and the pre-tax salary backwards from a
// tax amount or from a take-home amount.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmSalary final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmSalary(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kSalary, parent) {}
};

}  // namespace quorvex::pages
