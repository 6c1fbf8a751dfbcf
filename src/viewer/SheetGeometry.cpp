#include "viewer/SheetGeometry.h"

#include <cmath>
#include <limits>

namespace tabulix {

namespace {

// A size the file gives, in pixels at 100%, at the viewer's zoom; a size of 0 stays 0 (hidden).
int32_t Zoomed(int32_t pixels, double zoom) {
    if (pixels <= 0) return 0;
    return std::max(int32_t(1), int32_t(std::lround(double(pixels) * zoom)));
}

int32_t ClampToPixels(int64_t value) {
    constexpr int64_t limit = int64_t(1) << 30;
    return int32_t(std::clamp(value, -limit, limit));
}

std::vector<int32_t> RowSizes(const TXlsxSheet& sheet, const TGeometrySizes& sizes, int32_t& defaultSize) {
    const TSheetLayout& layout = sheet.Layout;
    defaultSize = sizes.RowHeight;
    // Without sheetFormatPr the viewer's own height; rows without a height of their own are 15 points.
    if (layout.HasFormat && !sizes.RowHeightGiven) {
        defaultSize = std::max(int32_t(1), Zoomed(RowHeightPixels(layout.DefaultRowHeight.value_or(15)), sizes.Zoom));
    }
    std::vector<int32_t> heights(size_t(std::max(sheet.RowCount, int32_t(0))), defaultSize);
    for (const TRowSize& row : layout.Rows) {
        if (row.Row < 0 || row.Row >= sheet.RowCount) continue;
        if (row.Hidden) heights[size_t(row.Row)] = 0;
        else if (row.Height) heights[size_t(row.Row)] = Zoomed(RowHeightPixels(*row.Height), sizes.Zoom);
    }
    return heights;
}

std::vector<int32_t> ColumnSizes(const TXlsxSheet& sheet, const TGeometrySizes& sizes, int32_t& defaultSize) {
    const TSheetLayout& layout = sheet.Layout;
    defaultSize = sizes.ColumnWidth;
    if (!sizes.ColumnWidthGiven) {
        if (const std::optional<int32_t> pixels = DefaultColumnPixels(layout, sizes.MaxDigitWidth)) {
            defaultSize = std::max(int32_t(1), Zoomed(*pixels, sizes.Zoom));
        }
    }
    std::vector<int32_t> widths(size_t(std::max(sheet.ColCount, int32_t(0))), defaultSize);
    for (const TColumnRun& run : layout.Columns) {
        const int32_t first = std::max(run.First, int32_t(0));
        const int32_t last = std::min(run.Last, sheet.ColCount - 1);
        if (first > last) continue;
        int32_t width = defaultSize;
        if (run.Hidden) width = 0;
        else if (run.Width) width = Zoomed(ColumnWidthPixels(*run.Width, sizes.MaxDigitWidth), sizes.Zoom);
        std::fill(widths.begin() + first, widths.begin() + last + 1, width);
    }
    return widths;
}

} // namespace

TAxisSizes::TAxisSizes(const std::vector<int32_t>& sizes, int32_t defaultSize) : FDefault(std::max(defaultSize, int32_t(1))) {
    FStarts.reserve(sizes.size() + 1);
    for (int32_t size : sizes) FStarts.push_back(FStarts.back() + std::max(size, int32_t(0)));
}

int64_t TAxisSizes::Start(int32_t index) const {
    if (index <= 0) return 0;
    const int32_t count = Count();
    if (index <= count) return FStarts[size_t(index)];
    return FStarts.back() + int64_t(index - count) * FDefault;
}

int32_t TAxisSizes::IndexAt(int64_t offset) const {
    if (offset < 0) return 0;
    if (offset >= FStarts.back()) {
        const int64_t beyond = Count() + (offset - FStarts.back()) / FDefault;
        return int32_t(std::min<int64_t>(beyond, std::numeric_limits<int32_t>::max() - 1));
    }
    // The last start at or before the offset whose span is not empty: the first start past it, less one.
    const auto past = std::upper_bound(FStarts.begin(), FStarts.end(), offset);
    return int32_t(past - FStarts.begin()) - 1;
}

int32_t TAxisSizes::FirstStartingAt(int64_t offset) const {
    if (offset <= 0) return 0;
    if (offset > FStarts.back()) {
        const int64_t beyond = Count() + (offset - FStarts.back() + FDefault - 1) / FDefault;
        return int32_t(std::min<int64_t>(beyond, std::numeric_limits<int32_t>::max() - 1));
    }
    return int32_t(std::lower_bound(FStarts.begin(), FStarts.end(), offset) - FStarts.begin());
}

int32_t TAxisSizes::StepShown(int32_t index, int32_t steps) const {
    int32_t at = index;
    const int32_t direction = steps < 0 ? -1 : 1;
    for (int32_t left = std::abs(steps); left > 0;) {
        int32_t next = at + direction;
        // Hidden ones are passed over; past the last index every one is shown.
        while (next >= 0 && next < Count() && Hidden(next)) next += direction;
        if (next < 0 || next == std::numeric_limits<int32_t>::max()) break;
        at = next;
        --left;
    }
    return at;
}

TSheetGeometry::TSheetGeometry(const TXlsxSheet& sheet, const TGeometrySizes& sizes) {
    int32_t defaultHeight = 0;
    int32_t defaultWidth = 0;
    const std::vector<int32_t> heights = RowSizes(sheet, sizes, defaultHeight);
    const std::vector<int32_t> widths = ColumnSizes(sheet, sizes, defaultWidth);
    FRows = TAxisSizes(heights, defaultHeight);
    FCols = TAxisSizes(widths, defaultWidth);
    FFrozenRows = std::clamp(sheet.Layout.FrozenRows, int32_t(0), sheet.RowCount);
    FFrozenCols = std::clamp(sheet.Layout.FrozenCols, int32_t(0), sheet.ColCount);

    // Merged areas cut to the grid. Areas of a valid file never overlap, so the rows they cover
    // together are at most the grid's cells; past that the file is not valid and the rest is left out.
    const int64_t budget = int64_t(sheet.RowCount) * sheet.ColCount;
    int64_t covered = 0;
    for (const TGridArea& merge : sheet.Layout.Merges) {
        TGridArea area = merge;
        if (area.FirstRow < 0 || area.FirstCol < 0 || area.FirstRow >= sheet.RowCount || area.FirstCol >= sheet.ColCount) continue;
        area.LastRow = std::min(area.LastRow, sheet.RowCount - 1);
        area.LastCol = std::min(area.LastCol, sheet.ColCount - 1);
        if (area.LastRow < area.FirstRow || area.LastCol < area.FirstCol) continue;
        if (area.LastRow == area.FirstRow && area.LastCol == area.FirstCol) continue;
        covered += area.LastRow - area.FirstRow + 1;
        if (covered > budget) break;
        FMerges.push_back(area);
    }
    if (FMerges.empty()) return;
    FRowFirst.assign(size_t(sheet.RowCount) + 1, 0);
    for (const TGridArea& area : FMerges) {
        for (int32_t row = area.FirstRow; row <= area.LastRow; ++row) ++FRowFirst[size_t(row) + 1];
    }
    for (size_t row = 1; row < FRowFirst.size(); ++row) FRowFirst[row] += FRowFirst[row - 1];
    FRowMerges.resize(size_t(FRowFirst.back()));
    std::vector<int32_t> filled(FRowFirst.begin(), FRowFirst.end() - 1);
    for (size_t n = 0; n < FMerges.size(); ++n) {
        for (int32_t row = FMerges[n].FirstRow; row <= FMerges[n].LastRow; ++row) {
            FRowMerges[size_t(filled[size_t(row)]++)] = int32_t(n);
        }
    }
}

const TGridArea* TSheetGeometry::MergeAt(int32_t row, int32_t col) const {
    if (FMerges.empty() || row < 0 || size_t(row) + 1 >= FRowFirst.size()) return nullptr;
    for (int32_t n = FRowFirst[size_t(row)]; n < FRowFirst[size_t(row) + 1]; ++n) {
        const TGridArea& area = FMerges[size_t(FRowMerges[size_t(n)])];
        if (col >= area.FirstCol && col <= area.LastCol) return &area;
    }
    return nullptr;
}

TGridArea TSheetGeometry::CoveringMerges(TGridArea area) const {
    // Taking one in may make the area touch others: round again until none grows it.
    for (bool grown = true; grown;) {
        grown = false;
        for (const TGridArea& merge : FMerges) {
            if (merge.LastRow < area.FirstRow || merge.FirstRow > area.LastRow || merge.LastCol < area.FirstCol ||
                merge.FirstCol > area.LastCol) {
                continue;
            }
            const TGridArea wider{std::min(area.FirstRow, merge.FirstRow), std::min(area.FirstCol, merge.FirstCol),
                                  std::max(area.LastRow, merge.LastRow), std::max(area.LastCol, merge.LastCol)};
            if (wider == area) continue;
            area = wider;
            grown = true;
        }
    }
    return area;
}

TViewport::TViewport(const TSheetGeometry& geometry, const TRect& cells, int32_t topRow, int32_t leftCol)
    : FGeometry(geometry), FCells(cells), FTopRow(std::max(topRow, geometry.FrozenRows())),
      FLeftCol(std::max(leftCol, geometry.FrozenCols())) {
    FScrolledLeft = ClampToPixels(cells.Left + geometry.Cols().Start(geometry.FrozenCols()));
    FScrolledTop = ClampToPixels(cells.Top + geometry.Rows().Start(geometry.FrozenRows()));
}

int32_t TViewport::ColumnX(int32_t col, int32_t pane) const {
    const TAxisSizes& cols = FGeometry.Cols();
    if (pane < FGeometry.FrozenCols()) return ClampToPixels(FCells.Left + cols.Start(col));
    return ClampToPixels(FScrolledLeft + cols.Start(col) - cols.Start(FLeftCol));
}

int32_t TViewport::RowY(int32_t row, int32_t pane) const {
    const TAxisSizes& rows = FGeometry.Rows();
    if (pane < FGeometry.FrozenRows()) return ClampToPixels(FCells.Top + rows.Start(row));
    return ClampToPixels(FScrolledTop + rows.Start(row) - rows.Start(FTopRow));
}

TRect TViewport::AreaRect(const TGridArea& area) const {
    return TRect{ColumnX(area.FirstCol, area.FirstCol), RowY(area.FirstRow, area.FirstRow),
                 ColumnX(area.LastCol + 1, area.FirstCol), RowY(area.LastRow + 1, area.FirstRow)};
}

bool TViewport::ColumnAt(int32_t x, int32_t& col) const {
    if (x < FCells.Left || x >= FCells.Right) return false;
    const TAxisSizes& cols = FGeometry.Cols();
    if (x < FScrolledLeft) col = cols.IndexAt(x - FCells.Left);
    else col = cols.IndexAt(int64_t(x - FScrolledLeft) + cols.Start(FLeftCol));
    return true;
}

bool TViewport::RowAt(int32_t y, int32_t& row) const {
    if (y < FCells.Top || y >= FCells.Bottom) return false;
    const TAxisSizes& rows = FGeometry.Rows();
    if (y < FScrolledTop) row = rows.IndexAt(y - FCells.Top);
    else row = rows.IndexAt(int64_t(y - FScrolledTop) + rows.Start(FTopRow));
    return true;
}

} // namespace tabulix
