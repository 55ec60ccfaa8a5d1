// The interest and dividends page: 20 % of the whole amount.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmInterest final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmInterest(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kInterest, parent) {}
};

}  // namespace quorvex::pages
