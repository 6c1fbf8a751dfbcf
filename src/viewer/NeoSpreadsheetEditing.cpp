// The in-place edit box over the selected cell, and the find box with its search of the current sheet.
#include "viewer/NeoSpreadsheet.h"

#include "base/Error.h"
#include "base/Text.h"

#include <algorithm>

namespace tabulix {

namespace {

constexpr size_t MaxCellEditLength = 8191;
constexpr size_t MaxFindLength = 255;
constexpr int32_t FindBoxWidth = 200;
constexpr int32_t FindBoxHeight = 22;

} // namespace

void TNeoSpreadsheet::StartEditSelection() {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || FEdit || !FWnd) return;
    FWorkbook->CheckEditable(FCurrentSheet); // a chart sheet has no cell to edit: say so
    if (FSelectedCol < 0 || FSelectedCol >= sheet->ColCount || FSelectedRow < 0 || FSelectedRow >= sheet->RowCount) return;
    // The box covers the cell, or the merged area it is the first cell of.
    const TSheetGeometry& geometry = Geometry();
    const TGridArea* merge = geometry.MergeAt(FSelectedRow, FSelectedCol);
    const TGridArea area = merge ? *merge : TGridArea{FSelectedRow, FSelectedCol, FSelectedRow, FSelectedCol};
    const TViewport view = Viewport();
    TRect box = view.AreaRect(area);
    // Its pane's edges: a cell scrolled out to the left or above gets no box, an area partly out there
    // is cut at the edge; one below or to the right gets its box, outside the grid.
    const int32_t paneLeft = area.FirstCol < geometry.FrozenCols() ? view.Cells().Left : view.ScrolledLeft();
    const int32_t paneTop = area.FirstRow < geometry.FrozenRows() ? view.Cells().Top : view.ScrolledTop();
    if (box.Right <= paneLeft || box.Bottom <= paneTop) return;
    box.Left = std::max(box.Left, paneLeft);
    box.Top = std::max(box.Top, paneTop);
    const std::u16string text(sheet->Text(FSelectedRow, FSelectedCol));
    const TWindowHandle edit = FWindows.CreateCellEditor(FWnd, box, text);
    if (!edit) return;
    FWindows.SelectText(edit, 0, -1);
    FWindows.SetFocus(edit);
    FEdit = edit;
    FDraggingEdit = true;
}

void TNeoSpreadsheet::EndCellEdit(bool commit) { CloseCellEditor(commit, false); }

void TNeoSpreadsheet::CloseCellEditor(bool commit, bool losingFocus) {
    if (!FEdit) return;
    const TWindowHandle edit = FEdit;
    const std::u16string text = FWindows.GetText(edit, MaxCellEditLength);
    FEdit = nullptr;
    FDraggingEdit = false;
    // The box goes whatever storing its text does. While it is losing the focus its own notification is
    // running, so it goes once that is done, and the focus stays where the reader put it.
    auto remove = [&] {
        if (losingFocus) {
            FWindows.DestroyWindowSoon(edit);
        } else {
            FWindows.DestroyWindow(edit);
        }
        InvalidateAll();
        if (!losingFocus) FocusViewer();
    };
    try {
        if (commit && FWorkbook && FCurrentSheet >= 0) {
            WriteCells({{FSelectedRow, FSelectedCol, text}}); // also when unchanged
        }
    } catch (...) {
        remove();
        throw;
    }
    remove();
}

void TNeoSpreadsheet::OnCommand(uintptr_t wParam, intptr_t lParam) {
    const uint32_t notification = uint32_t(wParam >> 16) & 0xFFFF;
    if (!FEdit || lParam != reinterpret_cast<intptr_t>(FEdit) || notification != EditLostFocus) return;
    try {
        CloseCellEditor(true, true);
    } catch (...) {
        ReportError(CurrentExceptionMessage());
    }
}

void TNeoSpreadsheet::ShowFindBox() {
    if (FFindEdit) {
        FWindows.SetFocus(FFindEdit);
        return;
    }
    if (!FWnd) return;
    const TRect client = ClientRect();
    const int32_t x = client.Right - 220 > 4 ? client.Right - 220 : 4;
    const int32_t y = client.Top + 30;
    const TWindowHandle box = FWindows.CreateFindBox(FWnd, TRect{x, y, x + FindBoxWidth, y + FindBoxHeight}, *this);
    if (!box) return;
    FFindEdit = box;
    FWindows.SetFocus(box);
}

bool TNeoSpreadsheet::HandleFindBoxKey(uint32_t key) {
    if (FDetached || (key != keys::Return && key != keys::Escape)) return false;
    try {
        if (key == keys::Return) {
            if (FFindEdit) FindNext(FWindows.GetText(FFindEdit, MaxFindLength));
        } else {
            CloseFindBox(true);
        }
    } catch (...) {
        ReportError(CurrentExceptionMessage());
    }
    return true;
}

void TNeoSpreadsheet::CloseFindBox(bool refocus) {
    if (!FFindEdit) return;
    const TWindowHandle box = FFindEdit;
    FFindEdit = nullptr;
    FWindows.DestroyWindow(box);
    if (refocus) FocusViewer();
}

void TNeoSpreadsheet::FindNext(const std::u16string& text) {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || TrimView(text).empty()) return;
    // The needle is not trimmed: a leading blank must be found too. A cell matches by its text as
    // stored (what the edit box holds) or as its format shows it.
    auto matches = [&](int32_t row, int32_t col) {
        if (FindTextAscii(sheet->Text(row, col), text) != std::u16string_view::npos) return true;
        return FindTextAscii(FWorkbook->ShownText(FCurrentSheet, row, col).Text, text) != std::u16string_view::npos;
    };
    const int32_t firstRow = std::max(FSelectedRow, int32_t(0));
    const int32_t firstCol = FSelectedCol + 1;
    // From the cell after the selection to the end of the sheet, then from the top round to the selected
    // cell, which is examined last.
    for (int32_t row = firstRow; row < sheet->RowCount; ++row) {
        for (int32_t col = row == firstRow ? std::max(firstCol, int32_t(0)) : 0; col < sheet->ColCount; ++col) {
            if (matches(row, col)) return SelectCell(col, row, true);
        }
    }
    for (int32_t row = 0; row <= std::min(firstRow, sheet->RowCount - 1); ++row) {
        const int32_t end = row == firstRow ? std::min(firstCol, sheet->ColCount) : sheet->ColCount;
        for (int32_t col = 0; col < end; ++col) {
            if (matches(row, col)) return SelectCell(col, row, true);
        }
    }
    ReportError(u"Find: no match for \"" + text + u"\".");
}

} // namespace tabulix
