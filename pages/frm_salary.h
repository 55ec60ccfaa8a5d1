// The wages-and-salaries page: the month's tax forwards, and the pre-tax salary backwards
// from a tax amount or from a take-home amount.
#pragma once

#include "pages/calculator_page.h"

namespace quorvex::pages {

class TFrmSalary final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit TFrmSalary(QWidget* parent = nullptr);

  void BtnCalcClick();
  void BtnTaxClick();
  void BtnRealIncomeClick();
  void BtnResetClick();
  void EditSafeChange();

 protected:
  void FrameResize() override;

 private:
  void BuildControls();
  void ConnectHandlers();
  double Threshold() const;
  bool ReadContributions(double& contributions);
  // Writes a salary found backwards into EditIncome and recomputes; a salary that is not a
  // finite number is reported beside the reverse field instead.
  void ApplyReverse(double salary, QLineEdit* from, QLabel* label);

  QLineEdit* EditIncome = nullptr;
  QLineEdit* EditSafe = nullptr;
  QLineEdit* EditTax = nullptr;
  QLineEdit* EditRealIncome = nullptr;
  QComboBox* CmbPoint = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QPushButton* BtnTax = nullptr;
  QPushButton* BtnRealIncome = nullptr;
  QLabel* TxtTaxIncome = nullptr;
  QLabel* TxtRate = nullptr;
  QLabel* TxtQuick = nullptr;
  QLabel* TxtInfo_1 = nullptr;
  QLabel* TxtInfo_2 = nullptr;
  QLabel* TxtInfo_3 = nullptr;
  QLabel* TxtInfo_4 = nullptr;
};

}  // namespace quorvex::pages
