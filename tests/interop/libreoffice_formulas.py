#!/usr/bin/python3
"""Formulas that move with their cells, checked by LibreOffice: a workbook with formulas across
sheets, shared and array formulas, a defined name, merged cells, a conditional format, a validation,
a hyperlink, a table and a chart is edited by `tabulix edit` (rows and columns inserted and deleted
before, inside and after what the formulas name, a sort), then every workbook is calculated afresh by
LibreOffice (a profile that recalculates every OOXML file on load) and written as CSV: each formula
cell must show, at its new place, the value it showed before the edit. openpyxl must open every edited
workbook without a warning. Exits 77 (skipped) when LibreOffice or openpyxl is missing.

usage: libreoffice_formulas.py TABULIX_BINARY WORK_FOLDER
"""
import csv
import os
import re
import shutil
import subprocess
import sys
import warnings
import zipfile

try:
    import openpyxl
    from openpyxl.chart import BarChart, Reference
    from openpyxl.formatting.rule import FormulaRule
    from openpyxl.styles import PatternFill
    from openpyxl.workbook.defined_name import DefinedName
    from openpyxl.worksheet.datavalidation import DataValidation
    from openpyxl.worksheet.hyperlink import Hyperlink
    from openpyxl.worksheet.table import Table
except ImportError:
    print("openpyxl is not installed: skipped")
    sys.exit(77)
soffice = shutil.which("soffice")
if not soffice:
    print("LibreOffice is not installed: skipped")
    sys.exit(77)

tabulix, work = sys.argv[1], sys.argv[2]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
failures = []
checked = 0


def make_source(path):
    book = openpyxl.Workbook()
    data = book.active
    data.title = "Data"
    data.append(["Item", "Qty", "Price", "Amount", "Share", "Running"])
    for r, (item, qty, price) in enumerate([("pear", 3, 2.5), ("fig", 1, 4), ("plum", 5, 1.5), ("kiwi", 2, 3),
                                            ("lime", 4, 0.5), ("date", 6, 2)], start=2):
        data.append([item, qty, price, f"=B{r}*C{r}", f"=D{r}/$D$10", f"=D{r}" if r == 2 else f"=F{r - 1}+D{r}"])
    # Row 8 and column G stay empty inside what the formulas name; row 10 holds the totals.
    data["B10"], data["D10"] = "=SUM(B2:B9)", "=SUM(D2:D9)"
    data["H1"] = "Lookups"
    data["H2"] = '=INDEX(D2:D7,MATCH("plum",A2:A7,0))'
    data["H3"] = "=INDEX(D2:D7,3)"
    data["H4"] = "=Total*2"
    data["H5"] = '=COUNTIF(B2:B9,">2")'
    data.formula_attributes["I2"] = {"t": "array", "ref": "I2:I3"}
    data["I2"] = "=B2:B3*10"
    data["A12"] = "merged note"
    data.merge_cells("A12:C12")
    data["A13"] = "to the total"
    data["A13"].hyperlink = Hyperlink(ref="A13", location="Data!D10")
    data.conditional_formatting.add("D2:D7", FormulaRule(formula=["D2>$D$10/6"], fill=PatternFill("solid", fgColor="FFFF00")))
    validation = DataValidation(type="list", formula1="$A$2:$A$7")
    validation.add("A15:A20")
    data.add_data_validation(validation)
    data["K1"], data["L1"] = "Name", "Value"
    for r in range(2, 6):
        data[f"K{r}"], data[f"L{r}"] = f"n{r}", r * 10
    data.add_table(Table(displayName="Prices", ref="K1:L5"))
    data["M2"] = "=SUM(L2:L5)"
    chart = BarChart()
    chart.add_data(Reference(data, min_col=4, min_row=2, max_row=7))
    data.add_chart(chart, "A22")
    book.defined_names.append(DefinedName("Total", attr_text="Data!$D$10"))

    other = book.create_sheet("Other")
    for formula in ["=Data!D10", "=SUM(Data!B2:B7)", "=Data!F7", "=Total", "='Data'!H3+1", "=SUM(Data!A1:Z30)"]:
        other.append([formula])

    ordered = book.create_sheet("Sort")
    ordered.append(["Key", "Val", "Twice", "Share", "=SUM(C2:C6)"])
    for r, (key, value) in enumerate([(3, 30), (1, 10), (5, 50), (2, 20), (4, 40)], start=2):
        ordered.append([key, value, f"=B{r}*2", f"=B{r}/SUM($B$2:$B$6)"])
    book.save(path)

    # openpyxl writes every formula on its own; Excel shares a column's formula from its first cell.
    with zipfile.ZipFile(path) as archive:
        parts = {name: archive.read(name) for name in archive.namelist()}
    sheet = parts["xl/worksheets/sheet1.xml"].decode()
    for r in range(2, 8):
        shared = f'<f t="shared" ref="D2:D7" si="0">B2*C2</f>' if r == 2 else '<f t="shared" si="0"/>'
        sheet, count = re.subn(rf"<f>B{r}\*C{r}</f>", shared, sheet)
        assert count == 1, r
    parts["xl/worksheets/sheet1.xml"] = sheet.encode()
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, content in parts.items():
            archive.writestr(name, content)


