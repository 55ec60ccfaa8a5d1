#include "pages/look.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

namespace quorvex::pages {

QColor Cream() { return {255, 251, 240}; }

void PaintCream(QWidget* w) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, Cream());
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

void MakeBold(QWidget* w) {
  QFont f = w->font();
  f.setBold(true);
  w->setFont(f);
}

}  // namespace quorvex::pages
