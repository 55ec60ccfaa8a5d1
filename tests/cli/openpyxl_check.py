"""A clerk's workbook through quorvex-calc, and its result opened by another program.

openpyxl writes the sheet as a spreadsheet program does (shared strings, numbers as numbers,
Chinese headers, every category); quorvex-calc computes it to a workbook; openpyxl must open
the result and find the outcome's figures as numbers whose format shows the page's text, the
other outcome cells texts, the input's cells of the kind and format they had, a frozen header
and column widths, with the same figures as the CSV path gives.

usage: openpyxl_check.py QUORVEX_CALC
"""
import csv
import datetime
import io
from decimal import Decimal
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
        first_figure = header.index("税前收入(反算)")
        for row in sheet.iter_rows(min_row=2):
            for cell in row:
                if cell.value is None:
                    continue
                col = cell.column - 1
                if col >= first_figure:
                    want = "n" if isinstance(cell.value, (int, float)) else "s"
                    if cell.data_type != want or (want == "s" and cell.value not in ("是", "否")):
                        fail("figure %s is %s: %r" % (cell.coordinate, cell.data_type, cell.value))
                elif col >= len(ROWS[0]) or isinstance(ROWS[cell.row - 1][col], str):
                    if cell.data_type != "s":
                        fail("cell %s is not text: %r" % (cell.coordinate, cell.value))
                elif cell.data_type != "n" or cell.value != ROWS[cell.row - 1][col]:
                    fail("input number %s came back as %s %r" % (cell.coordinate, cell.data_type, cell.value))
        for cell in sheet[1]:
            if cell.data_type != "s" or not cell.font.b:
                fail("header cell %s is not bold text" % cell.coordinate)
        if sheet.freeze_panes != "A2":
            fail("header not frozen: %r" % sheet.freeze_panes)
        widths = [sheet.column_dimensions[c].width for c in ("B", "D")]
        if not (widths[0] > widths[1] > 0):
            fail("column widths do not fit the texts: %r" % widths)

        def cell(row, caption):
            return sheet.cell(row=row + 1, column=header.index(caption) + 1)

        expected = {(1, "税率"): (0.03, "0%"), (1, "速算扣除数"): (0, "0.00"), (1, "应纳税额"): (45, "0.00"),
                    (1, "状态"): ("正常", "General"), (3, "奖盲区"): ("是", "General"),
                    (5, "税前收入(反算)"): (5000, "0"), (15, "状态"): ("有误", "General"),
                    (15, "出错项"): ("税前收入", "General")}
        for (row, caption), (value, number_format) in expected.items():
            got = cell(row, caption)
            if got.value != value or got.number_format != number_format:
                fail("row %d %s: %r as %r, expected %r as %r" % (row, caption, got.value, got.number_format, value,
                                                                number_format))

        # The same texts as the CSV path, cell for cell, each number shown through its format.
        csv_rows = list(csv.reader(io.StringIO(from_csv.stdout.decode("utf-8"))))
        xlsx_rows = [[shown(c) for c in row] for row in sheet.iter_rows()]
        if csv_rows != xlsx_rows:
            fail("workbook and CSV results differ:\n%r\n%r" % (csv_rows, xlsx_rows))
        # A spreadsheet's SUM of the tax column is the sum of the texts the CSV result shows.
        tax = header.index("应纳税额")
        book_sum = sum(Decimal(repr(r[tax].value)) for r in sheet.iter_rows(min_row=2) if r[tax].value is not None)
        csv_sum = sum(Decimal(r[tax]) for r in csv_rows[1:] if r[tax])
        if book_sum != csv_sum or csv_sum == 0:
            fail("SUM of 应纳税额 is %s, the CSV result's %s" % (book_sum, csv_sum))
        check_kinds_and_formats(calc, folder)
        check_illegal_characters(calc, folder)
        check_template(calc, folder)
    print("openpyxl_check: 4 passed, 0 failed")


def shown(cell):
    """The text a spreadsheet shows for a cell whose number format is one quorvex-calc writes."""
    value, number_format = cell.value, cell.number_format
    if value is None:
        return ""
    if cell.data_type != "n":
        return str(value)
    exact = Decimal(repr(value))
    if number_format.endswith("%"):
        exact *= 100
    if number_format == "General":
        return str(value)
    decimals = len(number_format.rstrip("%").partition(".")[2])
    return format(exact, ".%df" % decimals) + ("%" if number_format.endswith("%") else "")


def check_kinds_and_formats(calc, folder):
    """A workbook's own cells go back out as what they were: numbers, dates, times, booleans
    and texts, each with its number format; the same sheet as CSV keeps its cells texts."""
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.append(["工号", "收入类型", "税前收入", "入职", "比例", "在职", "上班", "备注"])
    sheet.append([1001, "工资、薪金所得", 8000, datetime.date(2015, 3, 1), 0.05, True, datetime.time(9, 30), "1001"])
    sheet.append([1002, "工资、薪金所得", 5000.5, datetime.date(2016, 12, 31), 0.125, False, datetime.time(18), None])
    formats = {"C": '"¥"#,##0.00', "D": "yyyy-mm-dd", "G": "h:mm"}
    for row in (2, 3):
        for column, number_format in formats.items():
            sheet["%s%d" % (column, row)].number_format = number_format
        sheet["E%d" % row].number_format = "0%" if row == 2 else "0.00%"
    book.save(folder / "kinds.xlsx")
    if subprocess.run([calc, "batch", str(folder / "kinds.xlsx"), "-o", str(folder / "kinds_out.xlsx"),
                       "-q"]).returncode != 0:
        fail("kinds.xlsx was not computed")
    out = openpyxl.load_workbook(folder / "kinds_out.xlsx").active
    for row in (2, 3):
        for column in "ABCDEFGH":
            before, after = sheet["%s%d" % (column, row)], out["%s%d" % (column, row)]
            if (after.value, after.data_type, after.number_format) != (before.value, before.data_type,
                                                                      before.number_format):
                if not (isinstance(before.value, datetime.date) and after.value == datetime.datetime.combine(
                        before.value, datetime.time()) and after.number_format == before.number_format):
                    fail("%s came back as %r %s %r, was %r %s %r" % (
                        after.coordinate, after.value, after.data_type, after.number_format, before.value,
                        before.data_type, before.number_format))
    # A date's column is as wide as the date it shows, not its serial (or it shows ####).
    if out.column_dimensions["D"].width < len("2015-03-01") + 1:
        fail("the dates' column is %r wide" % out.column_dimensions["D"].width)
    # From CSV nothing is known of the input's kinds: its cells stay texts, the figures are numbers.
    (folder / "kinds.csv").write_text("工号,收入类型,税前收入\n1001,工资、薪金所得,8000\n", encoding="utf-8")
    if subprocess.run([calc, "batch", str(folder / "kinds.csv"), "-o", str(folder / "kinds_csv.xlsx"),
                       "-q"]).returncode != 0:
        fail("kinds.csv was not computed")
    out = openpyxl.load_workbook(folder / "kinds_csv.xlsx").active
    header = [c.value for c in out[1]]
    if [c.data_type for c in out[2]][:3] != ["s"] * 3 or out.cell(2, header.index("应纳税额") + 1).value != 345:
        fail("kinds.csv came back as %r" % [(c.value, c.data_type) for c in out[2]])


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
