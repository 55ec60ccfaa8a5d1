// The property transfer page: 20 % of the whole amount.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmProperty final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmProperty(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kProperty, parent) {}
};

}  // namespace quorvex::pages
