#!/usr/bin/python3
"""The reader's whole chain of changes in the viewer, through the reference host under Wine, undone
and redone: typed values, a paste, Delete on a range, a cut, AutoSum and Average, Bold, Italic,
Underline and an alignment, a highlight, rows and columns inserted and deleted, a sort, a sheet added
and one deleted. Everything is undone, redone and undone again, and the workbook saved after each
round; openpyxl reads the saved workbooks: after undoing everything the cells, formulas, formats, merged
cells, names and sheets are those of the original. Exits 77 (skipped) when openpyxl is missing.

usage: host_undo.py WINE_RUN HOST_EXE DLL WORK_FOLDER
"""
import os
import shutil
import sys

try:
    import openpyxl
    from openpyxl.styles import Font
except ImportError as error:
    print(f"missing {error.name}: skipped")
    sys.exit(77)

from expectations import expect, finish  # noqa: E402
from host_run import run_host, windows  # noqa: E402

wine_run, host, dll, work = sys.argv[1:5]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)


# The original: a sheet of sales with formulas, a total, a bold header, a merged title, a number format
# and a name; a second sheet whose formula refers to the first.
book = os.path.join(work, "Book.xlsx")
workbook = openpyxl.Workbook()
sales = workbook.active
sales.title = "Sales"
sales.append(["Name", "Qty", "Price", "Total"])
for name, qty, price in [("Plum", 4, 1.25), ("Pear", 2, 2.5), ("Fig", 7, 0.75), ("Kiwi", 1, 3.0), ("Lime", 5, 0.5)]:
    row = sales.max_row + 1
    sales.append([name, qty, price, f"=B{row}*C{row}"])
sales.append(["Total", None, None, "=SUM(D2:D6)"])
for cell in sales[1]:
    cell.font = Font(bold=True)
for row in range(2, 7):
    sales[f"C{row}"].number_format = "0.00"
sales["F1"] = "Fruit sales"
sales.merge_cells("F1:G1")
notes = workbook.create_sheet("Notes")
notes["A1"] = "Total sales"
notes["A2"] = "=Sales!D7*2"
prices = openpyxl.workbook.defined_name.DefinedName("Prices", attr_text="Sales!$C$2:$C$6")
if hasattr(workbook.defined_names, "add"):  # openpyxl 3.1 and later
    workbook.defined_names.add(prices)
else:
    workbook.defined_names.append(prices)
workbook.save(book)


def at(col, row):
    """The centre of a cell of the 800 x 400 viewer under the Top ribbon: the cells from (46, 84), the
    sheet's default rows of 15 points 20 pixels high, its default columns (a base of 8 characters of 7
    pixels, Calibri not being installed under Wine) 64 pixels wide."""
    return f"{46 + 64 * col + 32} {84 + 20 * row + 10}"


def home(command):
    return f'answer-menu "{command}"\nclick Rect1 100 10\n'


def formulas(command):
    return f'answer-menu "{command}"\nclick Rect1 340 10\n'


