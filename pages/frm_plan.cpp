#include "pages/frm_plan.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "forms/plan_form.h"
#include "pages/page_texts.h"

namespace quorvex::pages {
namespace {

constexpr char kTitle[] = "年终奖筹划";
constexpr char kCalc[] = "计算";
constexpr char kResultsHeading[] = "筹划结果";

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

TFrmPlan::TFrmPlan(QWidget* owner) : QDialog(owner) {
  setObjectName(QString::fromLatin1(forms::CategoryOf(forms::CategoryId::kPlan).page));
  setWindowTitle(Utf8(kTitle));
  setModal(true);
  // The dialog's margins around the page, whose own grid has none.
  auto* layout = new QVBoxLayout(this);
  page_ = new PlanPage(this);
  layout->addWidget(page_);
  setFixedSize(sizeHint());
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
  connect(BtnCalc, &QPushButton::clicked, this, &PlanPage::BtnCalcClick);
  grid->addWidget(BtnCalc, row, 1, Qt::AlignLeft);
  setTabOrder(previous, BtnCalc);
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
      QFont bold = box->font();
      bold.setBold(true);
      box->setFont(bold);
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
  Show(forms::ComputePlan(typed));
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
