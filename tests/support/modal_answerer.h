// The one way a window test meets the modal windows that the code under test opens: it
// answers them one after another in the order expected, lets windows that come and go by
// themselves be (a progress dialog), and closes any other as stray. A watchdog keeps a test
// from waiting for ever: when a modal window has stood open for the bound with no step
// answered, the test fails with the step it was waiting for, and every modal window is
// closed so that the code under test returns. Without expected steps, it is a stray guard.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

namespace quorvex::testing {

// How long a modal window may stand unanswered: longer where the sanitizers slow every step.
inline int ModalBoundMs() {
#if defined(__SANITIZE_ADDRESS__)
  return 90'000;
#else
  return 20'000;
#endif
}

class ModalAnswerer {
 public:
  explicit ModalAnswerer(int boundMs = ModalBoundMs()) : bound_(boundMs) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
    sinceStep_.start();
  }

  // Expects the next new modal window to be a T and answers it with `answer`.
  template <class T>
  void Expect(std::function<void(T*)> answer) {
    steps_.push_back({T::staticMetaObject.className(), [](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                      [answer](QWidget* w) { answer(qobject_cast<T*>(w)); }});
  }

  // Lets modal windows of kind T come and go unanswered, such as a progress dialog that a
  // fast run closes before anyone sees it and a slow run shows for a while.
  template <class T>
  void Allow() {
    allowed_.push_back([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; });
  }

  bool AllAnswered() const { return steps_.empty() && failure_.isEmpty(); }
  int StrayCount() const { return stray_; }
  // Empty, or what the watchdog was waiting for when it gave up.
  QString Failure() const { return failure_; }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!failure_.isEmpty()) return CloseAll();
    if (modal == nullptr || !modal->isVisible()) {
      sinceStep_.restart();  // the bound counts only while a modal window stands open
      return;
    }
    if (sinceStep_.elapsed() > bound_) return GiveUp(modal);
    if (modal == last_) return;
    const bool again = std::find(seen_.begin(), seen_.end(), modal) != seen_.end();
    if (!steps_.empty() && steps_.front().accepts(modal)) {
      last_ = modal;
      if (!again) seen_.emplace_back(modal);
      // Answered from the event loop, not from the timer: an answer that opens the next
      // modal window waits in a nested loop, where a timer whose handler is still running
      // would not fire again.
      std::function<void(QWidget*)> answer = std::move(steps_.front().answer);
      steps_.pop_front();
      ++answered_;
      sinceStep_.restart();
      QPointer<QWidget> target = modal;
      QMetaObject::invokeMethod(
          &timer_,
          [answer, target] {
            if (target != nullptr) answer(target);
          },
          Qt::QueuedConnection);
      return;
    }
    // A window seen before is on top again once the one it opened has gone (a file dialog
    // behind its overwrite prompt, still closing): not a new window, so not a stray. Nor is
    // one that is allowed to come and go.
    if (again || std::any_of(allowed_.begin(), allowed_.end(), [modal](const auto& ok) { return ok(modal); })) return;
    last_ = modal;
    seen_.emplace_back(modal);
    ++stray_;
    modal->close();
  }

  void GiveUp(QWidget* modal) {
    const QString waited = steps_.empty() ? QStringLiteral("nothing more (every step answered)")
                                          : QStringLiteral("step %1, a %2").arg(answered_ + 1).arg(steps_.front().kind);
    failure_ = QStringLiteral("a %1 stood open %2 s with no answer; the test was waiting for %3")
                   .arg(QString::fromLatin1(modal->metaObject()->className()))
                   .arg(bound_ / 1000)
                   .arg(waited);
    QTest::qFail(qPrintable(failure_), __FILE__, __LINE__);
    CloseAll();
  }

  // Closes every modal window, top first; a dialog is rejected, as Esc would.
  static void CloseAll() {
    for (int i = 0; i < 16; ++i) {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) return;
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        modal->close();
      }
      if (QApplication::activeModalWidget() == modal) modal->hide();
    }
  }

  struct Step {
    const char* kind;
    std::function<bool(QWidget*)> accepts;
    std::function<void(QWidget*)> answer;
  };

  const int bound_;
  QTimer timer_;
  QElapsedTimer sinceStep_;
  std::deque<Step> steps_;
  std::vector<std::function<bool(QWidget*)>> allowed_;
  QPointer<QWidget> last_;
  std::vector<QPointer<QWidget>> seen_;
  QString failure_;
  int stray_ = 0;
  int answered_ = 0;
};

}  // namespace quorvex::testing
