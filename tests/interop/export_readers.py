#!/usr/bin/python3
"""Real readers of what `tabulix export` writes: a generated workbook is exported in every format and
read back by qpdf and pdftotext (PDF), python-docx (Word), an XML parser (XML Spreadsheet), the HTML
parser and the csv module (CSV, tab text). The first PDF page is also rendered with pdftoppm, when it
is there, to be looked at. Exits 77 (skipped) when a reader is missing.

usage: export_readers.py TABULIX_BINARY WORK_FOLDER
"""
import csv
import html.parser
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

from expectations import expect, failures, finish

missing = [tool for tool in ("qpdf", "pdftotext") if shutil.which(tool) is None]
try:
    import docx
    from docx.enum.section import WD_ORIENT
except ImportError:
    missing.append("python-docx")
if missing:
    print("missing " + ", ".join(missing) + ": skipped")
    sys.exit(77)

tabulix, work = sys.argv[1], sys.argv[2]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)


def column_letters(index):
    letters = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        letters = chr(65 + rest) + letters
    return letters


def xml_text(text):
    """Text for a part of the package: a CR kept as a reference, controls XML cannot hold as _xHHHH_."""
    text = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace("\r", "&#13;")
    return "".join(f"_x{ord(ch):04X}_" if ord(ch) < 32 and ch not in "\t\n\r" else ch for ch in text)


def write_workbook(path, sheets):
    """An .xlsx package of inline-string cells: sheets is a list of (name, grid)."""
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    pkg = "http://schemas.openxmlformats.org/package/2006/relationships"
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        overrides = "".join(
            f'<Override PartName="/xl/worksheets/sheet{i + 1}.xml" ContentType="application/'
            f'vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>' for i in range(len(sheets)))
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/'
                   '2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-'
                   'package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
                   '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-'
                   f'officedocument.spreadsheetml.sheet.main+xml"/>{overrides}</Types>')
        z.writestr("_rels/.rels", f'<Relationships xmlns="{pkg}"><Relationship Id="rId1" Type="{rel}/officeDocument" '
                                  'Target="xl/workbook.xml"/></Relationships>')
        entries = "".join(f'<sheet name="{xml_text(name)}" sheetId="{i + 1}" r:id="rId{i + 1}"/>'
                          for i, (name, _) in enumerate(sheets))
        z.writestr("xl/workbook.xml", f'<workbook xmlns="{main}" xmlns:r="{rel}"><sheets>{entries}</sheets></workbook>')
        targets = "".join(f'<Relationship Id="rId{i + 1}" Type="{rel}/worksheet" Target="worksheets/sheet{i + 1}.xml"/>'
                          for i in range(len(sheets)))
        z.writestr("xl/_rels/workbook.xml.rels", f'<Relationships xmlns="{pkg}">{targets}</Relationships>')
        for i, (_, grid) in enumerate(sheets):
            rows = []
            for r, row in enumerate(grid):
                cells = "".join(
                    f'<c r="{column_letters(c)}{r + 1}" t="inlineStr"><is><t xml:space="preserve">{xml_text(text)}'
                    '</t></is></c>' for c, text in enumerate(row) if text)
                rows.append(f'<row r="{r + 1}">{cells}</row>')
            z.writestr(f"xl/worksheets/sheet{i + 1}.xml",
                       f'<worksheet xmlns="{main}"><sheetData>{"".join(rows)}</sheetData></worksheet>')


# A wide and long sheet (two column bands, two row pages in the PDF), one with texts that every format
# must escape or quote, and a small one of numbers.
data = [[f"r{r + 1}c{c + 1}" for c in range(20)] for r in range(50)]
special = [
    ["Tom & Jerry", "<b>bold</b>", 'say "hi"', "it's"],
    ["a,b", "tab\there", "two\nlines", "cr\r\nlf"],
    ["caf\u00e9 \u00e4", "(paren) \\slash", "bell\x07end", "  padded  "],
]
numbers = [["12", "-3.5", "1e3", "007"], ["1.50", "1,5", "12%", "x"]]
sheets = [("Data", data), ("Special & (odd)", special), ("Numbers", numbers)]
book = os.path.join(work, "book.xlsx")
write_workbook(book, sheets)


def export(out, fmt, *extra):
    run = subprocess.run([tabulix, "export", book, out, "--format", fmt, *extra], capture_output=True)
    if run.returncode != 0:
        failures.append(f"export {fmt}: exit {run.returncode}: {run.stderr.decode(errors='replace')}")
        return False
    return True


def xml_chars(text):
    """What an XML reader gives back: characters XML cannot hold left out, line ends normalised."""
    kept = "".join(ch for ch in text if ch in "\t\n\r" or ord(ch) >= 32)
    return kept.replace("\r\n", "\n").replace("\r", "\n")


# CSV and tab text: one file per worksheet, read back by the csv module.
for fmt, ext, delimiter in (("CSV", ".csv", ","), ("Text", ".txt", "\t")):
    if export(os.path.join(work, "book" + ext), fmt, "--scope", "AllSheets"):
        for name, grid in sheets:
            path = os.path.join(work, "book_" + name.replace('"', "_") + ext)
            with open(path, encoding="utf-8-sig", newline="") as f:
                expect(f"{fmt} {name}", list(csv.reader(f, delimiter=delimiter)), grid)

