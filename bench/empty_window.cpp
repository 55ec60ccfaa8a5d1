// Floors for start-up measurements, all plain Qt Widgets windows of the main window's size:
//  - an empty window;
//  - (built with WITH_TEXT) the same with one line of Chinese text, which adds the font
//    database and glyph loading that any window with text pays;
//  - (built with WITH_FORM) a form like a calculator's: a drop-down list of Chinese texts and
//    ten captioned input fields. This is what any Qt program of this kind pays before its
//    first paint, and the floor that quorvex's start-up is held to.
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(480, 580);
#ifdef WITH_TEXT
  auto* text = new QLabel(QStringLiteral("工资、薪金所得"), &window);
  text->move(40, 24);
#endif
#ifdef WITH_FORM
  auto* form = new QFormLayout(&window);
  auto* list = new QComboBox(&window);
  list->addItems({QStringLiteral("工资、薪金所得"), QStringLiteral("年终奖所得"), QStringLiteral("劳务报酬所得"),
                  QStringLiteral("稿酬所得"), QStringLiteral("财产租赁所得"), QStringLiteral("利息、股息、红利所得")});
  form->addRow(QStringLiteral("收入类型"), list);
  for (int i = 1; i <= 10; ++i) {
    auto* field = new QLineEdit(&window);
    form->addRow(QStringLiteral("第%1项金额").arg(i), field);
  }
#endif
  window.show();
  return QApplication::exec();
}
