#include "pages/frm_salary.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "pages/page_texts.h"
#include "tax/amount.h"
#include "tax/wage.h"

namespace quorvex::pages {
namespace {

constexpr char kCaptionSalary[] = "税前工资";
constexpr char kCaptionSafe[] = "五险一金";
constexpr char kCaptionPoint[] = "起征点";
constexpr char kCaptionTaxIncome[] = "应纳税所得额";
constexpr char kCaptionRate[] = "税率";
constexpr char kCaptionQuick[] = "速算扣除数";
constexpr char kCaptionTax[] = "应纳税额";
constexpr char kCaptionRealIncome[] = "实发工资";
const QStringList kThresholds{QStringLiteral("3500"), QStringLiteral("4800")};

QString Amount(double v) { return QString::fromStdString(tax::FormatAmount(v)); }

}  // namespace

TFrmSalary::TFrmSalary(QWidget* parent) : CalculatorPage(parent) {
  setObjectName("TFrmSalary");
  BuildControls();
  ConnectHandlers();
}

void TFrmSalary::BuildControls() {
  EditIncome = MakeEdit("EditIncome");
  EditSafe = MakeEdit("EditSafe");
  CmbPoint = MakeList("CmbPoint", kThresholds);
  BtnCalc = MakeButton("BtnCalc", QString::fromUtf8(texts::kCalc));
  BtnReset = MakeButton("BtnReset", QString::fromUtf8(texts::kReset));
  TxtInfo_1 = MakeMessageLabel("TxtInfo_1");
  TxtInfo_2 = MakeMessageLabel("TxtInfo_2");
  TxtTaxIncome = MakeResultLabel("TxtTaxIncome");
  TxtRate = MakeResultLabel("TxtRate");
  TxtQuick = MakeResultLabel("TxtQuick");
  EditTax = MakeEdit("EditTax");
  BtnTax = MakeButton("BtnTax", QString::fromUtf8(texts::kReverse));
  TxtInfo_3 = MakeMessageLabel("TxtInfo_3");
  EditRealIncome = MakeEdit("EditRealIncome");
  BtnRealIncome = MakeButton("BtnRealIncome", QString::fromUtf8(texts::kReverse));
  TxtInfo_4 = MakeMessageLabel("TxtInfo_4");
  AddResultField(EditTax);
  AddResultField(EditRealIncome);
  SetFirstField(EditIncome);

  QGridLayout* grid = MakeGrid();
  AddLine(grid, 0, QString::fromUtf8(kCaptionSalary), EditIncome);
  grid->addWidget(TxtInfo_1, 0, 2, 1, 2);
  AddLine(grid, 1, QString::fromUtf8(kCaptionSafe), EditSafe);
  grid->addWidget(TxtInfo_2, 1, 2, 1, 2);
  AddLine(grid, 2, QString::fromUtf8(kCaptionPoint), CmbPoint);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCalc);
  buttons->addWidget(BtnReset);
  grid->addLayout(buttons, 3, 1, 1, 2);
  AddResultsHeading(grid, 4);
  AddLine(grid, 6, QString::fromUtf8(kCaptionTaxIncome), TxtTaxIncome, 3);
  AddLine(grid, 7, QString::fromUtf8(kCaptionRate), TxtRate, 3);
  AddLine(grid, 8, QString::fromUtf8(kCaptionQuick), TxtQuick, 3);
  AddLine(grid, 9, QString::fromUtf8(kCaptionTax), EditTax);
  grid->addWidget(BtnTax, 9, 2);
  grid->addWidget(TxtInfo_3, 9, 3);
  AddLine(grid, 10, QString::fromUtf8(kCaptionRealIncome), EditRealIncome);
  grid->addWidget(BtnRealIncome, 10, 2);
  grid->addWidget(TxtInfo_4, 10, 3);
  grid->setRowStretch(11, 1);

