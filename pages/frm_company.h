// The individual business page: a year's business income taxed by the annual business
// schedule, forwards only.
#pragma once

#include "pages/calculator_page.h"

namespace quorvex::tax {
struct BusinessTexts;
}

namespace quorvex::pages {

class TFrmCompany final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit TFrmCompany(QWidget* parent = nullptr);

  void BtnCalcClick();
  void BtnResetClick();
  void EditIncomeChange();

 private:
  void BuildControls();
  void ConnectHandlers();
  void ShowResult(const tax::BusinessTexts& shown);

  QLineEdit* EditIncome = nullptr;
  QLineEdit* EditTax = nullptr;
  QLineEdit* EditRealIncome = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QLabel* TxtInfo = nullptr;
  QLabel* TxtTaxIncome = nullptr;
  QLabel* TxtRate = nullptr;
  QLabel* TxtDeduct = nullptr;
};

}  // namespace quorvex::pages
