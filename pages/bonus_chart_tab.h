// The planner's second picture: the year-end bonus's after-tax amount against the bonus, with
// the six blind zones, a range box that brings each zone into view, and a field whose bonus is
// marked with its after-tax amount.
#pragma once

#include "pages/calculator_page.h"
#include "pages/chart_view.h"

namespace quorvex::pages {

class BonusChartTab final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit BonusChartTab(QWidget* parent);

  ChartView* Chart() const { return ChartBonus; }

  // Marks the bonus typed into EditBonus (an empty field: none); a rejected text is said beside
  // the field, which takes the focus.
  void BtnMarkClick();
  // Shows the whole axis (entry 0) or a blind zone with some room on both sides.
  void CmbRangeChange(int entry);

 private:
  QLineEdit* EditBonus = nullptr;
  QLabel* TxtInfo = nullptr;
  QPushButton* BtnMark = nullptr;
  QComboBox* CmbRange = nullptr;
  ChartView* ChartBonus = nullptr;
};

}  // namespace quorvex::pages
