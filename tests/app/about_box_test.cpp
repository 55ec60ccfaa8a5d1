// The About box, opened from the main window's Help menu.
#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "app/frm_about.h"
#include "app/frm_main.h"
#include "app/product.h"
#include "app/shell.h"
#include "support/gui_test.h"
#include "support/modal_answerer.h"

using quorvex::app::TFrmAbout;
using quorvex::app::TFrmMain;
using namespace quorvex::testing;

// Orders positions for QMap: by row, then by column.
inline bool operator<(const QPoint& a, const QPoint& b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); }

namespace {

// The home-page address as the box writes it: in full, without a trailing slash.
QString HomePageWithoutSlash() {
  QString address = QString::fromUtf8(quorvex::app::kHomePage);
  if (address.endsWith('/')) address.chop(1);
  return address;
}

// The texts the box shows, by position.
QMap<QPoint, QString> TextsByPosition(const QWidget* box) {
  QMap<QPoint, QString> texts;
  for (const QLabel* label : box->findChildren<QLabel*>()) texts.insert(label->pos(), label->text());
  return texts;
}

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;
  QList<QUrl> opened;

  void OpenAbout() { Child<QAction>(window.get(), "Menu_Help_About")->trigger(); }

 private slots:
  void init() {
    opened.clear();
    quorvex::app::Services services;
    services.openUrl = [this](const QUrl& url) { opened.append(url); };
    window = std::make_unique<TFrmMain>(nullptr, std::move(services));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  void cleanup() { window.reset(); }

  void showsVersionContactAndHomePage() {
    TFrmAbout box(window.get());
    QCOMPARE(box.windowTitle(), QString("关于 Quorvex"));
    QCOMPARE(box.size(), QSize(339, 190));
    const QMap<QPoint, QString> expected{
        {QPoint(40, 32), "版本：Quorvexv1.00"},
        {QPoint(40, 64), "QQ：" + QString::fromUtf8(quorvex::app::kServiceNumber)},
        {QPoint(40, 96), "官网："},
        {QPoint(80, 96), HomePageWithoutSlash()},
    };
    QCOMPARE(TextsByPosition(&box), expected);
    auto* ok = Child<QPushButton>(&box, "BtnOk");
    QCOMPARE(ok->text(), QString("确定"));
    QCOMPARE(ok->geometry(), QRect(224, 144, 75, 25));
  }

  void closesOnKey_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("Enter on the focused 确定") << int(Qt::Key_Return);
  }
  void closesOnKey() {
    QFETCH(int, key);
    ModalAnswerer boxes;
    bool focusedOk = false;
    boxes.Expect<TFrmAbout>([&](TFrmAbout* box) {
      focusedOk = QApplication::focusWidget() == box->findChild<QPushButton*>("BtnOk");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    });
    OpenAbout();
    QVERIFY(boxes.AllAnswered());
    QVERIFY(focusedOk);
    QCOMPARE(boxes.StrayCount(), 0);
    QVERIFY(window->findChildren<TFrmAbout*>().isEmpty());
  }

  void linkOpensTheHomePageAndTheBoxStaysOpen() {
    ModalAnswerer boxes;
    bool stillOpen = false;
    boxes.Expect<TFrmAbout>([&](TFrmAbout* box) {
      QTest::mouseClick(Child<QLabel>(box, "TxtHomePage"), Qt::LeftButton);
      stillOpen = box->isVisible() && QApplication::activeModalWidget() == box;
      Child<QPushButton>(box, "BtnOk")->click();
    });
    OpenAbout();
    QVERIFY(boxes.AllAnswered());
    QVERIFY(stillOpen);
    QCOMPARE(opened, QList<QUrl>{QUrl(QString::fromUtf8(quorvex::app::kHomePage))});
  }

  void eachChoiceOpensANewModalBox() {
    QList<QPointer<TFrmAbout>> seen;
    ModalAnswerer boxes;
    for (int i = 0; i < 2; ++i) {
      boxes.Expect<TFrmAbout>([&](TFrmAbout* box) {
        QVERIFY(box->isModal());
        seen.append(box);
        QTest::keyClick(box, Qt::Key_Escape);
      });
    }
    OpenAbout();
    OpenAbout();
    QVERIFY(boxes.AllAnswered());
    QCOMPARE(seen.size(), 2);
    // The first box is gone before the second one opens.
    QVERIFY(seen[0].isNull() && seen[1].isNull());
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
