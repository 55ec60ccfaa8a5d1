#include "pages/blind_zone_warning.h"

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <string>

#include "pages/calculator_page.h"
#include "pages/service_number.h"
#include "tax/bonus.h"

namespace quorvex::pages {

void ShowWarningBox(QWidget* owner, const QString& title, const QString& text) {
  // On the heap: if the owner goes while the box is open, it takes the box with it.
  QPointer<QMessageBox> box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, owner);
  box->setTextFormat(Qt::PlainText);
  box->exec();
  delete box;
  // The box's window manager gives the activation back to the window it covered; a busy one
  // may not, and the user would type into a window that is not active: ask for it.
  if (owner != nullptr && owner->window()->isVisible() && !owner->window()->isActiveWindow())
    owner->window()->activateWindow();
}

bool WarnOfBlindZone(QWidget* page, QLabel* label, std::string_view zoneText, const WarningPresenter& present) {
  const QPointer<QWidget> alive(page);
  CalculatorPage::SetText(label, QString::fromUtf8(zoneText.data(), static_cast<qsizetype>(zoneText.size())));
  const QString title = QString::fromUtf8(tax::kBlindZoneWarningTitle);
  const QString text = QString::fromStdString(tax::BlindZoneWarningText(kServiceNumber));
  if (present) {
    present(page, title, text);
  } else {
    ShowWarningBox(page, title, text);
  }
  return !alive.isNull();
}

}  // namespace quorvex::pages
