#!/bin/sh
# Hostile sheets under a memory limit: a workbook row numbered far beyond the last, rows with a
# cell at the last column, CSV rows of a million empty fields and JSON lines of two hundred
# thousand members must be refused or computed in bounded memory, never abort or leave a
# temporary file behind.
#   usage: hostile.sh QUORVEX-CALC
set -u
. "$(dirname "$0")/common.sh"

# Address space for the run (the peak the program needs is far below it); none under a
# sanitizer, which reserves terabytes of it.
limit="ulimit -v 131072;"
ldd "$calc" | grep -q 'libasan\|libtsan' && limit=""

# limited STATUS PATTERN ARGS...: runs quorvex-calc under the limit, checks status and message.
limited() {
  want=$1
  pattern=$2
  shift 2
  sh -c "$limit \"\$0\" \"\$@\"" "$calc" "$@" >out.txt 2>err.txt
  got=$?
  [ "$got" = "$want" ] || fail "$* -> status $got, want $want ($(cat err.txt))"
  [ -z "$pattern" ] || grep -q -- "$pattern" err.txt || fail "$* -> stderr lacks '$pattern': $(cat err.txt)"
  [ "$(ls -A | grep -c '\.part-')" = 0 ] || fail "$* left a temporary file: $(ls -A)"
}

python3 - <<'PY' || exit 2
import zipfile
def book(name, rows):
    z = zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED)
    z.writestr("xl/workbook.xml", '<workbook xmlns:r="r"><sheets><sheet r:id="rId1"/></sheets></workbook>')
    z.writestr("xl/_rels/workbook.xml.rels",
               '<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>')
    z.writestr("xl/worksheets/sheet1.xml", "<worksheet><sheetData>%s</sheetData></worksheet>" % rows)
head = ('<row r="1"><c t="inlineStr"><is><t>category</t></is></c>'
        '<c t="inlineStr"><is><t>amount</t></is></c></row>')
salary = '<c t="inlineStr"><is><t>salary</t></is></c><c><v>5000</v></c>'
book("gap.xlsx", head + '<row r="99999999999">' + salary + '</row>')
book("wide.xlsx", head + "".join('<row r="%d"><c r="XFD%d"><v>1</v></c></row>' % (i, i) for i in range(2, 1602)))
with open("commas.csv", "w") as f:
    f.write("category,amount\n")
    for i in range(40):
        f.write("salary,5000" + "," * 1000000 + "\n")
# What no program writes: a row repeating one cell 1.2 million times, 500,000 nested elements,
# sheet names of a million characters, a number format of 7.3 MB on 600 cells (stored, as a
# zip bomb's ratio would be refused before).
def stored(name, sheets, styles=""):
    z = zipfile.ZipFile(name, "w", zipfile.ZIP_STORED)
    z.writestr("xl/workbook.xml", '<workbook xmlns:r="r"><sheets>%s</sheets></workbook>' % "".join(
        '<sheet name="%s" r:id="rId%d"/>' % (n, i + 1) for i, (n, _) in enumerate(sheets)))
    rels = "".join('<Relationship Id="rId%d" Target="worksheets/sheet%d.xml"/>' % (i + 1, i + 1) for i in range(len(sheets)))
    if styles:
        rels += '<Relationship Id="rId99" Type="x/styles" Target="styles.xml"/>'
        z.writestr("xl/styles.xml", styles)
    z.writestr("xl/_rels/workbook.xml.rels", "<Relationships>%s</Relationships>" % rels)
    for i, (_, xml) in enumerate(sheets):
        z.writestr("xl/worksheets/sheet%d.xml" % (i + 1), xml)
def sheet(rows, after=""):
    return "<worksheet><sheetData>%s</sheetData>%s</worksheet>" % (head + rows, after)
stored("repeat.xlsx", [("一月", sheet('<row r="2">' + salary + '<c r="C2"><v>1</v></c>' * 1200000 + "</row>"))])
stored("nested.xlsx", [("一月", sheet("", "<a>" * 500000 + "</a>" * 500000))])
hundred = "".join('<row r="%d">%s</row>' % (i, salary) for i in range(2, 102))
stored("names.xlsx", [("名" * 1000000, sheet(hundred)), ("月" * 1000000, sheet(hundred))])
stored("format.xlsx", [("一月", sheet("".join('<row r="%d"><c t="inlineStr"><is><t>salary</t></is></c><c s="1"><v>5000</v></c></row>' % (i, ) for i in range(2, 602))))],
       '<styleSheet><numFmts><numFmt numFmtId="164" formatCode="%s"/></numFmts><cellXfs><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>' % ("0" * 7300000))
with open("members.jsonl", "w") as f:
    for i in range(40):
        f.write('{"category":"salary","amount":5000' + ',"":0' * 200000 + "}\n")
PY

echo OLD >gap.csv
limited 2 "gap.xlsx：已损坏：第99999999999行超出工作表的最后一行" batch gap.xlsx -o gap.csv
[ "$(cat gap.csv)" = OLD ] || fail "gap.csv was replaced"

# Cells beyond the header follow it without the columns between: three fields, not 16,384.
limited 1 "共 1,600 条记录，1,600 条有误" batch wide.xlsx -o wide.csv -j 1
[ "$(sed -n 2p wide.csv | tr -d '\r' | awk -F, '{print NF, $NF}')" = "32 1" ] || fail "wide.csv: $(sed -n 2p wide.csv | head -c 200)"

# Fields beyond the header stay in a CSV result as written; a JSON Lines result keeps those a
# sheet can hold; a record of more members than that is rejected.
for j in 1 2; do
  limited 1 "共 40 条记录，40 条有误" batch commas.csv -o commas.$j.csv -j $j
done
cmp -s commas.1.csv commas.2.csv || fail "-j 1 and -j 2 wrote different results"
[ "$(sed -n 2p commas.1.csv | tr -cd , | wc -c)" = 1000030 ] || fail "commas.1.csv lost fields"
limited 1 "共 40 条记录，40 条有误" batch commas.csv -o commas.jsonl -j 2
grep -q '"column_16384":"","status":"rejected"' commas.jsonl || fail "commas.jsonl: $(head -c 200 commas.jsonl)"
limited 1 "共 40 条记录，40 条有误" batch members.jsonl -o members.out.jsonl -j 2
grep -q '字段多于16384个' members.out.jsonl || fail "members.out.jsonl: $(head -c 200 members.out.jsonl)"

limited 1 "共 1 条记录，1 条有误" batch repeat.xlsx -o repeat.csv
limited 2 "嵌套过深" batch nested.xlsx -o nested.csv
limited 0 "共 200 条记录，0 条有误" batch names.xlsx -o names.csv
[ "$(wc -c <names.csv)" -lt 200000 ] || fail "names.csv: $(wc -c <names.csv) bytes for 200 records"
limited 0 "共 600 条记录，0 条有误" batch format.xlsx -o format.xlsx.out.xlsx

finish hostile
