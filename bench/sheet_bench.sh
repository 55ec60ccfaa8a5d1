#!/bin/sh
# Throughput and peak memory of `quorvex-calc batch` on big sheets, beside `wc -l` and a plain
# Python csv pass over the same file, in one run:
#   bench/sheet_bench.sh [ROWS] [THREADS...]      (defaults: 2000000 rows; 1 and 2 threads)
# Each figure is the median of RUNS runs (default 3), and the best of them: on a shared machine
# the best run is the one least disturbed by others. Every run writes a new output file (the
# Python pass does too), so no run pays for freeing the result of the one before. The tool's
# output is flushed to disk before it exits, the Python pass's is not.
# The sheets are made once by bench/make_sheets.py in $SHEETS (build/bench-sheets/ROWS).
# QUORVEX_CALC names the program (default build/package/cli/quorvex-calc: the profile-guided
# build that is packaged).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
rows=${1:-2000000}
[ $# -gt 0 ] && shift
threads=${*:-1 2}
runs=${RUNS:-3}
calc=${QUORVEX_CALC:-$root/build/package/cli/quorvex-calc}
sheets=${SHEETS:-$root/build/bench-sheets/$rows}
[ -x "$calc" ] || { echo "sheet_bench: build $calc first (cmake --preset package && cmake --build --preset package)" >&2; exit 2; }
if [ ! -s "$sheets/mixed.jsonl" ]; then
  echo "making the sheets in $sheets ..." >&2
  python3 "$here/make_sheets.py" "$sheets" "$rows"
fi
out=$(mktemp -d "${TMPDIR:-/tmp}/sheet-bench.XXXXXX")
trap 'rm -rf "$out"' EXIT

# once LABEL OUTPUT COMMAND...: runs the command once, the file OUTPUT (- for none) removed
# before, and adds its seconds and peak memory to LABEL's runs.
once() {
  label=$1
  target=$2
  shift 2
  [ "$target" = - ] || rm -f "$target"
  # time(1) gives the peak memory; its seconds have two decimals, too coarse for runs of a
  # quarter of a second, so the clock is read around it in nanoseconds.
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$out/time" "$@" >/dev/null 2>"$out/err" || [ $? = 1 ]
  end=$(date +%s%N)
  awk -v a="$start" -v b="$end" -v m="$(tail -n 1 "$out/time")" 'BEGIN { printf "%.4f %s\n", (b - a) / 1e9, m }' \
    >>"$out/times.$label"
}

# report LABEL OUTPUT: prints the median seconds, records/s and the largest peak memory of
# LABEL's runs, and keeps them for the ratios.
report() {
  label=$1
  target=$2
  bytes=0
  [ "$target" = - ] || [ ! -f "$target" ] || bytes=$(stat -c %s "$target")
  [ "$target" = - ] || rm -f "$target"
  set -- $(sort -n "$out/times.$label" | awk '{ s[NR] = $1; if ($2 > m) m = $2 } END { print s[int((NR + 1) / 2)], m, s[1] }')
  echo "$label $1 $2 $bytes $3" >>"$out/results"
  awk -v l="$label" -v s="$1" -v m="$2" -v b="$3" -v n="$rows" \
    'BEGIN { printf "%-28s %6.3f s %10.0f records/s   best %6.3f s %10.0f records/s %6.1f MiB peak\n",
             l, s, n / (s > 0 ? s : 1e-9), b, n / (b > 0 ? b : 1e-9), m / 1024 }'
}

# measure LABEL OUTPUT COMMAND...: runs the command $runs times and reports them.
measure() {
  label=$1
  target=$2
  shift 2
  n=0
  while [ "$n" -lt "$runs" ]; do
    once "$label" "$target" "$@"
    n=$((n + 1))
  done
  report "$label" "$target"
}

seconds() { awk -v l="$1" '$1 == l { print $2 }' "$out/results"; }
# by_round A B: the median over the rounds of A's seconds over B's in the same round. Drift from
# one minute to the next moves both runs of a round alike, so this ratio drifts less than the
# ratio of the two medians.
by_round() {
  paste "$out/times.$1" "$out/times.$2" | awk '$3 > 0 { print $1 / $3 }' | sort -n |
    awk '{ r[NR] = $1 } END { print (NR ? r[int((NR + 1) / 2)] : 0) }'
}
best() { awk -v l="$1" '$1 == l { print $5 }' "$out/results"; }
written() { awk -v l="$1" '$1 == l { print $4 }' "$out/results"; }

