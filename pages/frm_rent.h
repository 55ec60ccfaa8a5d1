// The property lease page: an allowance, then 20 % of the rest; a payment of 800 or less
// owes nothing and is answered silently.
#pragma once

#include "pages/payment_page.h"

namespace quorvex::pages {

class TFrmRent final : public PaymentPage {
  Q_OBJECT

 public:
  explicit TFrmRent(QWidget* parent = nullptr);

  void BtnCalcClick() override;
};

}  // namespace quorvex::pages
