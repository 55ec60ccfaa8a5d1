// The labour remuneration page: one payment taxed by the labour schedule after an expense
// allowance, and the gross payment found backwards from the income after tax.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmLabour final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmLabour(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kLabour, parent) {}
};

}  // namespace quorvex::pages
