#!/bin/sh
# quorvex-calc batch's arguments from outside: a thread count that is no count is a usage error
# (status 2), a large one is as many threads as the engine starts, and a file name's extension
# gives its format whatever its case; --sheet is for workbooks alone.
#   args.sh QUORVEX_CALC
set -u
calc=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'category,amount\r\nsalary,5000\r\n' >"$dir/IN.CSV"
for j in 0 00 '' x; do
  "$calc" batch -j "$j" "$dir/IN.CSV" -o - --quiet >/dev/null 2>"$dir/err"
  status=$?
  if [ $status -ne 2 ] || ! grep -q -- '-j 后须是线程数' "$dir/err"; then
    echo "-j '$j': status $status, $(cat "$dir/err")"
    exit 1
  fi
done
"$calc" batch -j 1000 "$dir/IN.CSV" -o "$dir/OUT.JSONL" --quiet || { echo "-j 1000: status $?"; exit 1; }
grep -q '"tax":"45.00"' "$dir/OUT.JSONL" || { echo "IN.CSV to OUT.JSONL: $(cat "$dir/OUT.JSONL")"; exit 1; }
# --sheet picks a workbook's worksheet: a text sheet has none to pick, and the help says so.
"$calc" batch "$dir/IN.CSV" --sheet 工资表 -o - >/dev/null 2>"$dir/err"
status=$?
[ $status -eq 2 ] && grep -q '只有 Excel 工作簿才有工作表可选' "$dir/err" || { echo "--sheet on CSV: status $status, $(cat "$dir/err")"; exit 1; }
"$calc" --help | grep -q -- '--sheet NAME' || { echo "--help does not tell --sheet"; exit 1; }
