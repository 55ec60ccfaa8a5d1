#include "pages/frm_labour.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "pages/page_texts.h"
#include "tax/amount.h"
#include "tax/labour.h"

namespace quorvex::pages {
namespace {

constexpr char kCaptionIncome[] = "收入金额";
constexpr char kCaptionDeduct[] = "减除费用";
constexpr char kCaptionTaxIncome[] = "应纳税所得额";
constexpr char kCaptionRate[] = "税率";
constexpr char kCaptionQuick[] = "速算扣除数";
constexpr char kCaptionTax[] = "应纳税额";
constexpr char kCaptionRealIncome[] = "税后收入";

QString Text(const std::string& s) { return QString::fromStdString(s); }
QString Utf8(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TFrmLabour::TFrmLabour(QWidget* parent) : CalculatorPage(parent) {
  setObjectName("TFrmLabour");
  BuildControls();
  LayOut();
  ConnectHandlers();
}

void TFrmLabour::BuildControls() {
  EditIncome = MakeEdit("EditIncome");
  TxtInfo = MakeMessageLabel("TxtInfo");
  BtnCalc = MakeButton("BtnCalc", Utf8(texts::kCalc));
  BtnReset = MakeButton("BtnReset", Utf8(texts::kReset));
  TxtDeduct = MakeResultLabel("TxtDeduct");
  TxtTaxIncome = MakeResultLabel("TxtTaxIncome");
  TxtRate = MakeResultLabel("TxtRate");
  TxtQuick = MakeResultLabel("TxtQuick");
  EditTax = MakeEdit("EditTax");
  EditRealIncome = MakeEdit("EditRealIncome");
  BtnRealIncome = MakeButton("BtnRealIncome", Utf8(texts::kReverse));
  TxtInfo_2 = MakeMessageLabel("TxtInfo_2");
  AddResultField(EditTax);
  AddResultField(EditRealIncome);
  SetFirstField(EditIncome);
}

void TFrmLabour::LayOut() {
  QGridLayout* grid = MakeGrid();
  AddLine(grid, 0, Utf8(kCaptionIncome), EditIncome);
  grid->addWidget(TxtInfo, 0, 2, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCalc);
  buttons->addWidget(BtnReset);
  grid->addLayout(buttons, 1, 1, 1, 2);
  AddResultsHeading(grid, 2);
  AddLine(grid, 4, Utf8(kCaptionDeduct), TxtDeduct, 3);
  AddLine(grid, 5, Utf8(kCaptionTaxIncome), TxtTaxIncome, 3);
  AddLine(grid, 6, Utf8(kCaptionRate), TxtRate, 3);
  AddLine(grid, 7, Utf8(kCaptionQuick), TxtQuick, 3);
  AddLine(grid, 8, Utf8(kCaptionTax), EditTax);
  AddLine(grid, 9, Utf8(kCaptionRealIncome), EditRealIncome);
  grid->addWidget(BtnRealIncome, 9, 2);
  grid->addWidget(TxtInfo_2, 9, 3);
  grid->setRowStretch(10, 1);

  setTabOrder(EditIncome, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
  setTabOrder(BtnReset, EditTax);
  setTabOrder(EditTax, EditRealIncome);
  setTabOrder(EditRealIncome, BtnRealIncome);
}

void TFrmLabour::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, &TFrmLabour::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &TFrmLabour::BtnResetClick);
  connect(BtnRealIncome, &QPushButton::clicked, this, &TFrmLabour::BtnRealIncomeClick);
  connect(EditIncome, &QLineEdit::textChanged, this, &TFrmLabour::EditIncomeChange);
  connect(EditRealIncome, &QLineEdit::textChanged, this, &TFrmLabour::EditRealIncomeChange);
  // EditIncomeKeyDown, EditRealIncomeKeyDown. EditTax has no handlers.
  OnEnter(EditIncome, [this] { BtnCalcClick(); });
  OnEnter(EditRealIncome, [this] { BtnRealIncomeClick(); });
}

void TFrmLabour::BtnCalcClick() {
  ClearResults();
  double payment = 0;
  if (!ReadAmount({EditIncome, TxtInfo, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive},
                  payment))
    return;
  const tax::LabourResult r = tax::CalcLabourTax(payment);
  const tax::PaymentTexts t = tax::ShowLabourTax(r);
  if (!r.taxed) {
    // 800 or less: no notice, the labels keep "0.00", and the focus stays where it is.
    SetText(EditTax, Text(t.tax));
    SetText(EditRealIncome, Text(t.realIncome));
    return;
  }
  SetText(TxtDeduct, Text(t.deduct));
  SetText(TxtTaxIncome, Text(t.taxIncome));
  SetText(TxtRate, Text(t.rate));
  SetText(TxtQuick, Text(t.quick));
  SetText(EditTax, Text(t.tax));
  SetText(EditRealIncome, Text(t.realIncome));
  FocusAndSelect(EditIncome);
}

void TFrmLabour::BtnRealIncomeClick() {
  // No messages are emptied first: a rejected amount leaves TxtInfo as it was.
  double realIncome = 0;
  if (!ReadAmount(
          {EditRealIncome, TxtInfo_2, AmountRule::Positive, false, texts::kReverseInvalid, texts::kReverseNotPositive},
          realIncome))
    return;
  const double payment = tax::LabourIncomeFromRealIncome(realIncome);
  const std::string text = tax::FormatGeneral(payment);
  // Far beyond any real payment the gross amount leaves the range of a double, or its
  // 15-digit text does; report the typed amount as invalid rather than show it.
  if (!std::isfinite(payment) || !tax::ParseAmount(text)) {
    Reject(EditRealIncome, TxtInfo_2, Utf8(texts::kReverseInvalid));
    return;
  }
  SetText(EditIncome, Text(text));
  BtnCalcClick();
}

void TFrmLabour::BtnResetClick() {
  ClearResults();
  SetText(EditIncome, QString());
  EditIncome->setFocus(Qt::OtherFocusReason);
}

void TFrmLabour::EditIncomeChange() { SetText(TxtInfo, QString()); }

void TFrmLabour::EditRealIncomeChange() {
  SetText(TxtInfo, QString());
  SetText(TxtInfo_2, QString());
}

}  // namespace quorvex::pages
