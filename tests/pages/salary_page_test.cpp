// The wages-and-salaries page driven as a user drives it: typing, Enter, buttons.
#include <QAccessible>
#include <QtTest>
#include <memory>

#include "pages/frm_salary.h"
#include "support/gui_test.h"

using quorvex::pages::TFrmSalary;
using namespace quorvex::testing;

class SalaryPageTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmSalary> page;
  QLineEdit *income = nullptr, *safe = nullptr, *tax = nullptr, *real = nullptr;
  QComboBox* point = nullptr;
  QLabel *taxIncome = nullptr, *rate = nullptr, *quick = nullptr;
  QLabel* info[5] = {};

  void Calc(const QString& salary, const QString& contributions, int thresholdIndex = 0) {
    point->setCurrentIndex(thresholdIndex);
    Type(safe, contributions);
    Type(income, salary);
    PressEnter(income);
  }
  QStringList Messages() const { return {info[1]->text(), info[2]->text(), info[3]->text(), info[4]->text()}; }
  QStringList Results() const { return {taxIncome->text(), rate->text(), quick->text(), tax->text(), real->text()}; }

 private slots:
  void init() {
    page = std::make_unique<TFrmSalary>();
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    income = Child<QLineEdit>(page.get(), "EditIncome");
    safe = Child<QLineEdit>(page.get(), "EditSafe");
    tax = Child<QLineEdit>(page.get(), "EditTax");
    real = Child<QLineEdit>(page.get(), "EditRealIncome");
    point = Child<QComboBox>(page.get(), "CmbPoint");
    taxIncome = Child<QLabel>(page.get(), "TxtTaxIncome");
    rate = Child<QLabel>(page.get(), "TxtRate");
    quick = Child<QLabel>(page.get(), "TxtQuick");
    for (int i = 1; i <= 4; ++i) info[i] = Child<QLabel>(page.get(), ("TxtInfo_" + std::to_string(i)).c_str());
  }
  void cleanup() { page.reset(); }

  void showsAnEmptyPageWithFocusInTheSalaryField() {
    QVERIFY(income->hasFocus());
    QCOMPARE(Results(), (QStringList{"0.00", "0.00", "0.00", "", ""}));
    QCOMPARE(Messages(), (QStringList{"", "", "", ""}));
    QCOMPARE(point->count(), 2);
    QCOMPARE(point->itemText(0), QString("3500"));
    QCOMPARE(point->itemText(1), QString("4800"));
    QCOMPARE(point->currentText(), QString("3500"));
    QVERIFY(!point->isEditable());
  }

  void forwardCalculation_data() {
    QTest::addColumn<QString>("salary");
    QTest::addColumn<QString>("contributions");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("bound 1500 takes the lower row")
        << "5000"
        << "0" << 0 << QStringList{"1500.00", "3%", "0.00", "45.00", "4955.00"};
    QTest::newRow("one fen above takes the next row")
        << "5000.01"
        << "" << 0 << QStringList{"1500.01", "10%", "105.00", "45.00", "4955.01"};
    QTest::newRow("threshold 4800") << "84800"
                                    << "0" << 1 << QStringList{"80000.00", "35%", "5505.00", "22495.00", "62305.00"};
    QTest::newRow("tie rounds away from zero")
        << "12500.5"
        << "0" << 0 << QStringList{"9000.50", "25%", "1005.00", "1245.13", "11255.38"};
    QTest::newRow("no tax: rate label stays 0.00")
        << "5000"
        << "1500" << 0 << QStringList{"0.00", "0.00", "0.00", "0.00", "3500.00"};
    QTest::newRow("contributions above salary")
        << "1000"
        << "2000" << 0 << QStringList{"0.00", "0.00", "0.00", "0.00", "-1000.00"};
    QTest::newRow("extended difference above 4500")
        << "9823.45"
        << "523.45" << 1 << QStringList{"4500.00", "20%", "555.00", "345.00", "8955.00"};
  }
  void forwardCalculation() {
    QFETCH(QString, salary);
    QFETCH(QString, contributions);
    QFETCH(int, threshold);
    QFETCH(QStringList, shown);
    Calc(salary, contributions, threshold);
    QCOMPARE(Results(), shown);
    QVERIFY(FocusedAndSelected(income));
    QCOMPARE(Messages(), (QStringList{"", "", "", ""}));
  }

  void rejectedInput_data() {
    QTest::addColumn<QString>("salary");
    QTest::addColumn<QString>("contributions");
    QTest::addColumn<int>("label");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty salary") << ""
                                  << "0" << 1 << "无效的金额，请重新输入";
    QTest::newRow("letters") << "abc"
                             << "0" << 1 << "无效的金额，请重新输入";
    QTest::newRow("unit after the number") << "100元"
                                           << "0" << 1 << "无效的金额，请重新输入";
    QTest::newRow("grouping comma") << "1,000"
                                    << "0" << 1 << "无效的金额，请重新输入";
    QTest::newRow("double minus") << "--5"
                                  << "0" << 1 << "无效的金额，请重新输入";
    QTest::newRow("beyond a double") << "1e400"
                                     << "0" << 1 << "无效的金额，请重新输入";
    QTest::newRow("zero salary") << "0"
                                 << "0" << 1 << "收入金额需大于零，请重新输入";
    QTest::newRow("lone point") << "."
                                << "0" << 1 << "收入金额需大于零，请重新输入";
    QTest::newRow("negative salary") << "-5"
                                     << "0" << 1 << "收入金额需大于零，请重新输入";
    QTest::newRow("negative contributions") << "5000"
                                            << "-1" << 2 << "五险一金需大于零，请重新输入";
    QTest::newRow("bad contributions") << "5000"
                                       << "x" << 2 << "无效的金额，请重新输入";
    QTest::newRow("bad salary is reported before bad contributions") << "x"
                                                                     << "x" << 1 << "无效的金额，请重新输入";
  }
  void rejectedInput() {
    QFETCH(QString, salary);
    QFETCH(QString, contributions);
    QFETCH(int, label);
    QFETCH(QString, message);
    Calc("10000", "0");  // results on show, to see them cleared
    Calc(salary, contributions);
    QCOMPARE(info[label]->text(), message);
    for (int i = 1; i <= 4; ++i) {
      if (i != label) QCOMPARE(info[i]->text(), QString());
    }
    QLineEdit* field = label == 1 ? income : safe;
    QVERIFY(field->hasFocus());
    QCOMPARE(field->selectedText(), field->text());
    QCOMPARE(Results(), (QStringList{"0.00", "0.00", "0.00", "", ""}));
  }

  void trimsBlanksAndControlCharactersAndFillsEmptyContributions() {
    Type(safe, "");
    Type(income, "  12.5\t");
    QTest::keyClick(income, Qt::Key_Return);
    QCOMPARE(income->text(), QString("12.5"));
    QCOMPARE(safe->text(), QString("0.00"));
    QCOMPARE(real->text(), QString("12.50"));
    safe->setText(" .");
    QTest::keyClick(safe, Qt::Key_Enter);
    QCOMPARE(safe->text(), QString("."));
    QCOMPARE(real->text(), QString("12.50"));
  }

  void reverseCalculations_data() {
    QTest::addColumn<bool>("fromTax");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("contributions");
    QTest::addColumn<QString>("income");
    QTest::addColumn<QString>("taxShown");
    QTest::addColumn<QString>("takeHomeShown");
    QTest::newRow("from tax 545") << true << "545"
                                  << "1000"
                                  << "10000"
                                  << "545.00"
                                  << "8455.00";
    QTest::newRow("from tax 10000") << true << "10000"
                                    << "0"
                                    << "46016.6666666667"
                                    << "10000.00"
                                    << "36016.67";
    QTest::newRow("from tax at top bound") << true << "22495"
                                           << ""
                                           << "83500"
                                           << "22495.00"
                                           << "61005.00";
    QTest::newRow("from take-home 30000") << false << "30000"
                                          << "0"
                                          << "37493.3333333333"
                                          << "7493.33"
                                          << "30000.00";
    QTest::newRow("from take-home below threshold") << false << "3000"
                                                    << "500"
                                                    << "3500"
                                                    << "0.00"
                                                    << "3000.00";
  }
  void reverseCalculations() {
    QFETCH(bool, fromTax);
    QFETCH(QString, typed);
    QFETCH(QString, contributions);
    QFETCH(QString, income);
    QFETCH(QString, taxShown);
    QFETCH(QString, takeHomeShown);
    Type(safe, contributions);
    QLineEdit* field = fromTax ? tax : real;
    Type(field, typed);
    PressEnter(field);
    QCOMPARE(this->income->text(), income);
    QCOMPARE(tax->text(), taxShown);
    QCOMPARE(real->text(), takeHomeShown);
    QVERIFY(FocusedAndSelected(this->income));
  }

  void reverseButtonsRunTheSameCalculation() {
    Type(tax, "45");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnTax"), Qt::LeftButton);
    QCOMPARE(income->text(), QString("5000"));
    Type(real, "4955");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnRealIncome"), Qt::LeftButton);
    QCOMPARE(income->text(), QString("5000"));
    QVERIFY(FocusedAndSelected(income));
  }

  void rejectedReverseKeepsTheEarlierResults_data() {
    QTest::addColumn<bool>("fromTax");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("tax zero") << true << "0"
                              << "应纳税额应大于0。";
    QTest::newRow("tax letters") << true << "abc"
                                 << "金额无效，请重新输入";
    QTest::newRow("take-home zero") << false << "0"
                                    << "应纳税额应大于0。";
    QTest::newRow("take-home letters") << false << "abc"
                                       << "金额无效，请重新输入";
    QTest::newRow("tax whose salary is beyond a double") << true << "1e308"
                                                         << "金额无效，请重新输入";
  }
  void rejectedReverseKeepsTheEarlierResults() {
    QFETCH(bool, fromTax);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Calc("10000", "1000");
    QLineEdit* field = fromTax ? tax : real;
    const QString other = fromTax ? real->text() : tax->text();
    Type(field, typed);
    PressEnter(field);
    QCOMPARE(info[fromTax ? 3 : 4]->text(), message);
    QVERIFY(field->hasFocus());
    QCOMPARE(field->selectedText(), field->text());
    QCOMPARE(income->text(), QString("10000"));
    QCOMPARE(taxIncome->text(), QString("5500.00"));
    QCOMPARE((fromTax ? real : tax)->text(), other);
  }

  void reverseReadsContributionsAfterTheTypedAmount() {
    Type(safe, "-3");
    Type(tax, "45");
    PressEnter(tax);
    QCOMPARE(info[2]->text(), QString("五险一金需大于零，请重新输入"));
    QVERIFY(safe->hasFocus());
    Type(tax, "0");
    PressEnter(tax);
    QCOMPARE(info[3]->text(), QString("应纳税额应大于0。"));
    QCOMPARE(info[2]->text(), QString());
  }

  void editingEmptiesMessagesButKeepsResults() {
    Calc("10000", "0");
    const QStringList before = Results();
    Type(safe, "-1");
    PressEnter(safe);
    QCOMPARE(info[2]->text(), QString("五险一金需大于零，请重新输入"));
    Type(safe, "0");
    PressEnter(safe);
    const QStringList after = Results();
    QCOMPARE(after, before);
    QTest::keyClicks(income, "9");
    QCOMPARE(Messages(), (QStringList{"", "", "", ""}));
    QCOMPARE(Results(), after);
    Type(tax, "abc");
    PressEnter(tax);
    QTest::keyClick(real, Qt::Key_A);
    QCOMPARE(info[3]->text(), QString());
  }

  void thresholdChangeWaitsForTheNextCalculation() {
    Calc("10000", "0");
    point->setCurrentIndex(1);
    QCOMPARE(taxIncome->text(), QString("6500.00"));
    PressEnter(income);
    QCOMPARE(taxIncome->text(), QString("5200.00"));
  }

  void resetClearsEverything() {
    Calc("10000", "100", 1);
    Type(tax, "x");
    PressEnter(tax);
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnReset"), Qt::LeftButton);
    QCOMPARE(income->text(), QString());
    QCOMPARE(safe->text(), QString());
    QCOMPARE(point->currentText(), QString("3500"));
    QCOMPARE(Results(), (QStringList{"0.00", "0.00", "0.00", "", ""}));
    QCOMPARE(Messages(), (QStringList{"", "", "", ""}));
    QVERIFY(income->hasFocus());
  }

  void otherKeysAndListEnterDoNothing() {
    Calc("10000", "0");
    QTest::keyClick(point, Qt::Key_Return);
    QCOMPARE(taxIncome->text(), QString("6500.00"));
    QCOMPARE(income->text(), QString("10000"));
  }

  void veryLongAndOddTextsNeverCrash() {
    for (const QString& text : {QString(30000, QChar('9')), QString("1e99999999999999"), QString("\x01\x02 5 \x7f"),
                                QString::fromUtf8("１２"), QString("5\xE2\x80\x8B"), QString("nan"), QString("-inf")}) {
      income->setText(text);
      PressEnter(income);
      QVERIFY(!real->text().contains("inf") && !real->text().contains("nan"));
    }
  }

  void fieldsAreNamedByTheirCaptionsAndButtonsByTheirTexts() {
    const QList<QPair<const char*, QString>> fields{
        {"EditIncome", "税前工资"}, {"EditSafe", "五险一金"}, {"EditTax", "应纳税额"}, {"EditRealIncome", "实发工资"},
        {"BtnCalc", "开始计算"},    {"BtnReset", "重置"},     {"BtnTax", "反算"}};
    for (const auto& [name, caption] : fields) {
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Child<QWidget>(page.get(), name));
      QVERIFY(a != nullptr);
      QCOMPARE(a->text(QAccessible::Name), caption);
    }
    // A drop-down list is announced by its entry and labelled by its caption.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(point);
    const auto labels = list->relations(QAccessible::Label);
    QVERIFY(!labels.isEmpty());
    QCOMPARE(labels.first().first->text(QAccessible::Name), QString("起征点"));
  }

  void tabOrderFollowsThePage() {
    income->setFocus();
    const char* order[] = {"EditSafe", "CmbPoint", "BtnCalc",        "BtnReset",
                           "EditTax",  "BtnTax",   "EditRealIncome", "BtnRealIncome"};
    for (const char* name : order) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
    }
  }
};

QTEST_MAIN(SalaryPageTest)
#include "salary_page_test.moc"
