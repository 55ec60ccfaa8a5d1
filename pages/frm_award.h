// The salary-and-bonus page: the month's salary and the year-end bonus taxed together, the
// bonus first reduced by any shortfall of the salary below the threshold. Its results stand
// in two boxes, the salary's and the bonus's, above the two totals.
#pragma once

#include "pages/form_page.h"

class QGroupBox;

namespace quorvex::pages {

class TFrmAward final : public FormPage {
  Q_OBJECT

 public:
  explicit TFrmAward(QWidget* parent = nullptr);

 private:
  QGroupBox* MakeResultGroup(const char* name, forms::Line tax, forms::Line afterTax);
};

}  // namespace quorvex::pages
