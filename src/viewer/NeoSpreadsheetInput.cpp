// The reader's mouse and keys: hit tests over the layout, the selection, scrolling, and the routing of
// clicks to the action toolbar, the sheet tabs, the ribbon and the cells.
#include "viewer/NeoSpreadsheet.h"

#include "base/Error.h"

#include <algorithm>

namespace tabulix {

namespace {

constexpr int32_t WheelNotch = 120;

} // namespace

void TNeoSpreadsheet::FocusViewer() {
    if (FWnd) FWindows.SetFocus(FWnd);
}

int32_t TNeoSpreadsheet::ActionButtonAt(int32_t x, int32_t y) const {
    if (!FPageMode || !FShowActionToolbar) return -1;
    const TRect bar = ActionToolbarRect();
    if (!bar.Contains(x, y)) return -1;
    const int32_t button = (x - bar.Left) / ActionButtonWidth;
    return button >= 0 && button <= 4 ? button : -1;
}

bool TNeoSpreadsheet::IsOnAddSheetButton(int32_t x, int32_t y) const {
    if (FPageMode || !FWorkbook) return false;
    return AddSheetButtonRect().Contains(x, y);
}

int32_t TNeoSpreadsheet::SheetTabAt(int32_t x, int32_t y) const {
    if (FPageMode || !FWorkbook) return -1;
    const TRect strip = SheetTabStripRect();
    if (!strip.Contains(x, y)) return -1;
    for (int32_t n = 0; n < SheetCount(); ++n) {
        const int32_t left = strip.Left + SheetTabWidth * n;
        if (x >= left && x < left + SheetTabWidth) return n;
        if (left + SheetTabWidth >= strip.Right) break;
    }
    return -1;
}

int32_t TNeoSpreadsheet::RibbonTabAt(int32_t x, int32_t y) const {
    if (FToolbarPlacement != u"Top" && FToolbarPlacement != u"Bottom") return -1;
    for (int32_t i = 0; i < int32_t(std::size(RibbonTabs)); ++i) {
        if (RibbonTabRect(i).Contains(x, y)) return RibbonTabs[i];
    }
    return -1;
}

bool TNeoSpreadsheet::CellAt(int32_t x, int32_t y, int32_t& col, int32_t& row) const {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || !GridRect().Contains(x, y)) return false;
    const TViewport view = Viewport();
    if (!view.ColumnAt(x, col) || !view.RowAt(y, row)) return false;
    return col < sheet->ColCount && row < sheet->RowCount;
}

void TNeoSpreadsheet::SelectCell(int32_t col, int32_t row, bool scroll) {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || col < 0 || row < 0 || col >= sheet->ColCount || row >= sheet->RowCount) return;
    if (const TGridArea* merge = Geometry().MergeAt(row, col)) {
        col = merge->FirstCol;
        row = merge->FirstRow;
    }
    FSelectedCol = col;
    FSelectedRow = row;
    FRangeAnchor = FRangeEnd = TCellPos{col, row};
    if (scroll) ScrollIntoView(col, row);
    FocusViewer();
    InvalidateAll();
}

void TNeoSpreadsheet::MoveSelection(int32_t colStep, int32_t rowStep) {
    const TSheetGeometry& geometry = Geometry();
    int32_t col = FSelectedCol;
    int32_t row = FSelectedRow;
    // Onwards from a merged area's last row or column, so that the area is passed as one cell.
    if (const TGridArea* merge = geometry.MergeAt(row, col)) {
        if (colStep > 0) col = merge->LastCol;
        if (rowStep > 0) row = merge->LastRow;
    }
    const int32_t nextCol = colStep != 0 ? geometry.Cols().StepShown(col, colStep) : col;
    const int32_t nextRow = rowStep != 0 ? geometry.Rows().StepShown(row, rowStep) : row;
    // No shown row or column that way: the selection stays.
    if ((colStep != 0 && nextCol == col) || (rowStep != 0 && nextRow == row)) return;
    SelectCell(nextCol, nextRow, true);
}

void TNeoSpreadsheet::PageRows(bool down) {
    if (!CurrentSheet()) return;
    ClampScroll();
    const TSheetGeometry& geometry = Geometry();
    const TAxisSizes& rows = geometry.Rows();
    const int32_t room = Viewport().ScrolledHeight();
    int32_t top = 0;
    if (down) {
        // The row the page's bottom edge cuts, or the one after it, comes to the top. No upper limit:
        // the view may pass the last row until an arrow key brings the selection back.
        top = rows.IndexAt(rows.Start(FTopRow) + room);
        if (top <= FTopRow) top = rows.StepShown(FTopRow, 1);
    } else {
        top = rows.FirstStartingAt(rows.Start(FTopRow) - room);
        if (top >= FTopRow) top = rows.StepShown(FTopRow, -1);
    }
    FTopRow = std::max(top, geometry.FrozenRows());
    InvalidateAll();
}

