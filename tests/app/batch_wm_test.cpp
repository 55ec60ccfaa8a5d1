// 批量计算 in a real X session with a window manager: the File menu's entry by its access key,
// a workbook of every category computed from the window, and the progress dialog whose 取消
// leaves no result file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <memory>

#include "app/batch_dialog.h"
#include "app/frm_main.h"
#include "sheets/workbook/xlsx_reader.h"
#include "support/gui_test.h"
#include "support/modal_answerer.h"

using quorvex::app::BatchDialog;
using quorvex::app::TFrmMain;
using namespace quorvex::testing;

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows ReadBook(const QString& path) {
  quorvex::sheets::XlsxReader reader;
  Rows rows;
  if (!reader.Open(path.toStdString())) return {{reader.Error()}};
  std::vector<std::string> row;
  while (reader.Next(row)) rows.push_back(row);
  return rows;
}

void WriteFd(int fd, const char* text) {
  QVERIFY(::write(fd, text, std::strlen(text)) == static_cast<ssize_t>(std::strlen(text)));
}

}  // namespace

class BatchWmTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;
  std::unique_ptr<QTemporaryDir> dir;

 private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    window = std::make_unique<TFrmMain>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get(), kWindowSystemMs));
  }
  void cleanup() {
    window.reset();
    dir.reset();
  }

  void fileMenuOffersItBeforeExitByItsAccessKey() {
    auto* file = Child<QMenu>(window.get(), "FileF1");
    const QList<QAction*> entries = file->actions();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0]->objectName(), QString("Menu_File_Batch"));
    QCOMPARE(entries[0]->text(), QString("批量计算(&B)..."));
    QCOMPARE(entries[1]->objectName(), QString("Menu_File_Template"));
    QCOMPARE(entries[1]->text(), QString("保存模板(&T)..."));
    QCOMPARE(entries[2]->objectName(), QString("Menu_File_Exit"));

    ModalAnswerer answers;
    QString title;
    answers.Expect<BatchDialog>([&](BatchDialog* d) {
      title = d->windowTitle();
      Child<QPushButton>(d, "BtnClose")->click();
    });
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(file->isVisible(), kWindowSystemMs);
    QTest::keyClick(file, Qt::Key_B);
    QTRY_VERIFY_WITH_TIMEOUT(answers.AllAnswered(), kWindowSystemMs);
    QCOMPARE(title, QString("批量计算"));
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
    QCOMPARE(answers.StrayCount(), 0);

    // The template by its own entry, under its own title.
    answers.Expect<QFileDialog>([&](QFileDialog* d) {
      title = d->windowTitle();
      d->reject();
    });
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(file->isVisible(), kWindowSystemMs);
    QTest::keyClick(file, Qt::Key_T);
    QTRY_VERIFY_WITH_TIMEOUT(answers.AllAnswered(), kWindowSystemMs);
    QCOMPARE(title, QString("保存模板"));
  }

  // After a run and its closing box, the window has the focus back, in the page's first
  // field; the next opening shows the same paths.
  void aRunGivesTheFocusBackAndTheDialogKeepsItsPaths() {
    const QString sheet = dir->filePath("a.csv");
    QFile file(sheet);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("收入类型,金额\n工资、薪金所得,5000\n");
    file.close();
    ModalAnswerer answers;
    // However long the run takes on a busy machine, its progress dialog is no stray: closing it
    // would cancel the run, and a cancelled run keeps the dialog open for another try.
    answers.Allow<QProgressDialog>();
    answers.Expect<BatchDialog>([&](BatchDialog* d) {
      Type(Child<QLineEdit>(d, "EditSheet"), sheet);
      Child<QPushButton>(d, "BtnStart")->click();
    });
    QString closing;
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      closing = box->text();
      box->accept();
    });
    Child<QAction>(window.get(), "Menu_File_Batch")->trigger();
    QVERIFY(answers.AllAnswered());
    QVERIFY2(closing.contains("计算完成"), qPrintable(closing));
    QTRY_VERIFY_WITH_TIMEOUT(window->isActiveWindow(), kWindowSystemMs);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget()->objectName(), QString("EditIncome"), kWindowSystemMs);
    QString shown;
    answers.Expect<BatchDialog>([&](BatchDialog* d) {
      shown = Child<QLineEdit>(d, "EditSheet")->text() + "|" + Child<QLineEdit>(d, "EditResult")->text();
      d->reject();
    });
    Child<QAction>(window.get(), "Menu_File_Batch")->trigger();
    QVERIFY(answers.AllAnswered());
    QCOMPARE(shown, sheet + "|" + dir->filePath("a结果.csv"));
  }

  void aWorkbookOfEveryCategoryComputesFromTheWindow() {
    const QString book = dir->filePath("模板.xlsx");
    BatchDialog d(window.get());
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d, kWindowSystemMs));
    ModalAnswerer answers;
    answers.Allow<QProgressDialog>();
    // The template, saved through the file dialog.
    answers.Expect<QFileDialog>([book](QFileDialog* save) {
      auto* name = Child<QLineEdit>(save, "fileNameEdit");
      name->setText(book);
      QTest::keyClick(name, Qt::Key_Return);
    });
    QStringList boxes;
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      boxes << box->text();
      box->accept();
    });
    Child<QPushButton>(&d, "BtnTemplate")->click();
    QVERIFY(answers.AllAnswered());
    QVERIFY2(QFileInfo::exists(book), qPrintable(boxes.join("|")));
    Type(Child<QLineEdit>(&d, "EditSheet"), book);
    QCOMPARE(Child<QLineEdit>(&d, "EditResult")->text(), dir->filePath("模板结果.xlsx"));
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      boxes << box->text();
      box->accept();
    });
    Child<QPushButton>(&d, "BtnStart")->click();
    QVERIFY(answers.AllAnswered());
    QCOMPARE(answers.StrayCount(), 0);
    QVERIFY(!d.isVisible());
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes[1].contains("共 15 条记录") && !boxes[1].contains("有误"), qPrintable(boxes[1]));
    const Rows result = ReadBook(dir->filePath("模板结果.xlsx"));
    QCOMPARE(result.size(), std::size_t{16});
    const auto status =
        static_cast<std::size_t>(std::find(result[0].begin(), result[0].end(), "状态") - result[0].begin());
    for (std::size_t i = 1; i < result.size(); ++i)
      QCOMPARE(QString::fromStdString(result[i][status]), QString("正常"));
  }

  void cancelWhileItRunsLeavesNoResultFile() {
    // The sheet comes through a pipe: the run waits on it, so it is still running when 取消 is
    // pressed, however fast the machine. Records are computed a block at a time, so none is
    // counted before the pipe is closed.
    const QString sheet = dir->filePath("staff.csv");
    QCOMPARE(::mkfifo(sheet.toLocal8Bit().constData(), 0600), 0);
    const int fd = ::open(sheet.toLocal8Bit().constData(), O_RDWR);
    QVERIFY(fd >= 0);
    WriteFd(fd, "收入类型,金额\n工资、薪金所得,5000\n");
    ModalAnswerer answers;
    QString progressText, closing;
    bool repainted = false;
    answers.Expect<BatchDialog>([&](BatchDialog* d) {
      Type(Child<QLineEdit>(d, "EditSheet"), sheet);
      Type(Child<QLineEdit>(d, "EditResult"), dir->filePath("result.xlsx"));
      Child<QPushButton>(d, "BtnStart")->click();
    });
    answers.Expect<QProgressDialog>([&](QProgressDialog* p) {
      QTRY_VERIFY_WITH_TIMEOUT(p->isVisible(), kWindowSystemMs);
      progressText = p->labelText();
      // The window still paints while the sheet is computed.
      window->update();
      repainted = !window->grab().isNull();
      // Esc is 取消, as the dialog's button is.
      QTRY_VERIFY_WITH_TIMEOUT(p->isActiveWindow(), kWindowSystemMs);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      // The run is still waiting on its input: the dialog stays, saying it is stopping.
      QVERIFY(p->isVisible() && p->labelText().contains("正在取消"));
      WriteFd(fd, "工资、薪金所得,6000\n");
      ::close(fd);
    });
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      closing = box->text();
      box->accept();
    });
    // Cancelled, the dialog stays for another try.
    answers.Expect<BatchDialog>([](BatchDialog* d) { Child<QPushButton>(d, "BtnClose")->click(); });
    Child<QAction>(window.get(), "Menu_File_Batch")->trigger();
    QVERIFY(answers.AllAnswered());
    QCOMPARE(answers.StrayCount(), 0);
    QVERIFY(repainted);
    QVERIFY2(closing.contains("已取消"), qPrintable(closing));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList{"staff.csv"});
  }
};

QTEST_MAIN(BatchWmTest)
#include "batch_wm_test.moc"
