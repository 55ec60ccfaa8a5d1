// The individual business page: a year's income taxed by the annual business schedule.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmCompany final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmCompany(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kBusiness, parent) {}
};

}  // namespace quorvex::pages
