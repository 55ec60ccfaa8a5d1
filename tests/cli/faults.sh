#!/bin/sh
# quorvex-calc from outside: exit statuses, standard output, and failed reads, writes, renames
# and flushes injected by a preloaded library. A failed run must exit with 2 and the reason,
# leave the target as it was and leave no temporary file behind.
#   usage: faults.sh QUORVEX-CALC FAULT-SHIM
set -u
shim=$(realpath "$2")
. "$(dirname "$0")/common.sh"

# expect STATUS PATTERN-IN-STDERR COMMAND...: runs the command, checks status and message.
expect() {
  want=$1
  pattern=$2
  shift 2
  "$@" >out.txt 2>err.txt
  got=$?
  [ "$got" = "$want" ] || fail "$* -> status $got, want $want ($(cat err.txt))"
  [ -z "$pattern" ] || grep -q -- "$pattern" err.txt || fail "$* -> stderr lacks '$pattern': $(cat err.txt)"
}

# untouched NAME: the target still holds OLD and no temporary file is left.
untouched() {
  [ "$(cat "$1")" = "OLD" ] || fail "$1 was replaced"
  leftover=$(ls -a | grep -c '\.part-' || true)
  [ "$leftover" = 0 ] || fail "temporary file left: $(ls -a)"
}

python3 - <<'PY' || exit 2
import json
with open("in.csv", "w") as f, open("in.jsonl", "w") as g:
    f.write("id,category,amount\n")
    for i in range(100000):
        f.write(f"{i},salary,{5000 + i % 9000}\n")
        g.write(json.dumps({"id": i, "category": "salary", "amount": 5000 + i % 9000}) + "\n")
PY
printf 'id,category,amount\n1,salary,5000\n' >ok.csv
printf 'id,category,amount\n1,salary,5000\n2,salary,abc\n' >rejected.csv

# Exit statuses and standard output.
expect 0 "共 1 条记录，0 条有误" "$calc" batch ok.csv -o res.csv
expect 1 "共 2 条记录，1 条有误" "$calc" batch rejected.csv -o res.csv
expect 2 "未知的选项" "$calc" batch --bogus ok.csv
expect 2 "未知的编码" "$calc" batch --encoding latin1 ok.csv
expect 0 "" "$calc" batch ok.csv -o - -q
[ -e ./- ] && fail "-o - wrote a file named -"
grep -q '^1,salary,5000,ok,' out.txt || fail "-o - wrote nothing to standard output"
[ -s err.txt ] && fail "--quiet still wrote: $(cat err.txt)"
expect 2 "No space left on device" sh -c "\"$calc\" batch ok.csv >/dev/full"
expect 2 "No space left on device" sh -c "\"$calc\" salary 5000 --json >/dev/full"
expect 2 "Is a directory" "$calc" batch --input-format jsonl . -o res.csv

# Failed reads, for each pair of formats (JSON Lines to CSV reads the input twice).
for pair in "in.csv csv csv" "in.csv csv jsonl" "in.jsonl jsonl jsonl" "in.jsonl jsonl csv"; do
  set -- $pair
  echo OLD >res.out
  expect 2 "无法读取 标准输入：输入输出错误（磁盘或网络可能有故障）（Input/output error）" env LD_PRELOAD="$shim" \
    QUORVEX_FAIL_READ_AFTER=1000000 ASAN_OPTIONS=verify_asan_link_order=0 \
    sh -c "\"$calc\" batch - --input-format $2 --format $3 -o res.out <$1"
  untouched res.out
done

# Failed writes, renames and flushes of the output file, with one computing thread and with two.
(cat in.csv && for k in 1 2 3; do tail -n +2 in.csv; done) >big.csv
for j in 1 2; do
  for fault in QUORVEX_FAIL_WRITE_AFTER=2000000 QUORVEX_FAIL_RENAME=1 QUORVEX_FAIL_FSYNC=1; do
    echo OLD >res.csv
    expect 2 "无法写入 res.csv：" env LD_PRELOAD="$shim" "$fault" ASAN_OPTIONS=verify_asan_link_order=0 \
      "$calc" batch in.csv -o res.csv -j $j
    untouched res.csv
  done
  expect 0 "" "$calc" batch big.csv -o "big.$j.csv" -j $j
done
cmp -s big.1.csv big.2.csv || fail "-j 1 and -j 2 wrote different results"
for j in 1 2; do
  expect 2 "无法写入 标准输出：磁盘已满（No space left on device）" env LD_PRELOAD="$shim" \
    QUORVEX_FAIL_WRITE_AFTER=100000 ASAN_OPTIONS=verify_asan_link_order=0 "$calc" batch in.csv -j $j
done

# Workbook output integrity: a write that fails in the scratch file of the rows (beside the
# target) or while the workbook is written, and a file-size limit, refuse the result and keep
# the target; no scratch file is left behind.
head -n 20001 in.csv >mid.csv
"$calc" batch mid.csv -o good.xlsx -q
size=$(stat -c %s good.xlsx)
echo OLD >res.xlsx
files=$(ls -A)
for after in 100000 $((size / 2)) $((size + size / 2)); do
  echo OLD >res.xlsx
  expect 2 "res.xlsx：" env LD_PRELOAD="$shim" QUORVEX_FAIL_WRITE_AFTER=$after ASAN_OPTIONS=verify_asan_link_order=0 \
    "$calc" batch mid.csv -o res.xlsx
  untouched res.xlsx
done
echo OLD >res.xlsx
expect 2 "res.xlsx：无法写入工作簿的临时文件" sh -c "trap '' XFSZ; ulimit -f 2048; \"$calc\" batch in.csv -o res.xlsx"
untouched res.xlsx
[ "$(ls -A)" = "$files" ] || fail "scratch files left: $(ls -A)"
expect 0 "共 20,000 条记录" "$calc" batch mid.csv -o res.xlsx
expect 0 "共 20,000 条记录" "$calc" batch res.xlsx -o back.csv

# A terminated run removes its temporary file and leaves the target.
echo OLD >res.csv
mkfifo feed
"$calc" batch feed -o res.csv 2>/dev/null &
pid=$!
exec 3>feed
head -n 1000 in.csv >&3
sleep 0.3
kill -TERM "$pid"
wait "$pid"
status=$?
exec 3>&-
[ "$status" = 143 ] || fail "terminated run: status $status, want 143"
untouched res.csv

# A run killed by a signal no program can catch leaves nothing beside the target either: the
# result has no name until it is complete.
for signal in KILL XFSZ; do
  "$calc" batch feed -o res.csv 2>/dev/null &
  pid=$!
  exec 3>feed
  head -n 1000 in.csv >&3
  sleep 0.3
  kill -"$signal" "$pid"
  wait "$pid" || true
  exec 3>&-
  untouched res.csv
  [ "$(ls -A | grep -c '\.part-')" = 0 ] || fail "SIG$signal left a temporary file: $(ls -A)"
done

finish faults
