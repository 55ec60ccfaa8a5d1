#include "pages/form_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <string>

#include "pages/blind_zone_warning.h"
#include "pages/page_texts.h"
#include "tax/business.h"

namespace quorvex::pages {
namespace {

using forms::Field;
using forms::Kind;
using forms::Line;

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The field a result line's control is, when it is a field.
std::optional<Field> FieldOfLine(Line line) {
  if (line == Line::kTax) return Field::kTax;
  if (line == Line::kAfterTax) return Field::kAfterTax;
  return std::nullopt;
}

bool IsField(const forms::ResultLine& line) { return line.widget == forms::Widget::kEdit; }

}  // namespace

QStringList FormPage::MonthEntries() {
  QStringList entries;
  for (int m = tax::kMinOperationMonths; m <= tax::kMaxOperationMonths; ++m) entries << QString::number(m);
  return entries;
}

FormPage::FormPage(forms::CategoryId id, QWidget* parent, Lines lines)
    : CalculatorPage(parent), category_(forms::CategoryOf(id)) {
  setObjectName(QString::fromLatin1(category_.page));
  CreateControls();
  LayOut(lines);
  ConnectHandlers();
}

void FormPage::CreateControls() {
  for (const forms::InputField& input : category_.inputs) {
    edits_[forms::Index(input.field)] = MakeEdit(input.control);
    messages_[forms::Index(input.field)] = MakeMessageLabel(input.message);
  }
  if (category_.choice == forms::Choice::kThreshold) {
    list_ = MakeThresholdList();
  } else if (category_.choice == forms::Choice::kMonths) {
    list_ = MakeList("CmbMonth", MonthEntries());
    list_->setMaxVisibleItems(tax::kMaxOperationMonths);
    list_->setCurrentIndex(tax::kMaxOperationMonths - 1);
  }
  BtnCalc = MakeButton("BtnCalc", QString::fromUtf8(texts::kCalc));
  BtnReset = MakeButton("BtnReset", QString::fromUtf8(texts::kReset));
  for (const forms::ResultLine& line : category_.lines) {
    const auto at = static_cast<std::size_t>(line.line);
    if (!IsField(line)) {
      lineControls_[at] = MakeResultLabel(line.control);
      continue;
    }
    QLineEdit* edit = MakeEdit(line.control);
    AddResultField(edit);
    lineControls_[at] = edit;
    if (const std::optional<Field> field = FieldOfLine(line.line)) edits_[forms::Index(*field)] = edit;
    if (line.reverse != Kind::kForward) {
      reverseButtons_[at] = MakeButton(line.button, QString::fromUtf8(texts::kReverse));
      messages_[forms::Index(forms::Category::Typed(line.reverse))] = MakeMessageLabel(line.message);
    }
  }
  SetFirstField(Edit(Field::kIncome));
}

void FormPage::LayOut(Lines lines) {
  grid_ = MakeGrid();
  int row = 0;
  for (const forms::InputField& input : category_.inputs) {
    AddLine(grid_, row, QString::fromUtf8(input.caption), Edit(input.field));
    AddMessage(grid_, Message(input.field), row++, 2);
  }
  const bool months = category_.choice == forms::Choice::kMonths;
  if (list_ != nullptr) {
    AddLine(grid_, row, QString::fromUtf8(months ? texts::kMonthsCaption : texts::kThresholdCaption), list_);
    if (months) grid_->addWidget(MakeCaption(QString::fromUtf8(texts::kMonthUnit)), row, 2);
    ++row;
  }
  AddButtons(grid_, row++, BtnCalc, BtnReset);
  AddResultsHeading(grid_, row);
  linesRow_ = row + 2;

  // Tab order: the amounts, the threshold, the buttons, the result fields each followed by
  // its button; the month list comes last although it stands above the buttons.
  QWidget* previous = nullptr;
  auto chain = [&](QWidget* w) {
    if (previous != nullptr) setTabOrder(previous, w);
    previous = w;
  };
  for (const forms::InputField& input : category_.inputs) chain(Edit(input.field));
  if (list_ != nullptr && !months) chain(list_);
  chain(BtnCalc);
  chain(BtnReset);
  for (const forms::ResultLine& line : category_.lines) {
    const auto at = static_cast<std::size_t>(line.line);
    if (IsField(line)) chain(lineControls_[at]);
    if (reverseButtons_[at] != nullptr) chain(reverseButtons_[at]);
  }
  if (months) chain(list_);
  if (lines == Lines::kOwn) return;

  row = linesRow_;
  for (const forms::ResultLine& line : category_.lines) {
    const auto at = static_cast<std::size_t>(line.line);
    AddLine(grid_, row, QString::fromUtf8(line.caption), lineControls_[at], IsField(line) ? 1 : 3);
    if (reverseButtons_[at] != nullptr) {
      grid_->addWidget(reverseButtons_[at], row, 2);
      AddMessage(grid_, Message(forms::Category::Typed(line.reverse)), row, 3);
    }
    ++row;
  }
  grid_->setRowStretch(row, 1);
}

void FormPage::ConnectHandlers() {
  connect(BtnCalc, &QPushButton::clicked, this, &FormPage::BtnCalcClick);
  connect(BtnReset, &QPushButton::clicked, this, &FormPage::BtnResetClick);
  for (const forms::InputField& input : category_.inputs) {
    const Field field = input.field;
    connect(Edit(field), &QLineEdit::textChanged, this, [this, field] { Changed(field); });
    OnEnter(Edit(field), [this] { BtnCalcClick(); });
  }
  for (const forms::ResultLine& line : category_.lines) {
    const std::optional<Field> field = FieldOfLine(line.line);
    if (!field || !IsField(line)) continue;
    const Kind kind = line.reverse;
    if (line.onChange != forms::OnChange::kNothing) {
      connect(Edit(*field), &QLineEdit::textChanged, this, [this, f = *field] { Changed(f); });
    }
    if (kind == Kind::kForward) continue;
    connect(reverseButtons_[static_cast<std::size_t>(line.line)], &QPushButton::clicked, this,
            [this, kind] { Calculate(kind); });
    OnEnter(Edit(*field), [this, kind] { Calculate(kind); });
  }
}

void FormPage::BtnRealIncomeClick() {
  const forms::ResultLine* line = category_.LineOf(Line::kAfterTax);
  if (line != nullptr && line->reverse != Kind::kForward) Calculate(line->reverse);
}

void FormPage::BtnResetClick() {
  ClearResults();
  SetText(FirstField(), QString());
  FirstField()->setFocus(Qt::OtherFocusReason);
  for (const forms::InputField& input : category_.inputs) SetText(Edit(input.field), QString());
  if (list_ != nullptr) list_->setCurrentIndex(category_.choice == forms::Choice::kMonths ? list_->count() - 1 : 0);
}

void FormPage::Changed(Field field) {
  forms::OnChange onChange = forms::OnChange::kNothing;
  if (const forms::InputField* input = category_.Input(field)) {
    onChange = input->onChange;
  } else if (field == Field::kTax || field == Field::kAfterTax) {
    const forms::ResultLine* line = category_.LineOf(field == Field::kTax ? Line::kTax : Line::kAfterTax);
    if (line != nullptr) onChange = line->onChange;
  }
  if (onChange == forms::OnChange::kAllMessages) {
    ClearMessages();
  } else if (onChange == forms::OnChange::kOwnMessage && Message(field) != nullptr) {
    SetText(Message(field), QString());
  }
}

void FormPage::Calculate(Kind kind) {
  if (!category_.Offers(kind)) return;
  std::array<std::string, forms::kFieldCount> texts;
  forms::PageInput typed;
  for (std::size_t i = 0; i < forms::kFieldCount; ++i) {
    if (edits_[i] == nullptr) continue;
    texts[i] = edits_[i]->text().toStdString();
    typed.texts[i] = texts[i];
  }
  if (category_.choice == forms::Choice::kThreshold) {
    typed.threshold = ThresholdOf(list_);
  } else if (category_.choice == forms::Choice::kMonths) {
    // The months follow from the position of the chosen entry: the first entry is one month.
    typed.months = list_->currentIndex() + 1;
  }
  Show(forms::Compute(category_, kind, typed));
}

void FormPage::Show(const forms::Outcome& outcome) {
  TakeSteps(outcome, edits_);
  if (!outcome.computed) {
    Reject(Edit(outcome.messageField), Message(outcome.messageField), Utf8(outcome.message));
    return;
  }
  const std::size_t before = category_.linesBeforeWarning;
  ShowLines(outcome, 0, before);
  if (outcome.warning) {
    // The page may not survive the box (the window closed under it).
    if (!WarnOfBlindZone(this, Message(outcome.messageField), outcome.message, Presenter())) return;
  } else if (!outcome.message.empty()) {
    SetText(Message(outcome.messageField), Utf8(outcome.message));
  }
  ShowLines(outcome, before, category_.lines.size());
  if (outcome.focus) FocusAndSelect(Edit(outcome.focusField));
}

void FormPage::ShowLines(const forms::Outcome& outcome, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    const forms::ResultLine& line = category_.lines[i];
    QWidget* control = lineControls_[static_cast<std::size_t>(line.line)];
    const QString text = QString::fromStdString(outcome[line.line]);
    if (auto* label = qobject_cast<QLabel*>(control)) {
      SetText(label, text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      SetText(edit, text);
    }
  }
}

}  // namespace quorvex::pages
