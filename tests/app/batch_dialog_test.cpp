// The 批量计算 dialog's wiring, with its file dialogs and its runner replaced: the result path
// it proposes, the worker thread behind the progress dialog, the closing box, the errors.
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/batch_dialog.h"
#include "app/sheet_module_loader.h"
#include "support/gui_test.h"
#include "support/modal_answerer.h"

using quorvex::app::BatchDialog;
using quorvex::app::BatchDialogDeps;
using quorvex::sheets::SheetJob;
using quorvex::sheets::SheetProgress;
using quorvex::sheets::SheetSummary;
using namespace quorvex::testing;

namespace {

// Waits (on the worker thread) until `flag` is set, for at most 20 s.
void AwaitFlag(const std::atomic<bool>& flag) {
  for (int i = 0; i < 20000 && !flag.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

class BatchDialogTest : public QObject {
  Q_OBJECT

 private:
  QString picked;   // what the replaced file dialogs answer
  QString offered;  // what the save dialog was offered
  int runs = 0;
  std::function<SheetSummary(const SheetJob&, const std::function<void(const SheetProgress&)>&,
                             const std::atomic<bool>*)>
      runner;

  BatchDialogDeps Deps() {
    BatchDialogDeps deps;
    deps.pickSheet = [this](QWidget*, const QString&) { return picked; };
    deps.pickSave = [this](QWidget*, const QString&, const QString& suggested, const QString&) {
      offered = suggested;
      return picked;
    };
    deps.run = [this](const SheetJob& job, const std::function<void(const SheetProgress&)>& progress,
                      const std::atomic<bool>* cancel) {
      ++runs;
      return runner(job, progress, cancel);
    };
    return deps;
  }

 private slots:
  void init() {
    picked.clear();
    offered.clear();
    runs = 0;
    runner = {};
  }

  void resultPathIsBesideTheSheet_data() {
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("result");
    QTest::newRow("workbook") << "/data/工资表.xlsx"
                              << "/data/工资表结果.xlsx";
    QTest::newRow("dotted folder, csv") << "/a/b.c/staff.csv"
                                        << "/a/b.c/staff结果.csv";
    QTest::newRow("json lines, no folder") << "sheet.jsonl"
                                           << "sheet结果.jsonl";
    QTest::newRow("no extension") << "/a/list"
                                  << "/a/list结果";
    QTest::newRow("read-only workbook formats") << "/a/旧表.XLS"
                                                << "/a/旧表结果.xlsx";
    QTest::newRow("unicode text") << "/a/导出.txt"
                                  << "/a/导出结果.csv";
  }
  void resultPathIsBesideTheSheet() {
    QFETCH(QString, sheet);
    QFETCH(QString, result);
    QCOMPARE(quorvex::app::DefaultResultPath(sheet), result);
  }

  void resultFollowsThePickedSheetUntilTheUserNamesOne() {
    BatchDialog dialog(nullptr, Deps());
    auto* sheet = Child<QLineEdit>(&dialog, "EditSheet");
    auto* result = Child<QLineEdit>(&dialog, "EditResult");
    picked = "/data/一月.xlsx";
    Child<QPushButton>(&dialog, "BtnSheet")->click();
    QCOMPARE(sheet->text(), picked);
    QCOMPARE(result->text(), QString("/data/一月结果.xlsx"));
    picked = "/data/二月.csv";
    Child<QPushButton>(&dialog, "BtnSheet")->click();
    QCOMPARE(result->text(), QString("/data/二月结果.csv"));
    Type(result, "/out/mine.xlsx");
    picked.clear();  // the user cancels the file dialog: nothing changes
    Child<QPushButton>(&dialog, "BtnSheet")->click();
    QCOMPARE(sheet->text(), QString("/data/二月.csv"));
    Type(sheet, "/data/三月.xlsx");
    QCOMPARE(result->text(), QString("/out/mine.xlsx"));
  }

  void runsOnAWorkerThreadBehindTheProgressDialogAndSumsUp() {
    QTemporaryDir dir;
    std::atomic<bool> seen{false};
    Qt::HANDLE worker = nullptr;
    SheetJob job;
    runner = [&](const SheetJob& j, const std::function<void(const SheetProgress&)>& progress,
                 const std::atomic<bool>*) {
      worker = QThread::currentThreadId();
      job = j;
      progress({50, 100, 7});
      AwaitFlag(seen);
      SheetSummary s;
      s.records = 12;
      s.rejected = 2;
      s.ok = true;
      return s;
    };
    BatchDialog dialog(nullptr, Deps());
    dialog.show();
    Type(Child<QLineEdit>(&dialog, "EditSheet"), dir.filePath("staff.xlsx"));
    Type(Child<QLineEdit>(&dialog, "EditResult"), dir.filePath("out.csv"));
    ModalAnswerer answers;
    QString progressLabel, summary;
    answers.Expect<QProgressDialog>([&](QProgressDialog* p) {
      QTRY_VERIFY(p->labelText().contains("7"));
      progressLabel = p->labelText();
      QCOMPARE(p->value(), 500);
      seen = true;
    });
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      summary = box->text();
      box->accept();
    });
    Child<QPushButton>(&dialog, "BtnStart")->click();
    QVERIFY(answers.AllAnswered());
    QCOMPARE(answers.StrayCount(), 0);
    QVERIFY(worker != nullptr && worker != QThread::currentThreadId());
    QCOMPARE(job.input, dir.filePath("staff.xlsx").toStdString());
    QVERIFY(job.inFormat == quorvex::sheets::Format::kXlsx && job.outFormat == quorvex::sheets::Format::kCsv);
    QVERIFY2(summary.contains("12") && summary.contains("10") && summary.contains("2 条有误") &&
                 summary.contains("状态") && summary.contains(dir.filePath("out.csv")),
             qPrintable(summary));
    QVERIFY(!dialog.isVisible());  // done: the dialog closes
  }

  // Closing the progress dialog (its title bar's button) is 取消, as its own button is.
  void closingTheProgressDialogStopsTheRunnerAndSaysSo() {
    runner = [&](const SheetJob&, const std::function<void(const SheetProgress&)>&, const std::atomic<bool>* cancel) {
      AwaitFlag(*cancel);
      SheetSummary s;
      s.cancelled = cancel->load();
      s.ok = !s.cancelled;
      return s;
    };
    BatchDialog dialog(nullptr, Deps());
    dialog.show();
    Type(Child<QLineEdit>(&dialog, "EditSheet"), "/nowhere/a.csv");
    ModalAnswerer answers;
    QString text;
    answers.Expect<QProgressDialog>([](QProgressDialog* p) {
      p->close();
      QVERIFY(p->isVisible());
    });
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      box->accept();
    });
    Child<QPushButton>(&dialog, "BtnStart")->click();
    QVERIFY(answers.AllAnswered());
    QVERIFY2(text.contains("取消") && text.contains("没有写入"), qPrintable(text));
    QVERIFY(dialog.isVisible());
  }

  void problemsAreShownNamingTheFileAndTheDialogStays_data() {
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("error");  // what the runner reports; empty: it is not to run
    QTest::addColumn<QString>("shown");
    QTest::newRow("no sheet") << ""
                              << ""
                              << ""
                              << "选择";
    QTest::newRow("sheet of another kind") << "/a/old.ods"
                                           << ""
                                           << ""
                                           << "/a/old.ods";
    QTest::newRow("result of another kind") << "/a/b.xlsx"
                                            << "/a/b.txt"
                                            << ""
                                            << "/a/b.txt";
    QTest::newRow("the sheet itself") << "/a/b.xlsx"
                                      << "/a/../a/b.xlsx"
                                      << ""
                                      << "结果文件不能与表格文件相同";
    QTest::newRow("the runner's refusal") << "/a/b.xlsx"
                                          << "/a/c.xlsx"
                                          << "/a/b.xlsx：表格没有表头"
                                          << "/a/b.xlsx：表格没有表头";
  }
  void problemsAreShownNamingTheFileAndTheDialogStays() {
    QFETCH(QString, sheet);
    QFETCH(QString, result);
    QFETCH(QString, error);
    QFETCH(QString, shown);
    std::atomic<bool> seen{false};
    runner = [&](const SheetJob&, const std::function<void(const SheetProgress&)>&, const std::atomic<bool>*) {
      AwaitFlag(seen);
      SheetSummary s;
      s.error.reason = error.toStdString();
      return s;
    };
    BatchDialog dialog(nullptr, Deps());
    dialog.show();
    Type(Child<QLineEdit>(&dialog, "EditSheet"), sheet);
    Type(Child<QLineEdit>(&dialog, "EditResult"), result);
    ModalAnswerer answers;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (!error.isEmpty()) answers.Expect<QProgressDialog>([&](QProgressDialog*) { seen = true; });
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      icon = box->icon();
      box->accept();
    });
    Child<QPushButton>(&dialog, "BtnStart")->click();
    QTRY_VERIFY(answers.AllAnswered());
    QCOMPARE(runs, error.isEmpty() ? 0 : 1);
    QVERIFY2(text.contains(shown), qPrintable(text));
    QCOMPARE(icon, QMessageBox::Critical);
    QVERIFY(dialog.isVisible());
  }

  void anExistingResultIsReplacedOnlyWhenTheUserSaysSo() {
    QTemporaryDir dir;
    QFile existing(dir.filePath("r.csv"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    std::atomic<bool> seen{false};
    runner = [&](const SheetJob&, const std::function<void(const SheetProgress&)>&, const std::atomic<bool>*) {
      AwaitFlag(seen);
      return SheetSummary{};
    };
    BatchDialog dialog(nullptr, Deps());
    dialog.show();
    Type(Child<QLineEdit>(&dialog, "EditSheet"), dir.filePath("a.csv"));
    Type(Child<QLineEdit>(&dialog, "EditResult"), dir.filePath("r.csv"));
    ModalAnswerer answers;
    answers.Expect<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    Child<QPushButton>(&dialog, "BtnStart")->click();
    QTRY_VERIFY(answers.AllAnswered());
    QCOMPARE(runs, 0);
    // Chosen in the save dialog, which has asked already: no second question.
    picked = dir.filePath("r.csv");
    Child<QPushButton>(&dialog, "BtnResult")->click();
    answers.Expect<QProgressDialog>([&](QProgressDialog*) { seen = true; });
    answers.Expect<QMessageBox>([](QMessageBox* box) { box->accept(); });
    Child<QPushButton>(&dialog, "BtnStart")->click();
    QTRY_VERIFY(answers.AllAnswered());
    QCOMPARE(runs, 1);
    QCOMPARE(answers.StrayCount(), 0);
  }

  // A result that may not be replaced is refused at once, not after asking to replace it.
  void aReadOnlyResultIsRefusedBeforeTheReplaceQuestion() {
    QTemporaryDir dir;
    QFile existing(dir.filePath("r.csv"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QVERIFY(existing.setPermissions(QFileDevice::ReadOwner));
    BatchDialog dialog(nullptr, Deps());
    dialog.show();
    Type(Child<QLineEdit>(&dialog, "EditSheet"), dir.filePath("a.csv"));
    Type(Child<QLineEdit>(&dialog, "EditResult"), dir.filePath("r.csv"));
    ModalAnswerer answers;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      icon = box->icon();
      box->accept();
    });
    Child<QPushButton>(&dialog, "BtnStart")->click();
    QTRY_VERIFY(answers.AllAnswered());
    QCOMPARE(icon, QMessageBox::Critical);
    QVERIFY2(text.contains("只读"), qPrintable(text));
    QCOMPARE(runs, 0);
  }

  // A module that is not there, or not one, is refused with words for the box, naming it.
  void aBrokenSheetModuleIsRefusedNamingIt() {
    QTemporaryDir dir;
    QFile empty(dir.filePath("libquorvex-sheets.so"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    for (const QString& file : {dir.filePath("none.so"), empty.fileName()}) {
      QString error;
      QVERIFY(quorvex::app::LoadSheetModuleFrom(file.toStdString(), error) == nullptr);
      QVERIFY2(error.contains("libquorvex-sheets.so") && error.contains("重新安装"), qPrintable(error));
    }
  }

  void templateIsWrittenWhereTheUserChooses() {
    QTemporaryDir dir;
    BatchDialog dialog(nullptr, Deps());
    dialog.show();
    Type(Child<QLineEdit>(&dialog, "EditSheet"), dir.filePath("工资表.xlsx"));
    picked = dir.filePath("模板.xlsx");
    ModalAnswerer answers;
    QString text;
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      box->accept();
    });
    Child<QPushButton>(&dialog, "BtnTemplate")->click();
    QTRY_VERIFY(answers.AllAnswered());
    QCOMPARE(offered, dir.filePath("批量计算模板.xlsx"));
    QVERIFY(QFileInfo(picked).size() > 0);
    QVERIFY2(text.contains(picked), qPrintable(text));
  }
};

QTEST_MAIN(BatchDialogTest)
#include "batch_dialog_test.moc"
