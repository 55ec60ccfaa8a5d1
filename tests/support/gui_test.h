// Helpers shared by the window tests.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QWidget>

namespace quorvex::testing {

// How long a test waits for the window system (a window activated, exposed or drawn): long,
// since a loaded machine may take seconds where an idle one takes milliseconds; a wait that
// is met returns at once.
inline constexpr int kWindowSystemMs = 30'000;

// Finds a named child and fails the test when it is missing.
template <class T>
T* Child(QObject* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("missing child %s", name);
  return child;
}

// Replaces a field's text the way a user does: select everything, then type.
inline void Type(QLineEdit* field, const QString& text) {
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
  bool ascii = true;
  for (QChar c : text) ascii = ascii && c.unicode() >= 32 && c.unicode() < 127;
  if (text.isEmpty()) {
    QTest::keyClick(field, Qt::Key_Delete);
  } else if (!ascii) {
    field->insert(text);  // typed through an input method
  } else {
    QTest::keyClicks(field, text);
  }
}

inline void PressEnter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }

// True when `field` has the keyboard focus with its whole (non-empty) text selected.
inline bool FocusedAndSelected(QLineEdit* field) {
  return field->hasFocus() && field->selectedText() == field->text() && !field->text().isEmpty();
}

}  // namespace quorvex::testing
