// The main window on the offscreen platform: category list, page switching, menu, texts.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>
#include <memory>

#include "app/appearance.h"
#include "app/frm_main.h"
#include "app/product.h"
#include "app/shell.h"
#include "pages/calculator_page.h"
#include "support/gui_test.h"

using quorvex::app::TFrmMain;
using namespace quorvex::testing;

namespace {

const QStringList kRows{"工资、薪金所得",
                        "年终奖所得",
                        "工资、年终奖所得",
                        "----------------------------------",
                        "劳务报酬所得",
                        "稿酬所得",
                        "财产租赁所得",
                        "财产转让所得",
                        "----------------------------------",
                        "特许权使用费所得",
                        "个体工商户生产、经营所得",
                        "对企事业单位的承包经营、承租经营所得",
                        "----------------------------------",
                        "利息、股息、红利所得",
                        "偶然所得（如中奖、中彩）",
                        "被确定征税的其他部分"};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  void OpenWindowWithUrlOpener(std::function<void(const QUrl&)> opener) {
    quorvex::app::Services services;
    services.openUrl = std::move(opener);
    window = std::make_unique<TFrmMain>(nullptr, std::move(services));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  std::unique_ptr<TFrmMain> window;
  QComboBox* list = nullptr;

  QString PageName() const { return window->CurrentPage()->objectName(); }

 private slots:
  void initTestCase() { QVERIFY(quorvex::app::InstallQtTranslations(*qApp)); }

  void qtOwnButtonsReadInChinese() {
    QMessageBox box(QMessageBox::Warning, "t", "x", QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QString("确定"));
  }

  void init() {
    window = std::make_unique<TFrmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    list = Child<QComboBox>(window.get(), "CmbType");
  }
  void cleanup() { window.reset(); }

  void startsOnTheSalaryPageAlwaysOnTop() {
    QCOMPARE(window->windowTitle(), QString("Quorvex  - 您身边的个人所得税专家"));
    QCOMPARE(list->currentText(), QString("工资、薪金所得"));
    QCOMPARE(PageName(), QString("TFrmSalary"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("EditIncome"));
    QVERIFY(window->IsAlwaysOnTop());
    QVERIFY(Child<QAction>(window.get(), "Menu_Tool_Top")->isChecked());
    QCOMPARE(window->CurrentPage()->parentWidget()->objectName(), QString("Panel1"));
    QCOMPARE(window->CurrentPage()->pos(), QPoint(0, 0));
  }

  void listHoldsTheSixteenRowsInOrder() {
    QCOMPARE(list->count(), 16);
    for (int i = 0; i < 16; ++i) QCOMPARE(list->itemText(i), kRows[i]);
    QCOMPARE(list->maxVisibleItems(), 20);
    QVERIFY(!list->isEditable());
    QCOMPARE(kRows[3].size(), 34);
  }

  void separatorsAndPagesStillToComeGiveTheBlankPage() {
    for (int row : {3, 8, 12}) {
      list->setCurrentIndex(row);
      QCOMPARE(PageName(), QString("TFrmEmpty"));
      QVERIFY(window->CurrentPage()->findChildren<QWidget*>().isEmpty());
    }
  }

  void switchingRebuildsAnEmptyPage() {
    auto* income = Child<QLineEdit>(window->CurrentPage(), "EditIncome");
    Type(income, "10000");
    PressEnter(income);
    Child<QComboBox>(window->CurrentPage(), "CmbPoint")->setCurrentIndex(1);
    QPointer<QWidget> old = window->CurrentPage();
    list->setCurrentIndex(1);
    QVERIFY(old.isNull());
    list->setCurrentIndex(0);
    QCOMPARE(PageName(), QString("TFrmSalary"));
    QCOMPARE(Child<QLineEdit>(window->CurrentPage(), "EditIncome")->text(), QString());
    QCOMPARE(Child<QComboBox>(window->CurrentPage(), "CmbPoint")->currentText(), QString("3500"));
    QCOMPARE(window->findChildren<quorvex::pages::CalculatorPage*>().size(), 1);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("EditIncome"));
  }

  void arrowKeysInTheClosedListSwitchAtOnce() {
    list->setCurrentIndex(2);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex(), 3);
    QCOMPARE(PageName(), QString("TFrmEmpty"));
    QCOMPARE(QApplication::focusWidget(), list);
    for (int i = 0; i < 3; ++i) QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(PageName(), QString("TFrmSalary"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("EditIncome"));
  }

  void alwaysOnTopToggles() {
    auto* top = Child<QAction>(window.get(), "Menu_Tool_Top");
    top->trigger();
    QVERIFY(!window->IsAlwaysOnTop());
    QVERIFY(!top->isChecked());
    QVERIFY(window->isVisible());
    top->trigger();
    QVERIFY(window->IsAlwaysOnTop());
    QVERIFY(top->isChecked());
    QVERIFY(window->isVisible());
  }

  void stackingChangeKeepsThePageAndTheFocus() {
    auto* income = Child<QLineEdit>(window->CurrentPage(), "EditIncome");
    Type(income, "abc");
    PressEnter(income);
    QPointer<QWidget> page = window->CurrentPage();
    Child<QAction>(window.get(), "Menu_Tool_Top")->trigger();
    QVERIFY(window->isActiveWindow());
    QCOMPARE(window->CurrentPage(), page.data());
    QCOMPARE(QApplication::focusWidget(), income);
    QCOMPARE(income->text(), QString("abc"));
  }

  void menuHasTheEntriesWithAccessKeys() {
    const QList<QPair<const char*, QString>> entries{{"Menu_File_Exit", "退出(&X)"},
                                                     {"Menu_Tool_Top", "在最前面显示(&F)"},
                                                     {"Menu_Img", "截图(&I)"},
                                                     {"Menu_Help_Home", "访问官方网站(&W)"},
                                                     {"Menu_Help_About", "关于 Quorvex(&A)..."}};
    for (const auto& [name, text] : entries) QCOMPARE(Child<QAction>(window.get(), name)->text(), text);
    QStringList bar;
    for (QAction* a : window->menuBar()->actions()) bar << a->text();
    QCOMPARE(bar, (QStringList{"文件(&F)", "工具(&T)", "截图(&I)", "帮助(&H)"}));
    QVERIFY(Child<QAction>(window.get(), "Menu_Img")->menu() == nullptr);
  }

  void bandAndStatusLineShowTheProductTexts() {
    const QString host = QUrl(QString::fromUtf8(quorvex::app::kHomePage)).host();
    QCOMPARE(Child<QLabel>(window.get(), "TxtHomePage")->text(),
             "软件不断升级更新中，及时下载最新版本 " + host + "  Quorvex官网");
    QCOMPARE(Child<QLabel>(window.get(), "StatusText")->text(),
             "  意见反馈、错误纠正、批量计算、个性化软件定制，请联系客服QQ：" +
                 QString::fromUtf8(quorvex::app::kServiceNumber) + "  ");
    const QSize area = Child<QWidget>(window.get(), "Panel1")->size();
    QVERIFY(area.width() >= 472 && area.height() >= 436);
    QCOMPARE(window->CurrentPage()->size(), QSize(472, 436));
  }

  void homePageOpensFromTheLinkAndTheMenu() {
    QList<QUrl> opened;
    OpenWindowWithUrlOpener([&](const QUrl& url) { opened << url; });
    QTest::mouseClick(Child<QLabel>(window.get(), "TxtHomePage"), Qt::LeftButton);
    Child<QAction>(window.get(), "Menu_Help_Home")->trigger();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0], QUrl(QString::fromUtf8(quorvex::app::kHomePage)));
  }

  void homePageFailureLeavesNoTrace() {
    OpenWindowWithUrlOpener([](const QUrl&) { throw std::runtime_error("no browser"); });
    Child<QAction>(window.get(), "Menu_Help_Home")->trigger();
    QVERIFY(window->isVisible());
  }

  void exitClosesTheWindow() {
    Child<QAction>(window.get(), "Menu_File_Exit")->trigger();
    QVERIFY(!window->isVisible());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
