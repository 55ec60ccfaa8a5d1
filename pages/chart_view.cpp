#include "pages/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "tax/amount.h"

namespace quorvex::pages {
namespace {

// Room around the plot for the tick labels and the axis titles.
constexpr double kLeft = 72, kRight = 14, kTop = 22, kBottom = 44;
constexpr int kTicks = 5;
// One notch of the wheel narrows the view to this share.
constexpr double kZoomStep = 0.8;

const QColor kPlot(255, 255, 255);
const QColor kGrid(225, 225, 225);
const QColor kCurve(0, 70, 160);
const QColor kZone(255, 0, 0, 38);
const QColor kZoneText(170, 0, 0);
// The marks in the order forms gives them: all salary, the plan, the planned bonus.
const std::array<QColor, 3> kMarks{QColor(0, 110, 200), QColor(0, 150, 60), QColor(220, 110, 0)};

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A round step that cuts `range` into about kTicks parts: 1, 2 or 5 times a power of ten.
double TickStep(double range) {
  const double rough = range / kTicks;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= rough) return m * power;
  }
  return 10 * power;
}

}  // namespace

ChartView::ChartView(const char* name, QWidget* parent) : QWidget(parent) {
  setObjectName(QString::fromLatin1(name));
  setMouseTracking(true);
  setMinimumSize(sizeHint());
}

void ChartView::SetData(forms::ChartData data, Picker picker) {
  data_ = std::move(data);
  picker_ = std::move(picker);
  hover_ = {};
  Describe();
  SetView(0, data_.xMax);
}

void ChartView::Clear() { SetData({}, {}); }

void ChartView::Describe() {
  setAccessibleName(Utf8(data_.name));
  setAccessibleDescription(Utf8(data_.description));
}

void ChartView::SetView(double from, double to) {
  const double end = std::max(data_.xMax, 1.0);
  const double width = std::clamp(to - from, std::max(end * 1e-7, 0.5), end);
  from_ = std::clamp(from, 0.0, end - width);
  to_ = from_ + width;
  FitY();
  update();
}

// The y axis spans what the curve and the marks reach in view; from 0 when the whole axis is
// in view, tight around the curve when zoomed, so that a narrow zone's dip can be seen.
void ChartView::FitY() {
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  const auto take = [&](double y) {
    low = std::min(low, y);
    high = std::max(high, y);
  };
  const std::vector<forms::ChartPoint>& c = data_.curve;
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (c[i].x >= from_ && c[i].x <= to_) take(c[i].y);
    if (i == 0 || c[i].breakBefore) continue;
    for (const double edge : {from_, to_}) {
      if (c[i - 1].x < edge && edge < c[i].x) {
        take(c[i - 1].y + (c[i].y - c[i - 1].y) * (edge - c[i - 1].x) / (c[i].x - c[i - 1].x));
      }
    }
  }
  for (const forms::ChartMark& m : data_.marks) {
    if (m.x >= from_ && m.x <= to_) take(m.y);
  }
  if (!(low <= high)) low = 0, high = 1;
  const bool whole = from_ <= 0 && to_ >= data_.xMax;
  if (whole) low = std::min(low, 0.0);
  const double pad = high > low ? (high - low) * 0.08 : std::max(1.0, std::fabs(high) * 0.05);
  yLow_ = whole && low >= 0 ? low : low - pad;
  yHigh_ = high + pad;
}

QRectF ChartView::PlotArea() const {
  return QRectF(kLeft, kTop, std::max(1.0, width() - kLeft - kRight), std::max(1.0, height() - kTop - kBottom));
}

QPointF ChartView::MapToWidget(double x, double y) const {
  const QRectF a = PlotArea();
  return {a.left() + (x - from_) / (to_ - from_) * a.width(), a.bottom() - (y - yLow_) / (yHigh_ - yLow_) * a.height()};
}

