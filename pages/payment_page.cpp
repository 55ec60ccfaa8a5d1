#include "pages/payment_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "pages/page_texts.h"
#include "tax/payment.h"

namespace quorvex::pages {
namespace {

constexpr char kCaptionIncome[] = "收入金额";
constexpr char kCaptionDeduct[] = "减除费用";
constexpr char kCaptionTaxIncome[] = "应纳税所得额";
constexpr char kCaptionRate[] = "税率";
constexpr char kCaptionTax[] = "应纳税额";
constexpr char kCaptionRealIncome[] = "税后收入";

}  // namespace

PaymentPage::PaymentPage(Lines lines, QWidget* parent) : CalculatorPage(parent) {
  BuildControls(lines);
  ConnectHandlers();
}

void PaymentPage::BuildControls(Lines lines) {
  EditIncome = MakeEdit("EditIncome");
  TxtInfo = MakeMessageLabel("TxtInfo");
  BtnCalc = MakeButton("BtnCalc", QString::fromUtf8(texts::kCalc));
  BtnReset = MakeButton("BtnReset", QString::fromUtf8(texts::kReset));
  if (lines == Lines::WithAllowance) TxtDeduct = MakeResultLabel("TxtDeduct");
  TxtTaxIncome = MakeResultLabel("TxtTaxIncome");
  TxtRate = MakeResultLabel("TxtRate");
  EditTax = MakeEdit("EditTax");
  EditRealIncome = MakeEdit("EditRealIncome");
  AddResultField(EditTax);
  AddResultField(EditRealIncome);
  SetFirstField(EditIncome);

  QGridLayout* grid = MakeGrid();
  AddLine(grid, 0, QString::fromUtf8(kCaptionIncome), EditIncome);
  grid->addWidget(TxtInfo, 0, 2, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCalc);
  buttons->addWidget(BtnReset);
  grid->addLayout(buttons, 1, 1, 1, 2);
  AddResultsHeading(grid, 2);
  int row = 4;
  if (TxtDeduct != nullptr) {
    AddLine(grid, row++, QString::fromUtf8(kCaptionDeduct), TxtDeduct, 3);
  }
  AddLine(grid, row++, QString::fromUtf8(kCaptionTaxIncome), TxtTaxIncome, 3);
  AddLine(grid, row++, QString::fromUtf8(kCaptionRate), TxtRate, 3);
  AddLine(grid, row++, QString::fromUtf8(kCaptionTax), EditTax);
  AddLine(grid, row++, QString::fromUtf8(kCaptionRealIncome), EditRealIncome);
  grid->setRowStretch(row, 1);

  setTabOrder(EditIncome, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
  setTabOrder(BtnReset, EditTax);
  setTabOrder(EditTax, EditRealIncome);
}

void PaymentPage::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, [this] { BtnCalcClick(); });
  connect(BtnReset, &QPushButton::clicked, this, &PaymentPage::BtnResetClick);
  connect(EditIncome, &QLineEdit::textChanged, this, &PaymentPage::EditIncomeChange);
  // EditIncomeKeyDown. EditTax and EditRealIncome have no handlers: nothing reads them back.
  OnEnter(EditIncome, [this] { BtnCalcClick(); });
}

bool PaymentPage::ReadIncome(double& payment) {
  return ReadAmount(
      {EditIncome, TxtInfo, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive}, payment);
}

void PaymentPage::ShowResults(const tax::PaymentTexts& t) {
  SetText(TxtInfo, Text(t.notice));
  if (TxtDeduct != nullptr) SetText(TxtDeduct, Text(t.deduct));
  SetText(TxtTaxIncome, Text(t.taxIncome));
  SetText(TxtRate, Text(t.rate));
  SetText(EditTax, Text(t.tax));
  SetText(EditRealIncome, Text(t.realIncome));
}

void PaymentPage::BtnResetClick() {
  ClearResults();
  SetText(EditIncome, QString());
  EditIncome->setFocus(Qt::OtherFocusReason);
}

void PaymentPage::EditIncomeChange() { SetText(TxtInfo, QString()); }

}  // namespace quorvex::pages
