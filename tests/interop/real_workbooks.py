#!/usr/bin/python3
"""Real workbooks made by other programs, read by `tabulix` and by openpyxl, which must agree.

The workbooks are the .xlsx and .xlsm test data of Debian's source packages of spreadsheet writers and
readers, fetched by `tools/dev workbooks` into one folder per package. Every distinct file (by content)
is checked three ways:

- `tabulix sheets` lists what openpyxl lists as visible sheets, in tab order. openpyxl keeps chart
  sheets apart from worksheets; the viewer lists them among the others (publications count sheets by
  position), so a visible chart sheet counts here too, and `dump` must show it as an empty 0 x 0 grid.
- `tabulix dump` shows, cell by cell, what openpyxl reads from each cell element, under the viewer's
  display rules: numbers equal by value, or as a date text when the cell's format is a date format;
  TRUE and FALSE; error codes and formula texts as stored; shared and inline strings with their
  rich-text runs joined and their _xHHHH_ escapes decoded; nothing beyond 2000 rows and 200 columns.
- `tabulix edit FILE -o OUT format SHEET ROW COL bold format ... center` on the first filled cell of the
  first worksheet: openpyxl's reader of styles finds that cell's new style bold and centred, no other
  cell's style index changes, and only that sheet's part and the styles part change (with the
  relationship and content type of a styles part the workbook did not have).
- `tabulix edit FILE -o OUT set SHEET ROW COL TEXT` on the first worksheet, at its first filled cell
  or below its last row (the file's hash chooses): openpyxl reads the new text there and every other
  cell of that sheet as before, and every entry of the package other than that sheet's part is
  byte-identical and in the same order. Removing a formula makes the calculation chain stale, so when
  the edited cell held one, the chain may be gone together with its relationship and content type
  (and then nothing may refer to it). A workbook whose worksheets hold formulas must ask to be
  calculated when next opened: its saved workbook part has calcPr fullCalcOnLoad="1" and differs from
  the original by that alone (the same elements, attributes, texts, comments and namespace
  declarations; only whitespace between elements may go). An edit of a chart sheet must be refused and
  write nothing.

A file that openpyxl cannot read is listed below with the reason and what `tabulix` must do with it,
and so is a file that openpyxl reads wrongly. Where openpyxl is wrong on every file, the suite reads
around it: it decodes no _xHHHH_ escape (and its shared-string reader drops "x005F_", decoding the
escaped underscore halfway), it blanks the cells a merged range covers although the file holds their
values, it forgets a chart sheet's state, it counts a row's extLst as a cell, and its chart reader
rejects valid files. So cells are read by openpyxl's own cell parser straight from the elements,
shared strings without that replacement, and charts not at all. openpyxl's idea of a date format is
not the viewer's (it counts m and s), so its parser is told no format is one.

usage: real_workbooks.py TABULIX_BINARY WORKBOOK_FOLDER WORK_FOLDER [NAME_PART...]
With name parts, only the workbooks whose package/file name contains one of them are checked.
Exits 77 (skipped) when openpyxl or the workbooks are missing.
"""
import concurrent.futures
import datetime
import hashlib
import io
import json
import math
import os
import re
import resource
import shutil
import subprocess
import sys
import time
import warnings
import xml.etree.ElementTree as ElementTree
import zipfile

try:
    import openpyxl
    from openpyxl.chartsheet import Chartsheet
    from openpyxl.reader import excel as package_reader
    from openpyxl.styles.stylesheet import Stylesheet
    from openpyxl.worksheet._reader import WorkSheetParser, FORMULA_TAG, VALUE_TAG
    from openpyxl.utils.datetime import CALENDAR_MAC_1904
    from openpyxl.xml.constants import SHEET_MAIN_NS
    from openpyxl.xml.functions import iterparse
except ImportError:
    print("openpyxl is not installed: skipped")
    sys.exit(77)

LOAD_ROWS, LOAD_COLS = 2000, 200
OUTPUT_LIMIT = 32 << 20       # what one tabulix command may write (the largest dump here is 1.2 MB)
COMMAND_SECONDS = 180
NEW_TEXT = "Tabulix \u00e9dit \u2713"
CHART_REFUSAL = 'The sheet "{}" holds a chart, not a worksheet, and cannot be edited.'

