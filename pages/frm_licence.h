// The royalties page: 20 % of a payment after the expense allowance; 800 or less owes nothing, with
// a notice.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmLicence final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmLicence(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kRoyalties, parent) {}
};

}  // namespace quorvex::pages
