#!/bin/sh
# Runs a test program in a real X session: a private Xvfb display with the openbox window
# manager, so that frames, title bars, stacking and focus behave as on a desktop.
#   with_wm.sh [--no-wm] PROGRAM [ARGS...]
set -u
use_wm=1
if [ "${1:-}" = "--no-wm" ]; then use_wm=0; shift; fi
tmp=$(mktemp -d)
cleanup() {
  [ -n "${bus:-}" ] && kill "$bus" 2>/dev/null
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
i=0
while [ ! -s "$tmp/display" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i + 1)); done
[ -s "$tmp/display" ] || { echo "with_wm.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$tmp/display")"
export DISPLAY
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -p -m 700 "$tmp/runtime"
XDG_RUNTIME_DIR="$tmp/runtime"
export XDG_RUNTIME_DIR
# A session bus of its own, as a desktop has: without one, Qt's D-Bus thread gives up on
# connecting while the program ends, and the sanitizer build now and then finds what it held.
if command -v dbus-daemon >/dev/null 2>&1; then
  dbus-daemon --session --fork --address="unix:path=$tmp/runtime/bus" --print-pid=4 4>"$tmp/bus.pid" >/dev/null 2>&1 &&
    bus=$(cat "$tmp/bus.pid") && DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/runtime/bus" && export DBUS_SESSION_BUS_ADDRESS
fi

# Whether process $1 runs (an exited child not yet waited for is a zombie, not running).
running() { [ -r "/proc/$1/stat" ] && ! grep -q ') Z ' "/proc/$1/stat"; }

if [ $use_wm -eq 1 ]; then
  openbox --sm-disable >"$tmp/wm.log" 2>&1 &
  wm=$!
  # Wait until the window manager has announced itself on the root window. A window mapped
  # before that is never framed as the tests expect, so on a busy machine wait long; start
  # it again if it died on the way (as it may when the X server is slow to answer), and give
  # up loudly rather than run the test without a window manager.
  started=$(date +%s)
  starts=1
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    if [ $(($(date +%s) - started)) -ge 120 ]; then
      echo "with_wm.sh: openbox did not start within 120 s ($starts tries): $(cat "$tmp/wm.log")" >&2
      exit 1
    fi
    if ! running "$wm" && [ $starts -lt 5 ]; then
      openbox --sm-disable >"$tmp/wm.log" 2>&1 &
      wm=$!
      starts=$((starts + 1))
    fi
    sleep 0.05
  done
fi

"$@"
