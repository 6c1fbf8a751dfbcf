#!/usr/bin/python3
"""Real workbooks shown by `tabulix dump --shown` as LibreOffice shows them.

The workbooks are the .xlsx and .xlsm test data of Debian's source packages of spreadsheet writers and
readers, one folder per package (`tools/dev workbooks` fetches them into build/interop-workbooks/).
Every distinct file (by content) that tabulix loads and that has a cell with a value under a number
format other than General is converted by LibreOffice, all of them in one run of soffice, to CSV
files of every sheet "as shown". For each such cell of a visible worksheet within the 2,000 rows and
200 columns the viewer loads, the text tabulix shows must be the text LibreOffice shows, or differ in
one of the ways listed in ACCEPTED, where the viewer follows the rules of spreadsheet applications
that LibreOffice does not share. Cells with a formula are left out: LibreOffice may calculate them
anew, while tabulix shows the value the file stores.

usage: shown_texts.py TABULIX_BINARY WORKBOOK_FOLDER WORK_FOLDER [NAME_PART...]
With name parts, only the workbooks whose package/file name contains one of them are checked.
Exits 77 (skipped) when LibreOffice, openpyxl (which the real-workbook suite it borrows from needs) or the
workbooks are missing.
"""
import csv
import json
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

# The package readers and the workbook list of the real-workbook suite beside this script, imported
# without leaving compiled files in the source tree.
sys.dont_write_bytecode = True
from real_workbooks import (  # noqa: E402
    LOAD_COLS, LOAD_ROWS, cell_name, find_workbooks, integer, local_name, part_bytes, style_formats)

CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"
SOFFICE_SECONDS = 900

# The en-US codes of the built-in formats, by id; other ids below 164 without a code are General.
BUILT_IN = {
    0: "General", 1: "0", 2: "0.00", 3: "#,##0", 4: "#,##0.00",
    5: '"$"#,##0_);("$"#,##0)', 6: '"$"#,##0_);[Red]("$"#,##0)',
    7: '"$"#,##0.00_);("$"#,##0.00)', 8: '"$"#,##0.00_);[Red]("$"#,##0.00)',
    9: "0%", 10: "0.00%", 11: "0.00E+00", 12: "# ?/?", 13: "# ??/??", 14: "m/d/yyyy", 15: "d-mmm-yy",
    16: "d-mmm", 17: "mmm-yy", 18: "h:mm AM/PM", 19: "h:mm:ss AM/PM", 20: "h:mm", 21: "h:mm:ss",
    22: "m/d/yyyy h:mm", 37: "#,##0 ;(#,##0)", 38: "#,##0 ;[Red](#,##0)", 39: "#,##0.00;(#,##0.00)",
    40: "#,##0.00;[Red](#,##0.00)", 41: '_(* #,##0_);_(* \\(#,##0\\);_(* "-"_);_(@_)',
    42: '_("$"* #,##0_);_("$"* \\(#,##0\\);_("$"* "-"_);_(@_)',
    43: '_(* #,##0.00_);_(* \\(#,##0.00\\);_(* "-"??_);_(@_)',
    44: '_("$"* #,##0.00_);_("$"* \\(#,##0.00\\);_("$"* "-"??_);_(@_)',
    45: "mm:ss", 46: "[h]:mm:ss", 47: "mm:ss.0", 48: "##0.0E+0", 49: "@",
}


# ---------------------------------------------------------------------------------------------------
# Codes: what a code holds, outside its quoted literals, escaped characters and brackets

def bare(code):
    """The code without quoted literals, escaped and spaced characters, fills and brackets, lower case."""
    code = re.sub(r'"[^"]*"?', "", code)
    code = re.sub(r"\\.|_.|\*.", "", code)
    return re.sub(r"\[[^\]]*\]?", "", code).lower()


def conditions(code):
    return re.findall(r"\[(?:<|>|=|<=|>=|<>)[^\]]*\]", code)


def is_date_code(code):
    return bool(re.search(r"[ymdhs]", bare(code))) or bool(re.search(r"\[(h+|m+|s+)\]", code.lower()))


