#!/usr/bin/python3
"""Writes the demo's styled workbook, a sales report laid out as its author would in a spreadsheet
application: column widths and row heights, a hidden row and a hidden column, merged cells, frozen
panes, fonts, fills, borders of several kinds, alignment, wrapped text, number formats with a colour,
and a note that runs on into the empty cells beside it. The pictures of the README and the host
scripts of the Wine suite show it.

usage: styled_workbook.py OUT.xlsx
"""
import sys

import openpyxl
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side

QUARTERS = ["Q1", "Q2", "Q3", "Q4"]
# Region, the four quarters, the change over last year.
REGIONS = [
    ("North", [12400, 13150, 14020, 15310], 0.062),
    ("South", [9800, 10450, 9975, 11200], -0.018),
    ("East", [11050, 11600, 12380, 12900], 0.041),
    ("Central", [7020, 7110, 6980, 7400], 0.004),  # hidden
    ("West", [8700, 9120, 9860, 10540], 0.087),
    ("Online", [15300, 17940, 19120, 23050], 0.215),
]


def fill(rgb):
    return PatternFill("solid", fgColor=rgb)


def build(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Sales"
    thin = Side(style="thin", color="8EA9DB")
    header_font = Font(bold=True, color="1F3864")

    # The title over the table, merged, white on dark blue.
    sheet.merge_cells("A1:G1")
    title = sheet["A1"]
    title.value = "Quarterly sales 2026"
    title.font = Font(name="Calibri", size=16, bold=True, color="FFFFFF")
    title.fill = fill("1F4E78")
    title.alignment = Alignment(horizontal="center", vertical="center")
    sheet.row_dimensions[1].height = 30

    headers = ["Region"] + QUARTERS + ["Total", "Change", "Code"]
    for col, text in enumerate(headers, start=1):
        cell = sheet.cell(row=2, column=col, value=text)
        cell.font = header_font
        cell.fill = fill("DDEBF7")
        cell.alignment = Alignment(horizontal="center", vertical="center")
        cell.border = Border(bottom=Side(style="medium", color="1F4E78"), left=thin, right=thin)
    sheet.row_dimensions[2].height = 22

    for n, (region, amounts, change) in enumerate(REGIONS):
        row = 3 + n
        sheet.cell(row=row, column=1, value=region).alignment = Alignment(indent=1)
        for col, amount in enumerate(amounts, start=2):
            cell = sheet.cell(row=row, column=col, value=amount)
            cell.number_format = "#,##0"
        total = sheet.cell(row=row, column=6, value=sum(amounts))
        total.number_format = "#,##0"
        total.font = Font(bold=True)
        # A fall shows red whatever the font's colour says.
        rate = sheet.cell(row=row, column=7, value=change)
        rate.number_format = "0.0%;[Red]-0.0%"
        rate.font = Font(color="2E75B6", italic=True)
        sheet.cell(row=row, column=8, value=f"R-{100 + n}")
        for col in range(1, 8):
            sheet.cell(row=row, column=col).border = Border(bottom=Side(style="hair", color="808080"), left=thin, right=thin)
        if n % 2:
            for col in range(1, 8):
                sheet.cell(row=row, column=col).fill = fill("F2F2F2")
    sheet.row_dimensions[6].hidden = True  # Central

    total_row = 3 + len(REGIONS)
    sheet.cell(row=total_row, column=1, value="Total").font = Font(bold=True)
    for col in range(2, 7):
        amount = sum(r[1][col - 2] for r in REGIONS) if col < 6 else sum(sum(r[1]) for r in REGIONS)
        cell = sheet.cell(row=total_row, column=col, value=amount)
        cell.number_format = "#,##0"
        cell.font = Font(bold=True)
    for col in range(1, 8):
        cell = sheet.cell(row=total_row, column=col)
        cell.fill = fill("FFF2CC")
        cell.border = Border(top=Side(style="thin"), bottom=Side(style="double"), left=thin, right=thin)

    # A note under the table: merged over two rows, wrapped, at the top, in a dashed frame.
    note_row = total_row + 2
    sheet.merge_cells(start_row=note_row, start_column=1, end_row=note_row + 1, end_column=7)
    note = sheet.cell(row=note_row, column=1)
    note.value = ("Figures in thousands of euros. The Central region is hidden while its figures are audited, "
                  "and so is the column of internal codes.")
    note.font = Font(italic=True, color="595959")
    note.alignment = Alignment(wrap_text=True, vertical="top")
    dashed = Side(style="dashed", color="7F7F7F")
    for col in range(1, 8):
        sheet.cell(row=note_row, column=col).border = Border(top=dashed, left=dashed if col == 1 else None,
                                                             right=dashed if col == 7 else None)
        sheet.cell(row=note_row + 1, column=col).border = Border(bottom=dashed, left=dashed if col == 1 else None,
                                                                 right=dashed if col == 7 else None)
    sheet.cell(row=note_row + 3, column=1, value="Best quarter since the shop opened: Online, Q4.").font = Font(
        underline="single", color="C00000")
    sheet.cell(row=note_row + 4, column=1, value="Discontinued").font = Font(strike=True, color="7F7F7F")
    sheet.cell(row=note_row + 4, column=2, value="centred").alignment = Alignment(horizontal="center")
    sheet.cell(row=note_row + 4, column=3, value="right").alignment = Alignment(horizontal="right")
    sheet.cell(row=note_row + 4, column=4, value="-").alignment = Alignment(horizontal="fill")
    sheet.cell(row=note_row + 4, column=5, value=True)

    sheet.column_dimensions["A"].width = 16
    for letter in "BCDE":
        sheet.column_dimensions[letter].width = 11
    sheet.column_dimensions["F"].width = 13
    sheet.column_dimensions["G"].width = 10
    sheet.column_dimensions["H"].hidden = True
    sheet.freeze_panes = "B3"  # the title, the headers and the regions stay

    costs = book.create_sheet("Costs")
    costs.append(["Item", "Amount"])
    for item, amount in [("Rent", 4200), ("Staff", 18300), ("Freight", 2750)]:
        costs.append([item, amount])
    costs["A1"].font = Font(bold=True)
    costs["B1"].font = Font(bold=True)
    costs.column_dimensions["A"].width = 14
    book.save(path)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build(sys.argv[1])
