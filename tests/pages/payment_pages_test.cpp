// The single-amount per-payment pages (writing remuneration, royalties, property lease and
// the four flat-rate pages), each opened from its row of the category list and driven as a
// user drives it.
#include <QtTest>
#include <memory>

#include "app/page_table.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"

using namespace quorvex::testing;

namespace {

enum Row { kWriting = 5, kRent = 6, kProperty = 7, kLicence = 9, kInterest = 13, kChance = 14, kOther = 15 };

const QList<QPair<int, QString>> kPages{
    {kWriting, "TFrmWriting"},   {kRent, "TFrmRent"},     {kProperty, "TFrmProperty"}, {kLicence, "TFrmLicence"},
    {kInterest, "TFrmInterest"}, {kChance, "TFrmChance"}, {kOther, "TFrmOther"}};
const QList<int> kFlatRows{kProperty, kInterest, kChance, kOther};

const char* const kResultNames[] = {"TxtDeduct", "TxtTaxIncome", "TxtRate", "TxtQuick", "EditTax", "EditRealIncome"};
const QString kNotice = QString::fromUtf8("收入金额小于800元，无需纳税。");
const QString kInvalid = QString::fromUtf8("无效的金额，请重新输入");
const QString kNotPositive = QString::fromUtf8("收入金额需大于零，请重新输入");

enum class Focus { SelectedInField, Unmoved };

}  // namespace

Q_DECLARE_METATYPE(Focus)

class PaymentPagesTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> page;
  QLineEdit* income = nullptr;
  QLabel* info = nullptr;

  void Open(int row) {
    page.reset(quorvex::app::CreatePageForRow(row, nullptr));
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    income = Child<QLineEdit>(page.get(), "EditIncome");
    info = Child<QLabel>(page.get(), "TxtInfo");
  }
  // The texts of the result controls the page has, in page order.
  QStringList Results() const {
    QStringList shown;
    for (const char* name : kResultNames) {
      if (auto* label = page->findChild<QLabel*>(name)) shown << label->text();
      if (auto* field = page->findChild<QLineEdit*>(name)) shown << field->text();
    }
    return shown;
  }
  QStringList Cleared() const {
    QStringList cleared = Results();
    for (int i = 0; i < cleared.size(); ++i) cleared[i] = i < cleared.size() - 2 ? "0.00" : "";
    return cleared;
  }
  QPushButton* Button(const char* name) const { return Child<QPushButton>(page.get(), name); }

 private slots:
  void cleanup() { page.reset(); }

  void eachRowOpensItsPageEmptyWithFocusInTheIncome_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("results");
    const QStringList withAllowance{"TxtDeduct", "TxtTaxIncome", "TxtRate", "EditTax", "EditRealIncome"};
    const QStringList flat{"TxtTaxIncome", "TxtRate", "EditTax", "EditRealIncome"};
    for (const auto& [row, name] : kPages) {
      QTest::addRow("%s", qPrintable(name)) << row << name << (kFlatRows.contains(row) ? flat : withAllowance);
    }
  }
  void eachRowOpensItsPageEmptyWithFocusInTheIncome() {
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(QStringList, results);
    Open(row);
    QCOMPARE(page->objectName(), name);
    QStringList present;
    for (const char* n : kResultNames) {
      if (page->findChild<QWidget*>(n) != nullptr) present << n;
    }
    QCOMPARE(present, results);
    for (const char* absent : {"TxtInfo_2", "BtnRealIncome", "BtnTax", "TxtQuick"}) {
      QVERIFY2(page->findChild<QWidget*>(absent) == nullptr, absent);
    }
    QVERIFY(income->hasFocus());
    QCOMPARE(info->text(), QString());
    QCOMPARE(Results(), Cleared());
    QCOMPARE(Button("BtnCalc")->text(), QString::fromUtf8("开始计算"));
    QCOMPARE(Button("BtnReset")->text(), QString::fromUtf8("重置"));
  }

  void enterShowsTheFigures_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Focus>("focus");
    const Focus sel = Focus::SelectedInField;
    const Focus stay = Focus::Unmoved;
    QTest::newRow("writing 800 silent") << int(kWriting) << "800"
                                        << QStringList{"0.00", "0.00", "0.00", "0.00", "800.00"} << "" << stay;
    QTest::newRow("writing 800.01") << int(kWriting) << "800.01"
                                    << QStringList{"800.00", "0.01", "14%", "0.00", "800.01"} << "" << sel;
    QTest::newRow("writing 3000") << int(kWriting) << "3000"
                                  << QStringList{"800.00", "2200.00", "14%", "308.00", "2692.00"} << "" << sel;
    QTest::newRow("royalties 500 notice")
        << int(kLicence) << "500" << QStringList{"0.00", "0.00", "0.00", "0.00", "500.00"} << kNotice << sel;
    QTest::newRow("royalties 800 notice")
        << int(kLicence) << "800" << QStringList{"0.00", "0.00", "0.00", "0.00", "800.00"} << kNotice << sel;
    QTest::newRow("royalties 3000") << int(kLicence) << "3000"
                                    << QStringList{"800.00", "2200.00", "20%", "440.00", "2560.00"} << "" << sel;
    QTest::newRow("lease 800 silent") << int(kRent) << " 800 " << QStringList{"0.00", "0.00", "0.00", "0.00", "800.00"}
                                      << "" << stay;
    QTest::newRow("lease 3000") << int(kRent) << "3000" << QStringList{"800.00", "2200.00", "20%", "440.00", "2560.00"}
                                << "" << sel;
    QTest::newRow("lease 10000") << int(kRent) << "10000"
                                 << QStringList{"2000.00", "8000.00", "20%", "1600.00", "8400.00"} << "" << sel;
    const char* flatNames[] = {"property", "interest", "chance", "other"};
    for (int i = 0; i < 4; ++i) {
      const int row = kFlatRows[i];
      QTest::addRow("%s 123.45", flatNames[i])
          << row << "123.45" << QStringList{"123.45", "20%", "24.69", "98.76"} << "" << sel;
      QTest::addRow("%s 0.01 taxed without notice", flatNames[i])
          << row << "0.01" << QStringList{"0.01", "20%", "0.00", "0.01"} << "" << sel;
    }
  }
  void enterShowsTheFigures() {
    QFETCH(int, row);
    QFETCH(QString, amount);
    QFETCH(QStringList, shown);
    QFETCH(QString, message);
    QFETCH(Focus, focus);
    Open(row);
    Type(income, amount);
    PressEnter(income);
    QCOMPARE(Results(), shown);
    QCOMPARE(info->text(), message);
    QCOMPARE(income->text(), amount.trimmed());
    QVERIFY(income->hasFocus());
    if (focus == Focus::SelectedInField) {
      QCOMPARE(income->selectedText(), income->text());
    } else {
      QCOMPARE(income->selectedText(), QString());
    }
  }

  void clickOnAnUntaxedPaymentLeavesTheFocusOnTheButton_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("focusReturns");
    QTest::newRow("writing") << int(kWriting) << false;
    QTest::newRow("lease") << int(kRent) << false;
    QTest::newRow("royalties") << int(kLicence) << true;
  }
  void clickOnAnUntaxedPaymentLeavesTheFocusOnTheButton() {
    QFETCH(int, row);
    QFETCH(bool, focusReturns);
    Open(row);
    Type(income, "800");
    QTest::mouseClick(Button("BtnCalc"), Qt::LeftButton);
    QCOMPARE(Results().last(), QString("800.00"));
    if (focusReturns) {
      QVERIFY(FocusedAndSelected(income));
    } else {
      QVERIFY(Button("BtnCalc")->hasFocus());
    }
    Type(income, "800.01");
    QTest::mouseClick(Button("BtnCalc"), Qt::LeftButton);
    QVERIFY(FocusedAndSelected(income));
  }

  void rejectedAmount_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("message");
    for (const auto& [row, name] : kPages) {
      QTest::addRow("%s empty", qPrintable(name)) << row << "" << kInvalid;
      QTest::addRow("%s letters", qPrintable(name)) << row << "abc" << kInvalid;
      QTest::addRow("%s grouping comma", qPrintable(name)) << row << "1,000" << kInvalid;
      QTest::addRow("%s zero", qPrintable(name)) << row << "0" << kNotPositive;
      QTest::addRow("%s lone point", qPrintable(name)) << row << "." << kNotPositive;
      QTest::addRow("%s negative", qPrintable(name)) << row << "-5" << kNotPositive;
    }
  }
  void rejectedAmount() {
    QFETCH(int, row);
    QFETCH(QString, amount);
    QFETCH(QString, message);
    Open(row);
    Type(income, "10000");
    PressEnter(income);
    Type(income, amount);
    QTest::mouseClick(Button("BtnCalc"), Qt::LeftButton);
    QCOMPARE(info->text(), message);
    QCOMPARE(Results(), Cleared());
    QVERIFY(income->hasFocus());
    QCOMPARE(income->selectedText(), income->text());
  }

  void editingEmptiesTheNoticeButKeepsTheResults() {
    Open(kLicence);
    Type(income, "700");
    PressEnter(income);
    QCOMPARE(info->text(), kNotice);
    const QStringList shown = Results();
    QTest::keyClicks(income, "1");
    QCOMPARE(info->text(), QString());
    QCOMPARE(Results(), shown);
  }

  void resultFieldsAreNeverRead_data() {
    QTest::addColumn<int>("row");
    for (const auto& [row, name] : kPages) QTest::addRow("%s", qPrintable(name)) << row;
  }
  void resultFieldsAreNeverRead() {
    QFETCH(int, row);
    Open(row);
    Type(income, "x");
    PressEnter(income);
    for (const char* name : {"EditTax", "EditRealIncome"}) {
      auto* field = Child<QLineEdit>(page.get(), name);
      Type(field, "123");
      PressEnter(field);
      QCOMPARE(info->text(), kInvalid);  // no change handler, no calculation
      QCOMPARE(field->text(), QString("123"));
    }
    QTest::mouseClick(Button("BtnReset"), Qt::LeftButton);
    QCOMPARE(income->text(), QString());
    QCOMPARE(info->text(), QString());
    QCOMPARE(Results(), Cleared());
    QVERIFY(income->hasFocus());
  }

  void tabOrderFollowsThePage_data() { resultFieldsAreNeverRead_data(); }
  void tabOrderFollowsThePage() {
    QFETCH(int, row);
    Open(row);
    for (const char* name : {"BtnCalc", "BtnReset", "EditTax", "EditRealIncome"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
    }
  }

  void hugeAmountsNeverShowInfinity_data() { resultFieldsAreNeverRead_data(); }
  void hugeAmountsNeverShowInfinity() {
    QFETCH(int, row);
    Open(row);
    for (const char* text : {"1.7976931348623157e308", "1e400", "nan", "inf"}) {
      Type(income, text);
      PressEnter(income);
      for (const QString& shown : Results()) {
        QVERIFY2(!shown.contains("inf", Qt::CaseInsensitive) && !shown.contains("nan", Qt::CaseInsensitive),
                 qPrintable(shown));
      }
    }
  }
};

QTEST_MAIN(PaymentPagesTest)
#include "payment_pages_test.moc"
