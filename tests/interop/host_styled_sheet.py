#!/usr/bin/python3
"""The demo's styled sales report (demo/styled_workbook.py, written by openpyxl) in the viewer, driven
by the reference host under Wine: the cells lie where the workbook's widths, heights, hidden rows and
columns, frozen panes and merged areas put them, which clicks and the edit box show; fills are
painted; Bold and Align Center from the ribbon are saved, and openpyxl reads them on exactly those
cells; the saved workbook opens in the viewer again. Screenshots are left in the work folder.
Exits 77 (skipped) when openpyxl is missing.

usage: host_styled_sheet.py WINE_RUN HOST_EXE DLL WORK_FOLDER
"""
import os
import shutil
import sys

try:
    import openpyxl
except ImportError:
    print("missing openpyxl: skipped")
    sys.exit(77)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo"))
import styled_workbook  # noqa: E402

from expectations import expect, finish  # noqa: E402
from host_run import run_host, windows  # noqa: E402

wine_run, host, dll, work = sys.argv[1:5]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)


def run_script(name, script):
    run_host(wine_run, host, dll, os.path.join(work, name + ".txt"), script)


book = os.path.join(work, "Sales.xlsx")
saved = os.path.join(work, "Formatted.xlsx")
styled_workbook.build(book)

# The viewer over 700 x 400 pixels, the ribbon on top: the column letters from y 62, the cells from
# (46, 84). Calibri is not installed under Wine, so a character of width is 7 pixels: A (16) is 112
# pixels, B to E (11) 77, F (13) 91, G (10) 70, H is hidden. Row 1 (30 points) is 40 pixels, row 2
# (22) 29, the others 20; row 6 is hidden. Rows 1 and 2 and column A are frozen, B3 starts the rest.
A, B, C, G = (46, 158), (158, 235), (235, 312), (557, 627)
ROW1, ROW2, ROW3, ROW4 = (84, 124), (124, 153), (153, 173), (173, 193)
NOTE = (293, 333)  # rows 11 and 12, merged over A to G


def box(col, row, cols=None, rows=None):
    right = (cols or col)[1]
    bottom = (rows or row)[1]
    return f"{col[0]} {row[0]} {right - col[0]} {bottom - row[0]}"


def middle(span):
    return (span[0] + span[1]) // 2


note = ("Figures in thousands of euros. The Central region is hidden while its figures are audited, "
        "and so is the column of internal codes.")
home = "click Rect1 100 10\n"
script = f"""init
register
rect Rect1 20 30 700 400
exec TabulixOpen Rect1 "{windows(book)}" Grid Top No
expect-result true
pump 300
# C4 and G3, as wide and high as the workbook makes them.
click Rect1 {middle(C)} {middle(ROW4)}
key Rect1 VK_RETURN
expect-edit Rect1 10450 {box(C, ROW4)}
focus-host
click Rect1 {G[1] - 2} {middle(ROW3)}
key Rect1 VK_RETURN
expect-edit Rect1 0.062 {box(G, ROW3)}
focus-host
# The fills: the title (white on dark blue), the headers, the total row.
pixel Rect1 {A[0] + 6} {ROW1[0] + 3} 1F4E78
pixel Rect1 {A[0] + 6} {ROW2[0] + 4} DDEBF7
pixel Rect1 {A[1] - 6} 262 FFF2CC
screenshot-rect Rect1 "{windows(os.path.join(work, 'styled.png'))}"
# A click anywhere in the merged note selects its first cell; the edit box covers the note.
click Rect1 {G[1] - 4} {NOTE[1] - 3}
key Rect1 VK_F2
expect-edit Rect1 "{note}" {box(A, NOTE, G)}
focus-host
# Three notches down: rows 3, 4, 5 go, row 6 is hidden, row 7 (West) comes under the frozen ones.
wheel Rect1 -360
click Rect1 {middle(A)} {middle(ROW3)}
key Rect1 VK_RETURN
expect-edit Rect1 West {box(A, ROW3)}
focus-host
click Rect1 {middle(A)} {middle(ROW2)}
key Rect1 VK_RETURN
expect-edit Rect1 Region {box(A, ROW2)}
focus-host
screenshot-rect Rect1 "{windows(os.path.join(work, 'scrolled.png'))}"
wheel Rect1 360
# Bold on Online (A8, below the hidden row), Align Center on B3, from the ribbon's Home menu.
click Rect1 {middle(A)} 243
answer-menu Bold
{home}click Rect1 {middle(B)} {middle(ROW3)}
answer-menu "Align Center"
{home}exec TabulixSave Rect1 "{windows(saved)}"
expect-result true
screenshot-rect Rect1 "{windows(os.path.join(work, 'formatted.png'))}"
exec TabulixClose Rect1
expect-result true
"""
run_script("styled", script)

sheet = openpyxl.load_workbook(saved)["Sales"]
expect("A8 (Online) bold", sheet["A8"].font.b, True)
expect("B3 centred", sheet["B3"].alignment.horizontal, "center")
expect("A7 (West) still plain", bool(sheet["A7"].font.b), False)
expect("B4 not centred", sheet["B4"].alignment.horizontal, None)
expect("A8 keeps its indent", sheet["A8"].alignment.indent, 1.0)
expect("B3 keeps its number format", sheet["B3"].number_format, "#,##0")
expect("A1 keeps its font", (sheet["A1"].font.b, sheet["A1"].font.sz), (True, 16.0))

# Opened again, the viewer shows them (formatted-again.png).
run_script("reopened", f"""init
register
rect Rect1 20 30 700 400
exec TabulixOpen Rect1 "{windows(saved)}" Grid Top No
expect-result true
pump 300
click Rect1 {middle(C)} {middle(ROW4)}
screenshot-rect Rect1 "{windows(os.path.join(work, 'formatted-again.png'))}"
exec TabulixClose Rect1
expect-result true
""")

finish(f"the styled sheet laid out, clicked, formatted and saved in the host; pictures in {work}")
