// What the program says when it has no window system to show its window on: one clear line
// and status 1, instead of Qt's abort.
#pragma once

#include <string>

namespace quorvex::app {

// Returns an empty string when the environment names a display (or a platform), otherwise
// the reason there is none. Costs nothing: whether the display answers is Qt's to find out.
std::string FindDisplayProblem();

// From its construction until Release() (or its end), around the construction of the
// application: a window system that Qt cannot reach ends the program with status 1 and one
// line on standard error naming the display. Qt's own messages of that moment are held back
// and passed on at Release(), so a start-up that succeeds loses none of them.
class DisplayFailureGuard {
 public:
  DisplayFailureGuard();
  ~DisplayFailureGuard() { Release(); }
  void Release();
  DisplayFailureGuard(const DisplayFailureGuard&) = delete;
  DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;
};

}  // namespace quorvex::app