# Files openpyxl cannot read, by package/file name: why, and what tabulix must say (None: load it).
NOT_FOR_OPENPYXL = {
    "libapache-poi-java/60320-protected.xlsx": ("encrypted: an OLE container, not a ZIP archive", "not a ZIP archive"),
    "libapache-poi-java/extenxls_pwd123.xlsx": ("encrypted: an OLE container, not a ZIP archive", "not a ZIP archive"),
    "libapache-poi-java/protect.xlsx": ("encrypted: an OLE container, not a ZIP archive", "not a ZIP archive"),
    "libapache-poi-java/protected_sha512.xlsx": ("encrypted: an OLE container, not a ZIP archive", "not a ZIP archive"),
    "libapache-poi-java/protected_passtika.xlsx": ("encrypted: an OLE container, not a ZIP archive", "not a ZIP archive"),
    "libapache-poi-java/58616.xlsx": ("an .xls workbook under another name", "not a ZIP archive"),
    "libapache-poi-java/invalid.xlsx": ("deliberately not a package", "not a ZIP archive"),
    "libapache-poi-java/49609.xlsx": ("a ZIP archive without a workbook part", "xl/workbook.xml missing"),
    "libapache-poi-java/54764.xlsx": ("an entity expansion bomb that openpyxl refuses", None),
    "libapache-poi-java/54764-2.xlsx": ("an entity reference loop that openpyxl refuses", None),
    "libapache-poi-java/poc-xmlbomb.xlsx": ("an entity expansion bomb that openpyxl refuses", None),
    "libapache-poi-java/poc-xmlbomb-empty.xlsx": ("an entity expansion bomb that openpyxl refuses", None),
    "libapache-poi-java/picture.xlsx": ("a cellStyle with an attribute of another writer, which openpyxl rejects", None),
    "libapache-poi-java/style-alternate-content.xlsx": ("mc:AlternateContent in styles.xml, which openpyxl rejects", None),
}

# Where openpyxl reads a file wrongly, by package/file name: why. The file must still load, dump and
# keep every entry an edit does not touch; nothing is compared with openpyxl.
STRICT = "Strict Open XML, whose namespaces openpyxl does not know: it finds no sheets"
OPENPYXL_WRONG = {
    "libapache-poi-java/57914.xlsx": STRICT,
    "libapache-poi-java/SampleSS.strict.xlsx": STRICT,
    "libapache-poi-java/SimpleStrict.xlsx": STRICT,
    "libapache-poi-java/sample.strict.xlsx": STRICT,
    "libapache-poi-java/sample-beta.xlsx": "written by a pre-release Excel 2007 in a namespace of its own, "
                                           "in which openpyxl finds no cells",
}


# ---------------------------------------------------------------------------------------------------
# openpyxl, as the reference reader of every cell element

def _read_string_table(source):
    # openpyxl's own reader drops "x005F_" from every shared string, which decodes the escape of an
    # underscore halfway; the suite decodes _xHHHH_ escapes itself, as the format defines them.
    strings = []
    tag = "{%s}si" % SHEET_MAIN_NS
    for _, node in iterparse(source):
        if node.tag == tag:
            strings.append(openpyxl.cell.text.Text.from_tree(node).content)
            node.clear()
    return strings


def _read_chartsheet(self, sheet, rel):
    _original_read_chartsheet(self, sheet, rel)
    self.wb._sheets[-1].sheet_state = sheet.state  # openpyxl forgets a chart sheet's state


_original_read_chartsheet = package_reader.ExcelReader.read_chartsheet
package_reader.ExcelReader.read_chartsheet = _read_chartsheet
package_reader.read_string_table = _read_string_table
# Charts and pictures are not compared, and openpyxl's chart reader rejects some valid files.
package_reader.find_images = lambda archive, path: ([], [])