changes = [
    ("typed", f"click Rect1 {at(1, 2)}\nchar Rect1 9\nclick Rect1 {at(5, 5)}\n"),
    ("pasted", f'set-clipboard "Quince{{TAB}}3{{TAB}}1.5{{CR}}{{LF}}"\nclick Rect1 {at(4, 1)}\nkey Rect1 V ctrl\n'),
    ("cleared", f"click Rect1 {at(1, 1)}\nclick Rect1 {at(2, 2)} shift\nkey Rect1 VK_DELETE\n"),
    ("cut", f"click Rect1 {at(0, 4)}\nclick Rect1 {at(0, 5)} shift\nkey Rect1 X ctrl\n"),
    ("summed", f"click Rect1 {at(1, 1)}\nclick Rect1 {at(1, 5)} shift\n" + formulas("AutoSum")),
    ("averaged", f"click Rect1 {at(2, 1)}\nclick Rect1 {at(2, 5)} shift\n" + formulas("Average")),
    ("bold", f"click Rect1 {at(0, 1)}\nclick Rect1 {at(0, 2)} shift\n" + home("Bold")),
    ("italic", home("Italic")),
    ("underlined", home("Underline")),
    ("aligned", home("Align Right")),
    ("highlighted", "exec TabulixHighlight Rect1 Yellow\nexpect-result true\n"),
    ("row inserted", f"click Rect1 {at(0, 2)}\n" + home("Insert Row")),
    ("column inserted", home("Insert Column")),
    ("row deleted", f"click Rect1 {at(0, 4)}\n" + home("Delete Row")),
    ("column deleted", f"click Rect1 {at(3, 0)}\n" + home("Delete Column")),  # the prices: formulas lose them
    ("sorted", f"click Rect1 {at(1, 0)}\n" + home("Sort Z-A")),  # by the names, in the inserted column's place
    ("sheet added", "click Rect1 314 45\n"),
    ("sheet deleted", 'answer-menu "Delete Sheet"\nanswer-box yes\nrclick Rect1 160 45\n'
                      'expect-message * "Delete worksheet {QUOTE}Notes{QUOTE}? This cannot be undone once the workbook is saved."\n'),
]
undo_all = "key Rect1 Z ctrl\n" * len(changes)
redo_all = "".join("key Rect1 Y ctrl\n" if n % 2 else "key Rect1 Z shift ctrl\n" for n in range(len(changes)))
redone = os.path.join(work, "Redone.xlsx")
undone = os.path.join(work, "Undone.xlsx")

script = f"""strict-messages
init
register
rect Rect1 20 30 800 400
exec TabulixOpen Rect1 "{windows(book)}" Grid Top No
expect-result true
pump 300
"""
for label, lines in changes:
    script += f"print {label.replace(' ', '-')}\n" + lines
script += f"""expect-var [LastError] ""
screenshot-rect Rect1 "{windows(os.path.join(work, 'changed.png'))}"
{undo_all}screenshot-rect Rect1 "{windows(os.path.join(work, 'undone.png'))}"
{redo_all}exec TabulixSave Rect1 "{windows(redone)}"
expect-result true
{undo_all}exec TabulixSave Rect1 "{windows(undone)}"
expect-result true
expect-var [LastError] ""
exec TabulixClose Rect1
expect-result true
"""
run_host(wine_run, host, dll, os.path.join(work, "script.txt"), script, timeout=600)


def contents(path):
    """What a reader sees of a workbook: its sheets, every cell's value or formula with its number format,
    font and alignment (styled empty cells too), the merged cells and the names."""
    loaded = openpyxl.load_workbook(path)
    cells = {}
    merged = {}
    for sheet in loaded.worksheets:
        merged[sheet.title] = sorted(str(area) for area in sheet.merged_cells.ranges)
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is not None or cell.has_style:
                    cells[(sheet.title, cell.coordinate)] = (cell.value, cell.number_format, bool(cell.font.b),
                                                             bool(cell.font.i), cell.font.u, cell.alignment.horizontal)
    names = loaded.defined_names
    names = {name: names[name].attr_text for name in names} if hasattr(names, "keys") else \
        {name.name: name.attr_text for name in names.definedName}
    return loaded.sheetnames, cells, merged, names


original = contents(book)
after_undo = contents(undone)
expect("sheets after undoing everything", after_undo[0], original[0])
for key in sorted(set(original[1]) | set(after_undo[1])):
    expect(f"{key[0]}!{key[1]} after undoing everything", after_undo[1].get(key), original[1].get(key))
expect("merged cells after undoing everything", after_undo[2], original[2])
expect("names after undoing everything", after_undo[3], original[3])

after_redo = contents(redone)
expect("sheets after redoing everything", after_redo[0], ["Sales", "Sheet3"])
expect("the changes were made again", after_redo[1] != original[1], True)
# The two cells made bold, italic, underlined and right-aligned are so again, wherever the later changes
# moved them.
formatted = [key for key, cell in after_redo[1].items() if cell[2:] == (True, True, "single", "right")]
expect("cells formatted again", len(formatted), 2)

finish(f"{len(changes)} changes undone, redone and undone again; the saved workbook equals the original; pictures in {work}")
