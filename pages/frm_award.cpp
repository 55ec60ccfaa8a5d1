#include "pages/frm_award.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "pages/blind_zone_warning.h"
#include "pages/page_texts.h"
#include "tax/amount.h"
#include "tax/bonus.h"

namespace quorvex::pages {
namespace {

constexpr char kCaptionBonus[] = "年终奖金";
constexpr char kCaptionSalary[] = "税前工资";
constexpr char kCaptionSafe[] = "五险一金";
constexpr char kCaptionPoint[] = "起征点";
constexpr char kGroupSalary[] = "工资";
constexpr char kGroupBonus[] = "年终奖";
constexpr char kCaptionTax[] = "应纳税额";
constexpr char kCaptionSalaryAfterTax[] = "税后工资";
constexpr char kCaptionBonusAfterTax[] = "税后奖金";
constexpr char kCaptionTaxTotal[] = "纳税总额";
constexpr char kCaptionRealIncomeAll[] = "税后总额";
const QStringList kThresholds{QStringLiteral("3500"), QStringLiteral("4800")};

QString Text(const std::string& s) { return QString::fromStdString(s); }

// A caption; `shows` is the value label it names, for screen readers.
QLabel* PlainLabel(const char* text, QWidget* parent, QWidget* shows = nullptr) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setTextFormat(Qt::PlainText);
  if (shows != nullptr) label->setBuddy(shows);
  return label;
}

void Emphasize(QLabel* label, const QColor& colour) {
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
}

}  // namespace

TFrmAward::TFrmAward(QWidget* parent) : CalculatorPage(parent) {
  setObjectName("TFrmAward");
  BuildControls();
  ConnectHandlers();
}

void TFrmAward::BuildControls() {
  EditYear = MakeEdit("EditYear");
  TxtInfo_1 = MakeMessageLabel("TxtInfo_1");
  EditSalary = MakeEdit("EditSalary");
  TxtInfo_2 = MakeMessageLabel("TxtInfo_2");
  EditSafe = MakeEdit("EditSafe");
  TxtInfo_3 = MakeMessageLabel("TxtInfo_3");
  CmbPoint = MakeList("CmbPoint", kThresholds);
  BtnCalc = MakeButton("BtnCalc", QString::fromUtf8(texts::kCalc));
  BtnReset = MakeButton("BtnReset", QString::fromUtf8(texts::kReset));
  SetFirstField(EditYear);

  QGridLayout* grid = MakeGrid();
  AddLine(grid, 0, QString::fromUtf8(kCaptionBonus), EditYear);
  grid->addWidget(TxtInfo_1, 0, 2, 1, 2);
  AddLine(grid, 1, QString::fromUtf8(kCaptionSalary), EditSalary);
  grid->addWidget(TxtInfo_2, 1, 2, 1, 2);
  AddLine(grid, 2, QString::fromUtf8(kCaptionSafe), EditSafe);
  grid->addWidget(TxtInfo_3, 2, 2, 1, 2);
  AddLine(grid, 3, QString::fromUtf8(kCaptionPoint), CmbPoint);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCalc);
  buttons->addWidget(BtnReset);
  grid->addLayout(buttons, 4, 1, 1, 2);
  AddResultsHeading(grid, 5);
  BuildResults(grid, 7);

  setTabOrder(EditYear, EditSalary);
  setTabOrder(EditSalary, EditSafe);
  setTabOrder(EditSafe, CmbPoint);
  setTabOrder(CmbPoint, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
}

// The two group boxes side by side, then the two totals.
void TFrmAward::BuildResults(QGridLayout* grid, int row) {
  TxtTax1 = MakeResultLabel("TxtTax1");
  TxtRealIncome1 = MakeResultLabel("TxtRealIncome1");
  TxtTax2 = MakeResultLabel("TxtTax2");
  TxtRealIncome2 = MakeResultLabel("TxtRealIncome2");
  TxtTaxTotal = MakeResultLabel("TxtTaxTotal");
  TxtRealIncomeAll = MakeResultLabel("TxtRealIncomeAll");
  Emphasize(TxtTaxTotal, QColor(255, 0, 0));
  Emphasize(TxtRealIncomeAll, QColor(0, 0, 255));

  auto* groups = new QHBoxLayout;
  groups->addWidget(MakeResultGroup("GroupBox1", kGroupSalary, TxtTax1, TxtRealIncome1, kCaptionSalaryAfterTax));
  groups->addWidget(MakeResultGroup("GroupBox2", kGroupBonus, TxtTax2, TxtRealIncome2, kCaptionBonusAfterTax));
  grid->addLayout(groups, row, 0, 1, 4);
  grid->addWidget(PlainLabel(kCaptionTaxTotal, this, TxtTaxTotal), row + 1, 0);
  grid->addWidget(TxtTaxTotal, row + 1, 1, 1, 3);
  grid->addWidget(PlainLabel(kCaptionRealIncomeAll, this, TxtRealIncomeAll), row + 2, 0);
  grid->addWidget(TxtRealIncomeAll, row + 2, 1, 1, 3);
  grid->setRowStretch(row + 3, 1);
}

