"""A clerk's workbook through quorvex-calc, and its result opened by another program.

openpyxl writes the sheet as a spreadsheet program does (shared strings, numbers as numbers,
Chinese headers, every category); quorvex-calc computes it to a workbook; openpyxl must open
the result and find text cells exactly as the pages show them, a frozen header and column
widths, with the same figures as the CSV path gives.

usage: openpyxl_check.py QUORVEX_CALC
"""
import csv
import io
import subprocess
import sys
import tempfile
from pathlib import Path

import openpyxl
from openpyxl.utils.escape import unescape

ROWS = [
    ["姓名", "收入类型", "计算方式", "税前收入", "工资", "五险一金", "起征点", "月数"],
    ["张三", "工资、薪金所得", None, 5000, None, None, 3500, None],
    ["李四", "工资、薪金所得", "from-take-home", 8000.5, None, 800, 4800, None],
    ["王五", "年终奖所得", None, 18001, None, None, None, None],
    ["赵六", "工资、年终奖所得", None, 30000, 8000, 800, None, None],
    ["钱七", "劳务报酬所得", "from-after-tax", 4200, None, None, None, None],
    ["孙八", "稿酬所得", None, 5000, None, None, None, None],
    ["周九", "财产租赁所得", None, 3000, None, None, None, None],
    ["吴十", "财产转让所得", None, 100000, None, None, None, None],
    ["郑一", "特许权使用费所得", None, 6000, None, None, None, None],
    ["冯二", "个体工商户生产、经营所得", None, 100000, None, None, None, None],
    ["陈三", "对企事业单位的承包经营、承租经营所得", None, 80000, None, None, None, 10],
    ["褚四", "利息、股息、红利所得", None, 1000, None, None, None, None],
    ["卫五", "偶然所得（如中奖、中彩）", None, 10000, None, None, None, None],
    ["蒋六", "被确定征税的其他部分", None, 2000, None, None, None, None],
    ["沈七", "工资、薪金所得", None, "abc", None, None, None, None],
]


def fail(message):
    print("openpyxl_check: " + message)
    sys.exit(1)


def main():
    calc = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        folder = Path(tmp)
        book = openpyxl.Workbook()
        for row in ROWS:
            book.active.append(row)
        book.save(folder / "工资表.xlsx")
        with open(folder / "工资表.csv", "w", encoding="utf-8", newline="") as f:
            csv.writer(f).writerows([["" if v is None else v for v in row] for row in ROWS])

        # One record (沈七) is rejected: exit status 1, every other record computed.
        to_book = subprocess.run([calc, "batch", str(folder / "工资表.xlsx"), "-o", str(folder / "工资表结果.xlsx")])
        from_csv = subprocess.run([calc, "batch", str(folder / "工资表.csv")], capture_output=True)
        if to_book.returncode != 1 or from_csv.returncode != 1:
            fail("exit statuses %d and %d, not 1 (a record rejected)" % (to_book.returncode, from_csv.returncode))

        sheet = openpyxl.load_workbook(folder / "工资表结果.xlsx").active
        rows = [[cell.value for cell in row] for row in sheet.iter_rows()]
        header = rows[0]
        for caption in ("状态", "出错项", "提示", "奖盲区", "税率", "应纳税额", "税后收入", "纳税总额"):
            if caption not in header:
                fail("no column " + caption + " in " + str(header))
        if len(rows) != len(ROWS):
            fail("%d rows, expected %d" % (len(rows), len(ROWS)))
        for row in sheet.iter_rows(min_row=2):
            for cell in row:
                if cell.value is not None and cell.data_type != "s":
                    fail("cell %s is not text: %r" % (cell.coordinate, cell.value))
        if sheet.freeze_panes != "A2":
            fail("header not frozen: %r" % sheet.freeze_panes)
        widths = [sheet.column_dimensions[c].width for c in ("B", "D")]
        if not (widths[0] > widths[1] > 0):
            fail("column widths do not fit the texts: %r" % widths)

        def value(row, caption):
            return rows[row][header.index(caption)] or ""

        expected = {(1, "税率"): "3%", (1, "速算扣除数"): "0.00", (1, "应纳税额"): "45.00", (1, "状态"): "正常",
                    (3, "奖盲区"): "是", (5, "税前收入(反算)"): "5000", (15, "状态"): "有误",
                    (15, "出错项"): "税前收入"}
        for (row, caption), text in expected.items():
            if value(row, caption) != text:
                fail("row %d %s: %r, expected %r" % (row, caption, value(row, caption), text))

        # The same texts as the CSV path, cell for cell.
        csv_rows = list(csv.reader(io.StringIO(from_csv.stdout.decode("utf-8"))))
        xlsx_rows = [["" if v is None else str(v) for v in row] for row in rows]
        if csv_rows != xlsx_rows:
            fail("workbook and CSV results differ:\n%r\n%r" % (csv_rows, xlsx_rows))
        check_illegal_characters(calc, folder)
        check_template(calc, folder)
    print("openpyxl_check: 3 passed, 0 failed")


