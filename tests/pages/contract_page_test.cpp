// The contracted operation page driven as a user drives it, alone and in the main window.
#include <QAbstractItemView>
#include <QAction>
#include <QtTest>
#include <memory>

#include "app/frm_main.h"
#include "pages/frm_contract.h"
#include "support/gui_test.h"

using quorvex::pages::TFrmContract;
using namespace quorvex::testing;

namespace {

const QStringList kMonths{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

}  // namespace

class ContractPageTest : public QObject {
  Q_OBJECT

 private:
  // The page sits in a parent, as in the main window's page area, so that showing it again
  // is the program's doing and runs the show step.
  std::unique_ptr<QWidget> area;
  TFrmContract* page = nullptr;
  QLineEdit *income = nullptr, *tax = nullptr, *real = nullptr;
  QComboBox* months = nullptr;
  QLabel *info = nullptr, *taxIncome = nullptr, *rate = nullptr, *deduct = nullptr;

  void Calc(const QString& amount, const QString& monthEntry = "12") {
    months->setCurrentText(monthEntry);
    Type(income, amount);
    PressEnter(income);
  }
  QStringList Results() const { return {taxIncome->text(), rate->text(), deduct->text(), tax->text(), real->text()}; }
  const QStringList kCleared{"0.00", "0.00", "0.00", "", ""};

 private slots:
  void init() {
    area = std::make_unique<QWidget>();
    page = new TFrmContract(area.get());
    area->show();
    area->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(area.get()));
    income = Child<QLineEdit>(page, "EditIncome");
    tax = Child<QLineEdit>(page, "EditTax");
    real = Child<QLineEdit>(page, "EditRealIncome");
    months = Child<QComboBox>(page, "CmbMonth");
    info = Child<QLabel>(page, "TxtInfo");
    taxIncome = Child<QLabel>(page, "TxtTaxIncome");
    rate = Child<QLabel>(page, "TxtRate");
    deduct = Child<QLabel>(page, "TxtDeduct");
  }
  void cleanup() { area.reset(); }

  void showsAnEmptyPageWithTwelveMonthsChosen() {
    QVERIFY(income->hasFocus());
    QCOMPARE(Results(), kCleared);
    QCOMPARE(info->text(), QString());
    QCOMPARE(Entries(months), kMonths);
    QCOMPARE(months->currentText(), QString("12"));
    QVERIFY(!months->isEditable());
    QCOMPARE(months->maxVisibleItems(), 12);
  }

