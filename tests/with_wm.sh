#!/bin/sh
# Runs a test program in a real X session: a private Xvfb display with the openbox window
# manager, so that frames, title bars, stacking and focus behave as on a desktop.
#   with_wm.sh [--no-wm] PROGRAM [ARGS...]
set -u
use_wm=1
if [ "${1:-}" = "--no-wm" ]; then use_wm=0; shift; fi
tmp=$(mktemp -d)
cleanup() {
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

if [ $use_wm -eq 1 ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  # Wait until the window manager has announced itself on the root window. A window mapped
  # before that is never framed as the tests expect, so on a busy machine wait long, and
  # give up loudly rather than run the test without a window manager.
  i=0
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    i=$((i + 1))
    [ $i -lt 1200 ] || { echo "with_wm.sh: openbox did not start within 60 s" >&2; exit 1; }
    sleep 0.05
  done
fi

"$@"