# Each edit: the operations of `tabulix edit`, and where a cell (sheet, 0-based row, column) goes.
def shift(sheet, axis, at, delta):
    def move(place):
        s, r, c = place
        index = r if axis == "row" else c
        if s != sheet or index < at:
            return place
        if delta < 0 and index == at:
            return None
        return (s, r + delta, c) if axis == "row" else (s, r, c + delta)
    return move


def sorted_rows(keys, first):
    order = sorted(range(first, first + len(keys)), key=lambda r: -keys[r - first])
    new_of = {old: new for new, old in enumerate(order, start=first)}
    return lambda place: (place[0], new_of.get(place[1], place[1]), place[2]) if place[0] == "Sort" else place


EDITS = {
    "row-top": (["insert-row", "0", "0"], shift("Data", "row", 0, 1)),
    "row-inside": (["insert-row", "0", "4"], shift("Data", "row", 4, 1)),
    "row-after": (["insert-row", "0", "10"], shift("Data", "row", 10, 1)),
    "row-deleted-inside": (["delete-row", "0", "7"], shift("Data", "row", 7, -1)),
    "col-first": (["insert-col", "0", "0"], shift("Data", "col", 0, 1)),
    "col-inside": (["insert-col", "0", "3"], shift("Data", "col", 3, 1)),
    "col-deleted-inside": (["delete-col", "0", "6"], shift("Data", "col", 6, -1)),
    "col-in-table": (["insert-col", "0", "11"], shift("Data", "col", 11, 1)),
    "other-sheet": (["insert-row", "1", "0"], shift("Other", "row", 0, 1)),
    "sort": (["sort", "2", "0", "desc"], sorted_rows([3, 1, 5, 2, 4], 1)),
}


def formula_cells(path):
    book = openpyxl.load_workbook(path)
    cells = []
    for sheet in book.worksheets:
        for row in sheet.iter_rows():
            for cell in row:
                if cell.data_type == "f" or (isinstance(cell.value, str) and cell.value.startswith("=")):
                    cells.append((sheet.title, cell.row - 1, cell.column - 1))
    cells.append(("Data", 2, 8))  # the array formula's second cell
    cells += [("Data", r, 3) for r in range(2, 7)]  # the shared formula's cells, which openpyxl leaves empty
    return sorted(set(cells))


def read_values(stem):
    values = {}
    for sheet in ("Data", "Other", "Sort"):
        path = os.path.join(work, "csv", f"{stem}-{sheet}.csv")
        if not os.path.exists(path):
            return None
        with open(path, encoding="utf-8-sig", newline="") as file:
            for r, row in enumerate(csv.reader(file)):
                for c, value in enumerate(row):
                    values[(sheet, r, c)] = value
    return values


source = os.path.join(work, "source.xlsx")
make_source(source)
for name, (operations, _) in EDITS.items():
    run = subprocess.run([tabulix, "edit", source, "-o", os.path.join(work, name + ".xlsx"), *operations], capture_output=True)
    if run.returncode != 0:
        failures.append(f"{name}: tabulix edit failed: {run.stderr.decode().strip()}")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        try:
            openpyxl.load_workbook(os.path.join(work, name + ".xlsx"))
        except Exception as error:  # noqa: BLE001 - any failure to read is the finding
            failures.append(f"{name}: openpyxl cannot open it: {error}")
        failures += [f"{name}: openpyxl warns: {warning.message}" for warning in caught]

# A profile of its own that calculates every OOXML workbook when it is loaded.
profile = os.path.join(work, "profile")
os.makedirs(os.path.join(profile, "user"))
with open(os.path.join(profile, "user", "registrymodifications.xcu"), "w", encoding="utf-8") as file:
    file.write('<?xml version="1.0" encoding="UTF-8"?>\n'
               '<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" '
               'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
               '<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse">'
               '<value>0</value></prop></item></oor:items>\n')
# Every sheet to a CSV file of its own, UTF-8, values as shown.
workbooks = [source] + [os.path.join(work, name + ".xlsx") for name in EDITS]
subprocess.run([soffice, "-env:UserInstallation=file://" + profile, "--headless", "--convert-to",
                "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1",
                "--outdir", os.path.join(work, "csv"), *workbooks], capture_output=True, timeout=300)

before = read_values("source")
cells = formula_cells(source)
if before is None:
    failures.append("LibreOffice wrote no CSV of the source workbook")
elif before.get(("Data", 9, 3)) != "39":
    failures.append(f"LibreOffice did not calculate the source: Data!D10 shows {before.get(('Data', 9, 3))!r}")
else:
    for name, (_, move) in EDITS.items():
        after = read_values(name)
        if after is None:
            failures.append(f"{name}: LibreOffice could not open it")
            continue
        for place in cells:
            moved = move(place)
            if moved is None:
                continue
            checked += 1
            if after.get(moved, "") != before.get(place, ""):
                failures.append(f"{name}: the formula of {place} shows {after.get(moved, '')!r} at {moved}, "
                                f"{before.get(place, '')!r} before")

for failure in failures:
    print("FAIL", failure)
print(f"{checked} formula cells checked in {len(EDITS)} edited workbooks, {len(failures)} failures")
sys.exit(1 if failures or checked == 0 else 0)
