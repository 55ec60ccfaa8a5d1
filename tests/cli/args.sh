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
# A result named as a spreadsheet kind that is never written is refused, not CSV text under
# that name.
for name in r.xls r.xlsm R.XLSB r.ods; do
  "$calc" batch "$dir/IN.CSV" -o "$dir/$name" --quiet 2>"$dir/err"
  status=$?
  if [ $status -ne 2 ] || [ -e "$dir/$name" ] || ! grep -q '结果文件须是 .xlsx、.csv 或 .jsonl 文件' "$dir/err"; then
    echo "-o $name: status $status, $(cat "$dir/err")"
    exit 1
  fi
done
# template replaces a regular file only, keeping its mode; a link is written through; a FIFO
# or a file with other names is refused and left as it was.
mkfifo "$dir/fifo.xlsx"
printf 'x' >"$dir/one.xlsx"
ln "$dir/one.xlsx" "$dir/two.xlsx"
for target in fifo.xlsx two.xlsx; do
  "$calc" template "$dir/$target" 2>"$dir/err"
  status=$?
  [ $status -eq 2 ] || { echo "template over $target: status $status, $(cat "$dir/err")"; exit 1; }
done
[ -p "$dir/fifo.xlsx" ] && [ "$(cat "$dir/two.xlsx")" = x ] || { echo "template replaced a FIFO or a linked file"; exit 1; }
printf 'x' >"$dir/kept.xlsx"
chmod 640 "$dir/kept.xlsx"
ln -s kept.xlsx "$dir/link.xlsx"
"$calc" template "$dir/link.xlsx" || { echo "template through a link: status $?"; exit 1; }
[ -L "$dir/link.xlsx" ] && [ "$(stat -c %a "$dir/kept.xlsx")" = 640 ] && [ "$(head -c 2 "$dir/kept.xlsx")" = PK ] ||
  { echo "template through a link: $(ls -l "$dir")"; exit 1; }
[ -z "$(find "$dir" -name '*.xlsx.*')" ] || { echo "template left $(find "$dir" -name '*.xlsx.*')"; exit 1; }
