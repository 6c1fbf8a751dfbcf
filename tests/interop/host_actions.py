#!/usr/bin/python3
"""A publication's script, run by the reference host under Wine, that uses every action on a new
workbook: TabulNew into folders that do not exist yet, TabulixSettings over several lines, TabulixEdit
with typing, TabulixHighlight twice, TabulixSave to the same file and to a new one, TabulixExport in the
six formats with all sheets, and TabulNew on a Rectangle that does not exist. What it wrote is then read
by real readers: openpyxl, the csv module, the HTML and XML parsers, python-docx, qpdf and pdftotext.
Exits 77 (skipped) when a reader is missing.

usage: host_actions.py WINE_RUN HOST_EXE DLL WORK_FOLDER
"""
import csv
import html.parser
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

from expectations import expect, finish
from host_run import run_host, windows

missing = [tool for tool in ("qpdf", "pdftotext") if shutil.which(tool) is None]
try:
    import docx
    import openpyxl
except ImportError as error:
    missing.append(error.name)
if missing:
    print("missing " + ", ".join(missing) + ": skipped")
    sys.exit(77)

wine_run, host, dll, work = sys.argv[1:5]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)


book = os.path.join(work, "new", "deep", "Book.xlsx")
saved = os.path.join(work, "Saved.xlsx")
other = os.path.join(work, "Other.xlsx")
out = os.path.join(work, "out")
os.makedirs(out)
exports = {"CSV": "Book.csv", "Text": "Book.txt", "HTML": "Book.html", "XML Spreadsheet": "Book.xml",
           "Word": "Book.docx", "PDF": "Book.pdf"}
settings = ("ToolbarColor=1A2B3C{CR}{LF}HeaderColor=#FFE0A0{LF}SelectionColor=A0FFA0;"
            "GridFont=Courier New;FontSize=11{CR}RowHeight=26;ColumnWidth=120")

script = f"""strict-messages
init
register
rect Rect1 20 30 600 320
exec TabulNew Rect1 "{windows(book)}"
expect-result true
expect-viewer Rect1 visible 20 30 600 320
exec TabulixSettings Rect1 "{settings}"
expect-result true
pixel Rect1 2 2 1A2B3C
pixel Rect1 20 75 FFE0A0
exec TabulixEdit Rect1
expect-result true
char Rect1 Hello
expect-edit Rect1 Hello 46 88 120 26
screenshot-rect Rect1 "{windows(os.path.join(work, 'settings.png'))}"
focus-host
expect-edit Rect1 none
exec TabulixHighlight Rect1 Yellow
expect-result true
exec TabulixHighlight Rect1 Yellow
expect-result true
exec TabulixHighlight Rect1 " green "
key Rect1 VK_RIGHT
pixel Rect1 150 100 80FF80
pixel Rect1 250 100 A0FFA0
exec TabulixSave Rect1 ""
expect-result true
exec TabulixSave Rect1 "{windows(saved)}"
expect-result true
click Rect1 164 45
"""
for format_name, file_name in exports.items():
    script += f'exec TabulixExport Rect1 "{windows(os.path.join(out, file_name))}" "{format_name}" AllSheets\n'
    script += "expect-result true\n"
script += f"""exec TabulNew Nowhere "{windows(other)}"
expect-result false
expect-var [LastError] "An object named Nowhere does not exist."
exec TabulixExport Rect1 "{windows(os.path.join(out, 'Book.xls'))}" xls AllSheets
expect-result false
exec TabulixClose Rect1
expect-result true
"""
run_host(wine_run, host, dll, os.path.join(work, "script.txt"), script)

# The workbooks: the typed value in the file the viewer opened and in the copy; the blank one.
for path in (book, saved):
    sheet = openpyxl.load_workbook(path).worksheets[0]
    expect(f"{os.path.basename(path)} A1", sheet["A1"].value, "Hello")
blank = openpyxl.load_workbook(other)
expect("blank workbook sheets", blank.sheetnames, ["Sheet1"])
expect("blank workbook A1", blank.worksheets[0]["A1"].value, None)

# CSV and text: one file per sheet, the first holding the typed value.
for extension, delimiter in ((".csv", ","), (".txt", "\t")):
    with open(os.path.join(out, "Book_Sheet1" + extension), encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f, delimiter=delimiter))
    expect(f"Sheet1{extension} A1", rows[0][0], "Hello")
    expect(f"Sheet2{extension} exists", os.path.exists(os.path.join(out, "Book_Sheet2" + extension)), True)
    expect(f"Book{extension} not written", os.path.exists(os.path.join(out, "Book" + extension)), False)


class Cells(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.texts = []

    def handle_data(self, data):
        self.texts.append(data)


cells = Cells()
with open(os.path.join(out, "Book.html"), encoding="utf-8-sig") as f:
    cells.feed(f.read())
expect("HTML holds the value", "Hello" in cells.texts, True)

spreadsheet = ElementTree.parse(os.path.join(out, "Book.xml")).getroot()
namespace = "{urn:schemas-microsoft-com:office:spreadsheet}"
expect("XML worksheets", len(spreadsheet.findall(f"{namespace}Worksheet")), 2)
expect("XML holds the value", "Hello" in [data.text for data in spreadsheet.iter(f"{namespace}Data")], True)

document = docx.Document(os.path.join(out, "Book.docx"))
expect("Word tables", len(document.tables), 2)
expect("Word first cell", document.tables[0].cell(0, 0).text, "Hello")

pdf = os.path.join(out, "Book.pdf")
check = subprocess.run(["qpdf", "--check", pdf], capture_output=True, text=True)
expect("qpdf --check", check.returncode, 0)
text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True).stdout
expect("PDF holds the value", "Hello" in text, True)
if shutil.which("pdftoppm"):  # a picture for people to look at, not a check
    subprocess.run(["pdftoppm", "-png", "-r", "60", "-f", "1", "-l", "1", pdf, os.path.join(work, "page")], check=True)
expect(".xls refused, nothing written", os.path.exists(os.path.join(out, "Book.xls")), False)

finish(f"every action run in the host, {len(exports)} exports read back, pictures in {work}")
