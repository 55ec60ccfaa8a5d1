#include "pages/calculator_page.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <algorithm>

#include "pages/look.h"
#include "pages/page_texts.h"
#include "tax/wage.h"

namespace quorvex::pages {
namespace {

// The grid's columns: caption, field, button, message.
constexpr int kColumns = 4;

// The dotted rule under the results heading.
const QString kDottedRule(129, QLatin1Char('.'));

// Places a message label over its cell and everything right of it, centred on the cell as
// the field beside it is, high enough for two lines: a second line takes the spacing above
// and below the row instead of a neighbour's place.
void PlaceMessage(const QWidget* slot, QLabel* label) {
  const QRect cell = slot->geometry();
  const int lineHeight = label->fontMetrics().lineSpacing();
  const int width = label->parentWidget()->width() - cell.x();
  label->setGeometry(cell.x(), cell.center().y() - lineHeight, width, 2 * lineHeight + 2);
}

}  // namespace

CalculatorPage::CalculatorPage(QWidget* parent) : QWidget(parent) { setFixedSize(kDesignWidth, kDesignHeight); }

CalculatorPage::~CalculatorPage() = default;

void CalculatorPage::SetText(QLineEdit* field, const QString& text) {
  if (field->text() != text) field->setText(text);
}

void CalculatorPage::SetText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

void CalculatorPage::FocusFirstField() {
  if (firstField_ != nullptr) firstField_->setFocus(Qt::OtherFocusReason);
}

void CalculatorPage::FrameResize() {
  FocusFirstField();
  ClearMessages();
}

void CalculatorPage::Reject(QLineEdit* field, QLabel* label, const QString& text) {
  SetText(label, text);
  FocusAndSelect(field);
}

void CalculatorPage::TakeSteps(const forms::Outcome& outcome,
                               const std::array<QLineEdit*, forms::kFieldCount>& fields) {
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
        SetText(fields[forms::Index(step.field)], QString::fromStdString(step.text));
        break;
    }
  }
}

void CalculatorPage::FocusAndSelect(QLineEdit* field) {
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
}

void CalculatorPage::ClearMessages() {
  for (QLabel* label : messageLabels_) SetText(label, QString());
}

void CalculatorPage::ClearResults() {
  ClearMessages();
  for (const auto& [label, cleared] : resultLabels_) SetText(label, cleared);
  for (QLineEdit* field : resultFields_) SetText(field, QString());
}

QLineEdit* CalculatorPage::MakeEdit(const char* name) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

QLabel* CalculatorPage::MakeCaption(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, this);
  label->setTextFormat(Qt::PlainText);
  MakeBold(label);
  if (buddy != nullptr) label->setBuddy(buddy);
  return label;
}

QLabel* CalculatorPage::MakeMessageLabel(const char* name) {
  auto* label = new QLabel(this);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  MakeRed(label);
  messageLabels_.push_back(label);
  return label;
}

QLabel* CalculatorPage::MakeResultLabel(const char* name) {
  auto* label = new QLabel(QString::fromLatin1(texts::kZero), this);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  // Selectable for copying, but a click leaves the keyboard focus in the field where it was.
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setFocusPolicy(Qt::NoFocus);
  AddResultLabel(label, label->text());
  return label;
}

QPushButton* CalculatorPage::MakeButton(const char* name, const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QComboBox* CalculatorPage::MakeThresholdList() {
  QStringList entries;
  for (const double t : tax::kThresholds) entries << QString::number(t);
  return MakeList("CmbPoint", entries);
}

double CalculatorPage::ThresholdOf(const QComboBox* list) {
  const int last = static_cast<int>(tax::kThresholds.size()) - 1;
  return tax::kThresholds[static_cast<std::size_t>(std::clamp(list->currentIndex(), 0, last))];
}

void CalculatorPage::MakeRed(QLabel* label) {
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
  label->setPalette(pal);
}

QComboBox* CalculatorPage::MakeList(const char* name, const QStringList& items) {
  auto* list = new QComboBox(this);
  list->setObjectName(QString::fromLatin1(name));
  list->setEditable(false);
  list->addItems(items);
  return list;
}

void CalculatorPage::AddLine(QGridLayout* grid, int row, const QString& caption, QWidget* widget, int span) {
  grid->addWidget(MakeCaption(caption, widget), row, 0);
  grid->addWidget(widget, row, 1, 1, span);
}

void CalculatorPage::AddMessage(QGridLayout* grid, QLabel* label, int row, int column) {
  auto* slot = new QWidget(this);
  slot->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  slot->setFocusPolicy(Qt::NoFocus);
  grid->addWidget(slot, row, column, 1, kColumns - column);
  slot->installEventFilter(this);
  messageSlots_.emplace_back(slot, label);
  label->raise();
}

void CalculatorPage::AddButtons(QGridLayout* grid, int row, QPushButton* first, QPushButton* second) {
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
  buttons->addWidget(first);
  buttons->addWidget(second);
  grid->addLayout(buttons, row, 1, 1, 2);
}

void CalculatorPage::AddResultField(QLineEdit* field) { resultFields_.push_back(field); }

void CalculatorPage::AddResultLabel(QLabel* label, const QString& cleared) {
  resultLabels_.emplace_back(label, cleared);
}

void CalculatorPage::AddResultsHeading(QGridLayout* grid, int row) {
  auto* heading = new QLabel(QString::fromUtf8(texts::kResultsHeading), this);
  heading->setTextFormat(Qt::PlainText);
  MakeBold(heading);
  grid->addWidget(heading, row, 0, 1, 4);
  auto* rule = new QLabel(kDottedRule, this);
  rule->setTextFormat(Qt::PlainText);
  rule->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  grid->addWidget(rule, row + 1, 0, 1, 4);
}

void CalculatorPage::OnEnter(QLineEdit* field, std::function<void()> onEnter) {
  field->installEventFilter(this);
  enterHandlers_.emplace_back(field, std::move(onEnter));
}

QGridLayout* CalculatorPage::MakeGrid() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(36, 12, 8, 8);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  grid->setColumnMinimumWidth(0, 96);
  grid->setColumnMinimumWidth(1, 130);
  grid->setColumnMinimumWidth(2, 48);
  grid->setColumnStretch(3, 1);
  return grid;
}

void CalculatorPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Shown by the program (put into the page area, or the window shown again after its
  // stacking changed) rather than restored by the window system.
  if (!event->spontaneous()) FrameResize();
}

bool CalculatorPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
    for (const auto& [slot, label] : messageSlots_) {
      if (slot == watched) PlaceMessage(slot, label);
    }
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      for (auto& [object, handler] : enterHandlers_) {
        if (object == watched) {
          handler();
          return true;
        }
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quorvex::pages