def sections(code):
    """The sections of a code, split at semicolons outside quotes and escapes."""
    parts, current, quoted, i = [], "", False, 0
    while i < len(code):
        c = code[i]
        if c == '"':
            quoted = not quoted
        elif not quoted and c in "\\_*" and i + 1 < len(code):
            current += code[i:i + 2]
            i += 2
            continue
        elif not quoted and c == ";":
            parts.append(current)
            current = ""
            i += 1
            continue
        current += c
        i += 1
    return parts + [current]


def is_general(code):
    return code.strip().lower() in ("general", "")


# ---------------------------------------------------------------------------------------------------
# Differences accepted, each with its reason: (name, reason, test(code, value, ours, theirs))

def number(text):
    try:
        return float(text)
    except (TypeError, ValueError):
        return None


def one_unit_apart(ours, theirs):
    """Texts of one shape whose digits, read as one integer, are one apart: a value on a rounding boundary."""
    if re.sub(r"\d", "0", ours) != re.sub(r"\d", "0", theirs):
        return False
    a, b = re.sub(r"\D", "", ours), re.sub(r"\D", "", theirs)
    return bool(a) and abs(int(a) - int(b)) == 1


ACCEPTED = [
    ("_x as one space",
     "_x leaves one space in the text, the width of x being the viewer's to take; LibreOffice writes as "
     "many spaces as x is wide (two for \u20ac, three for W)",
     lambda code, value, ours, theirs: "_" in code and ours.replace(" ", "") == theirs.replace(" ", "") and len(ours) < len(theirs)),
    ("texts of several lines",
     "a text with a line break goes through its format's text section like any other; LibreOffice "
     "shows such a text as it is",
     lambda code, value, ours, theirs: value is None and "\n" in theirs and theirs in ours),
    ("built-in 37 to 40",
     "the built-in ids 37 to 40 have the codes ECMA-376 gives them, with nothing after a positive number "
     "but what the code writes; LibreOffice gives them _) as well",
     lambda code, value, ours, theirs: code in (BUILT_IN[37], BUILT_IN[38], BUILT_IN[39], BUILT_IN[40])
     and ours.rstrip() == theirs.rstrip()),
    ("days 1 to 60",
     "the serials 1 to 60 of the 1900 system count a 1900-02-29, as spreadsheet applications count them; "
     "LibreOffice counts the calendar's days, one day apart until 1900-03-01",
     lambda code, value, ours, theirs: is_date_code(code) and value is not None and 0 <= value < 61),
    ("unshowable dates",
     "a negative serial or one past 9999-12-31 under a date or time code fills its cell with #, as "
     "spreadsheet applications show it; LibreOffice shows a date before 1900",
     lambda code, value, ours, theirs: ours.startswith("#") and set(ours) == {"#"} and is_date_code(code)),
    ("General in a section",
     "General inside a code shows at most 11 characters, as in a standard-width column; LibreOffice "
     "shows every significant digit",
     lambda code, value, ours, theirs: "general" in bare(code) and number(ours) is not None and number(theirs) is not None),
    ("AM/PM case",
     "AM/PM and A/P are shown in the letter case the code writes them; LibreOffice always writes AM and PM",
     lambda code, value, ours, theirs: ours.lower() == theirs.lower() and re.search(r"am/pm|a/p", code, re.I)),
    ("lone year, month and day letters",
     "y and yyy show a year as yy and yyyy do, mmmmmm and longer as mmmm, ddddd and longer as dddd, as "
     "spreadsheet applications read them; LibreOffice shows the letters it does not know as they are",
     lambda code, value, ours, theirs: re.search(r"(?<!y)(y|yyy)(?!y)|m{6,}|d{5,}", bare(code)) is not None),
    ("a trailing decimal point",
     "a code whose decimals are all # keeps its decimal point when no decimal is shown (3 under #.# is "
     "3.), as spreadsheet applications show it; LibreOffice drops the point",
     lambda code, value, ours, theirs: ours.rstrip(" )%") .endswith(".") and ours.replace(".", "", 1) == theirs),
    ("fractions of a second",
     "minutes and seconds with tenths (mm:ss.0, mmss.0) are rounded to what is shown before they are "
     "cut; LibreOffice rounds the seconds to whole ones first",
     lambda code, value, ours, theirs: re.search(r"s\.0", bare(code)) is not None),
    ("no section takes the value",
     "a number that no section's condition takes is shown as General, as spreadsheet applications do; "
     "LibreOffice shows it by a section of its own choice",
     lambda code, value, ours, theirs: bool(conditions(code))),
    ("rounding on a boundary",
     "a value that the file stores just beside a rounding boundary (2.675, 1.005) is rounded at 15 "
     "significant digits, half away from zero; LibreOffice rounds the binary value",
     lambda code, value, ours, theirs: one_unit_apart(ours, theirs)),
    ("a half in a fixed fraction",
     "a fraction of a fixed denominator takes the nearer numerator and, for an exact half, the larger; "
     "LibreOffice takes the smaller",
     lambda code, value, ours, theirs: re.search(r"/\s*\d", bare(code)) is not None),
    ("numerals of other locales",
     "[DBNum1] to [DBNum4] ask for the numerals of an East Asian locale; the viewer shows the digits of "
     "an English locale, LibreOffice the locale's own numerals",
     lambda code, value, ours, theirs: re.search(r"\[dbnum\d\]", code.lower()) is not None),
]


