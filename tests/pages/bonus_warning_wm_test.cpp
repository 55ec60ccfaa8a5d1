// The blind-zone warning as a real box in a real X session: answered from the keyboard, it
// gives the focus back to the page as a user sees it.
#include <QMessageBox>
#include <QtTest>
#include <memory>

#include "app/frm_main.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"

using quorvex::app::TFrmMain;
using namespace quorvex::testing;

class BonusWarningWmTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;

  // Answers the next warning box with Enter once it is active; counts the boxes.
  int boxes = 0;
  QTimer answer;

  QLineEdit* Field(const char* name) { return Child<QLineEdit>(window->CurrentPage(), name); }
  void ChooseRow(int row) {
    Child<QComboBox>(window.get(), "CmbType")->setCurrentIndex(row);
    QTRY_VERIFY(window->isActiveWindow());
  }

 private slots:
  void init() {
    boxes = 0;
    answer.setInterval(50);
    connect(&answer, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isActiveWindow()) return;
      ++boxes;
      QTest::keyClick(box, Qt::Key_Return);
    });
    answer.start();
    window = std::make_unique<TFrmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  void cleanup() {
    answer.stop();
    disconnect(&answer, nullptr, this, nullptr);
    window.reset();
  }

  void yearPageTakesTheFocusBackIntoTheBonusField() {
    ChooseRow(1);
    QLineEdit* income = Field("EditIncome");
    QTRY_VERIFY(income->hasFocus());
    QTest::keyClicks(income, "18000.01");
    QTest::keyClick(income, Qt::Key_Return);
    QCOMPARE(boxes, 1);
    QTRY_VERIFY(window->isActiveWindow());
    QTRY_VERIFY(FocusedAndSelected(income));
    QCOMPARE(Child<QLabel>(window->CurrentPage(), "TxtInfo_1")->text(), QString("进入盲区：( 18,000, 19,283.33 ]"));
    QCOMPARE(Field("EditRealIncome")->text(), QString("16305.01"));
  }

  void awardPageLeavesTheFocusWhereItWas() {
    ChooseRow(2);
    QLineEdit* salary = Field("EditSalary");
    Type(Field("EditYear"), "19500");
    Type(salary, "3000");
    QTest::keyClick(salary, Qt::Key_Return);
    QCOMPARE(boxes, 1);
    QTRY_VERIFY(window->isActiveWindow());
    QTRY_VERIFY(salary->hasFocus());
    QVERIFY(!salary->hasSelectedText());
    QCOMPARE(Child<QLabel>(window->CurrentPage(), "TxtRealIncomeAll")->text(), QString("20705.00"));
  }
};

QTEST_MAIN(BonusWarningWmTest)
#include "bonus_warning_wm_test.moc"
