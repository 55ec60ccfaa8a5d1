// The window's icon: the installed icon theme's when it holds the icon, else the built-in copy.
#include <QTemporaryDir>
#include <QtTest>

#include "app/app_icon.h"
#include "app/product.h"

using quorvex::app::ApplicationIcon;
using quorvex::app::BuiltInIcon;

class AppIconTest : public QObject {
  Q_OBJECT

 private:
  QStringList systemPaths;
  QString systemTheme;

 private slots:
  void initTestCase() {
    systemPaths = QIcon::themeSearchPaths();
    systemTheme = QIcon::themeName();
  }
  void cleanup() {
    QIcon::setThemeSearchPaths(systemPaths);
    QIcon::setThemeName(systemTheme);
  }

  void builtInCopyHoldsEveryThemeSize_data() {
    QTest::addColumn<int>("size");
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) QTest::addRow("%dx%d", size, size) << size;
  }
  void builtInCopyHoldsEveryThemeSize() {
    QFETCH(int, size);
    const QIcon icon = BuiltInIcon();
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    QCOMPARE(image.size(), QSize(size, size));
    // The drawing fills the middle; the corners of the rounded tile stay clear.
    QVERIFY(qAlpha(image.pixel(size / 2, size / 2)) == 255);
    QVERIFY(qAlpha(image.pixel(0, 0)) < 128);
  }

  void withoutThemeIconTheBuiltInCopyIsUsed() {
    QTemporaryDir empty;
    QIcon::setThemeSearchPaths({empty.path()});
    QIcon::setThemeName(QStringLiteral("hicolor"));
    const QIcon icon = ApplicationIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), BuiltInIcon().availableSizes());
  }

  void installedThemeIconIsUsed() {
    const QString tree = qEnvironmentVariable("QUORVEX_INSTALL_TREE");
    if (tree.isEmpty()) QSKIP("no installed tree (QUORVEX_INSTALL_TREE)");
    if (!QFile::exists(QStringLiteral("/usr/share/icons/hicolor/index.theme"))) QSKIP("no hicolor icon theme");
    // The installed tree's icons, with the system's theme index, as on a desktop.
    QIcon::setThemeSearchPaths({tree + QStringLiteral("/usr/share/icons"), QStringLiteral("/usr/share/icons")});
    QIcon::setThemeName(QStringLiteral("hicolor"));
    QVERIFY(QIcon::hasThemeIcon(QLatin1String(quorvex::app::kAppId)));
    QCOMPARE(ApplicationIcon().name(), QLatin1String(quorvex::app::kAppId));
  }
};

QTEST_MAIN(AppIconTest)
#include "app_icon_test.moc"