  void calculation_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("monthEntry");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("year allowance exactly") << "42000"
                                            << "12"
                                            << "无需纳税。" << QStringList{"0.00", "0.00", "0.00", "0.00", "42000.00"};
    QTest::newRow("one fen above the year allowance") << "42000.01"
                                                      << "12"
                                                      << "" << QStringList{"0.01", "5%", "0", "0.00", "42000.01"};
    QTest::newRow("second row") << "60000"
                                << "12"
                                << "" << QStringList{"18000.00", "10%", "750", "1050.00", "58950.00"};
    QTest::newRow("six months") << "30000"
                                << "6"
                                << "" << QStringList{"9000.00", "5%", "0", "450.00", "29550.00"};
    QTest::newRow("top row") << "200000"
                             << "12"
                             << "" << QStringList{"158000.00", "35%", "14750", "40550.00", "159450.00"};
    QTest::newRow("one month allowance exactly")
        << "3500"
        << "1"
        << "无需纳税。" << QStringList{"0.00", "0.00", "0.00", "0.00", "3500.00"};
    QTest::newRow("one fen above one month") << "3500.01"
                                             << "1"
                                             << "" << QStringList{"0.01", "5%", "0", "0.00", "3500.01"};
    QTest::newRow("below eleven months") << "100"
                                         << "11"
                                         << "无需纳税。" << QStringList{"0.00", "0.00", "0.00", "0.00", "100.00"};
    QTest::newRow("taxable at 30000 after 6 months")
        << "51000"
        << "6"
        << "" << QStringList{"30000.00", "10%", "750", "2250.00", "48750.00"};
    QTest::newRow("taxable above 60000 after 2 months")
        << "67000.01"
        << "2"
        << "" << QStringList{"60000.01", "30%", "9750", "8250.00", "58750.01"};
  }
  void calculation() {
    QFETCH(QString, amount);
    QFETCH(QString, monthEntry);
    QFETCH(QString, notice);
    QFETCH(QStringList, shown);
    Calc(amount, monthEntry);
    QCOMPARE(Results(), shown);
    QCOMPARE(info->text(), notice);
    QVERIFY(FocusedAndSelected(income));
    QCOMPARE(months->currentText(), monthEntry);
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
    Calc("50000");
    Calc(amount);
    QCOMPARE(info->text(), message);
    QCOMPARE(Results(), kCleared);
    QVERIFY(income->hasFocus());
    QCOMPARE(income->selectedText(), income->text());
  }

  void noticeGoesWhenTheIncomeIsEdited() {
    Calc("42000");
    QCOMPARE(info->text(), QString("无需纳税。"));
    QTest::keyClicks(income, "1");
    QCOMPARE(info->text(), QString());
    QCOMPARE(real->text(), QString("42000.00"));
  }

  void monthChoiceWaitsForTheNextCalculation() {
    Calc("60000");
    months->setCurrentText("1");
    QCOMPARE(taxIncome->text(), QString("18000.00"));
    QTest::mouseClick(Child<QPushButton>(page, "BtnCalc"), Qt::LeftButton);
    QCOMPARE(taxIncome->text(), QString("56500.00"));
  }

  void resetChoosesTwelveMonthsAgain() {
    Calc("60000", "3");
    QTest::mouseClick(Child<QPushButton>(page, "BtnReset"), Qt::LeftButton);
    QCOMPARE(Results(), kCleared);
    QCOMPARE(income->text(), QString());
    QCOMPARE(months->currentText(), QString("12"));
    QCOMPARE(Entries(months), kMonths);
    QVERIFY(income->hasFocus());
  }

  void everyShowStepRefillsExactlyTwelveMonths() {
    for (int round = 0; round < 3; ++round) {
      Calc("42000", "4");
      months->addItem("13");
      page->hide();
      page->show();
      QCOMPARE(Entries(months), kMonths);
      QCOMPARE(months->currentText(), QString("12"));
      QCOMPARE(info->text(), QString());
      QVERIFY(income->hasFocus());
    }
  }

  void listOpensTwelveRowsHigh() {
    months->setCurrentIndex(0);
    months->showPopup();
    QAbstractItemView* view = months->view();
    QTRY_VERIFY(view->isVisible());
    const int rowHeight = view->sizeHintForRow(0);
    QVERIFY(rowHeight > 0);
    QCOMPARE(view->viewport()->height() / rowHeight, 12);
    QVERIFY(view->indexAt(QPoint(2, view->viewport()->height() - 2)).row() == 11);
    months->hidePopup();
  }

  void tabOrderEndsWithTheMonthList() {
    income->setFocus();
    for (const char* name : {"BtnCalc", "BtnReset", "EditTax", "EditRealIncome", "CmbMonth"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
    }
  }

  void mainWindowShowsThePageAndStackingChangesKeepTwelveMonths() {
    quorvex::app::TFrmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* categories = Child<QComboBox>(&window, "CmbType");
    categories->setCurrentIndex(10);
    QCOMPARE(window.CurrentPage()->objectName(), QString("TFrmCompany"));
    categories->setCurrentIndex(11);
    QCOMPARE(window.CurrentPage()->objectName(), QString("TFrmContract"));
    auto* list = Child<QComboBox>(window.CurrentPage(), "CmbMonth");
    QCOMPARE(list->currentText(), QString("12"));
    auto* top = Child<QAction>(&window, "Menu_Tool_Top");
    for (int i = 0; i < 4; ++i) {
      top->trigger();
      QCOMPARE(Entries(list), kMonths);
    }
    auto* field = Child<QLineEdit>(window.CurrentPage(), "EditIncome");
    Type(field, "45500");
    list->setCurrentText("1");
    PressEnter(field);
    QCOMPARE(Child<QLabel>(window.CurrentPage(), "TxtTaxIncome")->text(), QString("42000.00"));
  }
};

QTEST_MAIN(ContractPageTest)
#include "contract_page_test.moc"
