#!/usr/bin/python3
"""Workbooks edited and saved by `tabulix edit`, opened again by a real reader (openpyxl): values,
styles that moved with their cells, the reader's formatting, and sheet names; LibreOffice opens the
formatted one. Exits 77 (skipped) when openpyxl is missing.

usage: openpyxl_edits.py TABULIX_BINARY WORK_FOLDER
"""
import datetime
import json
import os
import shutil
import subprocess
import sys

from expectations import expect, failures, finish

try:
    import openpyxl
    from openpyxl.styles import Font
except ImportError:
    print("openpyxl is not installed: skipped")
    sys.exit(77)

tabulix, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)


def edit(source, target, *operations):
    run = subprocess.run([tabulix, "edit", source, "-o", target, *operations], capture_output=True)
    expect(f"tabulix edit {' '.join(operations)}: exit code ({run.stderr.decode().strip()})", run.returncode, 0)
    return openpyxl.load_workbook(target)


source = os.path.join(work, "source.xlsx")
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Data"
sheet["A1"] = "Name"
sheet["B1"] = "When"
sheet["C1"] = "Amount"
for column in "ABC":
    sheet[f"{column}1"].font = Font(bold=True)
rows = [("pear", datetime.date(2024, 3, 5), 30), ("apple", datetime.date(2023, 1, 2), 10), ("fig", datetime.date(2025, 7, 8), 20)]
for r, (name, when, amount) in enumerate(rows, start=2):
    sheet[f"A{r}"] = name
    sheet[f"B{r}"] = when
    sheet[f"B{r}"].number_format = "yyyy-mm-dd"
    sheet[f"C{r}"] = amount
sheet["A2"].font = Font(italic=True)
sheet.row_dimensions[2].height = 33
second = book.create_sheet("Second")
second["A1"] = "keep me"
book.save(source)

# Cells edited: numbers, texts, a text that looks like an escape.
out = edit(source, os.path.join(work, "set.xlsx"), "set", "0", "4", "0", "plum", "set", "0", "4", "2", "1e3",
           "set", "0", "5", "0", "line\r\nbreak _x0041_")
data = out["Data"]
expect("set text", data["A5"].value, "plum")
expect("set number", data["C5"].value, 1000)
# openpyxl leaves the _xHHHH_ escapes of inline strings as they stand, so this text is read back by
# tabulix itself, which decodes them as spreadsheet applications do.
run = subprocess.run([tabulix, "dump", os.path.join(work, "set.xlsx"), "--sheet", "0"], capture_output=True)
expect("set escape-like text", json.loads(run.stdout.decode())["sheets"][0]["cells"][5][0], "line\r\nbreak _x0041_")
expect("untouched bold", data["A1"].font.bold, True)

# A row inserted at the top: everything one row lower, still bold, dated and italic.
out = edit(source, os.path.join(work, "insert.xlsx"), "insert-row", "0", "0")
data = out["Data"]
expect("inserted row empty", data["A1"].value, None)
expect("header moved", data["A2"].value, "Name")
expect("header still bold", data["A2"].font.bold, True)
expect("italic moved", (data["A3"].value, data["A3"].font.italic), ("pear", True))
expect("date moved", data["B3"].value, datetime.datetime(2024, 3, 5))
expect("date format kept", data["B3"].number_format, "yyyy-mm-dd")
expect("row height moved", data.row_dimensions[3].height, 33)

# Columns inserted and deleted.
out = edit(source, os.path.join(work, "columns.xlsx"), "insert-col", "0", "1", "delete-col", "0", "0")
data = out["Data"]
expect("columns: A1", data["A1"].value, None)
expect("columns: B1", (data["B1"].value, data["B1"].font.bold), ("When", True))
expect("columns: C2", data["C2"].value, 30)
out = edit(source, os.path.join(work, "delete-row.xlsx"), "delete-row", "0", "1")
expect("deleted row", out["Data"]["A2"].value, "apple")

# Sorted by amount, the header row kept.
out = edit(source, os.path.join(work, "sorted.xlsx"), "sort", "0", "2", "asc")
data = out["Data"]
expect("sorted names", [data[f"A{r}"].value for r in range(1, 5)], ["Name", "apple", "fig", "pear"])
expect("sorted dates", data["B2"].value, datetime.datetime(2023, 1, 2))
expect("sorted italic moved", data["A4"].font.italic, True)

# Sheets added and deleted.
out = edit(source, os.path.join(work, "sheets.xlsx"), "add-sheet", "Extra", "delete-sheet", "0", "add-sheet", "Again",
           "set", "2", "0", "0", "new cell")
expect("sheet names", out.sheetnames, ["Second", "Extra", "Again"])
expect("kept sheet", out["Second"]["A1"].value, "keep me")
expect("cell on added sheet", out["Again"]["A1"].value, "new cell")

# The reader's formatting saved as real styles: openpyxl reads it on exactly the cells formatted, the
# others as they were, and LibreOffice opens the file.
formatted = os.path.join(work, "formatted.xlsx")
out = edit(source, formatted, "format", "0", "0", "0", "no-bold", "format", "0", "1", "0", "bold", "format", "0", "1", "2",
           "center", "format", "0", "3", "1", "underline", "format", "0", "0", "2", "right", "format", "0", "3", "2", "left")
data = out["Data"]
source_data = openpyxl.load_workbook(source)["Data"]
expected = {}
for row in range(1, 5):
    for column in "ABC":
        cell = source_data[f"{column}{row}"]
        expected[f"{column}{row}"] = (cell.font.b, cell.font.i, cell.font.u, cell.alignment.horizontal, cell.number_format)
expected["A1"] = (False, False, None, None, "General")
expected["A2"] = (True, True, None, None, "General")
expected["C2"] = (False, False, None, "center", "General")
expected["B4"] = (False, False, "single", None, "yyyy-mm-dd")
expected["C1"] = (True, False, None, "right", "General")
expected["C4"] = (False, False, None, "left", "General")
for ref, want in expected.items():
    cell = data[ref]
    expect(f"formatted {ref}", (cell.font.b, cell.font.i, cell.font.u, cell.alignment.horizontal, cell.number_format), want)
expect("formatted values kept", [data[f"A{r}"].value for r in range(1, 5)], ["Name", "pear", "apple", "fig"])
run = subprocess.run([tabulix, "dump", formatted], capture_output=True)
expect("formatted file reloads", run.returncode, 0)

soffice = shutil.which("soffice")
if soffice:
    profile = "file://" + os.path.abspath(os.path.join(work, "profile"))
    converted = os.path.join(work, "converted")
    run = subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless", "--norestore", "--convert-to", "csv",
                          "--outdir", converted, formatted], capture_output=True, timeout=600)
    csv_path = os.path.join(converted, "formatted.csv")
    expect("LibreOffice converts the formatted file", (run.returncode, os.path.exists(csv_path)), (0, True))
    if os.path.exists(csv_path):
        with open(csv_path, encoding="utf-8") as csv_file:
            lines = csv_file.read().splitlines()
        expect("LibreOffice shows the cells", lines[:2], ["Name,When,Amount", "pear,2024-03-05,30"])

if not soffice and not failures:
    print("LibreOffice (soffice) is not installed: its check of the formatted file skipped")
    sys.exit(77)
finish("workbooks edited and read back")
