// The year-end bonus planner: a modal dialog of the main window's 工具 menu that finds the
// split of a year's pay between monthly salary and year-end bonus with the least tax. The
// dialog holds one page on the common page base, which reads the fields, asks
// forms::ComputePlan() and shows the outcome.
#pragma once

#include <QDialog>
#include <array>
#include <utility>
#include <vector>

#include "forms/categories.h"
#include "forms/compute.h"
#include "pages/calculator_page.h"

namespace quorvex::pages {

// The planner's fields with their messages, the threshold, the button and the plan's lines,
// the comparisons' lines each in the box of what they compare.
class PlanPage final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit PlanPage(QWidget* parent);

  void BtnCalcClick();

 private:
  int CreateInputs(QGridLayout* grid);
  void CreateResults(QGridLayout* grid, int row);
  void AddResult(QGridLayout* grid, int row, const forms::ResultLine& line);
  void Show(const forms::Outcome& outcome);

  const forms::Category& plan_;
  std::array<QLineEdit*, forms::kFieldCount> edits_{};
  std::array<QLabel*, forms::kFieldCount> messages_{};
  std::vector<std::pair<forms::Line, QLabel*>> results_;
  QComboBox* CmbPoint = nullptr;
  QPushButton* BtnCalc = nullptr;
};

class TFrmPlan final : public QDialog {
  Q_OBJECT

 public:
  explicit TFrmPlan(QWidget* owner);

  void BtnCalcClick() { page_->BtnCalcClick(); }

 private:
  PlanPage* page_;
};

}  // namespace quorvex::pages