# HTML: headings and tables through the HTML parser; <br> stands for CR LF.


class TableCollector(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.headings, self.tables, self.open_tags = [], [], []
        self.text = None

    def handle_starttag(self, tag, attrs):
        if tag == "meta":
            return
        if tag == "br":
            if self.text is not None:
                self.text += "\r\n"
            return
        self.open_tags.append(tag)
        if tag == "table":
            self.tables.append([])
        elif tag == "tr":
            self.tables[-1].append([])
        elif tag in ("td", "h2"):
            self.text = ""

    def handle_endtag(self, tag):
        if not self.open_tags or self.open_tags.pop() != tag:
            failures.append(f"HTML: unbalanced </{tag}>")
        if tag == "td":
            self.tables[-1][-1].append(self.text)
            self.text = None
        elif tag == "h2":
            self.headings.append(self.text)
            self.text = None

    def handle_data(self, data):
        if self.text is not None:
            self.text += data


if export(os.path.join(work, "book.html"), "HTML", "--scope", "All"):
    collector = TableCollector()
    with open(os.path.join(work, "book.html"), encoding="utf-8-sig", newline="") as f:
        collector.feed(f.read())
    collector.close()
    expect("HTML headings", collector.headings, [name for name, _ in sheets])
    expect("HTML tables", collector.tables, [grid for _, grid in sheets])

# XML Spreadsheet: parsed as XML; numbers formatted again, everything else a string.
if export(os.path.join(work, "book.xml"), "XML Spreadsheet", "--scope", "All"):
    ns = {"ss": "urn:schemas-microsoft-com:office:spreadsheet"}
    try:
        root = ElementTree.parse(os.path.join(work, "book.xml")).getroot()
        worksheets = root.findall("ss:Worksheet", ns)
        expect("XML worksheet names", [w.get(f"{{{ns['ss']}}}Name") for w in worksheets], [n for n, _ in sheets])
        numbers_cells = [[(d.get(f"{{{ns['ss']}}}Type"), d.text or "") for d in row.iterfind("ss:Cell/ss:Data", ns)]
                         for row in worksheets[2].iterfind("ss:Table/ss:Row", ns)]
        expect("XML number cells", numbers_cells, [
            [("Number", "12"), ("Number", "-3.5"), ("Number", "1000"), ("Number", "7")],
            [("Number", "1.5"), ("String", "1,5"), ("String", "12%"), ("String", "x")]])
        special_cells = [[d.text or "" for d in row.iterfind("ss:Cell/ss:Data", ns)]
                         for row in worksheets[1].iterfind("ss:Table/ss:Row", ns)]
        expect("XML special cells", special_cells, [[xml_chars(t) for t in row] for row in special])
    except ElementTree.ParseError as error:
        failures.append(f"XML Spreadsheet does not parse: {error}")

# Word: python-docx opens it; one table per worksheet, one landscape section.
if export(os.path.join(work, "book.docx"), "Word", "--scope", "All"):
    try:
        document = docx.Document(os.path.join(work, "book.docx"))
        tables = [[[cell.text for cell in row.cells] for row in table.rows] for table in document.tables]
        expect("Word tables", tables, [[[xml_chars(t) for t in row] for row in grid] for _, grid in sheets])
        headings = [p.text for p in document.paragraphs if p.runs and p.runs[0].bold]
        expect("Word headings", headings, [name for name, _ in sheets])
        expect("Word sections", [s.orientation for s in document.sections], [WD_ORIENT.LANDSCAPE])
    except Exception as error:  # python-docx reports an unreadable package in several ways
        failures.append(f"Word document does not open: {type(error).__name__}: {error}")

# PDF: qpdf checks the structure, pdftotext finds the texts, pdftoppm renders the first page.
pdf = os.path.join(work, "book.pdf")
if export(pdf, "PDF", "--scope", "All"):
    check = subprocess.run(["qpdf", "--check", pdf], capture_output=True, text=True)
    if check.returncode != 0:
        failures.append(f"qpdf --check: exit {check.returncode}: {check.stdout}{check.stderr}")
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", pdf, "-"], capture_output=True, text=True).stdout
    words = set(text.split())
    missing_cells = [cell for row in data for cell in row if cell not in words]
    expect("PDF cells not found by pdftotext", missing_cells[:10], [])
    for piece in ("Data (columns A-Q) [rows 1-44]", "Data (columns R-T) [rows 45-50]", "Special & (odd)",
                  "Tom & Jerry", "(paren) \\slash", "caf\u00e9 \u00e4", "Numbers"):
        if piece not in text:
            failures.append(f"PDF: pdftotext does not find {piece!r}")
    pages = subprocess.run(["qpdf", "--show-npages", pdf], capture_output=True, text=True).stdout.strip()
    expect("PDF pages", pages, "6")
    # A picture for people to look at, not a check: made only where pdftoppm is installed.
    if shutil.which("pdftoppm"):
        subprocess.run(["pdftoppm", "-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", pdf,
                        os.path.join(work, "page1")], check=False)
        print("first PDF page rendered to", os.path.join(work, "page1.png"))

finish("6 formats checked")
