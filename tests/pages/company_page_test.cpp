// The individual business page driven as a user drives it.
#include <QtTest>
#include <memory>

#include "pages/frm_company.h"
#include "support/gui_test.h"

using quorvex::pages::TFrmCompany;
using namespace quorvex::testing;

class CompanyPageTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmCompany> page;
  QLineEdit *income = nullptr, *tax = nullptr, *real = nullptr;
  QLabel *info = nullptr, *taxIncome = nullptr, *rate = nullptr, *deduct = nullptr;

  void Calc(const QString& amount) {
    Type(income, amount);
    PressEnter(income);
  }
  QStringList Results() const { return {taxIncome->text(), rate->text(), deduct->text(), tax->text(), real->text()}; }
  const QStringList kCleared{"0.00", "0.00", "0.00", "", ""};

 private slots:
  void init() {
    page = std::make_unique<TFrmCompany>();
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    income = Child<QLineEdit>(page.get(), "EditIncome");
    tax = Child<QLineEdit>(page.get(), "EditTax");
    real = Child<QLineEdit>(page.get(), "EditRealIncome");
    info = Child<QLabel>(page.get(), "TxtInfo");
    taxIncome = Child<QLabel>(page.get(), "TxtTaxIncome");
    rate = Child<QLabel>(page.get(), "TxtRate");
    deduct = Child<QLabel>(page.get(), "TxtDeduct");
  }
  void cleanup() { page.reset(); }

  void showsAnEmptyPageWithFocusInTheIncomeField() {
    QVERIFY(income->hasFocus());
    QCOMPARE(Results(), kCleared);
    QCOMPARE(info->text(), QString());
  }

  void calculation_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("one yuan") << "1" << QStringList{"1.00", "5%", "0", "0.05", "0.95"};
    QTest::newRow("one fen") << "0.01" << QStringList{"0.01", "5%", "0", "0.00", "0.01"};
    QTest::newRow("at 15000") << "15000" << QStringList{"15000.00", "5%", "0", "750.00", "14250.00"};
    QTest::newRow("above 15000") << "15000.01" << QStringList{"15000.01", "10%", "750", "750.00", "14250.01"};
    QTest::newRow("at 30000") << "30000" << QStringList{"30000.00", "10%", "750", "2250.00", "27750.00"};
    QTest::newRow("above 30000") << "30000.01" << QStringList{"30000.01", "20%", "3750", "2250.00", "27750.01"};
    QTest::newRow("50000") << "50000" << QStringList{"50000.00", "20%", "3750", "6250.00", "43750.00"};
    QTest::newRow("above 60000") << "60000.01" << QStringList{"60000.01", "30%", "9750", "8250.00", "51750.01"};
    QTest::newRow("at 100000") << "100000" << QStringList{"100000.00", "30%", "9750", "20250.00", "79750.00"};
    QTest::newRow("120000") << "1.2e5" << QStringList{"120000.00", "35%", "14750", "27250.00", "92750.00"};
  }
  void calculation() {
    QFETCH(QString, amount);
    QFETCH(QStringList, shown);
    Calc(amount);
    QCOMPARE(Results(), shown);
    QCOMPARE(info->text(), QString());
    QVERIFY(FocusedAndSelected(income));
  }

  void rejectedInput_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "无效的金额，请重新输入";
    QTest::newRow("letters") << "abc"
                             << "无效的金额，请重新输入";
    QTest::newRow("zero") << "0"
                          << "收入金额需大于零，请重新输入";
    QTest::newRow("negative") << "-100"
                              << "收入金额需大于零，请重新输入";
  }
  void rejectedInput() {
    QFETCH(QString, amount);
    QFETCH(QString, message);
    Calc("1");  // quick deduction "0" on show, to see it become "0.00"
    Calc(amount);
    QCOMPARE(info->text(), message);
    QCOMPARE(Results(), kCleared);
    QVERIFY(income->hasFocus());
    QCOMPARE(income->selectedText(), income->text());
  }

  void buttonsCalculateAndReset() {
    Type(income, " 20000\t");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnCalc"), Qt::LeftButton);
    QCOMPARE(income->text(), QString("20000"));
    QCOMPARE(deduct->text(), QString("750"));
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnReset"), Qt::LeftButton);
    QCOMPARE(Results(), kCleared);
    QCOMPARE(income->text(), QString());
    QVERIFY(income->hasFocus());
  }

  void editingEmptiesTheMessageButKeepsResults() {
    Calc("50000");
    Calc("x");
    QCOMPARE(info->text(), QString("无效的金额，请重新输入"));
    QTest::keyClick(income, Qt::Key_Backspace);
    QCOMPARE(info->text(), QString());
    Calc("50000");
    QTest::keyClicks(income, "9");
    QCOMPARE(Results(), (QStringList{"50000.00", "20%", "3750", "6250.00", "43750.00"}));
  }

  void resultFieldsIgnoreEnter() {
    Calc("1");
    Type(tax, "abc");
    PressEnter(tax);
    Type(real, "0");
    PressEnter(real);
    QCOMPARE(info->text(), QString());
    QCOMPARE(taxIncome->text(), QString("1.00"));
  }

  void tabOrderFollowsThePage() {
    income->setFocus();
    for (const char* name : {"BtnCalc", "BtnReset", "EditTax", "EditRealIncome"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
    }
  }
};

QTEST_MAIN(CompanyPageTest)
#include "company_page_test.moc"
