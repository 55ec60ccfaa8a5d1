#include "pages/frm_award.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

namespace quorvex::pages {
namespace {

using forms::Line;

// A caption; `shows` is the value label it names, for screen readers.
QLabel* PlainLabel(const char* text, QWidget* parent, QWidget* shows) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setBuddy(shows);
  return label;
}

void Emphasize(QWidget* label, const QColor& colour) {
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
}

}  // namespace

TFrmAward::TFrmAward(QWidget* parent) : FormPage(forms::CategoryId::kSalaryAndBonus, parent, Lines::kOwn) {
  QWidget* totalTax = LineControl(Line::kTotalTax);
  QWidget* totalAfterTax = LineControl(Line::kTotalAfterTax);
  Emphasize(totalTax, QColor(255, 0, 0));
  Emphasize(totalAfterTax, QColor(0, 0, 255));

  auto* groups = new QHBoxLayout;
  groups->setSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
  groups->addWidget(MakeResultGroup("GroupBox1", Line::kSalaryTax, Line::kSalaryAfterTax));
  groups->addWidget(MakeResultGroup("GroupBox2", Line::kBonusTax, Line::kBonusAfterTax));
  const int row = LinesRow();
  Grid()->addLayout(groups, row, 0, 1, 4);
  for (int i = 0; i < 2; ++i) {
    const forms::ResultLine* line = Category().LineOf(i == 0 ? Line::kTotalTax : Line::kTotalAfterTax);
    QWidget* value = i == 0 ? totalTax : totalAfterTax;
    Grid()->addWidget(PlainLabel(line->caption, this, value), row + 1 + i, 0);
    Grid()->addWidget(value, row + 1 + i, 1, 1, 3);
  }
  Grid()->setRowStretch(row + 3, 1);
}

// A group box with a bold title whose lines are not bold.
QGroupBox* TFrmAward::MakeResultGroup(const char* name, Line tax, Line afterTax) {
  const forms::ResultLine* first = Category().LineOf(tax);
  auto* group = new QGroupBox(QString::fromUtf8(first->group), this);
  group->setObjectName(QString::fromLatin1(name));
  QFont bold = group->font();
  bold.setBold(true);
  group->setFont(bold);
  auto* lines = new QGridLayout(group);
  lines->setColumnStretch(1, 1);
  int row = 0;
  for (Line l : {tax, afterTax}) {
    QWidget* value = LineControl(l);
    lines->addWidget(PlainLabel(Category().LineOf(l)->caption, group, value), row, 0);
    lines->addWidget(value, row++, 1);
  }
  QFont normal = font();
  normal.setBold(false);
  for (QLabel* label : group->findChildren<QLabel*>()) label->setFont(normal);
  return group;
}

}  // namespace quorvex::pages
