// Work that the window's first picture does not need, held back until it is on the screen.
#pragma once

#include <functional>

class QWidget;

namespace quorvex::app {

// AfterFirstPaint() runs `work` once `window` (shown, top-level) has painted itself on the
// screen for the first time: in the turn of the event loop after the one that handles its
// first expose. Runs it at the next turn when the window is already exposed or has no native
// window; never runs it if the window is destroyed first.
void AfterFirstPaint(QWidget* window, std::function<void()> work);

}  // namespace quorvex::app
