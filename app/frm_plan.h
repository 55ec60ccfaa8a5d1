// The year-end bonus planner: a modal dialog of the main window's 工具 menu that finds the
// split of a year's pay between monthly salary and year-end bonus with the least tax. It
// reads its fields, asks forms::ComputePlan() and shows the outcome, like a calculator page.
#pragma once

#include <QDialog>
#include <vector>

#include "forms/categories.h"
#include "forms/compute.h"

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvex::app {

class TFrmPlan final : public QDialog {
  Q_OBJECT

 public:
  explicit TFrmPlan(QWidget* owner);

  void BtnCalcClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Input {
    forms::Field field;
    QLineEdit* edit;
    QLabel* message;
  };
  struct Result {
    forms::Line line;
    QLabel* label;
  };

  void CreateInputs(QGridLayout* grid);
  void CreateResults(QGridLayout* grid, int row);
  QLabel* AddResult(QGridLayout* grid, int row, const forms::ResultLine& line);
  QLineEdit* EditOf(forms::Field field) const;
  QLabel* MessageOf(forms::Field field) const;
  void ClearMessages();
  void ClearResults();
  void Show(const forms::Outcome& outcome);

  const forms::Category& plan_;
  std::vector<Input> inputs_;
  std::vector<Result> results_;
  QComboBox* CmbPoint = nullptr;
  QPushButton* BtnCalc = nullptr;
};

}  // namespace quorvex::app
