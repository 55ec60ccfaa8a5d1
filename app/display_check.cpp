#include "app/display_check.h"

#include <dlfcn.h>

#include <cstdlib>

namespace quorvex::app {
namespace {

bool IsSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

// Tries an X connection through libxcb (the library Qt's X11 platform uses), loaded at run
// time so the program does not link it. Returns true when it cannot tell.
bool CanConnectToX() {
  void* lib = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (lib == nullptr) return true;
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  auto connect = reinterpret_cast<Connect>(dlsym(lib, "xcb_connect"));
  auto hasError = reinterpret_cast<HasError>(dlsym(lib, "xcb_connection_has_error"));
  auto disconnect = reinterpret_cast<Disconnect>(dlsym(lib, "xcb_disconnect"));
  bool ok = true;
  if (connect != nullptr && hasError != nullptr && disconnect != nullptr) {
    void* c = connect(nullptr, nullptr);
    ok = c != nullptr && hasError(c) == 0;
    if (c != nullptr) disconnect(c);
  }
  dlclose(lib);
  return ok;
}

}  // namespace

std::string FindDisplayProblem() {
  if (IsSet("QT_QPA_PLATFORM")) return {};  // an explicit platform (offscreen, wayland, ...)
  if (IsSet("DISPLAY")) {
    if (CanConnectToX()) return {};
    const char* display = std::getenv("DISPLAY");
    return "cannot connect to the X display \"" + std::string(display != nullptr ? display : "") + "\"";
  }
  if (IsSet("WAYLAND_DISPLAY")) return {};
  return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session";
}

}  // namespace quorvex::app
