#include "pages/frm_company.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "pages/page_texts.h"
#include "tax/business.h"

namespace quorvex::pages {
namespace {

constexpr char kCaptionIncome[] = "收入金额";
constexpr char kCaptionTaxIncome[] = "应纳税所得额";
constexpr char kCaptionRate[] = "税率";
constexpr char kCaptionDeduct[] = "速算扣除数";
constexpr char kCaptionTax[] = "应纳税额";
constexpr char kCaptionRealIncome[] = "税后收入";

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TFrmCompany::TFrmCompany(QWidget* parent) : CalculatorPage(parent) {
  setObjectName("TFrmCompany");
  BuildControls();
  ConnectHandlers();
}

void TFrmCompany::BuildControls() {
  EditIncome = MakeEdit("EditIncome");
  TxtInfo = MakeMessageLabel("TxtInfo");
  BtnCalc = MakeButton("BtnCalc", QString::fromUtf8(texts::kCalc));
  BtnReset = MakeButton("BtnReset", QString::fromUtf8(texts::kReset));
  TxtTaxIncome = MakeResultLabel("TxtTaxIncome");
  TxtRate = MakeResultLabel("TxtRate");
  TxtDeduct = MakeResultLabel("TxtDeduct");
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
  AddLine(grid, 4, QString::fromUtf8(kCaptionTaxIncome), TxtTaxIncome, 3);
  AddLine(grid, 5, QString::fromUtf8(kCaptionRate), TxtRate, 3);
  AddLine(grid, 6, QString::fromUtf8(kCaptionDeduct), TxtDeduct, 3);
  AddLine(grid, 7, QString::fromUtf8(kCaptionTax), EditTax);
  AddLine(grid, 8, QString::fromUtf8(kCaptionRealIncome), EditRealIncome);
  grid->setRowStretch(9, 1);

  setTabOrder(EditIncome, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
  setTabOrder(BtnReset, EditTax);
  setTabOrder(EditTax, EditRealIncome);
}

void TFrmCompany::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, &TFrmCompany::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &TFrmCompany::BtnResetClick);
  connect(EditIncome, &QLineEdit::textChanged, this, &TFrmCompany::EditIncomeChange);
  OnEnter(EditIncome, [this] { BtnCalcClick(); });  // EditIncomeKeyDown
}

void TFrmCompany::BtnCalcClick() {
  ClearResults();
  double income = 0;
  if (!ReadAmount({EditIncome, TxtInfo, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive},
                  income))
    return;
  ShowResult(tax::ShowBusinessResult(tax::CalcBusinessTax(income)));
  FocusAndSelect(EditIncome);
}

void TFrmCompany::ShowResult(const tax::BusinessTexts& shown) {
  SetText(TxtTaxIncome, Text(shown.taxableIncome));
  SetText(TxtRate, Text(shown.rate));
  SetText(TxtDeduct, Text(shown.quickDeduction));
  SetText(EditTax, Text(shown.tax));
  SetText(EditRealIncome, Text(shown.afterTax));
}

void TFrmCompany::BtnResetClick() {
  ClearResults();
  SetText(EditIncome, QString());
  EditIncome->setFocus(Qt::OtherFocusReason);
}

void TFrmCompany::EditIncomeChange() { SetText(TxtInfo, QString()); }

}  // namespace quorvex::pages
