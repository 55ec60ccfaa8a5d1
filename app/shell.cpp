#include "app/shell.h"

#include <QDesktopServices>

#include "app/product.h"

namespace quorvex::app {
void OpenHomePage(const std::function<void(const QUrl&)>& opener) {
  const QUrl url(QString::fromUtf8(kHomePage));
  try {
    if (opener) {
      opener(url);
    } else {
      QDesktopServices::openUrl(url);
    }
  } catch (...) {
    // A failure to open the page leaves no trace.
  }
}

}  // namespace quorvex::app
