#pragma once

// Cells and rectangles of cells as the viewer's selection, its commands and its clipboard see them:
// 0-based columns and rows of the current sheet.

#include <algorithm>
#include <cstdint>

namespace tabulix {

struct TCellPos {
    int32_t Col = 0;
    int32_t Row = 0;
    bool operator==(const TCellPos& other) const = default;
};

// The cells from column Left to Right and from row Top to Bottom, both ends included.
struct TCellRange {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    // The rectangle with a and b at opposite corners.
    static TCellRange Spanning(TCellPos a, TCellPos b) {
        return {std::min(a.Col, b.Col), std::min(a.Row, b.Row), std::max(a.Col, b.Col), std::max(a.Row, b.Row)};
    }
    int32_t Cols() const { return Right - Left + 1; }
    int32_t Rows() const { return Bottom - Top + 1; }
    int64_t CellCount() const { return int64_t(Cols()) * int64_t(Rows()); }
    bool IsSingleCell() const { return Left == Right && Top == Bottom; }
    bool Contains(int32_t col, int32_t row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    bool operator==(const TCellRange& other) const = default;
};

// A cell kept inside a sheet of cols x rows cells (an empty sheet keeps it at the first cell).
inline TCellPos ClampedCell(TCellPos cell, int32_t cols, int32_t rows) {
    return {std::clamp(cell.Col, int32_t(0), std::max(cols - 1, int32_t(0))),
            std::clamp(cell.Row, int32_t(0), std::max(rows - 1, int32_t(0)))};
}

} // namespace tabulix
