// Page switch time in the real main window: choosing a row of the category list destroys the
// current page, creates the row's page and shows it (its show step runs). Measured twice per
// switch: until the switch returns, and until the new page has also been painted (a
// synchronous repaint of the page area). Every row of the list is visited in turn, so
// separator rows and all thirteen pages are in the mix.
//   page_switch [SWITCHES]    (default 2000; run under a display, e.g. through with_wm.sh)
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/frm_main.h"
#include "app/page_table.h"
#include "pages/calculator_page.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Summary {
  double median, p95, max;
};

Summary Summarise(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const auto at = [&ms](double q) { return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1))]; };
  return {at(0.5), at(0.95), ms.back()};
}

double Since(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const int switches = argc > 1 ? std::max(16, static_cast<int>(std::strtol(argv[1], nullptr, 10))) : 2000;
  quorvex::app::TFrmMain window;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    std::fprintf(stderr, "page_switch: the window was not shown\n");
    return 1;
  }
  auto* list = window.findChild<QComboBox*>(QStringLiteral("CmbType"));
  if (list == nullptr) return 1;

  std::vector<double> shown;
  std::vector<double> painted;
  for (int i = 1; i <= switches; ++i) {
    const Clock::time_point t0 = Clock::now();
    list->setCurrentIndex(i % quorvex::app::kListRowCount);
    shown.push_back(Since(t0));
    window.CurrentPage()->parentWidget()->repaint();
    painted.push_back(Since(t0));
    QApplication::processEvents();  // let deferred deletions and window-system events through
  }
  const Summary s = Summarise(shown);
  const Summary p = Summarise(painted);
  std::printf("page switch, %d switches across all %d rows (ms)      median    p95    max\n", switches,
              quorvex::app::kListRowCount);
  std::printf("  old page destroyed, new page shown             %7.3f %7.3f %7.3f\n", s.median, s.p95, s.max);
  std::printf("  ... and painted                                 %7.3f %7.3f %7.3f\n", p.median, p.p95, p.max);
  return 0;
}
