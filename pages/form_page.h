// A calculator page built from its category's entry in the category table: its amount fields
// with their message labels, the threshold or month list, the buttons and the result lines.
// Every handler reads the fields, asks the page logic for the outcome and shows it.
#pragma once

#include <QStringList>
#include <array>

#include "forms/categories.h"
#include "forms/compute.h"
#include "pages/calculator_page.h"

namespace quorvex::pages {

class FormPage : public CalculatorPage {
  Q_OBJECT

 public:
  // The handlers. A page without the control concerned has no use for them.
  void BtnCalcClick() { Calculate(forms::Kind::kForward); }
  void BtnTaxClick() { Calculate(forms::Kind::kFromTax); }
  void BtnRealIncomeClick();
  void BtnResetClick();
  void EditIncomeChange() { Changed(forms::Field::kIncome); }
  void EditSafeChange() { Changed(forms::Field::kContributions); }
  void EditTaxChange() { Changed(forms::Field::kTax); }
  void EditRealIncomeChange() { Changed(forms::Field::kAfterTax); }

 protected:
  // How the result lines are laid out: one line a row, or by the page itself.
  enum class Lines { kRows, kOwn };

  FormPage(forms::CategoryId id, QWidget* parent, Lines lines = Lines::kRows);

  // "1" to "12", the entries of the month list.
  static QStringList MonthEntries();

  const forms::Category& Category() const { return category_; }
  QComboBox* List() const { return list_; }
  QWidget* LineControl(forms::Line line) const { return lineControls_[static_cast<std::size_t>(line)]; }
  // The grid, and its first row after the results heading.
  QGridLayout* Grid() const { return grid_; }
  int LinesRow() const { return linesRow_; }

 private:
  void CreateControls();
  void LayOut(Lines lines);
  void ConnectHandlers();
  void Calculate(forms::Kind kind);
  void Show(const forms::Outcome& outcome);
  void ShowLines(const forms::Outcome& outcome, std::size_t from, std::size_t to);
  void Changed(forms::Field field);
  QLineEdit* Edit(forms::Field field) const { return edits_[forms::Index(field)]; }
  QLabel* Message(forms::Field field) const { return messages_[forms::Index(field)]; }

  const forms::Category& category_;
  std::array<QLineEdit*, forms::kFieldCount> edits_{};
  std::array<QLabel*, forms::kFieldCount> messages_{};
  std::array<QWidget*, forms::kLineCount> lineControls_{};
  std::array<QPushButton*, forms::kLineCount> reverseButtons_{};
  QComboBox* list_ = nullptr;
  QPushButton* BtnCalc = nullptr;
  QPushButton* BtnReset = nullptr;
  QGridLayout* grid_ = nullptr;
  int linesRow_ = 0;
};

}  // namespace quorvex::pages
