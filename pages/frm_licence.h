// The royalties page: an allowance, then 20 % of the rest; a payment of 800 or less owes
// nothing and the page says so.
#pragma once

#include "pages/payment_page.h"

namespace quorvex::pages {

class TFrmLicence final : public PaymentPage {
  Q_OBJECT

 public:
  explicit TFrmLicence(QWidget* parent = nullptr);

  void BtnCalcClick() override;
};

}  // namespace quorvex::pages
