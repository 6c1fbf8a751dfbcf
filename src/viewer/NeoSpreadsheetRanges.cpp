// The selected range: extended with Shift by the mouse and the keys, whole columns, rows and the sheet
// chosen on the headers, drawn out by dragging over cells (scrolling while the pointer is beyond the
// grid), and the status of the numbers it holds.
#include "viewer/NeoSpreadsheet.h"

#include "base/Numbers.h"
#include "format/NumberFormat.h"

#include <algorithm>

namespace tabulix {

TCellRange TNeoSpreadsheet::SelectionRange() const {
    const TCellRange single{FSelectedCol, FSelectedRow, FSelectedCol, FSelectedRow};
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return single;
    const TCellRange range = TCellRange::Spanning(ClampedCell(FRangeAnchor, sheet->ColCount, sheet->RowCount),
                                                  ClampedCell(FRangeEnd, sheet->ColCount, sheet->RowCount));
    // A range that no longer holds the active cell (a row deleted under it, a cell chosen otherwise) is gone.
    return range.Contains(FSelectedCol, FSelectedRow) ? range : single;
}

void TNeoSpreadsheet::ExtendSelection(TCellPos end, bool scroll) {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || sheet->ColCount <= 0 || sheet->RowCount <= 0) return;
    if (SelectionRange().IsSingleCell()) FRangeAnchor = TCellPos{FSelectedCol, FSelectedRow};
    FRangeEnd = ClampedCell(end, sheet->ColCount, sheet->RowCount);
    if (scroll) ScrollIntoView(FRangeEnd.Col, FRangeEnd.Row);
    InvalidateAll();
}

void TNeoSpreadsheet::SelectRange(TCellPos anchor, TCellPos end, TCellPos active) {
    FRangeAnchor = anchor;
    FRangeEnd = end;
    FSelectedCol = active.Col;
    FSelectedRow = active.Row;
    InvalidateAll();
}

bool TNeoSpreadsheet::ExtendSelectionByKey(uint32_t key, bool control) {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return false;
    TCellPos end = SelectionRange().IsSingleCell() ? TCellPos{FSelectedCol, FSelectedRow} : FRangeEnd;
    const int32_t lastCol = sheet->ColCount - 1;
    const int32_t lastRow = sheet->RowCount - 1;
    switch (key) {
    case keys::Left: --end.Col; break;
    case keys::Right: ++end.Col; break;
    case keys::Up: --end.Row; break;
    case keys::Down: ++end.Row; break;
    case keys::PageUp: end.Row -= 10; break;
    case keys::PageDown: end.Row += 10; break;
    case keys::Home: end = control ? TCellPos{0, 0} : TCellPos{0, end.Row}; break;
    case keys::End: end = control ? TCellPos{lastCol, lastRow} : TCellPos{lastCol, end.Row}; break;
    default: return false;
    }
    ExtendSelection(end);
    return true;
}

void TNeoSpreadsheet::SelectWholeSheet() {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || sheet->ColCount <= 0 || sheet->RowCount <= 0) return;
    SelectRange(TCellPos{0, 0}, TCellPos{sheet->ColCount - 1, sheet->RowCount - 1}, TCellPos{FSelectedCol, FSelectedRow});
}

bool TNeoSpreadsheet::SelectByHeader(int32_t x, int32_t y, bool extend) {
    const TXlsxSheet* sheet = CurrentSheet();
    const TRect grid = GridRect();
    if (!sheet || !grid.Contains(x, y) || sheet->ColCount <= 0 || sheet->RowCount <= 0) return false;
    // The header bands: the column letters along the top, the row numbers down the left.
    const int32_t cellsLeft = grid.Left + RowHeaderWidth;
    const int32_t cellsTop = grid.Top + FRowHeight;
    const bool onLetters = y < cellsTop;
    const bool onNumbers = x < cellsLeft;
    if (!onLetters && !onNumbers) return false;
    if (onLetters && onNumbers) {
        SelectWholeSheet();
        return true;
    }
    int32_t col = 0;
    int32_t row = 0;
    // The column under the letters is the one of the first row shown, the row beside a number the one of
    // the first column shown; past the sheet's last column or row a click selects nothing.
    if (!(onLetters ? CellAt(x, cellsTop, col, row) : CellAt(cellsLeft, y, col, row))) return true;
    const TCellPos start = SelectionRange().IsSingleCell() ? TCellPos{FSelectedCol, FSelectedRow} : FRangeAnchor;
    const int32_t lastCol = sheet->ColCount - 1;
    const int32_t lastRow = sheet->RowCount - 1;
    if (onLetters) {
        if (extend) {
            SelectRange(TCellPos{start.Col, 0}, TCellPos{col, lastRow}, TCellPos{FSelectedCol, FSelectedRow});
        } else {
            SelectRange(TCellPos{col, 0}, TCellPos{col, lastRow}, TCellPos{col, row});
        }
    } else if (extend) {
        SelectRange(TCellPos{0, start.Row}, TCellPos{lastCol, row}, TCellPos{FSelectedCol, FSelectedRow});
    } else {
        SelectRange(TCellPos{0, row}, TCellPos{lastCol, row}, TCellPos{col, row});
    }
    return true;
}

