#include "pages/frm_licence.h"

#include "tax/payment.h"

namespace quorvex::pages {

TFrmLicence::TFrmLicence(QWidget* parent) : PaymentPage(Lines::WithAllowance, parent) { setObjectName("TFrmLicence"); }

void TFrmLicence::BtnCalcClick() {
  ClearResults();
  double payment = 0;
  if (!ReadIncome(payment)) return;
  // 800 or less owes nothing: the texts then carry the no-tax notice, the labels "0.00" and
  // the payment after tax. Either way the focus returns to the amount.
  ShowResults(tax::ShowPayment(tax::CalcLicenceTax(payment)));
  FocusAndSelect(EditIncome);
}

}  // namespace quorvex::pages
