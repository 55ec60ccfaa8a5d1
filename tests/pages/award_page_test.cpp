// The salary-and-bonus page driven as a user drives it, with the blind-zone warning seen
// through the page's seam.
#include <QGroupBox>
#include <QtTest>
#include <memory>

#include "app/page_table.h"
#include "pages/blind_zone_warning.h"
#include "pages/frm_award.h"
#include "support/gui_test.h"

using quorvex::pages::TFrmAward;
using namespace quorvex::testing;

namespace {

const QStringList kCleared{"0.00", "0.00", "0.00", "0.00", "0.00", "0.00"};
const QString kZone1 = QString::fromUtf8("进入盲区：( 18,000, 19,283.33 ]");

}  // namespace

class AwardPageTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmAward> page;
  QLineEdit *bonus = nullptr, *salary = nullptr, *safe = nullptr;
  QComboBox* point = nullptr;
  QLabel* info[4] = {};
  QLabel *tax1 = nullptr, *real1 = nullptr, *tax2 = nullptr, *real2 = nullptr, *total = nullptr, *all = nullptr;
  struct Warning {
    QWidget* owner;
    QString title, info1;
    QStringList results;
  };
  QList<Warning> warnings;

  // In the order the page lists them: salary tax, after-tax salary, bonus tax, after-tax
  // bonus, total tax, total after tax.
  QStringList Results() const {
    return {tax1->text(), real1->text(), tax2->text(), real2->text(), total->text(), all->text()};
  }
  QStringList Messages() const { return {info[1]->text(), info[2]->text(), info[3]->text()}; }
  void Fill(const QString& b, const QString& s, const QString& c, int thresholdIndex = 0) {
    point->setCurrentIndex(thresholdIndex);
    Type(bonus, b);
    Type(salary, s);
    Type(safe, c);
  }

 private slots:
  void init() {
    warnings.clear();
    page = std::make_unique<TFrmAward>();
    page->SetWarningPresenter([this](QWidget* owner, const QString& title, const QString&) {
      warnings.append({owner, title, info[1]->text(), Results()});
    });
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    bonus = Child<QLineEdit>(page.get(), "EditYear");
    salary = Child<QLineEdit>(page.get(), "EditSalary");
    safe = Child<QLineEdit>(page.get(), "EditSafe");
    point = Child<QComboBox>(page.get(), "CmbPoint");
    for (int i = 1; i <= 3; ++i) info[i] = Child<QLabel>(page.get(), ("TxtInfo_" + std::to_string(i)).c_str());
    tax1 = Child<QLabel>(page.get(), "TxtTax1");
    real1 = Child<QLabel>(page.get(), "TxtRealIncome1");
    tax2 = Child<QLabel>(page.get(), "TxtTax2");
    real2 = Child<QLabel>(page.get(), "TxtRealIncome2");
    total = Child<QLabel>(page.get(), "TxtTaxTotal");
    all = Child<QLabel>(page.get(), "TxtRealIncomeAll");
  }
  void cleanup() { page.reset(); }

  void showsAnEmptyPageWithFocusInTheBonusField() {
    QVERIFY(bonus->hasFocus());
    QCOMPARE(Results(), kCleared);
    QCOMPARE(Messages(), (QStringList{"", "", ""}));
    QCOMPARE(point->currentText(), QString("3500"));
    QCOMPARE(Child<QGroupBox>(page.get(), "GroupBox1")->title(), QString("工资"));
    QCOMPARE(Child<QGroupBox>(page.get(), "GroupBox2")->title(), QString("年终奖"));
    const std::unique_ptr<QWidget> fromRow(quorvex::app::CategoryRows()[2].create(nullptr));
    QCOMPARE(fromRow->objectName(), QString("TFrmAward"));
  }

  void calculation_data() {
    QTest::addColumn<QStringList>("inputs");  // bonus, salary, contributions
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("zone");
    QTest::newRow("both taxed") << QStringList{"12000", "5000", "0"} << 0
                                << QStringList{"45.00", "4955.00", "360.00", "11640.00", "405.00", "16595.00"} << "";
    QTest::newRow("threshold 4800") << QStringList{"24000", "6000", "1000"} << 1
                                    << QStringList{"6.00", "5994.00", "2295.00", "21705.00", "2301.00", "27699.00"}
                                    << "";
    QTest::newRow("adjusted bonus in zone 1")
        << QStringList{"19500", "3000", "0"} << 0
        << QStringList{"0.00", "3000.00", "1795.00", "17705.00", "1795.00", "20705.00"} << kZone1;
    QTest::newRow("typed bonus in zone 1, adjusted below")
        << QStringList{"18400", "3000", "0"} << 0
        << QStringList{"0.00", "3000.00", "537.00", "17863.00", "537.00", "20863.00"} << "";
    QTest::newRow("zero salary") << QStringList{"5000", "0", ""} << 0
                                 << QStringList{"0.00", "0.00", "45.00", "4955.00", "45.00", "4955.00"} << "";
  }
  void calculation() {
    QFETCH(QStringList, inputs);
    QFETCH(int, threshold);
    QFETCH(QStringList, shown);
    QFETCH(QString, zone);
    Fill(inputs[0], inputs[1], inputs[2], threshold);
    PressEnter(safe);
    QCOMPARE(Results(), shown);
    QCOMPARE(Messages(), (QStringList{zone, "", ""}));
    QCOMPARE(warnings.size(), zone.isEmpty() ? 0 : 1);
    if (!zone.isEmpty()) {
      // Only the salary results are on show while the box is up.
      QCOMPARE(warnings[0].owner, page.get());
      QCOMPARE(warnings[0].title, QString("注意"));
      QCOMPARE(warnings[0].info1, zone);
      QCOMPARE(warnings[0].results, shown.mid(0, 2) + kCleared.mid(2));
    }
    // The focus stays in the field in which Enter was pressed, nothing selected.
    QVERIFY(safe->hasFocus());
    QVERIFY(!safe->hasSelectedText());
  }

  void buttonKeepsTheFocus() {
    Fill("19500", "3000", "0");
    auto* calc = Child<QPushButton>(page.get(), "BtnCalc");
    QTest::mouseClick(calc, Qt::LeftButton);
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(QApplication::focusWidget(), calc);
    QCOMPARE(info[1]->text(), kZone1);
  }

  void rejectedInput_data() {
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<int>("label");
    QTest::addColumn<QString>("message");
    QTest::newRow("zero bonus") << QStringList{"0", "5000", "0"} << 1 << "收入金额需大于零，请重新输入";
    QTest::newRow("bad bonus before bad salary") << QStringList{"x", "-1", "0"} << 1 << "无效的金额，请重新输入";
    QTest::newRow("empty salary") << QStringList{"1000", "", "0"} << 2 << "无效的金额，请重新输入";
    QTest::newRow("negative salary") << QStringList{"1000", "-1", "0"} << 2 << "收入不能小于0，请重新输入";
    QTest::newRow("negative contributions") << QStringList{"1000", "0", "-1"} << 3 << "五险一金需大于零，请重新输入";
    QTest::newRow("bad contributions") << QStringList{"1000", "0", "1,0"} << 3 << "无效的金额，请重新输入";
  }
  void rejectedInput() {
    QFETCH(QStringList, inputs);
    QFETCH(int, label);
    QFETCH(QString, message);
    Fill("12000", "5000", "0");
    PressEnter(bonus);
    Fill(inputs[0], inputs[1], inputs[2]);
    PressEnter(salary);
    QStringList expected{"", "", ""};
    expected[label - 1] = message;
    QCOMPARE(Messages(), expected);
    QCOMPARE(Results(), kCleared);
    QLineEdit* field = label == 1 ? bonus : label == 2 ? salary : safe;
    QVERIFY(field->hasFocus());
    QCOMPARE(field->selectedText(), field->text());
  }

  void contributionsAreFilledOnlyOnceTheyAreRead() {
    Fill("1000", "abc", "");
    PressEnter(bonus);
    QCOMPARE(safe->text(), QString());
    Type(salary, "0");
    PressEnter(salary);
    QCOMPARE(safe->text(), QString("0.00"));
    QCOMPARE(Messages(), (QStringList{"", "", ""}));
  }

  void editingAnyFieldEmptiesTheMessagesButKeepsResults() {
    for (QLineEdit* field : {bonus, salary, safe}) {
      Fill("19500", "3000", "0");
      PressEnter(bonus);
      const QStringList before = Results();
      QCOMPARE(info[1]->text(), kZone1);
      QTest::keyClicks(field, "1");
      QCOMPARE(Messages(), (QStringList{"", "", ""}));
      QCOMPARE(Results(), before);
    }
  }

  void thresholdChangeWaitsForTheNextCalculation() {
    Fill("12000", "5000", "0");
    PressEnter(bonus);
    point->setCurrentIndex(1);
    QCOMPARE(tax1->text(), QString("45.00"));
    PressEnter(bonus);
    QCOMPARE(tax1->text(), QString("6.00"));
  }

  void resetClearsEverything() {
    Fill("19500", "3000", "10", 1);
    PressEnter(bonus);
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnReset"), Qt::LeftButton);
    for (QLineEdit* field : {bonus, salary, safe}) QCOMPARE(field->text(), QString());
    QCOMPARE(point->currentText(), QString("3500"));
    QCOMPARE(Results(), kCleared);
    QCOMPARE(Messages(), (QStringList{"", "", ""}));
    QVERIFY(bonus->hasFocus());
  }

  void tabOrderFollowsThePage() {
    bonus->setFocus();
    for (const char* name : {"EditSalary", "EditSafe", "CmbPoint", "BtnCalc", "BtnReset"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
    }
  }
};

QTEST_MAIN(AwardPageTest)
#include "award_page_test.moc"
