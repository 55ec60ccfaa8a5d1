// The window tests' answerer: a modal window that stands open unanswered ends the wait and
// fails the test with the step it waited for, instead of hanging it; a window allowed to
// come and go is let be; any other is closed as stray.
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "support/modal_answerer.h"

using namespace quorvex::testing;

namespace {

// A dialog that, like the progress dialog of a run, does not go when asked to close.
class Stubborn : public QDialog {
  Q_OBJECT

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

class ModalAnswererTest : public QObject {
  Q_OBJECT

 private slots:
  void aDialogLeftStandingFailsTheTestWithItsStepAndIsClosed() {
    ModalAnswerer answers(300);
    answers.Allow<Stubborn>();
    answers.Expect<QMessageBox>([](QMessageBox* box) { box->accept(); });
    Stubborn dialog;
    QElapsedTimer waited;
    waited.start();
    QEXPECT_FAIL("", "the watchdog gives up on the step it waits for", Continue);
    dialog.exec();  // returns only because the watchdog rejects it
    QVERIFY(waited.elapsed() < 10'000);
    QVERIFY(!answers.AllAnswered());
    QVERIFY2(answers.Failure().contains("step 1, a QMessageBox"), qPrintable(answers.Failure()));
  }

  void anAllowedWindowIsLetBeAndAStrayIsClosed() {
    ModalAnswerer answers;
    answers.Allow<Stubborn>();
    Stubborn allowed;
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, &allowed, &QDialog::accept);
    later.start(300);
    QCOMPARE(allowed.exec(), int(QDialog::Accepted));
    QMessageBox stray(QMessageBox::Information, "t", "x");
    stray.exec();  // returns once the answerer has closed it
    QCOMPARE(answers.StrayCount(), 1);
    QVERIFY(answers.AllAnswered());
  }
};

QTEST_MAIN(ModalAnswererTest)
#include "modal_answerer_test.moc"
