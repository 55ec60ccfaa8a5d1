// The program's icon: the one the desktop shows for the menu entry, from the icon theme.
#pragma once

#include <QIcon>

namespace quorvex::app {

// The icon named after the application in the icon theme; when the theme lacks it (a run
// from the build folder), the copy built into the program, in every size the theme holds.
QIcon ApplicationIcon();

// The built-in copy alone.
QIcon BuiltInIcon();

}  // namespace quorvex::app
