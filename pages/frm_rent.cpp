#include "pages/frm_rent.h"

#include <QLineEdit>

#include "tax/payment.h"

namespace quorvex::pages {

TFrmRent::TFrmRent(QWidget* parent) : PaymentPage(Lines::WithAllowance, parent) { setObjectName("TFrmRent"); }

void TFrmRent::BtnCalcClick() {
  ClearResults();
  double payment = 0;
  if (!ReadIncome(payment)) return;
  const tax::PaymentResult r = tax::CalcRentTax(payment);
  const tax::PaymentTexts t = tax::ShowPayment(r);
  if (!r.taxed) {
    // 800 or less: no notice, the labels keep "0.00", and the focus stays where it is.
    SetText(EditTax, Text(t.tax));
    SetText(EditRealIncome, Text(t.realIncome));
    return;
  }
  ShowResults(t);
  FocusAndSelect(EditIncome);
}

}  // namespace quorvex::pages
