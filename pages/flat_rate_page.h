// The calculation shared by the four flat-rate pages (property transfer, interest and
// dividends, incidental income, other income): 20 % of the whole amount, no allowance, no
// lower limit. The pages differ only in their class and their category.
#pragma once

#include "pages/payment_page.h"

namespace quorvex::pages {

class FlatRatePage : public PaymentPage {
  Q_OBJECT

 public:
  explicit FlatRatePage(QWidget* parent) : PaymentPage(Lines::WithoutAllowance, parent) {}

  void BtnCalcClick() override;
};

}  // namespace quorvex::pages
