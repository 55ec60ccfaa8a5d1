// Whether a window system is reachable, checked before Qt starts so that a missing display
// gives one clear line instead of Qt's abort.
#pragma once

#include <string>

namespace quorvex::app {

// Returns an empty string when the program can open its window, otherwise the reason.
std::string FindDisplayProblem();

}  // namespace quorvex::app
