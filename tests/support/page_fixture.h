// Calculator pages on their own, as the main window's page area holds them, read in the
// category table's terms: the control of a field or result line, its message label, and what
// a page shows next to what forms::Compute() says it should.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStringList>
#include <memory>

#include "forms/categories.h"
#include "forms/compute.h"
#include "pages/calculator_page.h"
#include "pages/page_factory.h"
#include "support/gui_test.h"

namespace quorvex::testing {

// The page of a category of the list, owned by the caller.
inline std::unique_ptr<pages::CalculatorPage> CreatePage(forms::CategoryId id, QWidget* parent = nullptr) {
  return std::unique_ptr<pages::CalculatorPage>(pages::CreatePage(id, parent));
}

// The field a calculation types into, or an input field, by forms::Field.
inline QLineEdit* FieldOf(QWidget* page, const forms::Category& c, forms::Field f) {
  if (const forms::InputField* input = c.Input(f)) return Child<QLineEdit>(page, input->control);
  for (const forms::ResultLine& line : c.lines) {
    const bool typed = (f == forms::Field::kTax && line.line == forms::Line::kTax) ||
                       (f == forms::Field::kAfterTax && line.line == forms::Line::kAfterTax);
    if (typed) return Child<QLineEdit>(page, line.control);
  }
  return nullptr;
}

// The message label beside field `f` (nullptr when the page has none).
inline QLabel* MessageOf(QWidget* page, const forms::Category& c, forms::Field f) {
  if (const forms::InputField* input = c.Input(f)) return Child<QLabel>(page, input->message);
  for (const forms::ResultLine& line : c.lines) {
    if (line.reverse != forms::Kind::kForward && forms::Category::Typed(line.reverse) == f) {
      return Child<QLabel>(page, line.message);
    }
  }
  return nullptr;
}

inline QList<QLabel*> MessageLabels(QWidget* page) {
  return page->findChildren<QLabel*>(QRegularExpression("^TxtInfo"));
}

// The texts of the page's result lines, in the table's order.
inline QStringList Lines(QWidget* page, const forms::Category& c) {
  QStringList texts;
  for (const forms::ResultLine& line : c.lines) {
    QWidget* w = Child<QWidget>(page, line.control);
    if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
    if (auto* field = qobject_cast<QLineEdit*>(w)) texts << field->text();
  }
  return texts;
}

// The lines of a page just opened or reset: figures "0.00", fields empty.
inline QStringList ClearedLines(QWidget* page, const forms::Category& c) {
  QStringList texts;
  for (const forms::ResultLine& line : c.lines) {
    texts << (qobject_cast<QLabel*>(Child<QWidget>(page, line.control)) ? QString("0.00") : QString());
  }
  return texts;
}

inline QStringList OutcomeLines(const forms::Category& c, const forms::Outcome& out) {
  QStringList texts;
  for (const forms::ResultLine& line : c.lines) texts << QString::fromStdString(out[line.line]);
  return texts;
}

}  // namespace quorvex::testing
