// The year-end bonus planner's dialog: opened from the 工具 menu, driven as a user drives it.
// The figures themselves are checked below the window, in the planner's own tests.
#include <QFileDialog>
#include <QGroupBox>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "app/chart_picture.h"
#include "app/frm_main.h"
#include "pages/chart_view.h"
#include "pages/frm_plan.h"
#include "support/gui_test.h"
#include "support/modal_answerer.h"

using quorvex::app::TFrmMain;
using quorvex::pages::ChartView;
using quorvex::pages::TFrmPlan;
using namespace quorvex::testing;

namespace {

const QString kZone1 = QString::fromUtf8("进入盲区：( 18,000, 19,283.33 ]");

// The caption that names `widget` (its buddy), or "" when none does.
QString CaptionOf(QWidget* dialog, QWidget* widget) {
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    if (label->buddy() == widget) return label->text();
  }
  return {};
}

}  // namespace

class PlanDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;
  QPointer<TFrmPlan> dialog;
  QLineEdit *annual = nullptr, *safe = nullptr, *planned = nullptr;

  QLabel* Label(const char* name) { return Child<QLabel>(dialog.data(), name); }
  void Fill(const QString& a, const QString& c, const QString& p) {
    Type(annual, a);
    Type(safe, c);
    Type(planned, p);
  }

 private slots:
  // The dialog on its own, as the page tests take a page: the main window, always on top,
  // would compete for activation. The menu test opens it from the main window.
  void init() {
    dialog = new TFrmPlan(nullptr);
    dialog->open();  // modal, as the menu opens it, without a nested event loop
    QVERIFY(QTest::qWaitForWindowActive(dialog.data()));
    annual = Child<QLineEdit>(dialog.data(), "EditIncome");
    safe = Child<QLineEdit>(dialog.data(), "EditSafe");
    planned = Child<QLineEdit>(dialog.data(), "EditYear");
  }
  void cleanup() {
    delete dialog;
    window.reset();
  }

  void menuEntryLastInToolsOpensTheModalDialog() {
    delete dialog;
    window = std::make_unique<TFrmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto* entry = Child<QAction>(window.get(), "Menu_Tool_Plan");
    QCOMPARE(entry->text(), QString("年终奖筹划(&P)..."));
    auto* tools = Child<QMenu>(window.get(), "N2");
    QCOMPARE(tools->actions().last(), entry);
    ModalAnswerer boxes;
    bool modalOwnedFocused = false;
    boxes.Expect<TFrmPlan>([&](TFrmPlan* d) {
      modalOwnedFocused = d->isModal() && d->parentWidget() == window.get() && d->windowTitle() == "年终奖筹划" &&
                          QApplication::focusWidget() == d->findChild<QLineEdit*>("EditIncome");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    entry->trigger();
    QVERIFY(boxes.AllAnswered());
    QVERIFY(modalOwnedFocused);
    QCOMPARE(boxes.StrayCount(), 0);
    QVERIFY(window->findChildren<TFrmPlan*>().isEmpty());
  }

  void fieldsAndResultsAreNamedByTheirCaptions() {
    QCOMPARE(CaptionOf(dialog, annual), QString("全年税前收入"));
    QCOMPARE(CaptionOf(dialog, safe), QString("每月五险一金"));
    QCOMPARE(CaptionOf(dialog, planned), QString("原计划年终奖"));
    auto* point = Child<QComboBox>(dialog.data(), "CmbPoint");
    QCOMPARE(CaptionOf(dialog, point), QString("起征点"));
    QCOMPARE(point->count(), 2);
    QCOMPARE(point->itemText(1), QString("4800"));
    QCOMPARE(CaptionOf(dialog, Child<QLineEdit>(dialog.data(), "EditBonus")), QString("年终奖"));
    QCOMPARE(CaptionOf(dialog, Child<QComboBox>(dialog.data(), "CmbRange")), QString("显示范围"));
    QCOMPARE(CaptionOf(dialog, Label("TxtSalary")), QString("建议每月工资"));
    QCOMPARE(CaptionOf(dialog, Label("TxtBonus")), QString("建议年终奖"));
    QCOMPARE(CaptionOf(dialog, Label("TxtTaxTotal")), QString("全年纳税"));
    QCOMPARE(CaptionOf(dialog, Label("TxtRealIncomeAll")), QString("税后总额"));
    // The comparisons' lines stand in boxes that say what they compare.
    auto* saving = Label("TxtAllSalarySaving");
    QCOMPARE(CaptionOf(dialog, saving), QString("节税"));
    QCOMPARE(qobject_cast<QGroupBox*>(saving->parentWidget())->title(), QString("全部按月发放"));
    QCOMPARE(qobject_cast<QGroupBox*>(Label("TxtPlannedZone")->parentWidget())->title(), QString("原计划年终奖"));
  }

  void enterInEachFieldComputesAndTheFocusReturnsToTheYearsPay_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("全年税前收入") << "EditIncome";
    QTest::newRow("每月五险一金") << "EditSafe";
    QTest::newRow("原计划年终奖") << "EditYear";
  }
  void enterInEachFieldComputesAndTheFocusReturnsToTheYearsPay() {
    QFETCH(QString, field);
    ModalAnswerer guard;
    Fill(" 120000 ", "", "19000");
    PressEnter(Child<QLineEdit>(dialog.data(), field.toLatin1().constData()));
    QCOMPARE(Label("TxtSalary")->text(), QString("8500.00"));
    QCOMPARE(Label("TxtBonus")->text(), QString("18000.00"));
    QCOMPARE(Label("TxtAllSalarySaving")->text(), QString("3060.00"));
    QCOMPARE(Label("TxtPlannedSaving")->text(), QString("1054.99"));
    QCOMPARE(Label("TxtPlannedZone")->text(), kZone1);
    QCOMPARE(Label("TxtPlannedZone")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(annual->text(), QString("120000"));
    QCOMPARE(safe->text(), QString("0.00"));
    QVERIFY(FocusedAndSelected(annual));
    QVERIFY(dialog->isVisible());
    QCOMPARE(guard.StrayCount(), 0);
  }

  void theButtonComputesWithTheChosenThreshold() {
    Fill("120000", "", "");
    Child<QComboBox>(dialog.data(), "CmbPoint")->setCurrentIndex(1);
    QTest::mouseClick(Child<QPushButton>(dialog.data(), "BtnCalc"), Qt::LeftButton);
    QCOMPARE(Label("TxtTaxTotal")->text(), QString("3720.00"));
    QCOMPARE(Label("TxtPlannedTax")->text(), QString(""));
  }

  void badInputIsReportedBesideItsFieldInFull_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("c");
    QTest::addColumn<QString>("p");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty year") << ""
                                << ""
                                << ""
                                << "EditIncome"
                                << "TxtInfo_1"
                                << "无效的金额，请重新输入";
    QTest::newRow("zero year") << "0"
                               << ""
                               << ""
                               << "EditIncome"
                               << "TxtInfo_1"
                               << "收入金额需大于零，请重新输入";
    QTest::newRow("year beyond the limit") << "2e9"
                                           << ""
                                           << ""
                                           << "EditIncome"
                                           << "TxtInfo_1"
                                           << "全年税前收入不能超过10亿元，请重新输入";
    QTest::newRow("negative contributions") << "120000"
                                            << "-1"
                                            << ""
                                            << "EditSafe"
                                            << "TxtInfo_2"
                                            << "五险一金需大于零，请重新输入";
    QTest::newRow("planned above the year") << "120000"
                                            << ""
                                            << "120000.01"
                                            << "EditYear"
                                            << "TxtInfo_3"
                                            << "年终奖不能大于全年税前收入，请重新输入";
  }
  void badInputIsReportedBesideItsFieldInFull() {
    QFETCH(QString, a);
    QFETCH(QString, c);
    QFETCH(QString, p);
    QFETCH(QString, field);
    QFETCH(QString, label);
    QFETCH(QString, message);
    ModalAnswerer guard;
    Fill("120000", "", "");
    PressEnter(annual);
    Fill(a, c, p);
    PressEnter(annual);
    QLabel* info = Label(label.toLatin1().constData());
    QCOMPARE(info->text(), message);
    QVERIFY(info->width() >= info->fontMetrics().horizontalAdvance(message));
    QLineEdit* failing = Child<QLineEdit>(dialog.data(), field.toLatin1().constData());
    QVERIFY(failing->hasFocus());
    QCOMPARE(failing->selectedText(), failing->text());
    QCOMPARE(Label("TxtBonus")->text(), QString("0.00"));
    QCOMPARE(guard.StrayCount(), 0);
    // Typing again empties the message.
    Type(annual, "1");
    QCOMPARE(info->text(), QString());
  }

  // The total-tax picture follows every 计算: the curve quorvex-calc prints, the plan's mark and
  // its words; a rejected year and 重置 leave an empty frame.
  void theChartFollowsEachCalculation() {
    auto* chart = Child<ChartView>(dialog.data(), "ChartPlan");
    QVERIFY(chart->Data().curve.empty());
    QCOMPARE(chart->accessibleName(), QString("全年纳税与年终奖"));
    Fill("120000", "", "19000");
    PressEnter(annual);
    const auto& curve = chart->Data().curve;
    QCOMPARE(curve.size(), std::size_t{11});
    QCOMPARE(curve[1].x, 18000.0);
    QCOMPARE(curve[2].x, 18000.12);
    QVERIFY(curve[2].breakBefore && !curve[1].breakBefore);
    QCOMPARE(chart->Data().marks.size(), std::size_t{3});
    QCOMPARE(chart->Data().zones.size(), std::size_t{3});
    QVERIFY(chart->accessibleDescription().startsWith("建议年终奖 18000.00 元"));
    QVERIFY(chart->accessibleDescription().contains(Label("TxtTaxTotal")->text()));
    const QImage drawn = chart->grab().toImage();
    QVERIFY(!drawn.isNull());
    QCOMPARE(drawn.pixelColor(chart->MapToWidget(18000, 5880).toPoint()), QColor(0, 150, 60));

    Type(annual, "x");
    PressEnter(annual);
    QVERIFY(chart->Data().curve.empty());
    Fill("120000", "", "");
    PressEnter(annual);
    QVERIFY(!chart->Data().curve.empty());
    QTest::mouseClick(Child<QPushButton>(dialog.data(), "BtnReset"), Qt::LeftButton);
    QVERIFY(chart->Data().curve.empty());
    QCOMPARE(annual->text(), QString());
    QCOMPARE(Label("TxtTaxTotal")->text(), QString("0.00"));
    QVERIFY(annual->hasFocus());
  }

  // Pointing at the curve says the split in the dialog's figures; a click plans that bonus.
  void hoverSaysThePointAndAClickPlansIt() {
    Fill("120000", "", "");
    PressEnter(annual);
    auto* chart = Child<ChartView>(dialog.data(), "ChartPlan");
    const QPoint at = chart->MapToWidget(60000, 0).toPoint();
    QTest::mouseMove(chart, at);
    QCOMPARE(chart->HoverText(), QString("年终奖 60000.00 元，全年纳税 11985.00 元"));
    QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(planned->text(), QString("60000.00"));
    QCOMPARE(Label("TxtPlannedTax")->text(), QString("11985.00"));
    QCOMPARE(chart->Data().marks.size(), std::size_t{3});
  }

  // The bonus alone: a typed bonus is marked with its after-tax amount, the range box zooms
  // into a zone, the wheel zooms about the pointer.
  void theBonusPictureMarksZoomsAndRejects() {
    Child<QTabWidget>(dialog.data(), "Tabs")->setCurrentIndex(1);
    auto* chart = Child<ChartView>(dialog.data(), "ChartBonus");
    auto* bonus = Child<QLineEdit>(dialog.data(), "EditBonus");
    QCOMPARE(chart->Data().zones.size(), std::size_t{6});
    Type(bonus, "18001");
    PressEnter(bonus);
    QCOMPARE(chart->Data().marks.at(0).label, std::string("税后 16305.90"));
    Child<QComboBox>(dialog.data(), "CmbRange")->setCurrentIndex(1);
    QVERIFY(chart->ViewFrom() < 18000 && chart->ViewTo() > 19283.33 && chart->ViewTo() < 21000);
    const double width = chart->ViewTo() - chart->ViewFrom();
    QWheelEvent wheel(chart->rect().center(), chart->mapToGlobal(chart->rect().center()), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &wheel);
    QVERIFY(chart->ViewTo() - chart->ViewFrom() < width);
    Type(bonus, "-1");
    PressEnter(bonus);
    QCOMPARE(Label("TxtInfo")->text(), QString("收入金额需大于零，请重新输入"));
    QVERIFY(FocusedAndSelected(bonus));
  }

  // 保存图片 writes the picture in view as a PNG where the user chose; a file that cannot be
  // written is named with the system's reason, and what was there stays.
  void savePictureWritesThePngOrSaysWhyNot() {
    delete dialog;
    QTemporaryDir folder;
    QString target;
    quorvex::app::Services services;
    services.runSaveDialog = [&target](QFileDialog& d) {
      d.selectFile(target);
      return true;
    };
    dialog = new TFrmPlan(nullptr, [&services](QWidget* owner, const QImage& picture) {
      quorvex::app::SaveChartPicture(owner, picture, services);
    });
    dialog->open();
    QVERIFY(QTest::qWaitForWindowActive(dialog.data()));
    annual = Child<QLineEdit>(dialog.data(), "EditIncome");
    Type(annual, "120000");
    PressEnter(annual);
    target = folder.filePath("plan.png");
    QTest::mouseClick(Child<QPushButton>(dialog.data(), "BtnSave"), Qt::LeftButton);
    const QImage saved(target);
    QCOMPARE(saved.size(), Child<ChartView>(dialog.data(), "ChartPlan")->size());
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"plan.png"});

    target = folder.filePath("missing/plan.png");
    ModalAnswerer boxes;
    QString said;
    boxes.Expect<QMessageBox>([&](QMessageBox* box) {
      said = box->text();
      box->accept();
    });
    QTest::mouseClick(Child<QPushButton>(dialog.data(), "BtnSave"), Qt::LeftButton);
    QVERIFY(boxes.AllAnswered());
    QVERIFY(said.startsWith(QString("图片未能保存到“%1”。\n").arg(target)));
    // The system's reason in Chinese, its own words after it.
    QVERIFY2(said.section('\n', 1).startsWith("没有这个文件或文件夹（"), qPrintable(said));
  }

  // Access keys on every button, and 关闭 closes.
  void buttonsCarryAccessKeysAndCloseCloses() {
    QCOMPARE(Child<QPushButton>(dialog.data(), "BtnCalc")->text(), QString("计算(&C)"));
    QCOMPARE(Child<QPushButton>(dialog.data(), "BtnReset")->text(), QString("重置(&R)"));
    QCOMPARE(Child<QPushButton>(dialog.data(), "BtnSave")->text(), QString("保存图片(&S)..."));
    QCOMPARE(dialog->palette().color(QPalette::Window), QColor(255, 251, 240));
    QTest::mouseClick(Child<QPushButton>(dialog.data(), "BtnClose"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
  }
};

QTEST_MAIN(PlanDialogTest)
#include "plan_dialog_test.moc"
