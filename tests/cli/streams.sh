#!/bin/sh
# quorvex-calc's streams and paths from outside: a name of an open stream (/dev/stdout,
# /dev/fd/N, /proc/self/fd/N) is written as the stream, never replaced; standard input handed
# on at an offset is read from there in both passes; a CR-only sheet arriving through a pipe a
# line at a time is read; a replaced file keeps its owner and group, a symbolic link (also a
# dangling one) keeps pointing where it did, and a file with other names is refused.
#   usage: streams.sh QUORVEX-CALC
set -u
. "$(dirname "$0")/common.sh"

printf 'id,category,amount\r\n1,salary,5000\r\n' >ok.csv
"$calc" batch ok.csv -o expected.csv -q

# Names of open streams: appended to as the shell opened them.
for name in /dev/stdout /dev/fd/1 /proc/self/fd/1; do
  printf 'OLD LOG\n' >log.txt
  "$calc" batch ok.csv -o "$name" --quiet >>log.txt || fail "-o $name: status $?"
  { printf 'OLD LOG\n'; cat expected.csv; } | cmp -s - log.txt || fail "-o $name: log.txt is $(cat log.txt)"
done
"$calc" batch ok.csv -o /dev/fd/9 --quiet 2>err.txt
[ $? = 2 ] && grep -q "无法写入 /dev/fd/9：文件描述符无效（Bad file descriptor）" err.txt || fail "-o /dev/fd/9: $(cat err.txt)"

# JSON Lines to CSV reads its input twice, both times from where the shell left it.
printf '{"id":"SKIP","category":"salary","amount":"1"}\n{"id":"A","category":"salary","amount":"5000"}\n' >off.jsonl
{
  read -r _
  "$calc" batch - --input-format jsonl --format csv -o - --quiet
} <off.jsonl >off.csv
grep -q SKIP off.csv && fail "the skipped line was computed: $(cat off.csv)"
grep -q '^A,salary,5000,ok,' off.csv || fail "off.csv: $(cat off.csv)"

# A sheet of lines ended by CR alone, longer than a record may be, a line per write.
python3 -c '
import os
os.write(1, b"id,category,amount\r")
for i in range(70000):
    os.write(1, b"%d,salary,5000\r" % i)
' | "$calc" batch - -o cr.csv 2>err.txt || fail "CR-only sheet through a pipe: $(cat err.txt)"
grep -q "共 70,000 条记录，0 条有误" err.txt || fail "CR-only sheet through a pipe: $(cat err.txt)"

# Replacing files.
mkdir out
echo OLD >out/real.csv
ln -s real.csv out/link.csv
ln -s missing.csv out/dangling.csv
"$calc" batch ok.csv -o out/link.csv -q && "$calc" batch ok.csv -o out/dangling.csv -q || fail "writing through links"
[ -L out/link.csv ] && [ -L out/dangling.csv ] || fail "a link was replaced by a file: $(ls -l out)"
cmp -s out/real.csv expected.csv && cmp -s out/missing.csv expected.csv || fail "links' targets: $(ls -l out)"
echo OLD >out/linked.csv
ln out/linked.csv out/other.csv
"$calc" batch ok.csv -o out/linked.csv 2>err.txt
[ $? = 2 ] && grep -q "out/linked.csv：文件还有别的名字" err.txt || fail "hard link: $(cat err.txt)"
[ "$(cat out/linked.csv)" = OLD ] || fail "a file with other names was replaced"
if [ "$(id -u)" = 0 ]; then
  echo OLD >out/owned.csv
  chown 1234:2345 out/owned.csv
  "$calc" batch ok.csv -o out/owned.csv -q
  [ "$(stat -c %u:%g out/owned.csv)" = 1234:2345 ] || fail "owner lost: $(stat -c %u:%g out/owned.csv)"
fi
[ "$(ls -A out | grep -c '\.part-')" = 0 ] || fail "temporary file left: $(ls -A out)"

finish streams