echo "$rows rows; $(nproc) cores; load $(cut -d' ' -f1-3 /proc/loadavg); median and best of $runs runs"
for sheet in salary mixed; do
  size=$(du -m "$sheets/$sheet.csv" | cut -f1)
  echo "== $sheet.csv ($size MB) and $sheet.jsonl"
  measure "wc-l:$sheet" - wc -l "$sheets/$sheet.csv"
  measure "python-csv:$sheet" "$out/py.csv" python3 "$here/python_pass.py" "$sheets/$sheet.csv" "$out/py.csv"
  for j in $threads; do
    measure "csv-csv:$sheet:j$j" "$out/r.csv" "$calc" batch "$sheets/$sheet.csv" -o "$out/r.csv" -q -j "$j"
    measure "jsonl-jsonl:$sheet:j$j" "$out/r.jsonl" "$calc" batch "$sheets/$sheet.jsonl" -o "$out/r.jsonl" -q -j "$j"
  done
  measure "jsonl-csv:$sheet:j1" "$out/r2.csv" "$calc" batch "$sheets/$sheet.jsonl" -o "$out/r2.csv" -q -j 1
  measure "csv-jsonl:$sheet:j1" "$out/r2.jsonl" "$calc" batch "$sheets/$sheet.csv" -o "$out/r2.jsonl" -q -j 1
  # The same work with the result thrown away: what the processors do, without the disk. Also
  # what two cores give work that shares nothing: two -j 1 runs at once, each on half the sheet;
  # on a machine whose cores share caches, memory or a host with others, this is the ceiling of
  # -j 2 as well. Taken in rounds, a run of each in every round, so that the ratios between them
  # compare runs of the same minutes: a shared machine's speed drifts from one minute to the next.
  pair=false
  case " $threads " in *" 2 "*) pair=true ;; esac
  if $pair; then
    half=$((rows / 2))
    head -n $((half + 1)) "$sheets/$sheet.csv" >"$out/h1.csv"
    { head -n 1 "$sheets/$sheet.csv" && tail -n +$((half + 2)) "$sheets/$sheet.csv"; } >"$out/h2.csv"
    head -n "$half" "$sheets/$sheet.jsonl" >"$out/h1.jsonl"
    tail -n +$((half + 1)) "$sheets/$sheet.jsonl" >"$out/h2.jsonl"
  fi
  n=0
  while [ "$n" -lt "$runs" ]; do
    for j in $threads; do
      once "csv-null:$sheet:j$j" - "$calc" batch "$sheets/$sheet.csv" -o /dev/null -q -j "$j"
      once "jsonl-null:$sheet:j$j" - "$calc" batch "$sheets/$sheet.jsonl" --format jsonl -o /dev/null -q -j "$j"
    done
    if $pair; then
      for kind in csv jsonl; do
        once "pair-$kind:$sheet" - sh -c '"$1" batch "$2" --format "$4" -o /dev/null -q -j 1 & a=$!
          "$1" batch "$3" --format "$4" -o /dev/null -q -j 1; b=$?; wait $a; a=$?
          [ $a -le 1 ] && [ $b -le 1 ]' pair "$calc" "$out/h1.$kind" "$out/h2.$kind" "$kind"
      done
    fi
    n=$((n + 1))
  done
  for j in $threads; do
    report "csv-null:$sheet:j$j" -
    report "jsonl-null:$sheet:j$j" -
  done
  if $pair; then
    rm -f "$out"/h[12].*
    report "pair-csv:$sheet" -
    report "pair-jsonl:$sheet" -
    awk -v c="$(seconds "pair-csv:$sheet")" -v one="$(seconds "csv-null:$sheet:j1")" \
      -v j="$(seconds "pair-jsonl:$sheet")" -v jone="$(seconds "jsonl-null:$sheet:j1")" \
      -v cb="$(best "pair-csv:$sheet")" -v oneb="$(best "csv-null:$sheet:j1")" \
      -v jb="$(best "pair-jsonl:$sheet")" -v joneb="$(best "jsonl-null:$sheet:j1")" \
      'BEGIN { printf "  two -j1 runs on the halves at once, to /dev/null: %.2fx and %.2fx one -j1 run (best runs %.2fx and %.2fx)\n",
               one / c, jone / j, oneb / cb, joneb / jb }'
  fi
  for j in $threads; do
    [ "$j" = 1 ] || printf '  -j%s to /dev/null, by round (median of the rounds'"'"' -j1/-j%s): csv %.2fx, jsonl %.2fx\n' \
      "$j" "$j" "$(by_round "csv-null:$sheet:j1" "csv-null:$sheet:j$j")" \
      "$(by_round "jsonl-null:$sheet:j1" "jsonl-null:$sheet:j$j")"
  done
  if $pair; then
    printf '  two -j1 runs on the halves at once, by round: csv %.2fx, jsonl %.2fx\n' \
      "$(by_round "csv-null:$sheet:j1" "pair-csv:$sheet")" "$(by_round "jsonl-null:$sheet:j1" "pair-jsonl:$sheet")"
  fi
  # The disk's own floor: writing and flushing as many bytes as each result has.
  for kind in csv jsonl; do
    mib=$(( ($(written "$kind-$kind:$sheet:j1") + 1048575) / 1048576 ))
    measure "dd-$kind:$sheet" "$out/dd" dd if=/dev/zero of="$out/dd" bs=1M count="$mib" conv=fdatasync
  done
  py=$(seconds "python-csv:$sheet")
  wc=$(seconds "wc-l:$sheet")
  for j in $threads; do
    awk -v py="$py" -v wc="$wc" -v t="$(seconds "csv-csv:$sheet:j$j")" -v one="$(seconds "csv-csv:$sheet:j1")" \
      -v jt="$(seconds "jsonl-jsonl:$sheet:j$j")" -v jone="$(seconds "jsonl-jsonl:$sheet:j1")" -v j="$j" \
      -v nt="$(seconds "csv-null:$sheet:j$j")" -v none="$(seconds "csv-null:$sheet:j1")" \
      -v mt="$(seconds "jsonl-null:$sheet:j$j")" -v mone="$(seconds "jsonl-null:$sheet:j1")" \
      'BEGIN { printf "  -j%s: csv-csv %.2fx the Python pass, %.3fx wc -l, %.2fx -j1; jsonl-jsonl %.2fx -j1;" \
               " to /dev/null %.2fx and %.2fx -j1\n", j, py / t, wc / t, one / t, jone / jt, none / nt, mone / mt }'
    # The same from the best runs: the least disturbed by whatever else the machine runs.
    [ "$j" = 1 ] || awk -v t="$(best "csv-csv:$sheet:j$j")" -v one="$(best "csv-csv:$sheet:j1")" \
      -v jt="$(best "jsonl-jsonl:$sheet:j$j")" -v jone="$(best "jsonl-jsonl:$sheet:j1")" -v j="$j" \
      -v nt="$(best "csv-null:$sheet:j$j")" -v none="$(best "csv-null:$sheet:j1")" \
      -v mt="$(best "jsonl-null:$sheet:j$j")" -v mone="$(best "jsonl-null:$sheet:j1")" \
      'BEGIN { printf "  -j%s best runs: csv-csv %.2fx -j1; jsonl-jsonl %.2fx -j1; to /dev/null %.2fx and %.2fx -j1\n",
               j, one / t, jone / jt, none / nt, mone / mt }'
  done
  awk -v c="$(seconds "dd-csv:$sheet")" -v cb="$(written "csv-csv:$sheet:j1")" \
    -v j="$(seconds "dd-jsonl:$sheet")" -v jb="$(written "jsonl-jsonl:$sheet:j1")" -v n="$rows" \
    'BEGIN { printf "  disk: dd writes and flushes the %.0f MB CSV result in %.2f s (%.0f records/s at most), " \
             "the %.0f MB JSON Lines result in %.2f s (%.0f records/s at most)\n",
             cb / 1e6, c, n / (c > 0 ? c : 1e-9), jb / 1e6, j, n / (j > 0 ? j : 1e-9) }'
done
