#include "app/appearance.h"

#include <QApplication>
#include <QFont>

namespace quorvex::app {

void ApplyAppearance(QApplication& app) {
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(12);
  app.setFont(font);
}

}  // namespace quorvex::app
