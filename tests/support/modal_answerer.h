// Answers the modal windows that the code under test opens, one after another, in the order
// expected; any other modal window is counted as stray and closed, so a test never hangs.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

namespace quorvex::testing {

class ModalAnswerer {
 public:
  ModalAnswerer() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  // Expects the next new modal window to be a T and answers it with `answer`.
  template <class T>
  void Expect(std::function<void(T*)> answer) {
    steps_.push_back({[](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                      [answer](QWidget* w) { answer(qobject_cast<T*>(w)); }});
  }

  bool AllAnswered() const { return steps_.empty(); }
  int StrayCount() const { return stray_; }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == last_ || !modal->isVisible()) return;
    last_ = modal;
    const bool again = std::find(seen_.begin(), seen_.end(), modal) != seen_.end();
    if (!again) seen_.emplace_back(modal);
    if (!steps_.empty() && steps_.front().accepts(modal)) {
      // Answered from the event loop, not from the timer: an answer that opens the next
      // modal window waits in a nested loop, where a timer whose handler is still running
      // would not fire again.
      std::function<void(QWidget*)> answer = std::move(steps_.front().answer);
      steps_.pop_front();
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
    // behind its overwrite prompt, still closing): not a new window, so not a stray.
    if (again) return;
    ++stray_;
    modal->close();
  }

  struct Step {
    std::function<bool(QWidget*)> accepts;
    std::function<void(QWidget*)> answer;
  };

  QTimer timer_;
  std::deque<Step> steps_;
  QPointer<QWidget> last_;
  std::vector<QPointer<QWidget>> seen_;
  int stray_ = 0;
};

}  // namespace quorvex::testing