def accepted_class(code, value, ours, theirs):
    for name, _, test in ACCEPTED:
        if test(code, value, ours, theirs):
            return name
    return None


# ---------------------------------------------------------------------------------------------------
# The package, read here only to know each cell's format: its styles and its cell elements

def cell_position(ref):
    match = re.fullmatch(r"([A-Za-z]+)(\d+)", ref or "")
    if not match:
        return None
    col = 0
    for letter in match.group(1).upper():
        col = col * 26 + ord(letter) - 64
    return int(match.group(2)) - 1, col - 1


def style_codes(archive):
    """The number format code of each cellXfs entry, by index."""
    custom, ids = style_formats(archive)
    return [custom.get(id, BUILT_IN.get(id, "General")) for id in ids]


def visible_sheets(archive):
    """[(name, part name)] of the visible sheets, in tab order."""
    book = ElementTree.fromstring(part_bytes(archive, "xl/workbook.xml"))
    rels = ElementTree.fromstring(part_bytes(archive, "xl/_rels/workbook.xml.rels"))
    targets = {rel.get("Id"): rel.get("Target") for rel in rels}
    found = []
    for child in book:
        if local_name(child.tag) != "sheets":
            continue
        for sheet in child:
            if sheet.get("state", "visible").lower() in ("hidden", "veryhidden"):
                continue
            rid = next((v for k, v in sheet.attrib.items() if local_name(k) == "id"), None)
            target = targets.get(rid)
            if target:
                found.append((sheet.get("name"), target[1:] if target.startswith("/") else "xl/" + target))
    return found


def formatted_cells(archive, part, codes):
    """{(row, col): (code, stored value)} of the cells with a value, no formula and a format other than
    General, within the load limit."""
    data = part_bytes(archive, part)
    if data is None:
        return {}
    found = {}
    for element in ElementTree.fromstring(data).iter():
        if local_name(element.tag) != "c":
            continue
        position = cell_position(element.get("r"))
        if not position or position[0] >= LOAD_ROWS or position[1] >= LOAD_COLS:
            continue
        children = {local_name(child.tag): child for child in element}
        if "f" in children or ("v" not in children and "is" not in children):
            continue
        index = integer(element.get("s"), 0)
        code = codes[index] if 0 <= index < len(codes) else "General"
        if is_general(code):
            continue
        value = children["v"].text if "v" in children else None
        found[position] = (code, number(value) if element.get("t", "n") == "n" else None)
    return found


# ---------------------------------------------------------------------------------------------------
# The run

def workbooks(folder, name_parts):
    """[(package/file name, path)] of the distinct .xlsx and .xlsm files under folder."""
    return [(label, path) for label, path, _ in find_workbooks(folder)
            if not name_parts or any(part in label for part in name_parts)]