class TCellReader(WorkSheetParser):
    """openpyxl's cell reading with what it forgets kept: the type, the stored value, the formula.
    Numbers are never turned into dates here: the suite applies the viewer's date rule."""

    def __init__(self, source, shared_strings, epoch):
        super().__init__(source, shared_strings, data_only=True, epoch=epoch, date_formats=set())

    def parse_cell(self, element):
        if not element.tag.endswith("}c"):
            return None  # openpyxl would count a row's extLst as a cell
        cell = super().parse_cell(element)
        cell["type"] = element.get("t", "n")
        cell["stored"] = element.findtext(VALUE_TAG)
        cell["formula"] = element.find(FORMULA_TAG) is not None
        return cell

    def cells(self):
        """{(row, col): cell}, 0-based, a later element for a position replacing an earlier one; its
        in_order tells whether rows ascend and cells ascend within each row, none twice."""
        found = TSheetCells()
        last_row = 0
        for number, row in self.parse():
            found.in_order &= number > last_row
            last_row, last_col = number, 0
            for cell in row:
                if cell:
                    found.in_order &= cell["column"] > last_col
                    last_col = cell["column"]
                    found[(cell["row"] - 1, cell["column"] - 1)] = cell
        return found


class TSheetCells(dict):
    in_order = True


def read_with_openpyxl(path, only=None):
    """[(name, None for a chart sheet or {(row, col): cell})] of the visible sheets (of the one at index
    only, when given, the others without cells), and whether dates count from 1904."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        book = openpyxl.load_workbook(path, read_only=True, data_only=True, keep_links=False)
        try:
            sheets = []
            for sheet in book._sheets:
                if sheet.sheet_state != "visible":
                    continue
                if isinstance(sheet, Chartsheet) or (only is not None and len(sheets) != only):
                    sheets.append((sheet.title, None))
                else:
                    with sheet._get_source() as source:
                        sheets.append((sheet.title, TCellReader(source, sheet._shared_strings, book.epoch).cells()))
            return sheets, book.epoch == CALENDAR_MAC_1904
        finally:
            book.close()


# ---------------------------------------------------------------------------------------------------
# The viewer's display rules

ESCAPE = re.compile(r"_x([0-9A-Fa-f]{4})_")


def decode_escapes(text):
    return ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


def local_name(tag):
    return tag.rsplit("}", 1)[-1]


def part_bytes(package, name):
    """The first entry whose name matches ignoring case, without a byte-order mark, or None."""
    for info in package.infolist():
        if info.filename.lower() == name.lower():
            data = package.read(info)
            return data[3:] if data.startswith(b"\xef\xbb\xbf") else data
    return None


def is_date_code(code):
    """y, d or h outside quoted text, escapes and brackets, or an elapsed-time section like [h]."""
    code = code.lower()
    i = 0
    while i < len(code):
        c = code[i]
        if c == '"':
            close = code.find('"', i + 1)
            if close < 0:
                return False
            i = close
        elif c in "\\_*":
            i += 1
        elif c == "[":
            close = code.find("]", i + 1)
            if close < 0:
                return False
            section = code[i + 1:close]
            if section and section[0] in "hms" and section == section[0] * len(section):
                return True
            i = close
        elif c in "ydh":
            return True
        i += 1
    return False


def integer(text, default):
    try:
        return int(text)
    except (TypeError, ValueError):
        return default


def style_formats(package):
    """The workbook's own format codes by numFmtId, and the numFmtId of each cell format (xf) of the
    first cellXfs, by index."""
    data = part_bytes(package, "xl/styles.xml")
    if data is None:
        return {}, []
    root = ElementTree.fromstring(data)
    custom, ids = {}, None
    for child in root:
        if local_name(child.tag) == "numFmts":
            for fmt in child:
                custom[integer(fmt.get("numFmtId"), -1)] = fmt.get("formatCode", "")
        elif local_name(child.tag) == "cellXfs" and ids is None:
            ids = [integer(xf.get("numFmtId"), 0) for xf in child]
    return custom, ids or []


def date_styles(package):
    """For each cell format (xf) of the styles part, whether it shows numbers as dates."""
    custom, ids = style_formats(package)
    return [14 <= fmt <= 22 or 45 <= fmt <= 47 or (fmt >= 164 and is_date_code(custom.get(fmt, ""))) for fmt in ids]


def date_text(serial, date1904):
    """The viewer's text of a date serial, or None where it shows the number as stored."""
    if not serial >= 0:
        return None
    if date1904:
        serial += 1462
    if serial >= 2958466:
        return None
    days = math.floor(serial)
    fraction = serial - days
    milliseconds = math.floor(fraction * 86400000 + 0.5)
    if milliseconds >= 86400000:
        days, milliseconds = days + 1, milliseconds - 86400000
    if days > 2958465:
        return None
    if not date1904 and 1 <= days <= 60:
        # Spreadsheet applications count 1900 as a leap year: day 60 is 1900-02-29.
        day = "1900-02-29" if days == 60 else (datetime.date(1899, 12, 31) + datetime.timedelta(days)).isoformat()
    else:
        day = (datetime.date(1899, 12, 30) + datetime.timedelta(days)).isoformat()
    if fraction == 0:
        return day
    return f"{day} {milliseconds // 3600000:02d}:{milliseconds // 60000 % 60:02d}"


