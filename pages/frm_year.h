// The year-end bonus page: the bonus taxed by the monthly-average rule, the bonus found
// backwards from an after-tax amount, and the blind-zone warning.
#pragma once

#include "pages/calculator_page.h"

namespace quorvex::pages {

class TFrmYear final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit TFrmYear(QWidget* parent = nullptr);

  void BtnCalcClick();
  void BtnRealIncomeClick();
  void BtnResetClick();
  void EditIncomeChange();
  void EditTaxChange();
  void EditRealIncomeChange();

 private:
  void BuildControls();
  void ConnectHandlers();

  QLineEdit* EditIncome = nullptr;
  QLineEdit* EditTax = nullptr;
  QLineEdit* EditRealIncome = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QPushButton* BtnRealIncome = nullptr;
  QLabel* TxtAverage = nullptr;
  QLabel* TxtRate = nullptr;
  QLabel* TxtQuick = nullptr;
  QLabel* TxtInfo_1 = nullptr;
  QLabel* TxtInfo_2 = nullptr;
};

}  // namespace quorvex::pages
