#!/bin/sh
# Without a reachable display the program says so in one line and ends with status 1, for
# each way of having none.
#   no_display.sh PROGRAM
set -u
program=$1
failures=0
expect() {
  label=$1 line=$2
  shift 2
  out=$(env -u QT_QPA_PLATFORM "$@" "$program" 2>&1 >/dev/null)
  status=$?
  if [ $status -ne 1 ] || [ "$out" != "$line" ]; then
    printf 'FAIL %s: status %s, said:\n%s\n' "$label" "$status" "$out" >&2
    failures=$((failures + 1))
  fi
}
expect "no display at all" \
  "quorvex: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session" \
  env -u DISPLAY -u WAYLAND_DISPLAY
expect "X display that does not answer" 'quorvex: cannot connect to the X display ":4321"' \
  env -u WAYLAND_DISPLAY DISPLAY=:4321
expect "Wayland display that does not answer" 'quorvex: cannot connect to the Wayland display "no-such-display"' \
  env -u DISPLAY WAYLAND_DISPLAY=no-such-display XDG_RUNTIME_DIR=/nonexistent
[ $failures -eq 0 ] && echo "each missing display is named in one line"
exit $failures
