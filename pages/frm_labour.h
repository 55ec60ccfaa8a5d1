// The labour remuneration page: one payment taxed by the labour schedule after an expense
// allowance, and the gross payment found backwards from the income after tax.
#pragma once

#include "pages/calculator_page.h"

namespace quorvex::pages {

class TFrmLabour final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit TFrmLabour(QWidget* parent = nullptr);

  void BtnCalcClick();
  void BtnRealIncomeClick();
  void BtnResetClick();
  void EditIncomeChange();
  void EditRealIncomeChange();

 private:
  void BuildControls();
  void LayOut();
  void ConnectHandlers();

  QLineEdit* EditIncome = nullptr;
  QLabel* TxtInfo = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QLabel* TxtDeduct = nullptr;
  QLabel* TxtTaxIncome = nullptr;
  QLabel* TxtRate = nullptr;
  QLabel* TxtQuick = nullptr;
  QLineEdit* EditTax = nullptr;
  QLineEdit* EditRealIncome = nullptr;
  QPushButton* BtnRealIncome = nullptr;
  QLabel* TxtInfo_2 = nullptr;
};

}  // namespace quorvex::pages
