// What every page built from the category table shares: each message its labels can show
// is readable whole without covering a control, the buttons and boxes have room between
// them, and a click on a result figure leaves the keyboard focus in the field.
#include <QGroupBox>
#include <QtTest>
#include <memory>
#include <set>
#include <string>

#include "app/page_table.h"
#include "forms/categories.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"
#include "tax/bonus.h"
#include "tax/business.h"
#include "tax/messages.h"
#include "tax/payment.h"

using namespace quorvex::testing;
namespace forms = quorvex::forms;
namespace tax = quorvex::tax;

namespace {

// Every text a page can show beside `field` (beside the income also every notice and zone).
std::set<std::string> TextsBeside(const forms::Category& c, const char* label) {
  std::set<std::string> texts{tax::messages::kInvalidAmount, tax::messages::kReverseInvalid};
  for (const forms::InputField& f : c.inputs) {
    if (std::string(f.message) != label) continue;
    texts.insert({f.rule.invalidText, f.rule.rangeText});
    if (f.field != forms::Field::kIncome) continue;
    texts.insert({tax::kRoyaltiesNoTaxNotice, tax::kNoTaxDueNotice});
    for (const tax::BlindZone& z : tax::kBlindZones) texts.insert(z.text);
  }
  texts.insert({c.reverseRule.invalidText, c.reverseRule.rangeText});
  return texts;
}

}  // namespace

class PageLayoutTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> page;

  void Open(int row) {
    page.reset(quorvex::app::CreatePageForRow(row, nullptr));
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
  }

 private slots:
  void everyMessageFitsItsLabelWithoutCoveringAControl() {
    for (int row = 0; row < quorvex::app::kListRowCount; ++row) {
      if (quorvex::app::CategoryRows()[static_cast<size_t>(row)].create == nullptr) continue;
      Open(row);
      const forms::Category* c = forms::FindCategory(quorvex::app::CategoryRows()[static_cast<size_t>(row)].text);
      QVERIFY(c != nullptr);
      for (QLabel* label : page->findChildren<QLabel*>(QRegularExpression("^TxtInfo"))) {
        const QRect box = label->geometry();
        QVERIFY2(page->rect().contains(box), qPrintable(label->objectName()));
        for (QWidget* w : page->findChildren<QWidget*>()) {
          const bool control =
              qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w);
          if (control && w->isVisible()) {
            QVERIFY2(!box.intersects(QRect(w->mapTo(page.get(), QPoint(0, 0)), w->size())),
                     qPrintable(c->page + QString(" ") + label->objectName() + " covers " + w->objectName()));
          }
        }
        for (const std::string& text : TextsBeside(*c, label->objectName().toLatin1().constData())) {
          const QString shown = QString::fromStdString(text);
          const QRect need = label->fontMetrics().boundingRect(QRect(0, 0, box.width(), 1000), Qt::TextWordWrap, shown);
          QVERIFY2(need.width() <= box.width() && need.height() <= box.height(),
                   qPrintable(c->page + QString(" ") + label->objectName() + ": " + shown));
        }
      }
    }
  }

  void buttonsAndResultBoxesStandApart() {
    for (int row : {0, 2, 4, 11}) {
      Open(row);
      auto* calc = Child<QPushButton>(page.get(), "BtnCalc");
      auto* reset = Child<QPushButton>(page.get(), "BtnReset");
      QVERIFY(calc->geometry().right() + 2 < reset->geometry().left());
    }
    Open(2);
    QVERIFY(Child<QGroupBox>(page.get(), "GroupBox1")->geometry().right() + 2 <
            Child<QGroupBox>(page.get(), "GroupBox2")->geometry().left());
  }

  void clickOnAResultFigureKeepsTheFieldFocused() {
    Open(0);
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    auto* income = Child<QLineEdit>(page.get(), "EditIncome");
    Type(income, "9000");
    PressEnter(income);
    QTest::mouseClick(Child<QLabel>(page.get(), "TxtTaxIncome"), Qt::LeftButton);
    QVERIFY(income->hasFocus());
    Type(income, "10000");
    PressEnter(income);
    QCOMPARE(Child<QLabel>(page.get(), "TxtTaxIncome")->text(), QString("6500.00"));
  }
};

QTEST_MAIN(PageLayoutTest)
#include "page_layout_test.moc"
