// The main window in a real X session with a window manager: placement, frame, stacking and
// keyboard focus are only real there.
#include <QAction>
#include <QProcess>
#include <QScreen>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "app/frm_main.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"

using quorvex::app::TFrmMain;
using namespace quorvex::testing;

namespace {

// The window manager's record of the window's stacking state.
bool WindowManagerKeepsAbove(const QWidget* w) {
  QProcess xprop;
  xprop.start("xprop", {"-id", QString::number(w->winId()), "_NET_WM_STATE"});
  xprop.waitForFinished(5000);
  return QString::fromLatin1(xprop.readAllStandardOutput()).contains("_NET_WM_STATE_ABOVE");
}

QString FocusName() {
  QWidget* w = QApplication::focusWidget();
  return w != nullptr ? w->objectName() : QString();
}

}  // namespace

class MainWindowWmTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;

 private slots:
  void init() {
    window = std::make_unique<TFrmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get(), kWindowSystemMs));
  }
  void cleanup() { window.reset(); }

  void opensCentredFramedAndFocused() {
    // The window manager reports its frame a little after mapping the window.
    QTRY_VERIFY2_WITH_TIMEOUT(window->windowHandle()->frameGeometry().width() >= 480 &&
                                  window->windowHandle()->frameGeometry().height() >= 600,
                              qPrintable(QString("frame %1x%2, inner %3x%4")
                                             .arg(window->windowHandle()->frameGeometry().width())
                                             .arg(window->windowHandle()->frameGeometry().height())
                                             .arg(window->width())
                                             .arg(window->height())),
                              10000);
    const QRect frame = window->windowHandle()->frameGeometry();
    const QPoint centre = window->screen()->availableGeometry().center();
    QVERIFY(qAbs(frame.center().x() - centre.x()) <= 16);
    QVERIFY(qAbs(frame.center().y() - centre.y()) <= 40);
    QCOMPARE(FocusName(), QString("EditIncome"));
  }

  void stackingFollowsTheMenuEntry() {
    QTRY_VERIFY_WITH_TIMEOUT(WindowManagerKeepsAbove(window.get()), kWindowSystemMs);
    auto* top = Child<QAction>(window.get(), "Menu_Tool_Top");
    top->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
    QTRY_VERIFY_WITH_TIMEOUT(!WindowManagerKeepsAbove(window.get()), kWindowSystemMs);
    QTRY_COMPARE_WITH_TIMEOUT(FocusName(), QString("EditIncome"), kWindowSystemMs);
    top->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
    QTRY_VERIFY_WITH_TIMEOUT(WindowManagerKeepsAbove(window.get()), kWindowSystemMs);
    QVERIFY(top->isChecked());
    QTRY_COMPARE_WITH_TIMEOUT(FocusName(), QString("EditIncome"), kWindowSystemMs);
  }

  void typingAfterTheStackingChangeGoesToThePage() {
    Child<QAction>(window.get(), "Menu_Tool_Top")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(FocusName(), QString("EditIncome"), kWindowSystemMs);
    auto* income = Child<QLineEdit>(window->CurrentPage(), "EditIncome");
    QTest::keyClicks(QApplication::focusWidget(), "5000");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(income->text(), QString("5000"));
    QCOMPARE(Child<QLineEdit>(window->CurrentPage(), "EditTax")->text(), QString("45.00"));
  }
};

QTEST_MAIN(MainWindowWmTest)
#include "main_window_wm_test.moc"
