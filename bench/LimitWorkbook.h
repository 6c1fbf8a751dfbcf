#pragma once

#include <cstdint>
#include <string>

namespace tabulix::bench {

// A workbook at the load limit: one sheet "Data" of 2000 x 200 cells, every cell filled. Even columns
// (A, C, ...) hold shared strings, all distinct ("Row 7 C"), the worst case for the string table; odd
// columns hold numbers (7003.25 for row 7, column 3).
std::string MakeLimitWorkbook();
// The same workbook whose first ten columns (A to J) hold formulas instead, 20,000 of them, each naming
// cells of other rows, and a second sheet "Lookup" of 100 rows whose formulas name cells of Data.
std::string MakeFormulaWorkbook();

// One sheet "Data" of rows x cols numbers, each column under one of seven number formats in turn:
// currency, percent, date, time, fraction, red negatives and accounting (with its fill).
std::string MakeFormattedWorkbook(int32_t rows, int32_t cols);

// One sheet "Data" of rows x cols cells laid out and styled as a report is: widths and heights, hidden
// rows and columns, merged areas, a frozen header row and column, fonts, fills, borders of every kind,
// alignments (wrapped and indented among them), texts that run on into empty cells, number formats.
std::string MakeStyledWorkbook(int32_t rows, int32_t cols);

std::string StringText(int32_t row, int32_t col);
std::string NumberText(int32_t row, int32_t col);

} // namespace tabulix::bench
