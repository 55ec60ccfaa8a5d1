// The page of other income the tax office has determined taxable: 20 % of the whole amount.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmOther final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmOther(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kOther, parent) {}
};

}  // namespace quorvex::pages
