#!/bin/sh
# Start-up cost of quorvex against an empty Qt Widgets window built in the same tree: time
# from launch to the first mapped window and peak memory, interleaved runs on a private
# Xvfb display. The second floor is the same empty window with one line of text. Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -eu
build=${1:-build/release}
runs=${2:-21}
here=$(cd "$(dirname "$0")" && pwd)
exec "$here/../tests/with_wm.sh" --no-wm "$build/bench/startup_probe" "$runs" \
  "$build/bench/empty_window" "$build/bench/text_window" "$build/app/quorvex"
