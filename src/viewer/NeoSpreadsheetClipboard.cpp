// The keyboard's shortcuts with Ctrl, and the clipboard: the selection copied as its cells show, as
// tab-separated text and as an HTML table; cut; text from other programs pasted from the active cell.
#include "viewer/NeoSpreadsheet.h"

#include "viewer/ClipboardText.h"

namespace tabulix {

bool TNeoSpreadsheet::RunShortcut(uint32_t key, bool shift) {
    switch (key) {
    case keys::LetterC:
    case keys::Insert:
        if (shift) return false;
        CopySelection();
        return true;
    case keys::LetterX: CutSelection(); return true;
    case keys::LetterV: PasteClipboard(); return true;
    case keys::LetterA: SelectWholeSheet(); return true;
    case keys::LetterZ:
        if (shift) {
            Redo();
        } else {
            Undo();
        }
        return true;
    case keys::LetterY: Redo(); return true;
    default: return false;
    }
}

void TNeoSpreadsheet::CopySelection() {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet || !FWnd || sheet->RowCount <= 0 || sheet->ColCount <= 0) return;
    const TCellRange range = SelectionRange();
    TClipboardWriter writer(size_t(range.CellCount()));
    for (int32_t row = range.Top; row <= range.Bottom; ++row) {
        for (int32_t col = range.Left; col <= range.Right; ++col) writer.AddCell(FWorkbook->ShownText(FCurrentSheet, row, col).Text);
        writer.EndRow();
    }
    if (!FWindows.Clipboard().Put(FWnd, writer.Text(), writer.Html())) {
        ReportError(u"The clipboard cannot be opened; nothing was copied.");
    }
}

void TNeoSpreadsheet::CutSelection() {
    if (!HasSelection()) return;
    FWorkbook->CheckEditable(FCurrentSheet); // nothing is copied from a sheet that cannot be cleared
    CopySelection();
    ClearSelection();
}

void TNeoSpreadsheet::PasteClipboard() {
    if (!HasSelection() || !FWnd) return;
    FWorkbook->CheckEditable(FCurrentSheet);
    const std::optional<std::u16string> text = FWindows.Clipboard().Text(FWnd);
    if (!text) return;
    // What is pasted stays within the rows and columns a worksheet loads.
    TClipboardCells cells;
    if (!ReadClipboardText(*text, MaxLoadedRows - FSelectedRow, MaxLoadedCols - FSelectedCol, cells)) {
        ReportError(u"Paste: the cells would pass row 2000 or column 200 (GR); nothing was pasted.");
        return;
    }
    if (cells.Rows.empty()) return;
    std::vector<TCellWrite> writes;
    for (size_t r = 0; r < cells.Rows.size(); ++r) {
        for (size_t c = 0; c < cells.Rows[r].size(); ++c) {
            writes.push_back({FSelectedRow + int32_t(r), FSelectedCol + int32_t(c), std::move(cells.Rows[r][c])});
        }
    }
    WriteCells(writes);
    // The pasted cells are selected, the active cell staying where the paste began.
    const TCellPos first{FSelectedCol, FSelectedRow};
    SelectRange(first, TCellPos{first.Col + cells.Cols() - 1, first.Row + int32_t(cells.Rows.size()) - 1}, first);
}

} // namespace tabulix
