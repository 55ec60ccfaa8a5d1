// The year-end bonus planner: a modal dialog of the main window's 工具 menu that finds the
// split of a year's pay between monthly salary and year-end bonus with the least tax. The
// dialog holds one page on the common page base, which reads the fields, asks
// forms::ComputePlan() and shows the outcome.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "forms/categories.h"
#include "forms/compute.h"
#include "pages/calculator_page.h"
#include "tax/planner.h"

class QImage;
class QTabWidget;

namespace quorvex::pages {

// The planner's fields with their messages, the threshold, the button and the plan's lines,
// the comparisons' lines each in the box of what they compare.
class PlanPage final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit PlanPage(QWidget* parent);

  void BtnCalcClick();
  // Empties the fields, the messages and the results; the threshold back to the usual one and
  // the focus into the year's pay.
  void BtnResetClick();
  // Puts `amount` into 原计划年终奖 and computes.
  void PlanBonus(const QString& amount);

  // Told the year after each 计算 and 重置: none when an input was rejected or all was reset.
  std::function<void(const std::optional<tax::PlanInput>&)> onPlanned;

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
  QPushButton* BtnReset = nullptr;
};

class BonusChartTab;
class ChartView;

// Saves a picture where the user chooses, as the window's own capture is saved.
using PictureSaver = std::function<void(QWidget* owner, const QImage& picture)>;

// The dialog: the planner's page beside its two pictures (the year's total tax against the
// bonus, and the bonus alone), 保存图片 and 关闭 below.
class TFrmPlan final : public QDialog {
  Q_OBJECT

 public:
  explicit TFrmPlan(QWidget* owner, PictureSaver savePicture = {});

  void BtnCalcClick() { page_->BtnCalcClick(); }
  // The picture in view, saved through the saver given (nothing without one).
  void BtnSaveClick();

 private:
  void ShowPlan(const std::optional<tax::PlanInput>& in);
  QWidget* CreateButtons();

  PictureSaver savePicture_;
  PlanPage* page_;
  QTabWidget* Tabs = nullptr;
  ChartView* ChartPlan = nullptr;
  BonusChartTab* bonusTab_ = nullptr;
};

}  // namespace quorvex::pages