def candidates(books):
    """[(label, path, {sheet name: cells})] of the workbooks with a formatted cell."""
    chosen = []
    for label, path in books:
        try:
            with zipfile.ZipFile(path) as archive:
                codes = style_codes(archive)
                if all(is_general(code) for code in codes):
                    continue
                sheets = {name: formatted_cells(archive, part, codes) for name, part in visible_sheets(archive)}
        except Exception:  # not a package this check can read: the real-workbook suite covers it
            continue
        sheets = {name: cells for name, cells in sheets.items() if cells}
        if sheets:
            chosen.append((label, path, sheets))
    return chosen


def convert(chosen, work):
    """LibreOffice's CSV of every sheet, all workbooks in one run: {index: folder}."""
    source = os.path.join(work, "in")
    out = os.path.join(work, "csv")
    for folder in (source, out):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    inputs = []
    for n, (_, path, _) in enumerate(chosen):
        target = os.path.join(source, "%04d%s" % (n, os.path.splitext(path)[1].lower()))
        shutil.copyfile(path, target)
        inputs.append(target)
    profile = "file://" + os.path.abspath(os.path.join(work, "profile"))
    subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--norestore",
                    "--convert-to", CSV_FILTER, "--outdir", out] + inputs,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=SOFFICE_SECONDS)
    return out


def libreoffice_sheet(out, n, name):
    path = os.path.join(out, "%04d-%s.csv" % (n, name))
    if not os.path.exists(path):
        return None
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.reader(f))


def main(argv):
    if len(argv) < 4:
        print(__doc__)
        return 2
    tabulix, folder, work = argv[1], argv[2], argv[3]
    if not shutil.which("soffice"):
        print("LibreOffice is not installed: skipped")
        return 77
    if not os.path.isdir(folder):
        print("no workbooks in %s (tools/dev workbooks fetches them): skipped" % folder)
        return 77
    os.makedirs(work, exist_ok=True)
    chosen = candidates(workbooks(folder, argv[4:]))
    out = convert(chosen, work)

    compared, found, failures, not_converted = 0, {}, [], []
    for n, (label, path, sheets) in enumerate(chosen):
        run = subprocess.run([tabulix, "dump", path, "--shown"], capture_output=True, timeout=120)
        if run.returncode != 0:
            continue  # a workbook tabulix refuses: the real-workbook suite says whether it must
        shown = {sheet["name"]: sheet["cells"] for sheet in json.loads(run.stdout)["sheets"]}
        for name, cells in sheets.items():
            theirs_rows = libreoffice_sheet(out, n, name)
            if theirs_rows is None or name not in shown:
                not_converted.append("%s, sheet %s" % (label, name))
                continue
            ours_rows = shown[name]
            for (row, col), (code, value) in sorted(cells.items()):
                ours = ours_rows[row][col] if row < len(ours_rows) and col < len(ours_rows[row]) else ""
                theirs = theirs_rows[row][col] if row < len(theirs_rows) and col < len(theirs_rows[row]) else ""
                compared += 1
                if ours == theirs:
                    continue
                kind = accepted_class(code, value, ours, theirs)
                where = "%s, sheet %s, %s: %r under %r" % (label, name, cell_name(row, col), value, code)
                if kind is None:
                    failures.append("%s: tabulix %r, LibreOffice %r" % (where, ours, theirs))
                else:
                    found.setdefault(kind, []).append("%s: %r, LibreOffice %r" % (where, ours, theirs))

    print("%d workbooks with formatted cells, %d cells compared with LibreOffice's shown text" % (len(chosen), compared))
    if not_converted:
        print("%d sheets without a CSV of LibreOffice (not compared), e.g. %s" % (len(not_converted), not_converted[0]))
    for name, reason, _ in ACCEPTED:
        cells = found.get(name, [])
        if cells:
            print("accepted: %s (%d cells): %s" % (name, len(cells), reason))
            for cell in cells[:10]:
                print("  " + cell)
    for failure in failures[:200]:
        print("DIFFERENT:", failure)
    print("%d cells differ in a way not accepted" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