def check_illegal_characters(calc, folder):
    """Characters XML cannot carry (NUL, other controls, U+FFFE, U+FFFF) and a text that reads
    like their escape: the workbook opens, holds each as Excel escapes it, and reads back as
    it was written, through openpyxl and through quorvex-calc itself."""
    notes = ["a\x00b", "a\ufffeb\uffff", "bell\x07\x1b", "_x0041_ stays", "plain"]
    sheet_csv = "id,category,amount,note\r\n" + "".join(
        "%d,salary,5000,%s\r\n" % (i, note) for i, note in enumerate(notes))
    (folder / "odd.csv").write_bytes(sheet_csv.encode("utf-8"))
    if subprocess.run([calc, "batch", str(folder / "odd.csv"), "-o", str(folder / "odd.xlsx"), "-q"]).returncode != 0:
        fail("odd.csv was not written to a workbook")
    sheet = openpyxl.load_workbook(folder / "odd.xlsx").active
    read = [unescape(row[3]) for row in sheet.iter_rows(min_row=2, values_only=True)]
    if read != notes:
        fail("the workbook holds %r, expected %r" % (read, notes))
    back = subprocess.run([calc, "batch", str(folder / "odd.xlsx"), "-o", "-", "-q"], capture_output=True)
    fields = [line.split(b",")[:4] for line in back.stdout.split(b"\r\n") if line]
    if back.returncode != 0 or fields != [line.split(b",") for line in sheet_csv.encode("utf-8").split(b"\r\n") if line]:
        fail("odd.xlsx reads back as %r" % back.stdout)


def check_template(calc, folder):
    """quorvex-calc template writes the workbook to fill in: drop-down lists a spreadsheet
    offers for 收入类型, 计算方式 and 起征点, and examples that all compute."""
    book = folder / "模板.xlsx"
    if subprocess.run([calc, "template", str(book)]).returncode != 0:
        fail("the template was not written")
    sheet = openpyxl.load_workbook(book).active
    header = [c.value for c in sheet[1]]
    lists = {header[sheet[dv.sqref.ranges[0].coord.split(":")[0]].column - 1]: dv.formula1
             for dv in sheet.data_validations.dataValidation if dv.type == "list"}
    if set(lists) != {"收入类型", "计算方式", "起征点"} or "由实发工资反算" not in lists["计算方式"] \
            or "年终奖筹划" not in lists["收入类型"] or lists["起征点"] != '"3500,4800"':
        fail("the template's lists are %r" % lists)
    run = subprocess.run([calc, "batch", str(book), "-o", str(folder / "模板结果.csv"), "-q"])
    if run.returncode != 0:
        fail("the template's examples do not all compute")


if __name__ == "__main__":
    main()
