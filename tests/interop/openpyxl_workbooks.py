#!/usr/bin/python3
"""Workbooks written by a real producer (openpyxl), loaded by `tabulix dump` and compared with what
each file holds. Exits 77 (skipped) when openpyxl is not installed.

usage: openpyxl_workbooks.py TABULIX_BINARY WORK_FOLDER
"""
import datetime
import json
import os
import subprocess
import sys

from expectations import expect, failures, finish

try:
    import openpyxl
except ImportError:
    print("openpyxl is not installed: skipped")
    sys.exit(77)

tabulix, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)


def dump(path, *extra):
    run = subprocess.run([tabulix, "dump", path, *extra], capture_output=True)
    if run.returncode != 0:
        failures.append(f"{path}: tabulix dump exited {run.returncode}: {run.stderr.decode()}")
        return None
    return json.loads(run.stdout.decode("utf-8"))


def grid(sheet, rows, cols):
    """The grid a reader shows: every cell's display text, or "" where the file holds nothing."""
    return [[sheet.get((r, c), "") for c in range(cols)] for r in range(rows)]


# 1. Values of every kind, several sheets, one hidden, names outside ASCII.
book = openpyxl.Workbook()
values = book.active
values.title = "Values"
values["A1"] = "Name"
values["B1"] = "Amount"
values["A2"] = "Line one\nline two"
values["B2"] = 42
values["A3"] = "Caf\u00e9 \u65e5\u672c \U0001F600"
values["B3"] = 2.5
values["A4"] = True
values["B4"] = False
values["C5"] = 0.1
values["D5"] = -1234567.875
values["E6"] = "  padded  "
hidden = book.create_sheet("Secret")
hidden["A1"] = "not shown"
hidden.sheet_state = "hidden"
dates = book.create_sheet("Dates \u00e4")
dates["A1"] = datetime.datetime(2024, 1, 1, 18, 0)
dates["A2"] = datetime.date(2024, 3, 5)
dates["A3"] = datetime.datetime(2023, 12, 31, 23, 59, 59)
dates["A4"] = 45292
dates["A4"].number_format = "dd/mm/yyyy"
dates["A5"] = 3.5
dates["A5"].number_format = "0.00;[Red]-0.00"
dates["A6"] = 45292.25
dates["A6"].number_format = "[h]:mm"
dates["A7"] = 12
dates["A7"].number_format = '#,##0 "kids"'
dates["B1"] = datetime.datetime(1999, 12, 31, 6, 30, 15)
dates["B1"].number_format = "d-mmm-yy h:mm"
book.create_sheet("Empty")
path = os.path.join(work, "values.xlsx")
book.save(path)

result = dump(path)
if result:
    names = [s["name"] for s in result["sheets"]]
    expect("sheet names", names, ["Values", "Dates \u00e4", "Empty"])
    sheets = {s["name"]: s for s in result["sheets"]}
    v = sheets["Values"]
    expect("Values size", (v["rows"], v["cols"]), (6, 5))
    expect("Values cells", v["cells"], grid({
        (0, 0): "Name", (0, 1): "Amount", (1, 0): "Line one\nline two", (1, 1): "42",
        (2, 0): "Caf\u00e9 \u65e5\u672c \U0001F600", (2, 1): "2.5", (3, 0): "TRUE", (3, 1): "FALSE",
        (4, 2): "0.1", (4, 3): "-1234567.875", (5, 4): "  padded  ",
    }, 6, 5))
    d = sheets["Dates \u00e4"]
    expect("Dates cells", d["cells"], grid({
        (0, 0): "2024-01-01 18:00", (1, 0): "2024-03-05", (2, 0): "2023-12-31 23:59",
        (3, 0): "2024-01-01", (4, 0): "3.5", (5, 0): "2024-01-01 06:00", (6, 0): "12",
        (0, 1): "1999-12-31 06:30",
    }, 7, 2))
    e = sheets["Empty"]
    expect("Empty size", (e["rows"], e["cols"]), (100, 26))

# 2. A sheet larger than the load limit keeps 2000 rows and 200 columns.
big = openpyxl.Workbook()
sheet = big.active
for r in range(1, 2101, 50):
    sheet.cell(row=r, column=1, value=f"row {r}")
sheet.cell(row=1, column=210, value="beyond")
sheet.cell(row=2000, column=200, value="corner")
path = os.path.join(work, "big.xlsx")
big.save(path)
result = dump(path, "--sheet", "0")
if result:
    s = result["sheets"][0]
    expect("big size", (s["rows"], s["cols"]), (2000, 200))
    expect("big corner", s["cells"][1999][199], "corner")
    expect("big first", s["cells"][0][0], "row 1")
    expect("big row 1951", s["cells"][1950][0], "row 1951")

# 3. What tabulix writes as a new workbook is what openpyxl reads.
path = os.path.join(work, "new", "blank.xlsx")
run = subprocess.run([tabulix, "new", path], capture_output=True)
expect("tabulix new exit code", run.returncode, 0)
if run.returncode == 0:
    blank = openpyxl.load_workbook(path)
    expect("blank sheets", blank.sheetnames, ["Sheet1"])
    expect("blank cell", blank["Sheet1"]["A1"].value, None)

finish("3 workbooks checked")