double ChartView::XOf(double px) const {
  const QRectF a = PlotArea();
  return from_ + (px - a.left()) / a.width() * (to_ - from_);
}

void ChartView::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(PlotArea(), kPlot);
  DrawAxes(p);
  p.save();
  p.setClipRect(PlotArea());
  DrawZones(p);
  DrawCurve(p);
  DrawMarks(p);
  p.restore();
  DrawHover(p);
}

void ChartView::DrawAxes(QPainter& p) const {
  const QRectF a = PlotArea();
  const QFontMetrics fm = fontMetrics();
  const auto ticks = [](double low, double high, auto&& each) {
    const double step = TickStep(high - low);
    const auto last = static_cast<long long>(std::floor(high / step + 1e-9));
    for (auto k = static_cast<long long>(std::ceil(low / step)); k <= last; ++k) each(static_cast<double>(k) * step);
  };
  ticks(from_, to_, [&](double t) {
    const double x = MapToWidget(t, yLow_).x();
    p.setPen(kGrid);
    p.drawLine(QPointF(x, a.top()), QPointF(x, a.bottom()));
    p.setPen(palette().color(QPalette::WindowText));
    const QString label = Utf8(tax::FormatGeneral(t));
    const double w = fm.horizontalAdvance(label);
    p.drawText(QPointF(std::clamp(x - w / 2, 0.0, width() - w - 1), a.bottom() + fm.ascent() + 4), label);
  });
  ticks(yLow_, yHigh_, [&](double t) {
    const double y = MapToWidget(from_, t).y();
    p.setPen(kGrid);
    p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
    p.setPen(palette().color(QPalette::WindowText));
    const QString label = Utf8(tax::FormatGeneral(t));
    p.drawText(QPointF(a.left() - fm.horizontalAdvance(label) - 6, y + fm.ascent() / 2.0 - 1), label);
  });
  p.drawRect(a);
  const QString xTitle = Utf8(data_.xTitle);
  p.drawText(QPointF(a.center().x() - fm.horizontalAdvance(xTitle) / 2.0, height() - 6), xTitle);
  p.drawText(QPointF(4, kTop - 8), Utf8(data_.yTitle));
}

void ChartView::DrawZones(QPainter& p) const {
  const QRectF a = PlotArea();
  const QFontMetrics fm = fontMetrics();
  double lastLabel = -std::numeric_limits<double>::infinity();
  for (const forms::ChartSpan& z : data_.zones) {
    const double left = MapToWidget(z.from, yLow_).x();
    const double right = std::max(MapToWidget(z.to, yLow_).x(), left + 1);
    if (right < a.left() || left > a.right()) continue;
    p.fillRect(QRectF(QPointF(left, a.top()), QPointF(right, a.bottom())), kZone);
    // The zone's own text, read downwards along the middle of what shows of its band (turned a
    // quarter, the glyphs stand right of the pen); left out where it would run into the
    // previous zone's, to be read when zoomed in.
    const double middle = (std::max(left, a.left()) + std::min(right, a.right())) / 2;
    const double x = std::clamp(middle - fm.ascent() / 2.0, a.left() + 1, a.right() - fm.height());
    if (x < lastLabel + fm.height()) continue;
    lastLabel = x;
    p.save();
    p.setPen(kZoneText);
    p.translate(x, a.top() + 4);
    p.rotate(90);
    p.drawText(QPointF(0, 0), Utf8(z.text));
    p.restore();
  }
}

void ChartView::DrawCurve(QPainter& p) const {
  const std::vector<forms::ChartPoint>& c = data_.curve;
  p.setPen(QPen(kCurve, 2));
  p.setBrush(kCurve);
  for (std::size_t i = 0; i < c.size(); ++i) {
    const QPointF at = MapToWidget(c[i].x, c[i].y);
    if (i > 0 && !c[i].breakBefore) p.drawLine(MapToWidget(c[i - 1].x, c[i - 1].y), at);
    // Both sides of a jump are splits of their own: a dot on each.
    const bool jumpSide = c[i].breakBefore || (i + 1 < c.size() && c[i + 1].breakBefore);
    if (jumpSide) p.drawEllipse(at, 2.5, 2.5);
  }
}

