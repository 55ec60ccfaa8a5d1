#include "pages/frm_plan.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "forms/plan_chart.h"
#include "forms/plan_form.h"
#include "pages/bonus_chart_tab.h"
#include "pages/chart_view.h"
#include "pages/look.h"
#include "pages/page_texts.h"

namespace quorvex::pages {
namespace {

constexpr char kTitle[] = "年终奖筹划";
constexpr char kCalc[] = "计算(&C)";
constexpr char kReset[] = "重置(&R)";
constexpr char kResultsHeading[] = "筹划结果";
constexpr char kPlanTab[] = "全年纳税图";
constexpr char kBonusTab[] = "年终奖盲区图";
constexpr char kSave[] = "保存图片(&S)...";
constexpr char kClose[] = "关闭(&X)";
// The main window's cream.

// Every text a message label of the dialog may show; the labels are made wide enough for
// the longest, so that none is cut off.
constexpr std::array<const char*, 6> kMessages{texts::kInvalidAmount,           texts::kIncomeNotPositive,
                                               texts::kContributionsNegative,   texts::kPlannedBonusNegative,
                                               texts::kPlannedBonusAboveAnnual, texts::kAnnualTooLarge};

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Inside a bold group box: the lines themselves are not bold.
void MakeNotBold(QWidget* w) {
  QFont f = w->font();
  f.setBold(false);
  w->setFont(f);
}

}  // namespace

TFrmPlan::TFrmPlan(QWidget* owner, PictureSaver savePicture) : QDialog(owner), savePicture_(std::move(savePicture)) {
  setObjectName(QString::fromLatin1(forms::CategoryOf(forms::CategoryId::kPlan).page));
  setWindowTitle(Utf8(kTitle));
  setModal(true);
  PaintCream(this);

  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  page_ = new PlanPage(this);
  row->addWidget(page_, 0, Qt::AlignTop);
  Tabs = new QTabWidget(this);
  Tabs->setObjectName("Tabs");
  ChartPlan = new ChartView("ChartPlan", Tabs);
  Tabs->addTab(ChartPlan, Utf8(kPlanTab));
  bonusTab_ = new BonusChartTab(Tabs);
  Tabs->addTab(bonusTab_, Utf8(kBonusTab));
  row->addWidget(Tabs, 1);
  layout->addLayout(row);
  layout->addWidget(CreateButtons());

  ShowPlan(std::nullopt);
  page_->onPlanned = [this](const std::optional<tax::PlanInput>& in) { ShowPlan(in); };
  ChartPlan->onPick = [this](const forms::ChartPick& pick) { page_->PlanBonus(QString::fromStdString(pick.amount)); };
  setFixedSize(sizeHint());
}

QWidget* TFrmPlan::CreateButtons() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  const auto button = [&](const char* name, const char* text) {
    auto* b = new QPushButton(Utf8(text), bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* save = button("BtnSave", kSave);
  QPushButton* close = button("BtnClose", kClose);
  row->addWidget(save);
  row->addStretch(1);
  row->addWidget(close);
  connect(save, &QPushButton::clicked, this, &TFrmPlan::BtnSaveClick);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  return bar;
}

// The total-tax picture follows each 计算: the year's curve, or an empty frame.
void TFrmPlan::ShowPlan(const std::optional<tax::PlanInput>& in) {
  if (!in) {
    ChartPlan->SetData(forms::PlanChartFrame(), {});
    return;
  }
  ChartPlan->SetData(forms::PlanChart(*in), [year = *in](double bonus) { return forms::PlanChartPoint(year, bonus); });
}

void TFrmPlan::BtnSaveClick() {
  QWidget* shown = Tabs->currentIndex() == 0 ? static_cast<QWidget*>(ChartPlan) : bonusTab_->Chart();
  if (savePicture_) savePicture_(this, shown->grab().toImage());
}

PlanPage::PlanPage(QWidget* parent) : CalculatorPage(parent), plan_(forms::CategoryOf(forms::CategoryId::kPlan)) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  grid->setColumnMinimumWidth(1, 130);
  grid->setColumnStretch(2, 1);
  CreateResults(grid, CreateInputs(grid));
  setFixedSize(sizeHint());
}

// The fields, each with its message to the right, the threshold after the contributions and
// the button; returns the grid's next row.
int PlanPage::CreateInputs(QGridLayout* grid) {
  int longest = 0;
  for (const char* message : kMessages) longest = std::max(longest, fontMetrics().horizontalAdvance(Utf8(message)));
  int row = 0;
  QWidget* previous = nullptr;
  for (const forms::InputField& f : plan_.inputs) {
    QLineEdit* edit = MakeEdit(f.control);
    QLabel* message = MakeMessageLabel(f.message);
    message->setWordWrap(false);
    message->setMinimumWidth(longest);
    edits_[forms::Index(f.field)] = edit;
    messages_[forms::Index(f.field)] = message;
    connect(edit, &QLineEdit::textChanged, this, [this] { ClearMessages(); });
    OnEnter(edit, [this] { BtnCalcClick(); });
    AddLine(grid, row, Utf8(f.caption), edit);
    grid->addWidget(message, row++, 2);
    if (previous != nullptr) setTabOrder(previous, edit);
    previous = edit;
    if (f.field == forms::Field::kContributions) {
      // The threshold follows the contributions, as on the salary pages.
      CmbPoint = MakeThresholdList();
      AddLine(grid, row++, Utf8(texts::kThresholdCaption), CmbPoint);
      setTabOrder(previous, CmbPoint);
      previous = CmbPoint;
    }
  }
  SetFirstField(edits_[forms::Index(forms::Field::kIncome)]);
  BtnCalc = MakeButton("BtnCalc", Utf8(kCalc));
  BtnReset = MakeButton("BtnReset", Utf8(kReset));
  connect(BtnCalc, &QPushButton::clicked, this, &PlanPage::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &PlanPage::BtnResetClick);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCalc);
  buttons->addWidget(BtnReset);
  buttons->addStretch(1);
  grid->addLayout(buttons, row, 1, 1, 2);
  setTabOrder(previous, BtnCalc);
  setTabOrder(BtnCalc, BtnReset);
  return row + 1;
}

