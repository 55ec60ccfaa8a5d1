// Opening the product's home page in the user's browser. Failures are ignored by design:
// the shell's answer is never looked at.
#pragma once

#include <QUrl>
#include <functional>

namespace quorvex::app {

// OpenHomePage() asks the desktop to open the home-page address; never throws.
void OpenHomePage();

// Replaces how addresses are opened (tests record the request instead of starting a
// browser). Passing an empty function restores the desktop's opener.
void SetUrlOpener(std::function<void(const QUrl&)> opener);

}  // namespace quorvex::app
