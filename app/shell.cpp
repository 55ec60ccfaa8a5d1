#include "app/shell.h"

#include <QDesktopServices>

#include "app/product.h"

namespace quorvex::app {
namespace {

std::function<void(const QUrl&)>& Opener() {
  static std::function<void(const QUrl&)> opener;
  return opener;
}

}  // namespace

void SetUrlOpener(std::function<void(const QUrl&)> opener) { Opener() = std::move(opener); }

void OpenHomePage() {
  const QUrl url(QString::fromUtf8(kHomePage));
  try {
    if (Opener()) {
      Opener()(url);
    } else {
      QDesktopServices::openUrl(url);
    }
  } catch (...) {
    // A failure to open the page leaves no trace.
  }
}

}  // namespace quorvex::app
