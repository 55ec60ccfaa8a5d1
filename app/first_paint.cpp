#include "app/first_paint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace quorvex::app {
namespace {

// Watches the native window for its first expose. Qt paints the window while it handles
// that event, so the work is queued behind it. Owned by the native window.
class FirstExposeWatch final : public QObject {
 public:
  FirstExposeWatch(QWindow* window, std::function<void()> work) : QObject(window), work_(std::move(work)) {
    window->installEventFilter(this);
  }

  // Runs the work at the next turn of the event loop, then goes.
  void RunSoon() {
    QTimer::singleShot(0, this, [this] {
      work_();
      deleteLater();
    });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      RunSoon();
    }
    return false;
  }

 private:
  std::function<void()> work_;
};

}  // namespace

void AfterFirstPaint(QWidget* window, std::function<void()> work) {
  QWindow* native = window->windowHandle();
  if (native == nullptr) {
    QTimer::singleShot(0, window, std::move(work));
    return;
  }
  auto* watch = new FirstExposeWatch(native, std::move(work));
  if (native->isExposed()) {
    native->removeEventFilter(watch);
    watch->RunSoon();
  }
}

}  // namespace quorvex::app
