// Floors for start-up measurements: an empty Qt Widgets window, and (built with
// WITH_TEXT) the same window showing one line of Chinese text, which adds the font
// database and glyph loading that any window with text pays.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(480, 580);
#ifdef WITH_TEXT
  auto* text = new QLabel(QStringLiteral("工资、薪金所得"), &window);
  text->move(40, 24);
#endif
  window.show();
  return QApplication::exec();
}
