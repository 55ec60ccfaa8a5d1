// A chart drawn with QPainter: one polyline broken where it jumps, shaded and labelled zones,
// labelled marks, the point under the pointer in words, a click to pick it, and the wheel to
// zoom the x axis. The figures and texts come from forms; the view only places them.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <functional>

#include "forms/plan_chart.h"

namespace quorvex::pages {

class ChartView final : public QWidget {
  Q_OBJECT

 public:
  // What the curve is at an x value: the point and its words (forms::PlanChartPoint and the like).
  using Picker = std::function<forms::ChartPick(double x)>;

  explicit ChartView(const char* name, QWidget* parent = nullptr);

  // SetData() shows `data` (an empty curve: nothing but the frame), the whole x axis in view.
  void SetData(forms::ChartData data, Picker picker);
  void Clear();
  const forms::ChartData& Data() const { return data_; }

  // The x range in view; SetView() keeps it within the axis.
  void SetView(double from, double to);
  double ViewFrom() const { return from_; }
  double ViewTo() const { return to_; }

  // Where a value of the curve is drawn, in the widget's coordinates.
  QPointF MapToWidget(double x, double y) const;
  // The words of the point last under the pointer ("" when none).
  const QString& HoverText() const { return hover_.text; }

  // Called with the point a click picked.
  std::function<void(const forms::ChartPick&)> onPick;

  QSize sizeHint() const override { return {460, 340}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct Hover {
    bool shown = false;
    QPointF at;
    QString text;
  };

  QRectF PlotArea() const;
  double XOf(double px) const;
  void FitY();
  void DrawAxes(QPainter& p) const;
  void DrawZones(QPainter& p) const;
  void DrawCurve(QPainter& p) const;
  void DrawMarks(QPainter& p) const;
  void DrawHover(QPainter& p) const;
  void Describe();

  forms::ChartData data_;
  Picker picker_;
  double from_ = 0, to_ = 1;
  double yLow_ = 0, yHigh_ = 1;
  Hover hover_;
};

}  // namespace quorvex::pages
