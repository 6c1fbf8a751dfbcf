#pragma once

// Where the rows and columns of a sheet lie on the screen: their sizes in pixels as the sheet's author
// set them (at the viewer's zoom), their running sums, the merged areas and the frozen panes. Built
// once for a sheet, a zoom and a layout; every question after that costs a lookup or a binary search,
// however large the sheet.

#include "viewer/ViewerPorts.h"
#include "workbook/XlsxWorkbook.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tabulix {

// The pixel sizes of the rows or the columns of a sheet with their running sums. Indexes past the last
// one the sheet has take the default size; a hidden row or column has size 0.
class TAxisSizes {
public:
    TAxisSizes() = default;
    TAxisSizes(const std::vector<int32_t>& sizes, int32_t defaultSize);

    int32_t Count() const { return int32_t(FStarts.size()) - 1; }
    int32_t Size(int32_t index) const { return int32_t(Start(index + 1) - Start(index)); }
    bool Hidden(int32_t index) const { return Size(index) == 0; }
    // The sum of the sizes of the indexes before index (index >= 0).
    int64_t Start(int32_t index) const;
    // The index whose span holds the offset (>= 0); never a hidden one.
    int32_t IndexAt(int64_t offset) const;
    // The first index whose start lies at or after the offset.
    int32_t FirstStartingAt(int64_t offset) const;
    // The index `steps` shown indexes after index (before it when negative), not below 0; index itself
    // when no shown index lies that way.
    int32_t StepShown(int32_t index, int32_t steps) const;

private:
    std::vector<int64_t> FStarts{0}; // Count() + 1 running sums
    int32_t FDefault = 1;
};

// What the viewer gives the sheet's sizes: its own default sizes (already zoomed), whether the
// settings gave them (then they replace the sheet's defaults), the zoom factor for everything the
// file sizes, and the maximum digit width of the workbook's default font.
struct TGeometrySizes {
    int32_t RowHeight = 22;
    int32_t ColumnWidth = 96;
    bool RowHeightGiven = false;
    bool ColumnWidthGiven = false;
    double Zoom = 1;
    int32_t MaxDigitWidth = 7;
};

class TSheetGeometry {
public:
    TSheetGeometry() = default;
    TSheetGeometry(const TXlsxSheet& sheet, const TGeometrySizes& sizes);

    const TAxisSizes& Rows() const { return FRows; }
    const TAxisSizes& Cols() const { return FCols; }
    int32_t FrozenRows() const { return FFrozenRows; }
    int32_t FrozenCols() const { return FFrozenCols; }
    // The merged area, cut to the sheet's grid, that the cell lies in; null for none.
    const TGridArea* MergeAt(int32_t row, int32_t col) const;
    // The area grown until every merged area it touches lies wholly inside it, as a selected range
    // takes in the merged areas it meets.
    TGridArea CoveringMerges(TGridArea area) const;

private:
    TAxisSizes FRows, FCols;
    int32_t FFrozenRows = 0, FFrozenCols = 0;
    std::vector<TGridArea> FMerges;
    // The merges over each row of the grid: FRowMerges[FRowFirst[r]] to FRowMerges[FRowFirst[r + 1] - 1].
    std::vector<int32_t> FRowFirst;
    std::vector<int32_t> FRowMerges;
};

// The grid's cells for one scroll position: the frozen rows and columns at the top and left of the
// cell area, then the scrolled ones from the top row and left column on. Each row and column lies in
// one of the two panes of its axis; a rectangle of cells is placed by the pane of its first cell.
class TViewport {
public:
    TViewport(const TSheetGeometry& geometry, const TRect& cells, int32_t topRow, int32_t leftCol);

    const TRect& Cells() const { return FCells; }
    int32_t TopRow() const { return FTopRow; }
    int32_t LeftCol() const { return FLeftCol; }
    // Where the frozen part ends and the scrolled part begins, in client pixels.
    int32_t ScrolledLeft() const { return FScrolledLeft; }
    int32_t ScrolledTop() const { return FScrolledTop; }
    // The edges of a column or row as the pane of `pane` places it (the column's or row's own by default).
    int32_t ColumnX(int32_t col, int32_t pane) const;
    int32_t RowY(int32_t row, int32_t pane) const;
    int32_t ColumnX(int32_t col) const { return ColumnX(col, col); }
    int32_t RowY(int32_t row) const { return RowY(row, row); }
    // The rectangle of rows and columns, placed by the panes of its first row and column.
    TRect AreaRect(const TGridArea& area) const;
    TRect CellRect(int32_t row, int32_t col) const { return AreaRect(TGridArea{row, col, row, col}); }
    // The column and row under a point of the cell area; false outside it or past the frozen part's
    // end where it covers the cell area.
    bool ColumnAt(int32_t x, int32_t& col) const;
    bool RowAt(int32_t y, int32_t& row) const;
    // The room of the scrolled panes, 0 when the frozen part takes it all.
    int32_t ScrolledWidth() const { return std::max(0, FCells.Right - FScrolledLeft); }
    int32_t ScrolledHeight() const { return std::max(0, FCells.Bottom - FScrolledTop); }

private:
    const TSheetGeometry& FGeometry;
    TRect FCells;
    int32_t FTopRow, FLeftCol;
    int32_t FScrolledLeft, FScrolledTop;
};

} // namespace tabulix
