// The command line and the window must never differ: every category is driven through its
// page and through the command-line core with the same inputs, and every shown text, the
// message and the warning are compared.
#include <QtTest>
#include <map>
#include <memory>

#include "app/page_table.h"
#include "cli/categories.h"
#include "pages/blind_zone_warning.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"

using namespace quorvex::testing;
using quorvex::cli::Line;

namespace {

struct PageMap {
  const char* key;
  int row;
  const char* kind;        // calculation kind
  const char* typedField;  // where the amount is typed
  const char* firstField;  // where a reverse calculation writes the income
  std::map<Line, const char*> lines;
};

const std::map<Line, const char*> kPayment{{Line::kAllowance, "TxtDeduct"},
                                           {Line::kTaxableIncome, "TxtTaxIncome"},
                                           {Line::kRate, "TxtRate"},
                                           {Line::kTax, "EditTax"},
                                           {Line::kAfterTax, "EditRealIncome"}};
const std::map<Line, const char*> kFlat{{Line::kTaxableIncome, "TxtTaxIncome"},
                                        {Line::kRate, "TxtRate"},
                                        {Line::kTax, "EditTax"},
                                        {Line::kAfterTax, "EditRealIncome"}};
const std::map<Line, const char*> kBusiness{{Line::kTaxableIncome, "TxtTaxIncome"},
                                            {Line::kRate, "TxtRate"},
                                            {Line::kQuickDeduction, "TxtDeduct"},
                                            {Line::kTax, "EditTax"},
                                            {Line::kAfterTax, "EditRealIncome"}};
const std::map<Line, const char*> kSalary{{Line::kTaxableIncome, "TxtTaxIncome"},
                                          {Line::kRate, "TxtRate"},
                                          {Line::kQuickDeduction, "TxtQuick"},
                                          {Line::kTax, "EditTax"},
                                          {Line::kAfterTax, "EditRealIncome"}};
const std::map<Line, const char*> kYear{{Line::kMonthlyAverage, "TxtAverage"},
                                        {Line::kRate, "TxtRate"},
                                        {Line::kQuickDeduction, "TxtQuick"},
                                        {Line::kTax, "EditTax"},
                                        {Line::kAfterTax, "EditRealIncome"}};
const std::map<Line, const char*> kLabour{{Line::kAllowance, "TxtDeduct"}, {Line::kTaxableIncome, "TxtTaxIncome"},
                                          {Line::kRate, "TxtRate"},        {Line::kQuickDeduction, "TxtQuick"},
                                          {Line::kTax, "EditTax"},         {Line::kAfterTax, "EditRealIncome"}};
const std::map<Line, const char*> kAward{{Line::kSalaryTax, "TxtTax1"},    {Line::kSalaryAfterTax, "TxtRealIncome1"},
                                         {Line::kBonusTax, "TxtTax2"},     {Line::kBonusAfterTax, "TxtRealIncome2"},
                                         {Line::kTotalTax, "TxtTaxTotal"}, {Line::kTotalAfterTax, "TxtRealIncomeAll"}};

const std::vector<PageMap> kPages{
    {"salary", 0, "forward", "EditIncome", "EditIncome", kSalary},
    {"salary", 0, "from-tax", "EditTax", "EditIncome", kSalary},
    {"salary", 0, "from-take-home", "EditRealIncome", "EditIncome", kSalary},
    {"year-bonus", 1, "forward", "EditIncome", "EditIncome", kYear},
    {"year-bonus", 1, "from-after-tax", "EditRealIncome", "EditIncome", kYear},
    {"salary-bonus", 2, "forward", "EditYear", "EditYear", kAward},
    {"labour", 4, "forward", "EditIncome", "EditIncome", kLabour},
    {"labour", 4, "from-after-tax", "EditRealIncome", "EditIncome", kLabour},
    {"writing", 5, "forward", "EditIncome", "EditIncome", kPayment},
    {"rent", 6, "forward", "EditIncome", "EditIncome", kPayment},
    {"property", 7, "forward", "EditIncome", "EditIncome", kFlat},
    {"royalties", 9, "forward", "EditIncome", "EditIncome", kPayment},
    {"business", 10, "forward", "EditIncome", "EditIncome", kBusiness},
    {"contract", 11, "forward", "EditIncome", "EditIncome", kBusiness},
    {"interest", 13, "forward", "EditIncome", "EditIncome", kFlat},
    {"chance", 14, "forward", "EditIncome", "EditIncome", kFlat},
    {"other", 15, "forward", "EditIncome", "EditIncome", kFlat},
};

const QStringList kAmounts{"5000",    "800",      "800.01",   "4000",      "4000.01", "3360",     "21000",
                           "49500",   "19283.32", "19283.33", "706538.46", "60187.5", "54000.01", "1245.125",
                           "12500.5", "15000",    "30000.01", "100000",    "10500",   "10500.01", "9823.45",
                           "0.375",   "800.375",  " 12.5\t",  "1e3",       ".",       "0",        "-1",
                           "abc",     "",         "1e308",    "1e400",     "45",      "22495",    "4955"};

QString Messages(QWidget* page) {
  QStringList shown;
  for (QLabel* label : page->findChildren<QLabel*>(QRegularExpression("^TxtInfo"))) {
    if (!label->text().isEmpty()) shown << label->text();
  }
  return shown.join('|');
}

QString TextOf(QWidget* page, const char* name) {
  QWidget* w = Child<QWidget>(page, name);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  return qobject_cast<QLabel*>(w)->text();
}

}  // namespace

class PageAgreementTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    quorvex::pages::SetWarningPresenter([this](QWidget*, const QString&, const QString&) { ++warnings; });
  }
  void cleanupTestCase() { quorvex::pages::SetWarningPresenter({}); }

  void everyShownTextAgrees_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("salary");
    QTest::addColumn<QString>("contributions");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("months");
    for (size_t p = 0; p < kPages.size(); ++p) {
      for (const QString& amount : kAmounts) {
        const QString name = QString("%1 %2 [%3]").arg(kPages[p].key, kPages[p].kind, amount);
        QTest::newRow(qPrintable(name)) << int(p) << amount << "3000"
                                        << "" << 0 << 12;
        QTest::newRow(qPrintable(name + " 4800")) << int(p) << amount << "8000.5"
                                                  << "523.45" << 1 << 3;
      }
    }
  }

  void everyShownTextAgrees() {
    QFETCH(int, page);
    QFETCH(QString, amount);
    QFETCH(QString, salary);
    QFETCH(QString, contributions);
    QFETCH(int, threshold);
    QFETCH(int, months);
    const PageMap& map = kPages[static_cast<size_t>(page)];
    std::unique_ptr<quorvex::pages::CalculatorPage> w(quorvex::app::CreatePageForRow(map.row, nullptr));
    w->show();
    if (auto* edit = w->findChild<QLineEdit*>("EditSafe")) edit->setText(contributions);
    if (auto* edit = w->findChild<QLineEdit*>("EditSalary")) edit->setText(salary);
    if (auto* list = w->findChild<QComboBox*>("CmbPoint")) list->setCurrentIndex(threshold);
    if (auto* list = w->findChild<QComboBox*>("CmbMonth")) list->setCurrentIndex(months - 1);
    warnings = 0;
    auto* typed = Child<QLineEdit>(w.get(), map.typedField);
    typed->setText(amount);
    PressEnter(typed);

    quorvex::cli::Request request;
    request.category = map.key;
    request.calc = map.kind;
    request.amount = amount.toStdString();
    request.salary = salary.toStdString();
    request.contributions = contributions.toStdString();
    request.threshold = threshold == 0 ? "3500" : "4800";
    request.months = std::to_string(months);
    const quorvex::cli::Outcome out = quorvex::cli::Calculate(request);

    QCOMPARE(Messages(w.get()), QString::fromStdString(out.message));
    QCOMPARE(warnings > 0, out.warning);
    if (!out.ok) return;
    for (const auto& [line, name] : map.lines) {
      QCOMPARE(TextOf(w.get(), name), QString::fromStdString(out[line]));
    }
    if (!out.income.empty()) QCOMPARE(TextOf(w.get(), map.firstField), QString::fromStdString(out.income));
  }

 private:
  int warnings = 0;
};

QTEST_MAIN(PageAgreementTest)
#include "page_agreement_test.moc"
