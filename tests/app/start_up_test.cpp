// What start-up leaves until after the window's first picture: work queued behind the first
// paint, and image decoding that the first picture does not need.
#include <QFile>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyle>
#include <QtTest>
#include <memory>

#include "app/appearance.h"
#include "app/first_paint.h"
#include "app/frm_main.h"

using quorvex::app::AfterFirstPaint;

namespace {

// A window that counts its paints.
class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

// Whether a Qt image-format plugin is loaded into this process.
bool ImagePluginLoaded() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) qFatal("cannot read /proc/self/maps");
  return maps.readAll().contains("/imageformats/");
}

}  // namespace

class StartUpTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { quorvex::app::ApplyAppearance(*qApp); }

  // Runs before the other tests: the plugins, once loaded, stay.
  void firstPictureOfTheMainWindowDecodesNoImage() {
    QVERIFY(!ImagePluginLoaded());
    quorvex::app::TFrmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.grab();
    QVERIFY(!ImagePluginLoaded());
  }

  void workWaitsForTheFirstPaintAndRunsOnce() {
    PaintCounter window;
    window.show();
    int runs = 0;
    int paintsBeforeWork = -1;
    AfterFirstPaint(&window, [&] {
      ++runs;
      paintsBeforeWork = window.paints;
    });
    QCOMPARE(runs, 0);
    QTRY_COMPARE(runs, 1);
    QVERIFY(paintsBeforeWork >= 1);
    window.hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    QCOMPARE(runs, 1);
  }

  void windowAlreadyOnTheScreenRunsTheWorkNextTurn() {
    PaintCounter window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int runs = 0;
    AfterFirstPaint(&window, [&] { ++runs; });
    QCOMPARE(runs, 0);
    QTRY_COMPARE(runs, 1);
  }

  void windowGoneBeforeItsFirstPaintRunsNothing() {
    int runs = 0;
    {
      auto window = std::make_unique<PaintCounter>();
      window->show();
      AfterFirstPaint(window.get(), [&] { ++runs; });
    }
    QTest::qWait(100);
    QCOMPARE(runs, 0);
  }

  // The menu bar's overflow arrow, made only when drawn, is the style's own arrow.
  void deferredOverflowArrowDrawsAsTheStyleDoes_data() {
    QTest::addColumn<QStyle::StandardPixmap>("which");
    QTest::newRow("horizontal") << QStyle::SP_ToolBarHorizontalExtensionButton;
    QTest::newRow("vertical") << QStyle::SP_ToolBarVerticalExtensionButton;
  }
  void deferredOverflowArrowDrawsAsTheStyleDoes() {
    QFETCH(QStyle::StandardPixmap, which);
    auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
    QVERIFY(proxy != nullptr);
    const QIcon shown = proxy->standardIcon(which);
    const QIcon own = proxy->baseStyle()->standardIcon(which);
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.availableSizes(), own.availableSizes());
    for (const QSize& size : own.availableSizes()) {
      QCOMPARE(shown.pixmap(size).toImage(), own.pixmap(size).toImage());
    }
  }
};

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
