#!/bin/sh
# Runs real-window tests again and again while both cores are kept busy, to show that none
# of them hangs or fails under load. A run that outlives the limit is killed and counted as
# hung; its output is kept in the log folder.
#   tests/soak_wm.sh [-n RUNS] [-t SECONDS] [--no-load] BUILD_DIR [TEST ...]
# Default: 50 runs of every *_wm_test in BUILD_DIR/tests, 240 s each, under stress-ng.
set -u
runs=50
limit=240
load=1
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs=$2; shift 2 ;;
    -t) limit=$2; shift 2 ;;
    --no-load) load=0; shift ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { echo "usage: $0 [-n RUNS] [-t SECONDS] [--no-load] BUILD_DIR [TEST ...]" >&2; exit 2; }
build=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
tests="$*"
[ -n "$tests" ] || tests=$(cd "$build/tests" && ls -- *_wm_test)
logs=$(mktemp -d /tmp/soak_wm.XXXXXX)
# As ctest runs them (CMakePresets.json), for a sanitizer build.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

if [ $load -eq 1 ]; then
  command -v stress-ng >/dev/null || { echo "soak_wm.sh: stress-ng is missing (apt-get install stress-ng)" >&2; exit 2; }
  stress-ng --cpu 2 --quiet &
  stress=$!
  trap 'kill $stress 2>/dev/null' EXIT INT TERM
fi

status=0
for t in $tests; do
  passed=0 failed=0 hung=0
  i=1
  while [ $i -le "$runs" ]; do
    log="$logs/$t.$i.log"
    timeout -k 10 "$limit" "$here/with_wm.sh" "$build/tests/$t" >"$log" 2>&1
    rc=$?
    if [ $rc -eq 0 ]; then
      passed=$((passed + 1))
      rm -f "$log"
    elif [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
      hung=$((hung + 1))
    else
      failed=$((failed + 1))
    fi
    i=$((i + 1))
  done
  echo "$t: $passed of $runs passed, $failed failed, $hung hung"
  [ $passed -eq "$runs" ] || status=1
done
[ $status -eq 0 ] && rmdir "$logs" 2>/dev/null
[ $status -eq 0 ] || echo "logs of the runs that did not pass: $logs"
exit $status
