#include "app/frm_plan.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <array>
#include <string>

#include "forms/plan_form.h"
#include "tax/amount.h"
#include "tax/messages.h"
#include "tax/wage.h"

namespace quorvex::app {
namespace {

constexpr char kTitle[] = "年终奖筹划";
constexpr char kCalc[] = "计算";
constexpr char kThresholdCaption[] = "起征点";
constexpr char kResultsHeading[] = "筹划结果";
constexpr char kZero[] = "0.00";

// Every text a message label of the dialog may show; the labels are made wide enough for
// the longest, so that none is cut off.
constexpr std::array<const char*, 6> kMessages{
    tax::messages::kInvalidAmount,           tax::messages::kIncomeNotPositive,
    tax::messages::kContributionsNegative,   tax::messages::kPlannedBonusNegative,
    tax::messages::kPlannedBonusAboveAnnual, tax::messages::kAnnualTooLarge};

QString Utf8(const char* text) { return QString::fromUtf8(text); }

void MakeBold(QWidget* w) {
  QFont f = w->font();
  f.setBold(true);
  w->setFont(f);
}

// Inside a bold group box: the lines themselves are not bold.
void MakeNotBold(QWidget* w) {
  QFont f = w->font();
  f.setBold(false);
  w->setFont(f);
}

void MakeRed(QLabel* label) {
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
  label->setPalette(pal);
}

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A bold caption naming `buddy`: a screen reader announces an input field by it, and finds
// a result by it.
QLabel* Caption(const char* text, QWidget* buddy, QWidget* parent) {
  QLabel* caption = PlainLabel(Utf8(text), parent);
  MakeBold(caption);
  caption->setBuddy(buddy);
  return caption;
}

void SetText(QLineEdit* field, const QString& text) {
  if (field->text() != text) field->setText(text);
}

void SetText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

bool IsEnter(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

TFrmPlan::TFrmPlan(QWidget* owner) : QDialog(owner), plan_(forms::CategoryOf(forms::CategoryId::kPlan)) {
  setObjectName(QString::fromLatin1(plan_.page));
  setWindowTitle(Utf8(kTitle));
  setModal(true);
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  grid->setColumnMinimumWidth(1, 130);
  grid->setColumnStretch(2, 1);
  CreateInputs(grid);
  CreateResults(grid, grid->rowCount());
  setFixedSize(sizeHint());
}

void TFrmPlan::CreateInputs(QGridLayout* grid) {
  int longest = 0;
  for (const char* message : kMessages) longest = std::max(longest, fontMetrics().horizontalAdvance(Utf8(message)));
  int row = 0;
  QWidget* previous = nullptr;
  for (const forms::InputField& f : plan_.inputs) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(f.control));
    edit->installEventFilter(this);
    QLabel* message = PlainLabel(QString(), this);
    message->setObjectName(QString::fromLatin1(f.message));
    message->setMinimumWidth(longest);
    MakeRed(message);
    connect(edit, &QLineEdit::textChanged, this, [this] { ClearMessages(); });
    inputs_.push_back({f.field, edit, message});
    grid->addWidget(Caption(f.caption, edit, this), row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(message, row, 2);
    if (previous != nullptr) setTabOrder(previous, edit);
    previous = edit;
    ++row;
    if (f.field == forms::Field::kContributions) {
      // The threshold follows the contributions, as on the salary pages.
      CmbPoint = new QComboBox(this);
      CmbPoint->setObjectName(QStringLiteral("CmbPoint"));
      for (const double t : tax::kThresholds) CmbPoint->addItem(QString::fromStdString(tax::FormatGeneral(t)));
      grid->addWidget(Caption(kThresholdCaption, CmbPoint, this), row, 0);
      grid->addWidget(CmbPoint, row, 1);
      setTabOrder(previous, CmbPoint);
      previous = CmbPoint;
      ++row;
    }
  }
  BtnCalc = new QPushButton(Utf8(kCalc), this);
  BtnCalc->setObjectName(QStringLiteral("BtnCalc"));
  BtnCalc->setAutoDefault(false);
  BtnCalc->setDefault(false);
  connect(BtnCalc, &QPushButton::clicked, this, &TFrmPlan::BtnCalcClick);
  grid->addWidget(BtnCalc, row, 1, Qt::AlignLeft);
  setTabOrder(previous, BtnCalc);
}

void TFrmPlan::CreateResults(QGridLayout* grid, int row) {
  QLabel* heading = PlainLabel(Utf8(kResultsHeading), this);
  MakeBold(heading);
  grid->addWidget(heading, row++, 0, 1, 3);
  // Lines without a group stand in the dialog's grid; each group gets a box of its own.
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

QLabel* TFrmPlan::AddResult(QGridLayout* grid, int row, const forms::ResultLine& line) {
  QWidget* parent = grid->parentWidget();
  QLabel* value = PlainLabel(QString(), parent);
  value->setObjectName(QString::fromLatin1(line.control));
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QLabel* caption = Caption(line.caption, value, parent);
  MakeNotBold(value);
  MakeNotBold(caption);
  if (line.line == forms::Line::kPlannedZone) MakeRed(value);
  grid->addWidget(caption, row, 0);
  grid->addWidget(value, row, 1);
  results_.push_back({line.line, value});
  return value;
}

QLineEdit* TFrmPlan::EditOf(forms::Field field) const {
  for (const Input& in : inputs_) {
    if (in.field == field) return in.edit;
  }
  return inputs_.front().edit;
}

QLabel* TFrmPlan::MessageOf(forms::Field field) const {
  for (const Input& in : inputs_) {
    if (in.field == field) return in.message;
  }
  return inputs_.front().message;
}

void TFrmPlan::ClearMessages() {
  for (const Input& in : inputs_) SetText(in.message, QString());
}

// Figures back to "0.00"; the blind-zone line is empty.
void TFrmPlan::ClearResults() {
  ClearMessages();
  for (const Result& r : results_) SetText(r.label, r.line == forms::Line::kPlannedZone ? QString() : Utf8(kZero));
}

void TFrmPlan::BtnCalcClick() {
  // The texts as the fields hold them; the views below point into these strings.
  std::array<std::string, forms::kFieldCount> texts;
  forms::PageInput typed;
  for (const Input& in : inputs_) {
    texts[forms::Index(in.field)] = in.edit->text().toStdString();
    typed[in.field] = texts[forms::Index(in.field)];
  }
  typed.threshold = tax::ParseAmount(CmbPoint->currentText().toStdString()).value_or(tax::kThresholds[0]);
  Show(forms::ComputePlan(typed));
}

void TFrmPlan::Show(const forms::Outcome& outcome) {
  for (std::size_t i = 0; i < outcome.stepCount; ++i) {
    const forms::Step& step = outcome.steps[i];
    switch (step.what) {
      case forms::Step::What::kClearMessages:
        ClearMessages();
        break;
      case forms::Step::What::kClearResults:
        ClearResults();
        break;
      case forms::Step::What::kWrite:
        SetText(EditOf(step.field), QString::fromStdString(step.text));
        break;
    }
  }
  if (outcome.computed) {
    for (const Result& r : results_) SetText(r.label, QString::fromStdString(outcome[r.line]));
  }
  if (!outcome.message.empty()) {
    SetText(MessageOf(outcome.messageField),
            QString::fromUtf8(outcome.message.data(), static_cast<qsizetype>(outcome.message.size())));
  }
  if (outcome.focus) {
    QLineEdit* field = EditOf(outcome.focusField);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
  }
}

void TFrmPlan::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  inputs_.front().edit->setFocus(Qt::OtherFocusReason);
  ClearMessages();
}

bool TFrmPlan::eventFilter(QObject* watched, QEvent* event) {
  if (IsEnter(event)) {
    for (const Input& in : inputs_) {
      if (in.edit == watched) {
        BtnCalcClick();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quorvex::app
