// What the window asks of the desktop, passed in so that tests can stand in for it: opening
// an address, presenting a warning box, the folder of the program, running the save dialog.
// An empty function means the real thing.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

#include "pages/blind_zone_warning.h"

class QFileDialog;

namespace quorvex::app {

struct Services {
  std::function<void(const QUrl&)> openUrl;         // default: the desktop's browser
  pages::WarningPresenter presentWarning;           // default: a modal warning box
  std::function<QString()> programFolder;           // default: the executable's folder
  std::function<bool(QFileDialog&)> runSaveDialog;  // default: the dialog, modally
};

}  // namespace quorvex::app
