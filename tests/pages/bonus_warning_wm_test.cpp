// The blind-zone warning as a real box in a real X session: answered from the keyboard, it
// gives the focus back to the page as a user sees it.
#include <QMessageBox>
#include <QtTest>
#include <memory>

#include "app/frm_main.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"
#include "support/modal_answerer.h"

using quorvex::app::TFrmMain;
using namespace quorvex::testing;

class BonusWarningWmTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;

  // Expects one warning box and answers it with Enter once it is active.
  void ExpectWarning(ModalAnswerer& answers) {
    answers.Expect<QMessageBox>([](QMessageBox* box) {
      QTRY_VERIFY_WITH_TIMEOUT(box->isActiveWindow(), kWindowSystemMs);
      QTest::keyClick(box, Qt::Key_Return);
    });
  }

  QLineEdit* Field(const char* name) { return Child<QLineEdit>(window->CurrentPage(), name); }
  void ChooseRow(int row) {
    Child<QComboBox>(window.get(), "CmbType")->setCurrentIndex(row);
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
  }

 private slots:
  void init() {
    window = std::make_unique<TFrmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get(), kWindowSystemMs));
  }
  void cleanup() { window.reset(); }

  void yearPageTakesTheFocusBackIntoTheBonusField() {
    ChooseRow(1);
    QLineEdit* income = Field("EditIncome");
    QTRY_VERIFY_WITH_TIMEOUT(income->hasFocus(), kWindowSystemMs);
    QTest::keyClicks(income, "18000.01");
    ModalAnswerer answers;
    ExpectWarning(answers);
    QTest::keyClick(income, Qt::Key_Return);
    QVERIFY(answers.AllAnswered());
    QCOMPARE(answers.StrayCount(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
    QTRY_VERIFY_WITH_TIMEOUT(FocusedAndSelected(income), kWindowSystemMs);
    QCOMPARE(Child<QLabel>(window->CurrentPage(), "TxtInfo_1")->text(), QString("进入盲区：( 18,000, 19,283.33 ]"));
    QCOMPARE(Field("EditRealIncome")->text(), QString("16305.01"));
  }

  void awardPageLeavesTheFocusWhereItWas() {
    ChooseRow(2);
    QLineEdit* salary = Field("EditSalary");
    Type(Field("EditYear"), "19500");
    Type(salary, "3000");
    ModalAnswerer answers;
    ExpectWarning(answers);
    QTest::keyClick(salary, Qt::Key_Return);
    QVERIFY(answers.AllAnswered());
    QCOMPARE(answers.StrayCount(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
    QTRY_VERIFY_WITH_TIMEOUT(salary->hasFocus(), kWindowSystemMs);
    QVERIFY(!salary->hasSelectedText());
    QCOMPARE(Child<QLabel>(window->CurrentPage(), "TxtRealIncomeAll")->text(), QString("20705.00"));
  }
};

QTEST_MAIN(BonusWarningWmTest)
#include "bonus_warning_wm_test.moc"
