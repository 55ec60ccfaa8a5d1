// The year-end bonus page driven as a user drives it, with the blind-zone warning seen
// through the page's seam (and once as the real message box).
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <QtTest>
#include <memory>

#include "app/page_table.h"
#include "pages/blind_zone_warning.h"
#include "pages/frm_year.h"
#include "pages/service_number.h"
#include "support/gui_test.h"

using quorvex::pages::TFrmYear;
using namespace quorvex::testing;

namespace {

const QString kWarningText = QString::fromUtf8("年终奖发放不合理，个税盲区致年终奖严重缩水。\r\n联系客服 QQ：") +
                             QString::fromUtf8(quorvex::pages::kServiceNumber) +
                             QString::fromUtf8("，帮你筹划，为您节税。");
const QStringList kCleared{"0.00", "0.00", "0.00", "", ""};

}  // namespace

class YearPageTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmYear> page;
  QLineEdit *income = nullptr, *tax = nullptr, *real = nullptr;
  QLabel *average = nullptr, *rate = nullptr, *quick = nullptr, *info1 = nullptr, *info2 = nullptr;
  // What the page showed each time it warned.
  struct Warning {
    QWidget* owner;
    QString title, text, info1;
    QStringList results;
  };
  QList<Warning> warnings;

  QStringList Results() const { return {average->text(), rate->text(), quick->text(), tax->text(), real->text()}; }
  void Calc(const QString& bonus) {
    Type(income, bonus);
    PressEnter(income);
  }
  void Reverse(const QString& afterTax) {
    Type(real, afterTax);
    PressEnter(real);
  }

 private slots:
  void init() {
    warnings.clear();
    page = std::make_unique<TFrmYear>();
    page->SetWarningPresenter([this](QWidget* owner, const QString& title, const QString& text) {
      warnings.append({owner, title, text, info1->text(), Results()});
    });
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    income = Child<QLineEdit>(page.get(), "EditIncome");
    tax = Child<QLineEdit>(page.get(), "EditTax");
    real = Child<QLineEdit>(page.get(), "EditRealIncome");
    average = Child<QLabel>(page.get(), "TxtAverage");
    rate = Child<QLabel>(page.get(), "TxtRate");
    quick = Child<QLabel>(page.get(), "TxtQuick");
    info1 = Child<QLabel>(page.get(), "TxtInfo_1");
    info2 = Child<QLabel>(page.get(), "TxtInfo_2");
  }
  void cleanup() { page.reset(); }

  void showsAnEmptyPageWithFocusInTheBonusField() {
    QVERIFY(income->hasFocus());
    QCOMPARE(Results(), kCleared);
    QCOMPARE(info1->text(), QString());
    QCOMPARE(info2->text(), QString());
    QCOMPARE(quorvex::app::CategoryRows()[1].create(nullptr)->objectName(), QString("TFrmYear"));
  }

  void forwardCalculation_data() {
    QTest::addColumn<QString>("bonus");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("zone");
    const QString zone1 = "进入盲区：( 18,000, 19,283.33 ]";
    QTest::newRow("average on the bound")
        << "18000" << QStringList{"1500.00", "3%", "0.00", "540.00", "17460.00"} << "";
    QTest::newRow("one fen into zone 1") << "18000.01" << QStringList{"1500.00", "10%", "105.00", "1695.00", "16305.01"}
                                         << zone1;
    QTest::newRow("19283.33 typed is past zone 1")
        << "19283.33" << QStringList{"1606.94", "10%", "105.00", "1823.33", "17460.00"} << "";
    QTest::newRow("706538.46 typed is inside zone 5")
        << "706538.46" << QStringList{"58878.20", "35%", "5505.00", "241783.46", "464755.00"}
        << "进入奖盲区：( 660,000, 706,538.46 ]";
  }
  void forwardCalculation() {
    QFETCH(QString, bonus);
    QFETCH(QStringList, shown);
    QFETCH(QString, zone);
    Calc(bonus);
    QCOMPARE(Results(), shown);
    QCOMPARE(info1->text(), zone);
    QCOMPARE(warnings.size(), zone.isEmpty() ? 0 : 1);
    if (!zone.isEmpty()) {
      // The box comes after every result is on show, with the zone text already beside it.
      QCOMPARE(warnings[0].owner, page.get());
      QCOMPARE(warnings[0].title, QString("注意"));
      QCOMPARE(warnings[0].text, kWarningText);
      QCOMPARE(warnings[0].results, shown);
      QCOMPARE(warnings[0].info1, zone);
    }
    QVERIFY(FocusedAndSelected(income));
  }

  void rejectedBonus_data() {
    QTest::addColumn<QString>("bonus");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "无效的金额，请重新输入";
    QTest::newRow("letters") << "abc"
                             << "无效的金额，请重新输入";
    QTest::newRow("zero") << "0"
                          << "收入金额需大于零，请重新输入";
    QTest::newRow("negative") << "-5"
                              << "收入金额需大于零，请重新输入";
  }
  void rejectedBonus() {
    QFETCH(QString, bonus);
    QFETCH(QString, message);
    Calc("18000.01");
    Calc(bonus);
    QCOMPARE(info1->text(), message);
    QCOMPARE(Results(), kCleared);
    QVERIFY(income->hasFocus());
    QCOMPARE(income->selectedText(), income->text());
    QCOMPARE(warnings.size(), 1);
  }

  void reverseCalculation_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("bonus");
    QTest::addColumn<QString>("taxShown");
    QTest::addColumn<QString>("afterTaxShown");
    QTest::newRow("first row") << "10000"
                               << "10309.28"
                               << "309.28"
                               << "10000.00";
    QTest::newRow("one fen above it") << "17460.01"
                                      << "19283.34"
                                      << "1823.33"
                                      << "17460.01";
    QTest::newRow("beyond the second row's reach") << "49000"
                                                   << "60556.25"
                                                   << "11556.25"
                                                   << "49000.00";
  }
  void reverseCalculation() {
    QFETCH(QString, typed);
    QFETCH(QString, bonus);
    QFETCH(QString, taxShown);
    QFETCH(QString, afterTaxShown);
    Reverse(typed);
    QCOMPARE(income->text(), bonus);
    QCOMPARE(tax->text(), taxShown);
    QCOMPARE(real->text(), afterTaxShown);
    QCOMPARE(warnings.size(), 0);
    QVERIFY(FocusedAndSelected(income));
  }

  void reverseButtonRunsTheSameCalculation() {
    Type(real, "10000");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnRealIncome"), Qt::LeftButton);
    QCOMPARE(income->text(), QString("10309.28"));
    QVERIFY(FocusedAndSelected(income));
  }

  void rejectedReverseKeepsResultsAndTheBonusMessage_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << "abc"
                             << "无效的金额，请重新输入";
    QTest::newRow("zero") << "0"
                          << "收入金额需大于零，请重新输入";
  }
  void rejectedReverseKeepsResultsAndTheBonusMessage() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Calc("100000");
    const QStringList before = Results();
    Reverse(typed);
    QCOMPARE(info2->text(), message);
    QVERIFY(real->hasFocus());
    QCOMPARE(real->selectedText(), real->text());
    QCOMPARE(income->text(), QString("100000"));
    QCOMPARE(Results().mid(0, 4), before.mid(0, 4));
    // No message is emptied before the read: a bonus message already on show stays.
    Calc("abc");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnRealIncome"), Qt::LeftButton);
    QCOMPARE(info1->text(), QString("无效的金额，请重新输入"));
    QCOMPARE(info2->text(), QString("无效的金额，请重新输入"));
  }

  void reverseOfAnAmountBeyondADoubleIsRejected() {
    Reverse("1e308");
    QCOMPARE(info2->text(), QString("无效的金额，请重新输入"));
    QCOMPARE(income->text(), QString());
  }

  void zoneTextStaysUntilAFieldChanges() {
    Calc("54000.01");
    QCOMPARE(info1->text(), QString("进入奖盲区：( 54,000, 60187.50 ]"));
    QTest::keyClick(tax, Qt::Key_Return);  // EditTax has no key handler
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(info1->text(), QString("进入奖盲区：( 54,000, 60187.50 ]"));
    QTest::keyClicks(tax, "1");
    QCOMPARE(info1->text(), QString());
    QCOMPARE(Results().mid(0, 3), (QStringList{"4500.00", "20%", "555.00"}));
  }

  void editingTheBonusEmptiesOnlyItsOwnMessage() {
    Calc("0");
    Type(real, "x");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnRealIncome"), Qt::LeftButton);
    QCOMPARE(info2->text(), QString("无效的金额，请重新输入"));
    QTest::keyClicks(income, "5");
    QCOMPARE(info1->text(), QString());
    QCOMPARE(info2->text(), QString("无效的金额，请重新输入"));
  }

  void warningComesOncePerCalculation() {
    Calc("60000");
    PressEnter(income);
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnCalc"), Qt::LeftButton);
    QCOMPARE(warnings.size(), 3);
  }

  void resetClearsEverything() {
    Calc("18000.01");
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnReset"), Qt::LeftButton);
    QCOMPARE(income->text(), QString());
    QCOMPARE(Results(), kCleared);
    QCOMPARE(info1->text(), QString());
    QVERIFY(income->hasFocus());
  }

  void tabOrderFollowsThePage() {
    income->setFocus();
    for (const char* name : {"BtnCalc", "BtnReset", "EditTax", "EditRealIncome", "BtnRealIncome"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
    }
  }

  // The real box: modal, owned by the page, warning icon, one button reading 确定.
  void realWarningBox() {
    page->SetWarningPresenter({});
    QTranslator qtTexts;
    QVERIFY(qtTexts.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QApplication::installTranslator(&qtTexts);
    int boxes = 0;
    QString title, text, button, info;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      ++boxes;
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      parent = box->parentWidget();
      info = info1->text();
      const auto buttons = box->buttons();
      if (buttons.size() == 1) button = buttons[0]->text();
      QTest::mouseClick(buttons.value(0), Qt::LeftButton);
    });
    poll.start();
    Calc("114600");
    poll.stop();
    QApplication::removeTranslator(&qtTexts);
    QCOMPARE(boxes, 1);
    QCOMPARE(title, QString("注意"));
    QCOMPARE(text, kWarningText);
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(button, QString("确定"));
    QCOMPARE(parent, page.get());
    QCOMPARE(info, QString("进入奖盲区：( 108,000, 114,600 ]"));
    QCOMPARE(info1->text(), info);
    QCOMPARE(real->text(), QString("86955.00"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    // The page's focus is back in the bonus field (the offscreen platform does not give the
    // activation back to the page by itself).
    QCOMPARE(page->focusWidget(), income);
    QCOMPARE(income->selectedText(), income->text());
  }
};

QTEST_MAIN(YearPageTest)
#include "year_page_test.moc"
