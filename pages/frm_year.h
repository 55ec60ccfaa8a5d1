// The year-end bonus page: the bonus taxed by the monthly-average rule, the bonus found backwards
// from an after-tax amount, and the blind-zone warning.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmYear final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmYear(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kYearBonus, parent) {}
};

}  // namespace quorvex::pages
