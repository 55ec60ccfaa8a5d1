#!/bin/sh
# Starts the installed program in an X session (run through with_wm.sh) and checks that its
# window appears with an icon and with the window class the desktop entry names.
#   start_installed.sh TREE APP_ID
set -u
tree=$1
app_id=$2
desktop="$tree/usr/share/applications/$app_id.desktop"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")

XDG_DATA_DIRS="$tree/usr/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" "$tree/usr/bin/quorvex" &
program=$!
trap 'kill $program 2>/dev/null' EXIT

# Wait (at most a minute, a guard against a hang) for the main window.
window=""
i=0
while [ -z "$window" ] && [ $i -lt 600 ]; do
  kill -0 $program 2>/dev/null || { echo "FAIL: quorvex ended before showing its window" >&2; exit 1; }
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Quorvex  - / { print $1; exit }')
  [ -n "$window" ] || sleep 0.1
  i=$((i + 1))
done
[ -n "$window" ] || { echo "FAIL: no main window" >&2; exit 1; }

# The icon is set right after the window's first picture: give it a moment.
has_icon() { xprop -id "$window" _NET_WM_ICON 2>/dev/null | grep -q 'Icon ('; }
i=0
while ! has_icon && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done

failures=0
has_icon || { echo "FAIL: the window has no icon" >&2; failures=1; }
instance=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "\([^"]*\)".*/\1/p')
[ "$instance" = "$wm_class" ] ||
  { echo "FAIL: window class '$instance', the desktop entry expects '$wm_class'" >&2; failures=1; }
[ $failures -eq 0 ] && echo "installed program shows its window"
exit $failures
