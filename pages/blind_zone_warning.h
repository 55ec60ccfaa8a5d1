// The blind-zone warning of the bonus pages: a modal message box owned by the page, titled
// "注意", with the warning icon, one OK button and two lines of advice that carry the
// customer-service number.
#pragma once

#include <QString>
#include <functional>
#include <string_view>

class QLabel;
class QWidget;

namespace quorvex::pages {

// ShowBlindZoneWarning() shows the warning over `owner` and returns once it is closed.
void ShowBlindZoneWarning(QWidget* owner);

// WarnOfBlindZone() does nothing for an empty zone text; otherwise it writes the text into
// `label`, then shows the warning over `page`. Returns false when the page did not survive
// the box (the caller must then not touch it).
[[nodiscard]] bool WarnOfBlindZone(QWidget* page, QLabel* label, std::string_view zoneText);

// Replaces how the warning is shown (tests see the owner, title and text and answer it at
// once instead of waiting on a real box). Passing an empty function restores the real box.
using WarningPresenter = std::function<void(QWidget* owner, const QString& title, const QString& text)>;
void SetWarningPresenter(WarningPresenter presenter);

}  // namespace quorvex::pages
