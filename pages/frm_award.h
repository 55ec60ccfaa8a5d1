// The salary-and-bonus page: the month's salary and the year-end bonus taxed together, the
// bonus first reduced by any shortfall of the salary below the threshold.
#pragma once

#include "pages/calculator_page.h"

class QGroupBox;

namespace quorvex::pages {

class TFrmAward final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit TFrmAward(QWidget* parent = nullptr);

  void BtnCalcClick();
  void BtnResetClick();
  void EditSafeChange();

 private:
  void BuildControls();
  void BuildResults(QGridLayout* grid, int row);
  QGroupBox* MakeResultGroup(const char* name, const char* title, QLabel* tax, QLabel* realIncome,
                             const char* realIncomeCaption);
  void ConnectHandlers();
  double Threshold() const;

  QLineEdit* EditYear = nullptr;
  QLineEdit* EditSalary = nullptr;
  QLineEdit* EditSafe = nullptr;
  QComboBox* CmbPoint = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QLabel* TxtInfo_1 = nullptr;
  QLabel* TxtInfo_2 = nullptr;
  QLabel* TxtInfo_3 = nullptr;
  QLabel* TxtTax1 = nullptr;
  QLabel* TxtRealIncome1 = nullptr;
  QLabel* TxtTax2 = nullptr;
  QLabel* TxtRealIncome2 = nullptr;
  QLabel* TxtTaxTotal = nullptr;
  QLabel* TxtRealIncomeAll = nullptr;
};

}  // namespace quorvex::pages