void TNeoSpreadsheet::OnLeftButtonDown(int32_t x, int32_t y) {
    // The focus first: an open edit box stores its text before the click is interpreted.
    FocusViewer();
    const int32_t button = ActionButtonAt(x, y);
    if (button >= 0) {
        try {
            RunActionButton(button);
        } catch (...) {
            ReportError(CurrentExceptionMessage());
        }
        return;
    }
    if (IsOnAddSheetButton(x, y)) {
        CloseFindBox(false);
        try {
            AddNewSheet();
        } catch (...) {
            ReportError(CurrentExceptionMessage());
        }
        return;
    }
    const int32_t tab = SheetTabAt(x, y);
    if (tab >= 0) {
        CloseFindBox(false);
        GotoSheet(tab);
        return;
    }
    if (FToolbarPlacement != u"None" && ToolbarRect().Contains(x, y)) {
        CloseFindBox(false);
        const int32_t ribbonTab = RibbonTabAt(x, y);
        if (ribbonTab >= 0) {
            try {
                ShowRibbonMenu(ribbonTab);
            } catch (...) {
                ReportError(CurrentExceptionMessage());
            }
        }
        return;
    }
    const bool extend = FWindows.IsKeyDown(keys::Shift);
    int32_t col = 0;
    int32_t row = 0;
    if (CellAt(x, y, col, row)) {
        CloseFindBox(false);
        if (extend) {
            ExtendSelection(TCellPos{col, row});
        } else {
            SelectCell(col, row, true);
        }
        StartDragSelection();
        return;
    }
    if (SelectByHeader(x, y, extend)) CloseFindBox(false);
}

void TNeoSpreadsheet::OnRightButtonDown(int32_t x, int32_t y) {
    const int32_t tab = SheetTabAt(x, y);
    if (tab < 0 || !FWnd) return;
    try {
        ShowSheetTabMenu(tab, FWindows.ClientToScreen(FWnd, TPoint{x, y}));
    } catch (...) {
        ReportError(CurrentExceptionMessage());
    }
}

void TNeoSpreadsheet::OnMouseWheel(uintptr_t wParam) {
    // Whole notches only: a turn of less than a notch moves nothing and is not kept. A notch is a row
    // (a column with Shift), hidden ones passed over.
    const int32_t notches = int32_t(int16_t(uint16_t(wParam >> 16))) / WheelNotch;
    const TSheetGeometry& geometry = Geometry();
    if (wParam & ShiftKeyFlag) {
        const int32_t frozen = geometry.FrozenCols();
        FLeftCol = std::max(geometry.Cols().StepShown(std::max(FLeftCol, frozen), -notches), frozen);
    } else {
        const int32_t frozen = geometry.FrozenRows();
        FTopRow = std::max(geometry.Rows().StepShown(std::max(FTopRow, frozen), -notches), frozen);
    }
    InvalidateAll();
}

void TNeoSpreadsheet::OnKeyDown(uint32_t key) {
    const bool shift = FWindows.IsKeyDown(keys::Shift);
    const bool control = FWindows.IsKeyDown(keys::Control);
    if (control && RunShortcut(key, shift)) return;
    if (shift && key == keys::Insert) return PasteClipboard();
    if (shift && ExtendSelectionByKey(key, control)) return;
    switch (key) {
    case keys::Return:
    case keys::F2:
        StartEditSelection();
        break;
    case keys::PageUp: PageRows(false); break;
    case keys::PageDown: PageRows(true); break;
    case keys::Left: MoveSelection(-1, 0); break;
    case keys::Up: MoveSelection(0, -1); break;
    case keys::Right: MoveSelection(1, 0); break;
    case keys::Down: MoveSelection(0, 1); break;
    case keys::Delete: ClearSelection(); break;
    default: break;
    }
}

void TNeoSpreadsheet::OnChar(uint32_t code) {
    // A printable ASCII character typed on the grid starts editing with that character.
    if (code < 32 || code > 126 || FEdit) return;
    StartEditSelection();
    if (!FEdit) return;
    FWindows.SetText(FEdit, std::u16string(1, char16_t(code)));
    FWindows.SelectText(FEdit, 1, 1);
}

} // namespace tabulix