def matches(shown, cell, styles, date1904):
    """Whether the viewer's text of a cell is what openpyxl read from it."""
    value, kind = cell["value"], cell["type"]
    if value is None:
        return shown == ""
    if kind in ("s", "inlineStr"):
        return shown == decode_escapes(value)
    if kind == "b":
        return shown == ("TRUE" if value else "FALSE")
    if kind in ("e", "str", "d") or not isinstance(value, (int, float)):
        return shown == cell["stored"]
    style = cell["style_id"] or 0
    if 0 <= style < len(styles) and styles[style]:
        expected = date_text(float(value), date1904)
        if expected is not None:
            return shown == expected
    try:
        return float(shown) == float(value)
    except ValueError:
        return False


# ---------------------------------------------------------------------------------------------------
# Running tabulix

def run_tabulix(work, *args):
    """(exit code, standard output, standard error); the output goes through a file of limited size."""
    out_path = os.path.join(work, "stdout")
    try:
        with open(out_path, "wb") as out:
            run = subprocess.run([TABULIX, *args], stdout=out, stderr=subprocess.PIPE, env=TABULIX_ENV,
                                 timeout=COMMAND_SECONDS)
        if run.returncode < 0:
            reason = f"wrote more than {OUTPUT_LIMIT >> 20} MiB" if run.returncode == -25 else f"killed by signal {-run.returncode}"
            return run.returncode, b"", reason
        with open(out_path, "rb") as out:
            output = out.read() if run.returncode == 0 else b""
        return run.returncode, output, run.stderr.decode("utf-8", "replace").strip()
    except subprocess.TimeoutExpired:
        return None, b"", f"did not finish in {COMMAND_SECONDS} s"
    finally:
        os.remove(out_path)


def clean_failure(code, message):
    """A refusal as the system gives it: exit 1 and one line, no sanitizer report."""
    return code == 1 and "\n" not in message and "Sanitizer" not in message and message != ""


# ---------------------------------------------------------------------------------------------------
# The checks of one workbook

