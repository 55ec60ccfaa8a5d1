// The window's look, which the main window, its pages and its dialogs share: the cream
// background and the bold captions.
#pragma once

#include <QColor>

class QWidget;

namespace quorvex::pages {

// The background of the main window and its dialogs.
QColor Cream();
// PaintCream() gives `w` the cream background.
void PaintCream(QWidget* w);
// MakeBold() sets `w`'s font bold.
void MakeBold(QWidget* w);

}  // namespace quorvex::pages