void PlanPage::CreateResults(QGridLayout* grid, int row) {
  grid->addWidget(MakeCaption(Utf8(kResultsHeading)), row++, 0, 1, 3);
  // Lines without a group stand in the page's grid; each group gets a box of its own.
  QGroupBox* box = nullptr;
  QGridLayout* boxGrid = nullptr;
  int boxRow = 0;
  for (const forms::ResultLine& line : plan_.lines) {
    if (*line.group == '\0') {
      AddResult(grid, row++, line);
      continue;
    }
    if (box == nullptr || box->title() != Utf8(line.group)) {
      box = new QGroupBox(Utf8(line.group), this);
      MakeBold(box);
      boxGrid = new QGridLayout(box);
      boxGrid->setColumnStretch(1, 1);
      boxRow = 0;
      grid->addWidget(box, row++, 0, 1, 3);
    }
    AddResult(boxGrid, boxRow++, line);
  }
  ClearResults();
}

// A figure, "0.00" when cleared; the blind-zone line is red and empty when cleared.
void PlanPage::AddResult(QGridLayout* grid, int row, const forms::ResultLine& line) {
  auto* value = new QLabel(grid->parentWidget());
  value->setObjectName(QString::fromLatin1(line.control));
  value->setTextFormat(Qt::PlainText);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QLabel* caption = MakeCaption(Utf8(line.caption), value);
  MakeNotBold(value);
  MakeNotBold(caption);
  const bool zone = line.line == forms::Line::kPlannedZone;
  if (zone) MakeRed(value);
  AddResultLabel(value, zone ? QString() : Utf8(texts::kZero));
  grid->addWidget(caption, row, 0);
  grid->addWidget(value, row, 1);
  results_.emplace_back(line.line, value);
}

void PlanPage::BtnCalcClick() {
  // The texts as the fields hold them; the views below point into these strings.
  std::array<std::string, forms::kFieldCount> texts;
  forms::PageInput typed;
  for (const forms::InputField& f : plan_.inputs) {
    texts[forms::Index(f.field)] = edits_[forms::Index(f.field)]->text().toStdString();
    typed[f.field] = texts[forms::Index(f.field)];
  }
  typed.threshold = ThresholdOf(CmbPoint);
  const forms::Outcome outcome = forms::ComputePlan(typed);
  Show(outcome);
  if (onPlanned) onPlanned(outcome.computed ? forms::ReadPlanInput(typed) : std::nullopt);
}

void PlanPage::BtnResetClick() {
  ClearResults();
  for (QLineEdit* edit : edits_) {
    if (edit != nullptr) SetText(edit, QString());
  }
  CmbPoint->setCurrentIndex(0);
  FocusAndSelect(FirstField());
  if (onPlanned) onPlanned(std::nullopt);
}

void PlanPage::PlanBonus(const QString& amount) {
  SetText(edits_[forms::Index(forms::Field::kPlannedBonus)], amount);
  BtnCalcClick();
}

void PlanPage::Show(const forms::Outcome& outcome) {
  TakeSteps(outcome, edits_);
  if (outcome.computed) {
    for (const auto& [line, label] : results_) SetText(label, QString::fromStdString(outcome[line]));
  }
  if (!outcome.message.empty()) SetText(messages_[forms::Index(outcome.messageField)], Utf8(outcome.message));
  if (outcome.focus) FocusAndSelect(edits_[forms::Index(outcome.focusField)]);
}

}  // namespace quorvex::pages