class TWorkbookCheck:
    def __init__(self, key, path, digest, work):
        self.key, self.path, self.digest, self.work = key, path, digest, work
        self.failures = []

    def fail(self, what):
        self.failures.append(f"{self.key}: {what}")

    def run(self):
        code, out, err = run_tabulix(self.work, "sheets", self.path)
        if self.key in OPENPYXL_WRONG:
            # Only what needs no reference: it loads, dumps and keeps what an edit does not touch.
            if code != 0:
                self.fail(f"tabulix sheets failed ({code}): {err}")
            dumped = self.dump()
            if dumped is not None:
                self.check_round_trip(None, dumped)
            return self.failures
        try:
            reference = read_with_openpyxl(self.path)
        except Exception as error:  # openpyxl's own failures are many kinds of exception
            self.check_unreadable(error, code, err)
            return self.failures
        if self.key in NOT_FOR_OPENPYXL:
            self.fail("openpyxl reads it now: take it off the list of files openpyxl cannot read")
        sheets, date1904 = reference
        names = [name for name, _ in sheets]
        if code != 0:
            self.fail(f"tabulix sheets failed ({code}): {err}")
            return self.failures
        listed = out.decode("utf-8").split("\n")[:-1]
        if listed != names:
            self.fail(f"tabulix sheets lists {listed}, openpyxl {names}")
            return self.failures
        dumped = self.dump()
        if dumped is not None:
            self.compare_dump(dumped, sheets, date1904)
            self.check_round_trip(sheets, dumped)
        return self.failures

    def check_unreadable(self, error, code, err):
        known = NOT_FOR_OPENPYXL.get(self.key)
        if not known:
            self.fail(f"openpyxl cannot read it ({type(error).__name__}: {str(error)[:120]}); "
                      f"tabulix sheets gives {code}: {err[:200]}")
            return
        reason, refusal = known
        if refusal is None and code != 0:
            self.fail(f"tabulix sheets failed ({code}) on a file it should load ({reason}): {err}")
        elif refusal is not None and not (clean_failure(code, err) and refusal in err):
            self.fail(f"tabulix sheets should refuse it ({reason}) with a message about \"{refusal}\", "
                      f"but gave {code}: {err[:300]}")

    def dump(self):
        """The dumped sheets, each with the kind of its part and whether that has a sheetData, or None."""
        code, out, err = run_tabulix(self.work, "dump", self.path)
        if code != 0:
            if not (clean_failure(code, err) and "too large" in err):  # an output bomb is refused
                self.fail(f"tabulix dump failed ({code}): {err[:300]}")
            return None
        dumped = json.loads(out.decode("utf-8"))["sheets"]
        with zipfile.ZipFile(self.path) as package:
            for sheet in dumped:
                sheet["kind"], sheet["has_data"] = part_kind(package, sheet["part"])
        return dumped

    def compare_dump(self, dumped, sheets, date1904):
        with zipfile.ZipFile(self.path) as package:
            styles = date_styles(package)
        for sheet, (name, cells) in zip(dumped, sheets):
            label = f"sheet \"{name}\""
            if cells is None:
                if (sheet["rows"], sheet["cols"]) != (0, 0):
                    self.fail(f"{label} is a chart sheet but shows {sheet['rows']} x {sheet['cols']} cells")
                continue
            self.compare_grid(label, sheet, cells, styles, date1904)

    def compare_grid(self, label, sheet, cells, styles, date1904):
        if cells:
            size = (min(max(r for r, _ in cells) + 1, LOAD_ROWS), min(max(c for _, c in cells) + 1, LOAD_COLS))
        else:
            size = (100, 26) if sheet["has_data"] else (0, 0)
        if (sheet["rows"], sheet["cols"]) != size:
            self.fail(f"{label} is {sheet['rows']} x {sheet['cols']}, expected {size[0]} x {size[1]}")
            return
        wrong = []
        for r, row in enumerate(sheet["cells"]):
            for c, shown in enumerate(row):
                cell = cells.get((r, c))
                if (shown != "" if cell is None else not matches(shown, cell, styles, date1904)):
                    wrong.append(f"{cell_name(r, c)} shows {shown!r}, openpyxl reads "
                                 f"{None if cell is None else (cell['type'], cell['value'])!r}")
        if wrong:
            self.fail(f"{label}: {len(wrong)} cells differ, first: " + "; ".join(wrong[:3]))

    def check_round_trip(self, sheets, dumped):
        """Without openpyxl's sheets, only the package is compared."""
        charts = [i for i, sheet in enumerate(dumped) if sheet["kind"] not in ("worksheet", None)]
        for index in charts[:1]:
            target = os.path.join(self.work, "chart.xlsx")
            code, _, err = run_tabulix(self.work, "edit", self.path, "-o", target, "set", str(index), "0", "0", "x")
            if err != CHART_REFUSAL.format(dumped[index]["name"]) or code != 1 or os.path.exists(target):
                self.fail(f"an edit of the chart sheet \"{dumped[index]['name']}\" gave {code}: {err[:200]}")
        index = next((i for i, sheet in enumerate(dumped) if sheet["kind"] == "worksheet"), None)
        if index is None:
            return
        sheet = dumped[index]
        self.check_formatting(index, sheet)
        row, col = self.edited_cell(sheet)
        target = os.path.join(self.work, "edited.xlsx")
        code, _, err = run_tabulix(self.work, "edit", self.path, "-o", target, "set", str(index), str(row), str(col),
                                   NEW_TEXT)
        label = f"set {index} {row} {col} (sheet \"{sheet['name']}\")"
        if code != 0:
            self.fail(f"{label} failed ({code}): {err[:300]}")
            return
        before = sheets[index][1] if sheets else None
        had_formula = before is None or ((row, col) in before and before[(row, col)]["formula"])
        self.check_entries(label, target, sheet["part"], had_formula)
        if before is not None:
            self.check_edited_sheet(label, target, index, before, (row, col))

    def check_formatting(self, index, sheet):
        if sheet["rows"] == 0 or sheet["cols"] == 0:
            return
        row, col = next(((r, c) for r, cells in enumerate(sheet["cells"]) for c, shown in enumerate(cells) if shown), (0, 0))
        target = os.path.join(self.work, "formatted.xlsx")
        where = [str(index), str(row), str(col)]
        code, _, err = run_tabulix(self.work, "edit", self.path, "-o", target, "format", *where, "bold", "format", *where, "center")
        label = f"format {' '.join(where)} bold, center (sheet \"{sheet['name']}\")"
        if code != 0:
            self.fail(f"{label} failed ({code}): {err[:300]}")
            return
        original, saved = read_entries(self.path), read_entries(target)
        had_styles = part_bytes_of(original, "xl/styles.xml") is not None
        may_change = {sheet["part"].lower(), "xl/styles.xml"}
        if not had_styles:
            may_change |= {"xl/_rels/workbook.xml.rels", "[content_types].xml"}
        added = [name for name in saved if name not in original]
        if [name for name in original if name not in saved] or [name for name in added if name != "xl/styles.xml" or had_styles]:
            self.fail(f"{label}: the entries changed from {list(original)} to {list(saved)}")
            return
        for name, data in original.items():
            if saved[name] != data and name.lower() not in may_change:
                self.fail(f"{label}: the untouched entry {name} changed")
        before = cell_styles(part_bytes_of(original, sheet["part"]))
        after = cell_styles(part_bytes_of(saved, sheet["part"]))
        style = after.pop((row, col), None)
        before.pop((row, col), None)
        if before != after:
            moved = sorted(set(before.items()) ^ set(after.items()))[:3]
            self.fail(f"{label}: other cells' styles changed: " + "; ".join(f"{cell_name(*p)}: {s}" for p, s in moved))
        if self.key in OPENPYXL_WRONG:
            return
        try:
            styles = Stylesheet.from_tree(ElementTree.fromstring(part_bytes_of(saved, "xl/styles.xml")))
            xf = styles.cell_styles[int(style or 0)]
            shown = (styles.fonts[xf.fontId].b, styles.alignments[xf.alignmentId].horizontal)
        except Exception as error:
            self.fail(f"{label}: openpyxl cannot read the saved styles ({type(error).__name__}: {error})")
            return
        if shown != (True, "center"):
            self.fail(f"{label}: openpyxl reads bold and alignment {shown} in cell style {style}")

    def edited_cell(self, sheet):
        """The first filled cell, or the first cell below the grid: the file's hash chooses."""
        if int(self.digest[:2], 16) % 2 == 0:
            for r, row in enumerate(sheet["cells"]):
                for c, shown in enumerate(row):
                    if shown:
                        return r, c
            return 0, 0
        return min(sheet["rows"], LOAD_ROWS - 1), 0

    def check_edited_sheet(self, label, target, index, before, edited):
        try:
            after = read_with_openpyxl(target, only=index)[0][index][1]
        except Exception as error:
            self.fail(f"{label}: openpyxl cannot open the saved file ({type(error).__name__}: {error})")
            return
        if before.in_order and not after.in_order:
            self.fail(f"{label}: the saved sheet holds rows or cells out of order, or twice")
        new = after.get(edited)
        if new is None or new["value"] != NEW_TEXT:
            self.fail(f"{label}: openpyxl reads {None if new is None else new['value']!r} in the edited cell")
        old = {position: (cell["value"], cell["type"]) for position, cell in before.items() if position != edited}
        kept = {position: (cell["value"], cell["type"]) for position, cell in after.items() if position != edited}
        if old != kept:
            changed = sorted(set(old.items()) ^ set(kept.items()), key=repr)
            self.fail(f"{label}: other cells changed: " +
                      "; ".join(f"{cell_name(r, c)}: {value!r}" for (r, c), value in changed[:4]))

    def check_entries(self, label, target, part, had_formula):
        original, saved = read_entries(self.path), read_entries(target)
        may_change = {part.lower()}
        if had_formula:
            may_change |= {"xl/calcchain.xml", "xl/_rels/workbook.xml.rels", "[content_types].xml"}
        dropped = [name for name in original if name not in saved]
        if any(name.lower() not in may_change for name in dropped) or list(saved) != [n for n in original if n in saved]:
            self.fail(f"{label}: the entries changed from {list(original)} to {list(saved)}")
            return
        workbook_part = workbook_part_name(original)
        for name, data in original.items():
            if name == workbook_part and name in saved and has_formulas(original):
                problem = calculation_request_problem(data, saved[name])
                if problem:
                    self.fail(f"{label}: {name} {problem}")
            elif name in saved and saved[name] != data and name.lower() not in may_change:
                self.fail(f"{label}: the untouched entry {name} changed")
        if dropped:
            refers = [name for name in ("xl/_rels/workbook.xml.rels", "[Content_Types].xml")
                      if b"calcChain" in (part_bytes_of(saved, name) or b"")]
            if refers:
                self.fail(f"{label}: the calculation chain is gone but {refers} still refer to it")


