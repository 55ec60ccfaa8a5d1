// The writing remuneration page: an allowance, then 14 % of the rest; a payment of 800 or
// less owes nothing and is answered silently.
#pragma once

#include "pages/payment_page.h"

namespace quorvex::pages {

class TFrmWriting final : public PaymentPage {
  Q_OBJECT

 public:
  explicit TFrmWriting(QWidget* parent = nullptr);

  void BtnCalcClick() override;
};

}  // namespace quorvex::pages
