#include "app/first_paint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace quorvex::app {
namespace {

// Watches the native window for its first expose. Qt paints the window while it handles
// that event, so the work is queued behind it. Owned by the native window (or by the widget
// when there is none yet).
class FirstExposeWatch final : public QObject {
 public:
  FirstExposeWatch(QObject* owner, std::function<void()> work) : QObject(owner), work_(std::move(work)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &FirstExposeWatch::Run);
  }

  // Runs the work at the next turn of the event loop, then goes.
  void RunSoon() { timer_.start(0); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      RunSoon();
    }
    return false;
  }

 private:
  void Run() {
    work_();
    deleteLater();
  }

  std::function<void()> work_;
  QTimer timer_;
};

}  // namespace

void AfterFirstPaint(QWidget* window, std::function<void()> work) {
  QWindow* native = window->windowHandle();
  auto* watch = new FirstExposeWatch(native != nullptr ? static_cast<QObject*>(native) : window, std::move(work));
  if (native == nullptr || native->isExposed()) {
    watch->RunSoon();
    return;
  }
  native->installEventFilter(watch);
}

}  // namespace quorvex::app
