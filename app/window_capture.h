// The window-capture command: a JPEG picture of the main window as it looks on the screen,
// kept as tmp.jpg in the program's folder and saved where the user chooses.
#pragma once

#include <QString>
#include <functional>

#include "app/services.h"

class QFileDialog;
class QWidget;

namespace quorvex::app {

// SaveWindowPicture() takes the picture of `window`'s outer frame into tmp.jpg, then asks
// for a file with the save dialog and writes the same picture there. A cancelled dialog
// writes nothing else. A file that cannot be written is named, with the reason, in a
// warning box; it is then left as it was.
// tmp.jpg is kept in `services.programFolder`; `services.runSaveDialog` runs the prepared
// dialog and returns true when the user confirmed a file.
void SaveWindowPicture(QWidget* window, const Services& services);

}  // namespace quorvex::app
