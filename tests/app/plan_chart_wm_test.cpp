// The planner's chart on a real screen (Xvfb with openbox): the pixels the X server holds show
// the curve, and the plan's mark where the figures the dialog writes map to.
#include <QScreen>
#include <QtTest>

#include "pages/chart_view.h"
#include "pages/frm_plan.h"
#include "support/gui_test.h"

using quorvex::pages::ChartView;
using quorvex::pages::TFrmPlan;
using namespace quorvex::testing;

namespace {

// Whether some pixel within `radius` of `at` is within `slack` of `colour` in every channel:
// the curve's edges are smoothed.
bool ColourNear(const QImage& screen, QPoint at, const QColor& colour, int radius = 2, int slack = 40) {
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      const QColor c = screen.pixelColor(at + QPoint(dx, dy));
      if (std::abs(c.red() - colour.red()) <= slack && std::abs(c.green() - colour.green()) <= slack &&
          std::abs(c.blue() - colour.blue()) <= slack)
        return true;
    }
  }
  return false;
}

}  // namespace

class PlanChartWmTest : public QObject {
  Q_OBJECT

 private slots:
  void theScreenShowsTheCurveAndThePlanWhereItsFiguresLie() {
    TFrmPlan dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog, kWindowSystemMs));
    auto* annual = Child<QLineEdit>(&dialog, "EditIncome");
    Type(annual, "120000");
    PressEnter(annual);
    auto* chart = Child<ChartView>(&dialog, "ChartPlan");
    const auto onScreen = [&] {
      const QPoint origin = chart->mapToGlobal(QPoint(0, 0));
      return dialog.screen()->grabWindow(0, origin.x(), origin.y(), chart->width(), chart->height()).toImage();
    };

    // The plan's mark where its figures, as the dialog writes them, map to, once the chart is
    // drawn and handed to the X server (however long that takes on a busy machine).
    const double bonus = Child<QLabel>(&dialog, "TxtBonus")->text().toDouble();
    const double total = Child<QLabel>(&dialog, "TxtTaxTotal")->text().toDouble();
    QCOMPARE(bonus, 18000.0);
    QTRY_VERIFY_WITH_TIMEOUT(
        ColourNear(onScreen(), chart->MapToWidget(bonus, total).toPoint(), QColor(0, 150, 60), 0, 8), kWindowSystemMs);
    const QImage screen = onScreen();
    QCOMPARE(screen.size(), chart->size());
    // The flat run from a bonus of 24,000 to 54,000 is drawn, and nothing spans the jump from
    // 54,000.00 to 54,000.12 above it.
    QVERIFY(ColourNear(screen, chart->MapToWidget(40000, 6435).toPoint(), QColor(0, 70, 160)));
    QVERIFY(!ColourNear(screen, chart->MapToWidget(54000, 9000).toPoint(), QColor(0, 70, 160), 1));
  }
};

QTEST_MAIN(PlanChartWmTest)
#include "plan_chart_wm_test.moc"
