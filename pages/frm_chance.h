// The incidental income page: 20 % of the whole amount.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmChance final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmChance(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kChance, parent) {}
};

}  // namespace quorvex::pages