void ChartView::DrawMarks(QPainter& p) const {
  const QRectF a = PlotArea();
  const QFontMetrics fm = fontMetrics();
  const auto colourOf = [](std::size_t i) { return kMarks[std::min(i, kMarks.size() - 1)]; };
  for (std::size_t i = 0; i < data_.marks.size(); ++i) {
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(colourOf(i));
    p.drawEllipse(MapToWidget(data_.marks[i].x, data_.marks[i].y), 5.5, 5.5);
  }
  // Each label beside its mark, above it when the mark is low and below when high (or when the
  // curve leaves room there), moved on
  // away from the mark while it would cover a label already placed; kept inside the plot.
  std::vector<QRectF> placed;
  for (std::size_t i = 0; i < data_.marks.size(); ++i) {
    const QPointF at = MapToWidget(data_.marks[i].x, data_.marks[i].y);
    const QString label = Utf8(data_.marks[i].label);
    QRectF box(0, 0, fm.horizontalAdvance(label) + 8, fm.height() + 2);
    const bool roomBelow = at.y() + 8 + box.height() < a.bottom();
    const double away = (data_.marks[i].labelBelow && roomBelow) || at.y() <= a.center().y() ? 1 : -1;
    const double first = away < 0 ? -box.height() - 8 : 8;
    for (int tries = 0; tries < 6; ++tries) {
      const double dy = first + away * tries * (box.height() + 2);
      box.moveTopLeft(QPointF(std::clamp(at.x() + 8, a.left() + 2, a.right() - box.width() - 2),
                              std::clamp(at.y() + dy, a.top() + 2, a.bottom() - box.height() - 2)));
      if (std::none_of(placed.begin(), placed.end(), [&](const QRectF& r) { return r.intersects(box); })) break;
    }
    placed.push_back(box);
    const QColor colour = colourOf(i);
    p.setPen(colour);
    p.drawLine(at, QPointF(box.left(), away < 0 ? box.bottom() : box.top()));
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawRect(box);
    p.setPen(colour.darker(130));
    p.drawText(box, Qt::AlignCenter, label);
  }
}

// The point under the pointer ringed, its words in the margin above the plot, right-aligned.
void ChartView::DrawHover(QPainter& p) const {
  if (!hover_.shown) return;
  const QRectF a = PlotArea();
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(Qt::NoBrush);
  if (a.contains(hover_.at)) p.drawEllipse(hover_.at, 6, 6);
  p.drawText(QRectF(a.left(), 0, a.width(), kTop - 2), Qt::AlignRight | Qt::AlignVCenter, hover_.text);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
  const bool inside = picker_ && PlotArea().contains(event->position());
  hover_.shown = inside;
  if (inside) {
    const forms::ChartPick pick = picker_(XOf(event->position().x()));
    hover_.at = MapToWidget(pick.x, pick.y);
    hover_.text = Utf8(pick.text);
  }
  update();
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !picker_ || !PlotArea().contains(event->position())) return;
  if (onPick) onPick(picker_(XOf(event->position().x())));
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* /*event*/) { SetView(0, data_.xMax); }

void ChartView::leaveEvent(QEvent* /*event*/) {
  hover_.shown = false;
  update();
}

// The wheel narrows or widens the x axis about the value under the pointer.
void ChartView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || data_.curve.empty()) return;
  const double at = XOf(std::clamp(event->position().x(), PlotArea().left(), PlotArea().right()));
  const double share = std::pow(kZoomStep, notches);
  SetView(at - (at - from_) * share, at + (to_ - at) * share);
  event->accept();
}

}  // namespace quorvex::pages
