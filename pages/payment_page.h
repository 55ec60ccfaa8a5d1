// The common frame of the single-amount per-payment pages (writing remuneration, royalties,
// property lease and the flat-rate pages): one income field with its message label, the
// calculate and reset buttons, and the result lines. Each page supplies its own calculation.
#pragma once

#include <string>

#include "pages/calculator_page.h"

namespace quorvex::tax {
struct PaymentTexts;
}

namespace quorvex::pages {

class PaymentPage : public CalculatorPage {
  Q_OBJECT

 public:
  // Which result lines the page has: the allowance line (减除费用) or not.
  enum class Lines { WithAllowance, WithoutAllowance };

  PaymentPage(Lines lines, QWidget* parent);

  virtual void BtnCalcClick() = 0;
  void BtnResetClick();
  void EditIncomeChange();

 protected:
  // Reads EditIncome (rule Positive, messages in TxtInfo).
  bool ReadIncome(double& payment);
  // Writes every result line the page has, and the notice, from `t`.
  void ShowResults(const tax::PaymentTexts& t);
  static QString Text(const std::string& s) { return QString::fromStdString(s); }

  QLineEdit* EditIncome = nullptr;
  QLabel* TxtInfo = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QLabel* TxtDeduct = nullptr;  // nullptr on the pages without an allowance
  QLabel* TxtTaxIncome = nullptr;
  QLabel* TxtRate = nullptr;
  QLineEdit* EditTax = nullptr;
  QLineEdit* EditRealIncome = nullptr;

 private:
  void BuildControls(Lines lines);
  void ConnectHandlers();
};

}  // namespace quorvex::pages
