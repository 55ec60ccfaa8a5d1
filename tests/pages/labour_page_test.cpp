// The labour remuneration page driven as a user drives it: forwards from the payment,
// backwards from the income after tax.
#include <QtTest>
#include <memory>

#include "app/page_table.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"

using namespace quorvex::testing;

namespace {

constexpr int kLabourRow = 4;
const QString kInvalid = QString::fromUtf8("无效的金额，请重新输入");
const QString kNotPositive = QString::fromUtf8("收入金额需大于零，请重新输入");
const QString kReverseInvalid = QString::fromUtf8("金额无效，请重新输入");
const QString kReverseNotPositive = QString::fromUtf8("应纳税额应大于0。");
const QStringList kCleared{"0.00", "0.00", "0.00", "0.00", "", ""};

}  // namespace

class LabourPageTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> page;
  QLineEdit *income = nullptr, *tax = nullptr, *real = nullptr;
  QLabel *info = nullptr, *info2 = nullptr;
  QPushButton *calc = nullptr, *reverse = nullptr;

  QStringList Results() const {
    QStringList shown;
    for (const char* name : {"TxtDeduct", "TxtTaxIncome", "TxtRate", "TxtQuick"}) {
      shown << Child<QLabel>(page.get(), name)->text();
    }
    return shown << tax->text() << real->text();
  }
  void Forward(const QString& amount) {
    Type(income, amount);
    PressEnter(income);
  }
  void Reverse(const QString& amount) {
    Type(real, amount);
    PressEnter(real);
  }

 private slots:
  void init() {
    page.reset(quorvex::app::CreatePageForRow(kLabourRow, nullptr));
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    income = Child<QLineEdit>(page.get(), "EditIncome");
    tax = Child<QLineEdit>(page.get(), "EditTax");
    real = Child<QLineEdit>(page.get(), "EditRealIncome");
    info = Child<QLabel>(page.get(), "TxtInfo");
    info2 = Child<QLabel>(page.get(), "TxtInfo_2");
    calc = Child<QPushButton>(page.get(), "BtnCalc");
    reverse = Child<QPushButton>(page.get(), "BtnRealIncome");
  }
  void cleanup() { page.reset(); }

  void opensFromItsRowEmptyWithFocusInTheIncome() {
    QCOMPARE(page->objectName(), QString("TFrmLabour"));
    QVERIFY(income->hasFocus());
    QCOMPARE(Results(), kCleared);
    QCOMPARE(info->text(), QString());
    QCOMPARE(info2->text(), QString());
    QCOMPARE(reverse->text(), QString::fromUtf8("反算"));
    QVERIFY(page->findChild<QWidget*>("BtnTax") == nullptr);
  }

  void forwardCalculation_data() {
    QTest::addColumn<QString>("payment");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("taxed");
    QTest::newRow("800 untaxed") << "800" << QStringList{"0.00", "0.00", "0.00", "0.00", "0.00", "800.00"} << false;
    QTest::newRow("800.01 taxed") << "800.01" << QStringList{"800.00", "0.01", "20%", "0.00", "0.00", "800.01"} << true;
    QTest::newRow("4000.01 twenty percent")
        << "4000.01" << QStringList{"800.00", "3200.01", "20%", "0.00", "640.00", "3360.01"} << true;
    QTest::newRow("25000.02 taxable above 20000")
        << "25000.02" << QStringList{"5000.00", "20000.02", "30%", "2000.00", "4000.00", "21000.02"} << true;
    QTest::newRow("62500 taxable at 50000")
        << "62500" << QStringList{"12500.00", "50000.00", "30%", "2000.00", "13000.00", "49500.00"} << true;
    QTest::newRow("100000") << "100000" << QStringList{"20000.00", "80000.00", "40%", "7000.00", "25000.00", "75000.00"}
                            << true;
  }
  void forwardCalculation() {
    QFETCH(QString, payment);
    QFETCH(QStringList, shown);
    QFETCH(bool, taxed);
    Forward(payment);
    QCOMPARE(Results(), shown);
    QCOMPARE(info->text(), QString());
    QVERIFY(income->hasFocus());
    // An untaxed payment leaves the focus where it was and selects nothing.
    QCOMPARE(income->selectedText(), taxed ? income->text() : QString());
  }

  void clickOnAnUntaxedPaymentLeavesTheFocusOnTheButton() {
    Type(income, "800");
    QTest::mouseClick(calc, Qt::LeftButton);
    QCOMPARE(real->text(), QString("800.00"));
    QVERIFY(calc->hasFocus());
    Type(income, "800.01");
    QTest::mouseClick(calc, Qt::LeftButton);
    QVERIFY(FocusedAndSelected(income));
  }

  void rejectedPayment_data() {
    QTest::addColumn<QString>("payment");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "" << kInvalid;
    QTest::newRow("letters") << "abc" << kInvalid;
    QTest::newRow("zero") << "0" << kNotPositive;
    QTest::newRow("negative") << "-5" << kNotPositive;
  }
  void rejectedPayment() {
    QFETCH(QString, payment);
    QFETCH(QString, message);
    Forward("10000");
    Forward(payment);
    QCOMPARE(info->text(), message);
    QCOMPARE(Results(), kCleared);
    QVERIFY(income->hasFocus());
    QCOMPARE(income->selectedText(), income->text());
  }

  void reverseCalculation_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("payment");
    QTest::addColumn<QString>("taxShown");
    QTest::addColumn<QString>("realShown");
    QTest::newRow("500 untaxed band") << "500"
                                      << "500"
                                      << "0.00"
                                      << "500.00";
    QTest::newRow("900 fixed allowance band") << "900"
                                              << "925"
                                              << "25.00"
                                              << "900.00";
    QTest::newRow("3360 band bound") << "3360"
                                     << "4000"
                                     << "640.00"
                                     << "3360.00";
    QTest::newRow("5000") << "5000"
                          << "5952.38095238095"
                          << "952.38"
                          << "5000.00";
    QTest::newRow("21000 band bound") << "21000"
                                      << "25000"
                                      << "4000.00"
                                      << "21000.00";
    QTest::newRow("30000") << "30000"
                           << "36842.1052631579"
                           << "6842.11"
                           << "30000.00";
    QTest::newRow("49500 band bound") << "49500"
                                      << "62500"
                                      << "13000.00"
                                      << "49500.00";
    QTest::newRow("60000") << "60000"
                           << "77941.1764705882"
                           << "17941.18"
                           << "60000.00";
  }
  void reverseCalculation() {
    QFETCH(QString, typed);
    QFETCH(QString, payment);
    QFETCH(QString, taxShown);
    QFETCH(QString, realShown);
    Reverse(typed);
    QCOMPARE(income->text(), payment);
    QCOMPARE(tax->text(), taxShown);
    QCOMPARE(real->text(), realShown);
    QCOMPARE(info->text(), QString());
    QCOMPARE(info2->text(), QString());
  }

  void reverseButtonRunsTheForwardCalculation() {
    Type(real, "4200");
    QTest::mouseClick(reverse, Qt::LeftButton);
    QCOMPARE(income->text(), QString("5000"));
    QCOMPARE(Results(), (QStringList{"1000.00", "4000.00", "20%", "0.00", "800.00", "4200.00"}));
    QVERIFY(FocusedAndSelected(income));
    // An untaxed after-tax amount: the forward step does not move the focus.
    Type(real, "700");
    QTest::mouseClick(reverse, Qt::LeftButton);
    QCOMPARE(income->text(), QString("700"));
    QVERIFY(reverse->hasFocus());
  }

  void rejectedReverseKeepsResultsAndThePaymentMessage_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("zero") << "0" << kReverseNotPositive;
    QTest::newRow("negative") << "-1" << kReverseNotPositive;
    QTest::newRow("letters") << "abc" << kReverseInvalid;
    QTest::newRow("payment beyond a double") << "1.7e308" << kReverseInvalid;
  }
  void rejectedReverseKeepsResultsAndThePaymentMessage() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Forward("30000");
    const QStringList before = Results();
    Reverse(typed);
    QCOMPARE(info2->text(), message);
    QVERIFY(real->hasFocus());
    QCOMPARE(real->selectedText(), real->text());
    QCOMPARE(income->text(), QString("30000"));
    QCOMPARE(Results().mid(0, 5), before.mid(0, 5));
  }

  void messageLabelsEmptyOnTheirOwnRules() {
    Forward("abc");
    QCOMPARE(info->text(), kInvalid);
    // The reverse calculation empties nothing before it reads its (empty) field.
    QTest::mouseClick(reverse, Qt::LeftButton);
    QCOMPARE(info2->text(), kReverseInvalid);
    QCOMPARE(info->text(), kInvalid);
    // A change of the payment empties only its own label.
    QTest::keyClicks(income, "1");
    QCOMPARE(info->text(), QString());
    QCOMPARE(info2->text(), kReverseInvalid);
    // A change of the after-tax amount empties both.
    Forward("x");
    QTest::mouseClick(reverse, Qt::LeftButton);
    QCOMPARE(info->text(), kInvalid);
    QCOMPARE(info2->text(), kReverseInvalid);
    QTest::keyClicks(real, "1");
    QCOMPARE(info->text(), QString());
    QCOMPARE(info2->text(), QString());
  }

  void taxFieldIsNeverReadAndResetClearsEverything() {
    Forward("5000");
    Type(tax, "123");
    PressEnter(tax);
    QCOMPARE(income->text(), QString("5000"));
    QCOMPARE(tax->text(), QString("123"));
    Reverse("0");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnReset"), Qt::LeftButton);
    QCOMPARE(income->text(), QString());
    QCOMPARE(Results(), kCleared);
    QCOMPARE(info2->text(), QString());
    QVERIFY(income->hasFocus());
  }

  void tabOrderFollowsThePage() {
    for (const char* name : {"BtnCalc", "BtnReset", "EditTax", "EditRealIncome", "BtnRealIncome"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
    }
  }
};

QTEST_MAIN(LabourPageTest)
#include "labour_page_test.moc"