FORMULA_ELEMENT = re.compile(rb"<(\w+:)?f[\s>/]")
OFFICE_DOCUMENT = "/relationships/officeDocument"


def has_formulas(entries):
    return any(FORMULA_ELEMENT.search(data) for name, data in entries.items()
               if isinstance(data, bytes) and name.lower().startswith("xl/worksheets/") and name.lower().endswith(".xml"))


def workbook_part_name(entries):
    """The entry that the package's relationships name as its workbook."""
    rels = part_bytes_of(entries, "_rels/.rels")
    try:
        root = ElementTree.fromstring(rels) if isinstance(rels, bytes) else None
    except ElementTree.ParseError:
        root = None
    for relation in [] if root is None else root:
        if relation.get("Type", "").endswith(OFFICE_DOCUMENT):  # transitional or strict
            target = relation.get("Target", "").lstrip("/")
            return next((name for name in entries if name.lower() == target.lower()), None)
    return None


def calculation_request_problem(original, saved):
    """What is wrong with a saved workbook part that must ask for a full calculation on load and
    otherwise be the original; None when nothing is."""
    try:
        before, after = parse_whole(original), parse_whole(saved)
    except ElementTree.ParseError as error:
        return f"cannot be read: {error}"
    calc = next((child for child in after[1] if is_calc_properties(child)), None)
    if calc is None or calc.get("fullCalcOnLoad") not in ("1", "true"):
        return "does not ask for a calculation on load (calcPr fullCalcOnLoad=\"1\")"
    had = next((child for child in before[1] if is_calc_properties(child)), None)
    if had is None:
        after[1].remove(calc)
    elif had.get("fullCalcOnLoad") is None:
        del calc.attrib["fullCalcOnLoad"]
    else:
        calc.set("fullCalcOnLoad", had.get("fullCalcOnLoad"))
    if before[0] != after[0]:
        return f"declares other namespaces: {before[0]} became {after[0]}"
    if xml_shape(before[1]) != xml_shape(after[1]):
        return "changed beyond its calcPr"
    return None


