// The contracted operation page: a year's income from contracting or leasing an operation,
// less 3500 yuan for each month of operation, taxed by the annual business schedule.
#pragma once

#include "pages/form_page.h"

namespace quorvex::pages {

class TFrmContract final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmContract(QWidget* parent = nullptr) : FormPage(forms::CategoryId::kContract, parent) {}

 protected:
  // Fills CmbMonth afresh with "1" to "12" and chooses "12", then the common show step.
  void FrameResize() override;
};

}  // namespace quorvex::pages
