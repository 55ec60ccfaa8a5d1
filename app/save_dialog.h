// The save dialog every picture of the program goes through, and the warning when a picture
// could not be written.
#pragma once

#include <QString>

#include "app/services.h"

class QWidget;

namespace quorvex::app {

// AskSavePath() runs the save dialog for files of `filter` (e.g. "PNG(*.png)") with the
// default suffix `suffix`, the overwrite prompt and no read-only option, and returns the file
// the user chose, or "" when the dialog was cancelled.
[[nodiscard]] QString AskSavePath(QWidget* owner, const Services& services, const char* filter, const char* suffix);

// WarnNotSaved() names the file that was not written, with the system's reason (in Chinese where
// its error number `why` is known), in a warning
// box titled `title`.
void WarnNotSaved(QWidget* owner, const char* title, const QString& path, const QString& reason, int why = 0);

}  // namespace quorvex::app
