// The window-capture command: a JPEG picture of the main window as it looks on the screen,
// kept as tmp.jpg in the program's folder and saved where the user chooses.
#pragma once

#include <QString>
#include <functional>

class QFileDialog;
class QWidget;

namespace quorvex::app {

// SaveWindowPicture() takes the picture of `window`'s outer frame into tmp.jpg, then asks
// for a file with the save dialog and writes the same picture there. A cancelled dialog
// writes nothing else. A file that cannot be written is named, with the reason, in a
// warning box; it is then left as it was.
void SaveWindowPicture(QWidget* window);

// Test seams; an empty function restores the default.
// Where tmp.jpg is kept (default: the folder of the program's executable).
void SetProgramFolder(std::function<QString()> folder);
// Runs the prepared save dialog and returns true when the user confirmed a file (default:
// shows it modally).
void SetSaveDialogRunner(std::function<bool(QFileDialog&)> run);

}  // namespace quorvex::app
