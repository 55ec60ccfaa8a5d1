#!/usr/bin/env python3
"""The plain Python pass the sheet benchmark compares with: read each row, multiply one
field, write the row back.  usage: python_pass.py IN.csv OUT.csv"""
import csv
import sys

with open(sys.argv[1], newline="", encoding="utf-8") as src, open(sys.argv[2], "w", newline="",
                                                                  encoding="utf-8") as dst:
    reader = csv.reader(src)
    writer = csv.writer(dst)
    header = next(reader)
    writer.writerow(header + ["double"])
    at = header.index("amount")
    for row in reader:
        try:
            row.append(float(row[at]) * 2)
        except ValueError:
            row.append("")
        writer.writerow(row)
