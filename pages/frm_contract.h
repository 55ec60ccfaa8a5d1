// The contracted operation page: a year's income from contracting or leasing an operation,
// less 3500 yuan for each month of operation, taxed by the annual business schedule.
#pragma once

#include "pages/calculator_page.h"

namespace quorvex::tax {
struct BusinessTexts;
}

namespace quorvex::pages {

class TFrmContract final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit TFrmContract(QWidget* parent = nullptr);

  void BtnCalcClick();
  void BtnResetClick();
  void EditIncomeChange();

 protected:
  // Fills CmbMonth afresh with "1" to "12" and chooses "12", then the common show step.
  void FrameResize() override;

 private:
  void BuildControls();
  void ConnectHandlers();
  void FillMonths();
  void ChooseFullYear();
  int Months() const;
  void ShowResult(const tax::BusinessTexts& shown);

  QLineEdit* EditIncome = nullptr;
  QLineEdit* EditTax = nullptr;
  QLineEdit* EditRealIncome = nullptr;
  QComboBox* CmbMonth = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QLabel* TxtInfo = nullptr;
  QLabel* TxtTaxIncome = nullptr;
  QLabel* TxtRate = nullptr;
  QLabel* TxtDeduct = nullptr;
};

}  // namespace quorvex::pages
