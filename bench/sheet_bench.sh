#!/bin/sh
# Throughput and peak memory of `quorvex-calc batch` on big sheets, beside `wc -l` and a plain
# Python csv pass over the same file, in one run:
#   bench/sheet_bench.sh [ROWS] [THREADS...]      (defaults: 2000000 rows; 1 and 2 threads)
# The sheets are made once by bench/make_sheets.py in $SHEETS (build/bench-sheets/ROWS).
# QUORVEX_CALC names the program (default build/release/cli/quorvex-calc).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
rows=${1:-2000000}
[ $# -gt 0 ] && shift
threads=${*:-1 2}
calc=${QUORVEX_CALC:-$root/build/release/cli/quorvex-calc}
sheets=${SHEETS:-$root/build/bench-sheets/$rows}
[ -x "$calc" ] || { echo "sheet_bench: build $calc first (cmake --build --preset release)" >&2; exit 2; }
if [ ! -s "$sheets/mixed.jsonl" ]; then
  echo "making the sheets in $sheets ..." >&2
  python3 "$here/make_sheets.py" "$sheets" "$rows"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# measure LABEL COMMAND...: prints seconds, records/s and peak memory of one run.
measure() {
  label=$1
  shift
  /usr/bin/time -f "%e %M" -o "$out/time" "$@" >/dev/null 2>"$out/err" || [ $? = 1 ]
  set -- $(tail -n 1 "$out/time")
  echo "$label $1 $2" >>"$out/results"
  awk -v l="$label" -v s="$1" -v m="$2" -v n="$rows" \
    'BEGIN { printf "%-44s %7.2f s %12.0f records/s %8.1f MiB peak\n", l, s, n / (s > 0 ? s : 1e-9), m / 1024 }'
}

seconds() { awk -v l="$1" '$1 == l { print $2 }' "$out/results"; }

echo "$rows rows; $(nproc) cores; load $(cut -d' ' -f1-3 /proc/loadavg)"
for sheet in salary mixed; do
  size=$(du -m "$sheets/$sheet.csv" | cut -f1)
  echo "== $sheet.csv ($size MB) and $sheet.jsonl"
  measure "wc-l:$sheet" wc -l "$sheets/$sheet.csv"
  measure "python-csv:$sheet" python3 "$here/python_pass.py" "$sheets/$sheet.csv" "$out/py.csv"
  for j in $threads; do
    measure "csv-csv:$sheet:j$j" "$calc" batch "$sheets/$sheet.csv" -o "$out/r.csv" -q -j "$j"
    measure "jsonl-jsonl:$sheet:j$j" "$calc" batch "$sheets/$sheet.jsonl" -o "$out/r.jsonl" -q -j "$j"
  done
  measure "jsonl-csv:$sheet:j1" "$calc" batch "$sheets/$sheet.jsonl" -o "$out/r2.csv" -q -j 1
  measure "csv-jsonl:$sheet:j1" "$calc" batch "$sheets/$sheet.csv" -o "$out/r2.jsonl" -q -j 1
  py=$(seconds "python-csv:$sheet")
  wc=$(seconds "wc-l:$sheet")
  for j in $threads; do
    awk -v py="$py" -v wc="$wc" -v t="$(seconds "csv-csv:$sheet:j$j")" -v one="$(seconds "csv-csv:$sheet:j1")" \
      -v j="$j" 'BEGIN { printf "  csv-csv -j%s: %.2fx the Python pass, %.3fx wc -l, %.2fx -j1\n", j, py / t, wc / t, one / t }'
  done
done
