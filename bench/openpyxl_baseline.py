"""The openpyxl baselines of the benchmarks: each run times itself after its import and prints seconds.

    openpyxl_baseline.py read FILE        load the workbook and read every value of every sheet
    openpyxl_baseline.py edit FILE OUT    load it, insert a row at the top of the first sheet, save to OUT

Exits with 77 when openpyxl is not installed.
"""
import sys
import time

try:
    import openpyxl
except ImportError:
    sys.exit(77)


def main():
    mode, path = sys.argv[1], sys.argv[2]
    start = time.perf_counter()
    workbook = openpyxl.load_workbook(path)
    if mode == "read":
        count = 0
        for sheet in workbook.worksheets:
            for row in sheet.iter_rows(values_only=True):
                count += len(row)
    else:
        workbook.worksheets[0].insert_rows(1)
        workbook.save(sys.argv[3])
    print("%.6f" % (time.perf_counter() - start))


main()