def is_calc_properties(element):
    return isinstance(element.tag, str) and local_name(element.tag) == "calcPr"  # a comment's tag is not


def parse_whole(data):
    """The namespace declarations in order, and the root element with comments and processing
    instructions."""
    declarations = [namespace for _, namespace in ElementTree.iterparse(io.BytesIO(data), events=("start-ns",))]
    builder = ElementTree.TreeBuilder(insert_comments=True, insert_pis=True)
    parser = ElementTree.XMLParser(target=builder)
    parser.feed(data)
    return declarations, parser.close()


def xml_shape(element):
    """An element as nested tuples, with whitespace between elements left out."""
    def text(value):
        return value if value and value.strip() else None
    return (element.tag, sorted(element.attrib.items()), text(element.text),
            [(xml_shape(child), text(child.tail)) for child in element])


def part_kind(package, name):
    """The local name of a part's root element (None when the part is missing), and whether the root
    has a sheetData child."""
    data = part_bytes(package, name)
    if data is None:
        return None, False
    depth, kind = 0, None
    for event, element in ElementTree.iterparse(io.BytesIO(data), events=("start", "end")):
        depth += 1 if event == "start" else -1
        if kind is None:
            kind = local_name(element.tag)
        elif event == "start" and depth == 2 and local_name(element.tag) == "sheetData":
            return kind, True
    return kind, False