TCellPos TNeoSpreadsheet::CellNearest(int32_t x, int32_t y) const {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return TCellPos{};
    const TRect grid = GridRect();
    const int32_t cellsLeft = grid.Left + RowHeaderWidth;
    const int32_t cellsTop = grid.Top + FRowHeight;
    x = std::clamp(x, cellsLeft, std::max(cellsLeft, grid.Right - 1));
    y = std::clamp(y, cellsTop, std::max(cellsTop, grid.Bottom - 1));
    int32_t col = 0;
    int32_t row = 0;
    if (CellAt(x, y, col, row)) return TCellPos{col, row};
    // Beyond the sheet's last column or row: that column or row, and the other under the pointer.
    TCellPos nearest{sheet->ColCount - 1, sheet->RowCount - 1};
    if (CellAt(x, cellsTop, col, row)) nearest.Col = col;
    if (CellAt(cellsLeft, y, col, row)) nearest.Row = row;
    return ClampedCell(nearest, sheet->ColCount, sheet->RowCount);
}

void TNeoSpreadsheet::StartDragSelection() {
    if (!FWnd) return;
    FDraggingSelection = true;
    FWindows.CaptureMouse(FWnd);
}

void TNeoSpreadsheet::OnMouseMove(int32_t x, int32_t y) {
    if (!FDraggingSelection) return;
    FDragPoint = TPoint{x, y};
    DragSelectionTo(x, y);
}

void TNeoSpreadsheet::DragSelectionTo(int32_t x, int32_t y) {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || !FWnd) return;
    // Beyond an edge of the cells the view moves a row or a column towards the pointer, now and then
    // again on the timer for as long as the pointer stays there.
    const TRect grid = GridRect();
    bool beyond = false;
    if (x < grid.Left + RowHeaderWidth && FLeftCol > 0) {
        --FLeftCol;
        beyond = true;
    } else if (x >= grid.Right && FLeftCol < sheet->ColCount - 1) {
        ++FLeftCol;
        beyond = true;
    }
    if (y < grid.Top + FRowHeight && FTopRow > 0) {
        --FTopRow;
        beyond = true;
    } else if (y >= grid.Bottom && FTopRow < sheet->RowCount - 1) {
        ++FTopRow;
        beyond = true;
    }
    if (beyond != FDragScrolling) {
        FDragScrolling = beyond;
        if (beyond) {
            FWindows.StartTimer(FWnd, DragScrollTimerId, DragScrollMilliseconds);
        } else {
            FWindows.StopTimer(FWnd, DragScrollTimerId);
        }
    }
    ExtendSelection(CellNearest(x, y), false); // the drag scrolls by itself, a step at a time
}

void TNeoSpreadsheet::EndDragSelection() {
    if (!FDraggingSelection) return;
    FDraggingSelection = false;
    if (!FWnd) return;
    if (FDragScrolling) FWindows.StopTimer(FWnd, DragScrollTimerId);
    FDragScrolling = false;
    FWindows.ReleaseMouse(FWnd);
}

void TNeoSpreadsheet::CellsChanged() {
    ++FCellChanges;
    InvalidateAll();
}

std::u16string TNeoSpreadsheet::SelectionStatus() {
    const TCellRange range = SelectionRange();
    const TStatusKey key{FCurrentSheet, range, FCellChanges};
    if (key == FStatusKey) return FStatusText;
    FStatusKey = key;
    FStatusText.clear();
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || range.IsSingleCell()) return FStatusText;
    // As applications count: every cell holding something, and the numbers (dates among them) summed.
    double sum = 0;
    int64_t numbers = 0;
    int64_t filled = 0;
    for (int32_t row = range.Top; row <= range.Bottom; ++row) {
        for (int32_t col = range.Left; col <= range.Right; ++col) {
            if (sheet->Text(row, col).empty()) continue;
            ++filled;
            if (const std::optional<double> number = sheet->Number(row, col)) {
                sum += *number;
                ++numbers;
            }
        }
    }
    if (numbers == 0) return FStatusText;
    FStatusText = u"Sum: " + ShownGeneralText(sum) + u"  Count: " + IntToText(filled) + u"  Average: " +
                  ShownGeneralText(sum / double(numbers));
    return FStatusText;
}

} // namespace tabulix
