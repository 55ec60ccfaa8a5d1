// The contracted operation page in the main window under a real window manager, where a
// stacking change and a window shown again are real events of the window system.
#include <QAbstractItemView>
#include <QAction>
#include <QtTest>
#include <memory>

#include "app/frm_main.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"

using quorvex::app::TFrmMain;
using namespace quorvex::testing;

namespace {

const QStringList kMonths{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

}  // namespace

class ContractPageWmTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;
  QComboBox* months = nullptr;
  QLineEdit* income = nullptr;

 private slots:
  void init() {
    window = std::make_unique<TFrmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get(), kWindowSystemMs));
    Child<QComboBox>(window.get(), "CmbType")->setCurrentIndex(11);
    months = Child<QComboBox>(window->CurrentPage(), "CmbMonth");
    income = Child<QLineEdit>(window->CurrentPage(), "EditIncome");
  }
  void cleanup() { window.reset(); }

  void stackingChangesLeaveTwelveMonths() {
    auto* top = Child<QAction>(window.get(), "Menu_Tool_Top");
    for (int i = 0; i < 4; ++i) {
      top->trigger();
      QCOMPARE(Entries(months), kMonths);
    }
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
    QCOMPARE(QApplication::focusWidget(), income);
  }

  void windowShownAgainRunsTheShowStep() {
    for (int round = 0; round < 2; ++round) {
      months->setCurrentText("7");
      window->hide();
      window->show();
      QVERIFY(QTest::qWaitForWindowExposed(window.get(), kWindowSystemMs));
      QCOMPARE(Entries(months), kMonths);
      QCOMPARE(months->currentText(), QString("12"));
      // Whether the window manager activates the window again is its own affair; the focus
      // the window gives away when it is active is the page's.
      QCOMPARE(window->focusWidget(), income);
    }
  }

  void openListShowsAllTwelveRows() {
    months->showPopup();
    QAbstractItemView* view = months->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), kWindowSystemMs);
    QCOMPARE(view->viewport()->height() / view->sizeHintForRow(0), 12);
    QTest::keyClick(view, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!view->isVisible(), kWindowSystemMs);
    QCOMPARE(months->currentText(), QString("12"));
  }
};

QTEST_MAIN(ContractPageWmTest)
#include "contract_page_wm_test.moc"