def cell_styles(data):
    """The s attribute of every cell of a worksheet part by its place, placed by the loader's rules."""
    styles, row, col, depth = {}, 0, -1, 0
    for event, element in ElementTree.iterparse(io.BytesIO(data), events=("start", "end")):
        depth += 1 if event == "start" else -1
        if event != "start" or depth not in (3, 4):
            continue
        name = local_name(element.tag)
        if depth == 3 and name == "row":
            row, col = integer(element.get("r"), row + 1), -1
        elif depth == 4 and name == "c":
            ref = element.get("r")
            if ref is None:
                place = (row - 1, col + 1)
            else:
                letters = re.match(r"[A-Za-z]*", ref)[0]
                if not letters or not ref[len(letters):].isdigit():
                    continue
                place = (int(ref[len(letters):]) - 1, openpyxl.utils.column_index_from_string(letters.upper()) - 1)
            col = place[1]
            styles[place] = element.get("s", "0")
    return styles


def read_entries(path):
    entries = {}
    with zipfile.ZipFile(path) as package:
        for info in package.infolist():
            try:
                entries[info.filename] = package.read(info)
            except Exception as error:  # a damaged entry is written back repaired
                entries[info.filename] = f"unreadable: {error}"
    return entries


def part_bytes_of(entries, name):
    return next((data for entry, data in entries.items() if entry.lower() == name.lower()), None)


def cell_name(row, col):
    return openpyxl.utils.get_column_letter(col + 1) + str(row + 1)


# ---------------------------------------------------------------------------------------------------

def find_workbooks(folder):
    """(package/file name, path, sha-256) of each distinct workbook, the first path by name of each."""
    found = {}
    for package in sorted(os.listdir(folder)):
        for parent, _, files in sorted(os.walk(os.path.join(folder, package))):
            for file in sorted(files):
                if file.lower().endswith((".xlsx", ".xlsm")):
                    path = os.path.join(parent, file)
                    with open(path, "rb") as stream:
                        digest = hashlib.sha256(stream.read()).hexdigest()
                    found.setdefault(digest, (f"{package}/{file}", path, digest))
    return sorted(found.values())


def start_worker(tabulix):
    global TABULIX, TABULIX_ENV
    TABULIX = tabulix
    # Leaks are the unit tests' and the fuzzers' to find; checking at every exit would double the time.
    TABULIX_ENV = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:" + os.environ.get("ASAN_OPTIONS", ""))
    # Every file a command writes (its output included) is limited; the workers themselves write little.
    resource.setrlimit(resource.RLIMIT_FSIZE, (OUTPUT_LIMIT, OUTPUT_LIMIT))


def check_one(job):
    key, path, digest, work = job
    os.makedirs(work, exist_ok=True)
    started = time.monotonic()
    failures = TWorkbookCheck(key, path, digest, work).run()
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
    return key, failures, time.monotonic() - started


def main():
    tabulix, folder, work, parts = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
    workbooks = find_workbooks(folder) if os.path.isdir(folder) else []
    workbooks = [w for w in workbooks if not parts or any(part in w[0] for part in parts)]
    if not workbooks:
        print(f"no workbooks in {folder}: run tools/dev workbooks; skipped")
        sys.exit(77)
    shutil.rmtree(work, ignore_errors=True)
    started = time.monotonic()
    jobs = [(key, path, digest, os.path.join(work, str(i))) for i, (key, path, digest) in enumerate(workbooks)]
    failures, slowest = [], []
    with concurrent.futures.ProcessPoolExecutor(max_workers=min(4, os.cpu_count() or 2), initializer=start_worker,
                                                initargs=(tabulix,)) as pool:
        for key, found, seconds in pool.map(check_one, jobs, chunksize=4):
            failures += found
            slowest.append((seconds, key))
    for failure in failures:
        print("FAIL", failure)
    slowest.sort(reverse=True)
    print("slowest: " + ", ".join(f"{key} {seconds:.1f} s" for seconds, key in slowest[:3]))
    print(f"{len(workbooks)} workbooks in {time.monotonic() - started:.0f} s, {len(failures)} failures")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