  setTabOrder(EditIncome, EditSafe);
  setTabOrder(EditSafe, CmbPoint);
  setTabOrder(CmbPoint, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
  setTabOrder(BtnReset, EditTax);
  setTabOrder(EditTax, BtnTax);
  setTabOrder(BtnTax, EditRealIncome);
  setTabOrder(EditRealIncome, BtnRealIncome);
}

void TFrmSalary::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, &TFrmSalary::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &TFrmSalary::BtnResetClick);
  connect(BtnTax, &QPushButton::clicked, this, &TFrmSalary::BtnTaxClick);
  connect(BtnRealIncome, &QPushButton::clicked, this, &TFrmSalary::BtnRealIncomeClick);
  for (QLineEdit* edit : {EditIncome, EditSafe, EditTax, EditRealIncome}) {
    connect(edit, &QLineEdit::textChanged, this, &TFrmSalary::EditSafeChange);
  }
  // EditSafeKeyDown, EditTaxKeyDown, EditRealIncomeKeyDown.
  OnEnter(EditIncome, [this] { BtnCalcClick(); });
  OnEnter(EditSafe, [this] { BtnCalcClick(); });
  OnEnter(EditTax, [this] { BtnTaxClick(); });
  OnEnter(EditRealIncome, [this] { BtnRealIncomeClick(); });
}

void TFrmSalary::FrameResize() { CalculatorPage::FrameResize(); }

double TFrmSalary::Threshold() const { return tax::ParseAmount(CmbPoint->currentText().toStdString()).value_or(3500); }

bool TFrmSalary::ReadContributions(double& contributions) {
  return ReadAmount(
      {EditSafe, TxtInfo_2, AmountRule::NonNegative, true, texts::kInvalidAmount, texts::kContributionsNegative},
      contributions);
}

void TFrmSalary::BtnCalcClick() {
  ClearResults();
  double salary = 0;
  double contributions = 0;
  if (!ReadAmount(
          {EditIncome, TxtInfo_1, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive},
          salary))
    return;
  if (!ReadContributions(contributions)) return;
  const tax::SalaryResult r = tax::CalcSalaryTax({salary, contributions, Threshold()});
  if (r.taxed) {
    SetText(TxtTaxIncome, Amount(r.taxableIncome));
    SetText(TxtRate, QString::fromStdString(tax::FormatPercent(r.row.rate)));
    SetText(TxtQuick, Amount(r.row.quickDeduction));
    SetText(EditTax, Amount(r.tax));
  } else {
    SetText(EditTax, QString::fromLatin1(texts::kZero));
  }
  SetText(EditRealIncome, Amount(r.takeHome));
  FocusAndSelect(EditIncome);
}

void TFrmSalary::BtnTaxClick() {
  ClearMessages();
  double taxPayable = 0;
  double contributions = 0;
  if (!ReadAmount({EditTax, TxtInfo_3, AmountRule::Positive, false, texts::kReverseInvalid, texts::kReverseNotPositive},
                  taxPayable))
    return;
  if (!ReadContributions(contributions)) return;
  ApplyReverse(tax::SalaryIncomeFromTax(taxPayable, contributions, Threshold()), EditTax, TxtInfo_3);
}

void TFrmSalary::BtnRealIncomeClick() {
  ClearMessages();
  double takeHome = 0;
  double contributions = 0;
  if (!ReadAmount(
          {EditRealIncome, TxtInfo_4, AmountRule::Positive, false, texts::kReverseInvalid, texts::kReverseNotPositive},
          takeHome))
    return;
  if (!ReadContributions(contributions)) return;
  ApplyReverse(tax::SalaryIncomeFromRealIncome(takeHome, contributions, Threshold()), EditRealIncome, TxtInfo_4);
}

void TFrmSalary::ApplyReverse(double salary, QLineEdit* from, QLabel* label) {
  if (!std::isfinite(salary)) {
    Reject(from, label, QString::fromUtf8(texts::kReverseInvalid));
    return;
  }
  SetText(EditIncome, QString::fromStdString(tax::FormatGeneral(salary)));
  BtnCalcClick();
}

void TFrmSalary::BtnResetClick() {
  ClearResults();
  SetText(EditIncome, QString());
  EditIncome->setFocus(Qt::OtherFocusReason);
  SetText(EditSafe, QString());
  CmbPoint->setCurrentIndex(0);
}

void TFrmSalary::EditSafeChange() { ClearMessages(); }

}  // namespace quorvex::pages
