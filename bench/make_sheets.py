#!/usr/bin/env python3
"""Writes the benchmark sheets: a salary sheet and a mixed sheet of every category and kind
(a few rows rejected on purpose), as CSV and as JSON Lines.

usage: make_sheets.py FOLDER ROWS [SEED]
"""
import json
import os
import random
import sys

KINDS = [
    ("salary", "forward"), ("salary", "from-tax"), ("salary", "from-take-home"),
    ("year-bonus", "forward"), ("year-bonus", "from-after-tax"), ("salary-bonus", "forward"),
    ("labour", "forward"), ("labour", "from-after-tax"), ("writing", "forward"), ("rent", "forward"),
    ("property", "forward"), ("royalties", "forward"), ("business", "forward"), ("contract", "forward"),
    ("interest", "forward"), ("chance", "forward"), ("other", "forward"),
]
COLUMNS = ["id", "name", "category", "calc", "amount", "salary", "contributions", "threshold", "months"]


def amount(rng, low, high):
    return f"{rng.randint(low, high)}.{rng.randint(0, 99):02d}"


def salary_row(rng, i):
    return [str(i), f"员工{i % 9973}", "salary", "", amount(rng, 1000, 90000), "", str(rng.randint(0, 2000)),
            rng.choice(["3500", "4800"]), ""]


def mixed_row(rng, i):
    category, kind = KINDS[i % len(KINDS)]
    row = [str(i), f"员工{i % 9973}", category, kind, amount(rng, 1, 300000), "", "", "", ""]
    if kind in ("from-tax", "from-take-home", "from-after-tax"):
        row[4] = amount(rng, 1, 20000)
    if category == "salary-bonus":
        row[5] = amount(rng, 0, 30000)
    if category in ("salary", "salary-bonus"):
        row[6] = str(rng.randint(0, 2000))
        row[7] = rng.choice(["3500", "4800"])
    if category == "contract":
        row[8] = str(rng.randint(1, 12))
    if i % 97 == 0:
        row[4] = rng.choice(["abc", "-5", "", "1,000"])  # rejected on purpose
    return row


def write(folder, stem, rows, make, seed):
    rng = random.Random(stem + seed)
    with open(os.path.join(folder, stem + ".csv"), "w", encoding="utf-8", newline="") as csv_out, \
         open(os.path.join(folder, stem + ".jsonl"), "w", encoding="utf-8", newline="") as json_out:
        csv_out.write(",".join(COLUMNS) + "\r\n")
        for i in range(rows):
            row = make(rng, i)
            csv_out.write(",".join(row) + "\r\n")
            record = {k: v for k, v in zip(COLUMNS, row) if v != ""}
            record["id"] = i
            json_out.write(json.dumps(record, ensure_ascii=False, separators=(",", ":")) + "\n")


def main():
    folder, rows = sys.argv[1], int(sys.argv[2])
    seed = sys.argv[3] if len(sys.argv) > 3 else ""
    os.makedirs(folder, exist_ok=True)
    write(folder, "salary", rows, salary_row, seed)
    write(folder, "mixed", rows, mixed_row, seed)


if __name__ == "__main__":
    main()
