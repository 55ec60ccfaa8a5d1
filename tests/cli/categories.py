#!/usr/bin/env python3
"""quorvex-calc's single command by every name of a category, and by names of none.

Every key and list text that --help lists, and the payroll names a sheet takes for them (a
list text without its 、, with ASCII parentheses; 年终奖), computes with exit status 0, plain
and with --json. Hundreds of arbitrary texts as the category never end on a signal: an unknown
one is exit status 2 with a Chinese message. The README's category names and its example
commands run as the README says.

usage: categories.py QUORVEX_CALC README
"""
import os
import random
import re
import subprocess
import sys
import tempfile

calc, readme = os.path.abspath(sys.argv[1]), sys.argv[2]
failures = []


def run(args, **kw):
    return subprocess.run([calc] + args, capture_output=True, timeout=60, **kw)


def expect_computed(name):
    for extra in ([], ["--json"]):
        r = run([name, "5000", "--salary", "3000"] + extra)  # salary-bonus's salary; the others ignore it
        if r.returncode != 0:
            failures.append("%r %s: status %d, %s" % (name, extra, r.returncode, r.stderr.decode(errors="replace")))


help_text = run(["--help"]).stdout.decode()
listed = re.findall(r"^  (\S+)  (\S+)  \(", help_text, re.M)
if len(listed) != 13:
    failures.append("--help lists %d categories, not 13" % len(listed))
for key, text in listed:
    for name in {key, text, " %s\t" % text, text.replace("、", ""),
                 text.replace("（", "(").replace("）", ")")}:
        expect_computed(name)
expect_computed("年终奖")
expect_computed("年终奖筹划")

# Arbitrary texts: letters, CJK, punctuation, control characters and bytes that are no UTF-8.
rng = random.Random(20261209)
alphabet = [c.encode() for c in "abc-_ 、（）()年终奖工资所得\t\r\n"] + [bytes([b]) for b in range(1, 256)]
known = {n.encode() for pair in listed for n in pair}
for _ in range(400):
    text = b"".join(rng.choice(alphabet) for _ in range(rng.randint(1, 24)))
    if text.startswith(b"-") or text.strip() in known or text in (b"batch", b"plan", b"template"):
        continue
    r = run([os.fsdecode(text), "5000"])
    if r.returncode < 0 or r.returncode > 2:
        failures.append("category %r: ended with status %d" % (text, r.returncode))
    elif r.returncode == 2 and "未知的收入类型" not in r.stderr.decode(errors="replace"):
        failures.append("category %r: %s" % (text, r.stderr.decode(errors="replace")))

# The README's names of categories, and its example commands, run in a folder of their own.
with open(readme, encoding="utf-8") as f:
    doc = f.read()
window = re.search(r"Pick the income category in 收入类型: (.*?)\. ", doc, re.S).group(1)
for name in re.split(r",\s*|\s+or\s+", window.replace("\n", " ")):
    expect_computed(name.strip())
keys = re.search(r"^Categories: (.*?) \(", doc, re.M | re.S).group(1)
for key in re.findall(r"`([^`]+)`", keys):
    expect_computed(key)
with tempfile.TemporaryDirectory() as folder:
    with open(os.path.join(folder, "staff.csv"), "w", encoding="utf-8") as f:
        f.write("收入类型,金额\n工资、薪金所得,5000\n年终奖,20000\n")
    run(["template", os.path.join(folder, "工资表.xlsx")])
    for line in re.findall(r"^(quorvex-calc [^\n#]*?)\s*(?:#.*)?$", doc, re.M):
        command = line.replace("quorvex-calc", "'%s'" % calc, 1)
        r = subprocess.run(["sh", "-c", command], cwd=folder, capture_output=True, timeout=60)
        if r.returncode != 0:
            failures.append("README: %s: status %d, %s" % (line, r.returncode, r.stderr.decode(errors="replace")))

for failure in failures[:20]:
    print(failure)
sys.exit(1 if failures else 0)
