// Opening the product's home page in the user's browser. Failures are ignored by design:
// the shell's answer is never looked at.
#pragma once

#include <QUrl>
#include <functional>

namespace quorvex::app {

// OpenHomePage() asks `opener` (empty: the desktop) to open the home-page address; never
// throws.
void OpenHomePage(const std::function<void(const QUrl&)>& opener);

}  // namespace quorvex::app
