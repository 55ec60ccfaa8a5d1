#include "pages/frm_year.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "pages/blind_zone_warning.h"
#include "pages/page_texts.h"
#include "tax/amount.h"
#include "tax/bonus.h"

namespace quorvex::pages {
namespace {

constexpr char kCaptionIncome[] = "收入金额";
constexpr char kCaptionAverage[] = "平均每月";
constexpr char kCaptionRate[] = "税率";
constexpr char kCaptionQuick[] = "速算扣除数";
constexpr char kCaptionTax[] = "应纳税额";
constexpr char kCaptionRealIncome[] = "税后收入";

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TFrmYear::TFrmYear(QWidget* parent) : CalculatorPage(parent) {
  setObjectName("TFrmYear");
  BuildControls();
  ConnectHandlers();
}

void TFrmYear::BuildControls() {
  EditIncome = MakeEdit("EditIncome");
  TxtInfo_1 = MakeMessageLabel("TxtInfo_1");
  BtnCalc = MakeButton("BtnCalc", QString::fromUtf8(texts::kCalc));
  BtnReset = MakeButton("BtnReset", QString::fromUtf8(texts::kReset));
  TxtAverage = MakeResultLabel("TxtAverage");
  TxtRate = MakeResultLabel("TxtRate");
  TxtQuick = MakeResultLabel("TxtQuick");
  EditTax = MakeEdit("EditTax");
  EditRealIncome = MakeEdit("EditRealIncome");
  BtnRealIncome = MakeButton("BtnRealIncome", QString::fromUtf8(texts::kReverse));
  TxtInfo_2 = MakeMessageLabel("TxtInfo_2");
  AddResultField(EditTax);
  AddResultField(EditRealIncome);
  SetFirstField(EditIncome);

  QGridLayout* grid = MakeGrid();
  AddLine(grid, 0, QString::fromUtf8(kCaptionIncome), EditIncome);
  grid->addWidget(TxtInfo_1, 0, 2, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCalc);
  buttons->addWidget(BtnReset);
  grid->addLayout(buttons, 1, 1, 1, 2);
  AddResultsHeading(grid, 2);
  AddLine(grid, 4, QString::fromUtf8(kCaptionAverage), TxtAverage, 3);
  AddLine(grid, 5, QString::fromUtf8(kCaptionRate), TxtRate, 3);
  AddLine(grid, 6, QString::fromUtf8(kCaptionQuick), TxtQuick, 3);
  AddLine(grid, 7, QString::fromUtf8(kCaptionTax), EditTax);
  AddLine(grid, 8, QString::fromUtf8(kCaptionRealIncome), EditRealIncome);
  grid->addWidget(BtnRealIncome, 8, 2);
  grid->addWidget(TxtInfo_2, 8, 3);
  grid->setRowStretch(9, 1);

  setTabOrder(EditIncome, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
  setTabOrder(BtnReset, EditTax);
  setTabOrder(EditTax, EditRealIncome);
  setTabOrder(EditRealIncome, BtnRealIncome);
}

void TFrmYear::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, &TFrmYear::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &TFrmYear::BtnResetClick);
  connect(BtnRealIncome, &QPushButton::clicked, this, &TFrmYear::BtnRealIncomeClick);
  connect(EditIncome, &QLineEdit::textChanged, this, &TFrmYear::EditIncomeChange);
  connect(EditTax, &QLineEdit::textChanged, this, &TFrmYear::EditTaxChange);
  connect(EditRealIncome, &QLineEdit::textChanged, this, &TFrmYear::EditRealIncomeChange);
  // EditIncomeKeyDown, EditRealIncomeKeyDown; EditTax has no key handler.
  OnEnter(EditIncome, [this] { BtnCalcClick(); });
  OnEnter(EditRealIncome, [this] { BtnRealIncomeClick(); });
}

void TFrmYear::BtnCalcClick() {
  ClearResults();
  double bonus = 0;
  if (!ReadAmount(
          {EditIncome, TxtInfo_1, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive},
          bonus))
    return;
  const tax::YearBonusResult r = tax::CalcYearBonusTax(bonus);
  const tax::YearBonusResult::Texts shown = r.Shown();
  SetText(TxtQuick, Text(shown.quick));
  SetText(TxtAverage, Text(shown.average));
  SetText(TxtRate, Text(shown.rate));
  SetText(EditTax, Text(shown.tax));
  SetText(EditRealIncome, Text(shown.afterTax));
  // After the result fields are written, so their change handlers leave the zone text alone.
  if (!WarnOfBlindZone(this, TxtInfo_1, r.blindZone)) return;
  FocusAndSelect(EditIncome);
}

// Unlike the other reverse calculations, no message is emptied before the read.
void TFrmYear::BtnRealIncomeClick() {
  double afterTax = 0;
  if (!ReadAmount(
          {EditRealIncome, TxtInfo_2, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive},
          afterTax))
    return;
  const double bonus = tax::YearBonusFromRealIncome(afterTax);
  if (!std::isfinite(bonus)) {
    Reject(EditRealIncome, TxtInfo_2, QString::fromUtf8(texts::kInvalidAmount));
    return;
  }
  SetText(EditIncome, Text(tax::FormatAmount(bonus)));
  BtnCalcClick();
}

void TFrmYear::BtnResetClick() {
  ClearResults();
  SetText(EditIncome, QString());
  EditIncome->setFocus(Qt::OtherFocusReason);
}

void TFrmYear::EditIncomeChange() { SetText(TxtInfo_1, QString()); }

void TFrmYear::EditTaxChange() { ClearMessages(); }

void TFrmYear::EditRealIncomeChange() { ClearMessages(); }

}  // namespace quorvex::pages
