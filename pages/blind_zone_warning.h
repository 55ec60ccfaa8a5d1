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

// How a page presents the warning: the real box by default; a test passes its own, which
// sees the owner, title and text and answers at once instead of waiting on a real box.
using WarningPresenter = std::function<void(QWidget* owner, const QString& title, const QString& text)>;

// ShowWarningBox() shows a modal warning box over `owner` and returns once it is closed.
void ShowWarningBox(QWidget* owner, const QString& title, const QString& text);

// WarnOfBlindZone() writes the zone text into `label`, then presents the warning over `page`.
// Returns false when the page did not survive the box (the caller must then not touch it).
[[nodiscard]] bool WarnOfBlindZone(QWidget* page, QLabel* label, std::string_view zoneText,
                                   const WarningPresenter& present);

}  // namespace quorvex::pages
