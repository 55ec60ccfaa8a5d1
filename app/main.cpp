// Start-up of the desktop program.
#include <QApplication>
#include <cstdio>

#include "app/app_icon.h"
#include "app/appearance.h"
#include "app/display_check.h"
#include "app/first_paint.h"
#include "app/frm_main.h"
#include "app/product.h"

int main(int argc, char* argv[]) {
  if (const std::string problem = quorvex::app::FindDisplayProblem(); !problem.empty()) {
    std::fprintf(stderr, "quorvex: %s\n", problem.c_str());
    return 1;
  }
  // Whether the display answers is found out by Qt as it starts, not by a connection of our
  // own beforehand: that would cost every start a second connection to the display.
  quorvex::app::DisplayFailureGuard displayGuard;
  QApplication app(argc, argv);
  displayGuard.Release();
  QApplication::setApplicationName(QStringLiteral("Quorvex"));
  QApplication::setDesktopFileName(QLatin1String(quorvex::app::kAppId));
  quorvex::app::ApplyAppearance(app);

  quorvex::app::InstallQtTranslations(app);

  quorvex::app::TFrmMain window;
  window.show();
  // Reading the icon theme and decoding the icon's bitmaps (which loads Qt's image-format
  // plugins) would delay the first picture of the window; the icon follows right after it.
  quorvex::app::AfterFirstPaint(&window, [] { QApplication::setWindowIcon(quorvex::app::ApplicationIcon()); });
  return QApplication::exec();
}
