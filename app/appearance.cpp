#include "app/appearance.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

namespace quorvex::app {

void ApplyAppearance(QApplication& app) {
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(12);
  app.setFont(font);
}

bool InstallQtTranslations(QApplication& app) {
  auto* texts = new QTranslator(&app);
  if (!texts->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete texts;
    return false;
  }
  return QApplication::installTranslator(texts);
}

}  // namespace quorvex::app
