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
    if (!range.Contains(FSelectedCol, FSelectedRow) || range.IsSingleCell()) return single;
    // A range takes in whole every merged area it meets; one that is only the active cell's merged area
    // is that cell.
    const TSheetGeometry& geometry = Geometry();
    const TGridArea area = geometry.CoveringMerges(TGridArea{range.Top, range.Left, range.Bottom, range.Right});
    const TGridArea* merge = geometry.MergeAt(FSelectedRow, FSelectedCol);
    if (merge && *merge == area) return single;
    return TCellRange{area.FirstCol, area.FirstRow, area.LastCol, area.LastRow};
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
    if (const TGridArea* merge = Geometry().MergeAt(active.Row, active.Col)) {
        FSelectedCol = merge->FirstCol;
        FSelectedRow = merge->FirstRow;
    }
    InvalidateAll();
}

bool TNeoSpreadsheet::ExtendSelectionByKey(uint32_t key, bool control) {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return false;
    TCellPos end = SelectionRange().IsSingleCell() ? TCellPos{FSelectedCol, FSelectedRow} : FRangeEnd;
    const TSheetGeometry& geometry = Geometry();
    // By one shown row or column, past a merged area as a whole.
    const auto step = [&](int32_t colStep, int32_t rowStep) {
        if (const TGridArea* merge = geometry.MergeAt(end.Row, end.Col)) {
            if (colStep != 0) end.Col = colStep > 0 ? merge->LastCol : merge->FirstCol;
            if (rowStep != 0) end.Row = rowStep > 0 ? merge->LastRow : merge->FirstRow;
        }
        if (colStep != 0) end.Col = geometry.Cols().StepShown(end.Col, colStep);
        if (rowStep != 0) end.Row = geometry.Rows().StepShown(end.Row, rowStep);
    };
    // By as many rows as the scrolled part shows.
    const auto page = [&](bool down) {
        const TAxisSizes& rows = geometry.Rows();
        const int64_t room = Viewport().ScrolledHeight();
        const int32_t row = down ? rows.IndexAt(rows.Start(end.Row) + room) : rows.FirstStartingAt(rows.Start(end.Row) - room);
        if (down ? row > end.Row : row < end.Row) {
            end.Row = row;
        } else {
            step(0, down ? 1 : -1);
        }
    };
    const int32_t lastCol = sheet->ColCount - 1;
    const int32_t lastRow = sheet->RowCount - 1;
    switch (key) {
    case keys::Left: step(-1, 0); break;
    case keys::Right: step(1, 0); break;
    case keys::Up: step(0, -1); break;
    case keys::Down: step(0, 1); break;
    case keys::PageUp: page(false); break;
    case keys::PageDown: page(true); break;
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
    if (!sheet || !GridRect().Contains(x, y) || sheet->ColCount <= 0 || sheet->RowCount <= 0) return false;
    // The header bands: the column letters along the top, the row numbers down the left.
    const TRect cells = CellsRect();
    const bool onLetters = y < cells.Top;
    const bool onNumbers = x < cells.Left;
    if (!onLetters && !onNumbers) return false;
    if (onLetters && onNumbers) {
        SelectWholeSheet();
        return true;
    }
    // The active cell of a column chosen is its first row shown, of a row its first column shown; past
    // the sheet's last column or row a click selects nothing.
    const TViewport view = Viewport();
    int32_t col = 0;
    int32_t row = 0;
    if (!(onLetters ? view.ColumnAt(x, col) && view.RowAt(cells.Top, row) : view.ColumnAt(cells.Left, col) && view.RowAt(y, row))) {
        return true;
    }
    if (col >= sheet->ColCount || row >= sheet->RowCount) return true;
    const TCellPos active{FSelectedCol, FSelectedRow};
    const TCellPos start = SelectionRange().IsSingleCell() ? active : FRangeAnchor;
    const int32_t lastCol = sheet->ColCount - 1;
    const int32_t lastRow = sheet->RowCount - 1;
    if (onLetters) {
        if (extend) {
            SelectRange(TCellPos{start.Col, 0}, TCellPos{col, lastRow}, active);
        } else {
            SelectRange(TCellPos{col, 0}, TCellPos{col, lastRow}, TCellPos{col, row});
        }
    } else if (extend) {
        SelectRange(TCellPos{0, start.Row}, TCellPos{lastCol, row}, active);
    } else {
        SelectRange(TCellPos{0, row}, TCellPos{lastCol, row}, TCellPos{col, row});
    }
    return true;
}

TCellPos TNeoSpreadsheet::CellNearest(int32_t x, int32_t y) const {
    const TXlsxSheet* sheet = CurrentSheet();
    const TRect cells = CellsRect();
    if (!sheet || cells.Width() <= 0 || cells.Height() <= 0) return TCellPos{FSelectedCol, FSelectedRow};
    // A point beyond the cells is taken to their edge; one beyond the sheet's last column or row to it.
    const TViewport view = Viewport();
    int32_t col = 0;
    int32_t row = 0;
    view.ColumnAt(std::clamp(x, cells.Left, cells.Right - 1), col);
    view.RowAt(std::clamp(y, cells.Top, cells.Bottom - 1), row);
    return ClampedCell(TCellPos{col, row}, sheet->ColCount, sheet->RowCount);
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
    // Beyond an edge of the cells the scrolled part moves a shown row or column towards the pointer,
    // now and then again on the timer for as long as the pointer stays there.
    ClampScroll();
    const TSheetGeometry& geometry = Geometry();
    const TRect cells = CellsRect();
    const int32_t leftCol = FLeftCol;
    const int32_t topRow = FTopRow;
    if (x < cells.Left) {
        FLeftCol = std::max(geometry.Cols().StepShown(FLeftCol, -1), geometry.FrozenCols());
    } else if (x >= cells.Right && FLeftCol < sheet->ColCount - 1) {
        FLeftCol = geometry.Cols().StepShown(FLeftCol, 1);
    }
    if (y < cells.Top) {
        FTopRow = std::max(geometry.Rows().StepShown(FTopRow, -1), geometry.FrozenRows());
    } else if (y >= cells.Bottom && FTopRow < sheet->RowCount - 1) {
        FTopRow = geometry.Rows().StepShown(FTopRow, 1);
    }
    const bool beyond = FLeftCol != leftCol || FTopRow != topRow;
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
    ForgetGeometry(); // an edit may have moved the rows' sizes and the merged areas, or the sheet shown
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
