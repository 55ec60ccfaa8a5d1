#include "pages/flat_rate_page.h"

#include "tax/payment.h"

namespace quorvex::pages {

void FlatRatePage::BtnCalcClick() {
  ClearResults();
  double amount = 0;
  if (!ReadIncome(amount)) return;
  ShowResults(tax::ShowPayment(tax::CalcFlatRateTax(amount)));
  FocusAndSelect(EditIncome);
}

}  // namespace quorvex::pages
