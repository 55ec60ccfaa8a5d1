// The look shared by the program and its window tests: the font that carries the Chinese
// texts at the size the window is designed for.
#pragma once

class QApplication;

namespace quorvex::app {

void ApplyAppearance(QApplication& app);

}  // namespace quorvex::app