// A group box with a bold title whose lines are not bold.
QGroupBox* TFrmAward::MakeResultGroup(const char* name, const char* title, QLabel* tax, QLabel* realIncome,
                                      const char* realIncomeCaption) {
  auto* group = new QGroupBox(QString::fromUtf8(title), this);
  group->setObjectName(QString::fromLatin1(name));
  QFont bold = group->font();
  bold.setBold(true);
  group->setFont(bold);
  auto* lines = new QGridLayout(group);
  lines->setColumnStretch(1, 1);
  lines->addWidget(PlainLabel(kCaptionTax, group, tax), 0, 0);
  lines->addWidget(tax, 0, 1);
  lines->addWidget(PlainLabel(realIncomeCaption, group, realIncome), 1, 0);
  lines->addWidget(realIncome, 1, 1);
  QFont normal = font();
  normal.setBold(false);
  for (QLabel* label : group->findChildren<QLabel*>()) label->setFont(normal);
  return group;
}

void TFrmAward::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, &TFrmAward::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &TFrmAward::BtnResetClick);
  // EditSafeChange and EditSafeKeyDown serve all three amount fields.
  for (QLineEdit* edit : {EditYear, EditSalary, EditSafe}) {
    connect(edit, &QLineEdit::textChanged, this, &TFrmAward::EditSafeChange);
    OnEnter(edit, [this] { BtnCalcClick(); });
  }
}

double TFrmAward::Threshold() const { return tax::ParseAmount(CmbPoint->currentText().toStdString()).value_or(3500); }

// The focus is left where it was: on the button, or in the field where Enter was pressed.
void TFrmAward::BtnCalcClick() {
  ClearResults();
  double bonus = 0;
  double salary = 0;
  double contributions = 0;
  if (!ReadAmount({EditYear, TxtInfo_1, AmountRule::Positive, false, texts::kInvalidAmount, texts::kIncomeNotPositive},
                  bonus) ||
      !ReadAmount(
          {EditSalary, TxtInfo_2, AmountRule::NonNegative, false, texts::kInvalidAmount, texts::kSalaryNegative},
          salary) ||
      !ReadAmount(
          {EditSafe, TxtInfo_3, AmountRule::NonNegative, true, texts::kInvalidAmount, texts::kContributionsNegative},
          contributions))
    return;
  const tax::SalaryAndBonusResult r = tax::CalcSalaryAndBonusTax({bonus, salary, contributions, Threshold()});
  const tax::SalaryAndBonusResult::Texts shown = r.Shown();
  SetText(TxtTax1, Text(shown.salaryTax));
  SetText(TxtRealIncome1, Text(shown.afterTaxSalary));
  // The warning comes while only the salary results are on show.
  if (!WarnOfBlindZone(this, TxtInfo_1, r.blindZone)) return;
  SetText(TxtTax2, Text(shown.bonusTax));
  SetText(TxtRealIncome2, Text(shown.afterTaxBonus));
  SetText(TxtTaxTotal, Text(shown.totalTax));
  SetText(TxtRealIncomeAll, Text(shown.totalAfterTax));
}

void TFrmAward::BtnResetClick() {
  ClearResults();
  SetText(EditYear, QString());
  EditYear->setFocus(Qt::OtherFocusReason);
  SetText(EditSalary, QString());
  SetText(EditSafe, QString());
  CmbPoint->setCurrentIndex(0);
}

void TFrmAward::EditSafeChange() { ClearMessages(); }

}  // namespace quorvex::pages
