// The look shared by the program and its window tests: the font that carries the Chinese
// texts at the size the window is designed for.
#pragma once

class QApplication;

namespace quorvex::app {

void ApplyAppearance(QApplication& app);

// Loads Qt's own texts (message-box and dialog buttons) in Simplified Chinese; the
// translator lives as long as the application. Returns false when the file is missing.
bool InstallQtTranslations(QApplication& app);

}  // namespace quorvex::app
