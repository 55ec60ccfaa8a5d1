#include "pages/frm_contract.h"

#include <QComboBox>
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
constexpr char kCaptionMonths[] = "经营时间";
constexpr char kCaptionMonthUnit[] = "月";
constexpr char kCaptionTaxIncome[] = "应纳税所得额";
constexpr char kCaptionRate[] = "税率";
constexpr char kCaptionDeduct[] = "速算扣除数";
constexpr char kCaptionTax[] = "应纳税额";
constexpr char kCaptionRealIncome[] = "税后收入";

QString Text(const std::string& s) { return QString::fromStdString(s); }

QStringList MonthEntries() {
  QStringList entries;
  for (int m = tax::kMinOperationMonths; m <= tax::kMaxOperationMonths; ++m) entries << QString::number(m);
  return entries;
}

}  // namespace

TFrmContract::TFrmContract(QWidget* parent) : CalculatorPage(parent) {
  setObjectName("TFrmContract");
  BuildControls();
  ConnectHandlers();
}

void TFrmContract::BuildControls() {
  EditIncome = MakeEdit("EditIncome");
  TxtInfo = MakeMessageLabel("TxtInfo");
  CmbMonth = MakeList("CmbMonth", MonthEntries());
  CmbMonth->setMaxVisibleItems(tax::kMaxOperationMonths);
  ChooseFullYear();
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
  AddLine(grid, 1, QString::fromUtf8(kCaptionMonths), CmbMonth);
  grid->addWidget(MakeCaption(QString::fromUtf8(kCaptionMonthUnit)), 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCalc);
  buttons->addWidget(BtnReset);
  grid->addLayout(buttons, 2, 1, 1, 2);
  AddResultsHeading(grid, 3);
  AddLine(grid, 5, QString::fromUtf8(kCaptionTaxIncome), TxtTaxIncome, 3);
  AddLine(grid, 6, QString::fromUtf8(kCaptionRate), TxtRate, 3);
  AddLine(grid, 7, QString::fromUtf8(kCaptionDeduct), TxtDeduct, 3);
  AddLine(grid, 8, QString::fromUtf8(kCaptionTax), EditTax);
  AddLine(grid, 9, QString::fromUtf8(kCaptionRealIncome), EditRealIncome);
  grid->setRowStretch(10, 1);

  // The month list comes last although it stands above the buttons.
  setTabOrder(EditIncome, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
  setTabOrder(BtnReset, EditTax);
  setTabOrder(EditTax, EditRealIncome);
  setTabOrder(EditRealIncome, CmbMonth);
}

void TFrmContract::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, &TFrmContract::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &TFrmContract::BtnResetClick);
  connect(EditIncome, &QLineEdit::textChanged, this, &TFrmContract::EditIncomeChange);
  OnEnter(EditIncome, [this] { BtnCalcClick(); });  // EditIncomeKeyDown
}

void TFrmContract::FrameResize() {
  FillMonths();
  ChooseFullYear();
  CalculatorPage::FrameResize();
}

void TFrmContract::FillMonths() {
  CmbMonth->clear();
  CmbMonth->addItems(MonthEntries());
}

void TFrmContract::ChooseFullYear() { CmbMonth->setCurrentIndex(tax::kMaxOperationMonths - 1); }

// The months follow from the position of the chosen entry: the first entry is one month.
int TFrmContract::Months() const { return CmbMonth->currentIndex() + 1; }

void TFrmContract::BtnCalcClick() {
  ClearResults();
  double income = 0;
  if (!ReadAmount({EditIncome, TxtInfo, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive},
                  income))
    return;
  ShowResult(tax::ShowBusinessResult(tax::CalcContractTax(income, Months())));
  FocusAndSelect(EditIncome);
}

void TFrmContract::ShowResult(const tax::BusinessTexts& shown) {
  SetText(TxtTaxIncome, Text(shown.taxableIncome));
  SetText(TxtRate, Text(shown.rate));
  SetText(TxtDeduct, Text(shown.quickDeduction));
  SetText(EditTax, Text(shown.tax));
  SetText(EditRealIncome, Text(shown.afterTax));
  SetText(TxtInfo, Text(shown.notice));
}

void TFrmContract::BtnResetClick() {
  ClearResults();
  SetText(EditIncome, QString());
  EditIncome->setFocus(Qt::OtherFocusReason);
  ChooseFullYear();
}

void TFrmContract::EditIncomeChange() { SetText(TxtInfo, QString()); }

}  // namespace quorvex::pages
