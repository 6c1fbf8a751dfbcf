// The viewer's commands: the page-mode action toolbar, the sheet-tab menu with adding and deleting
// sheets, highlighting, and saving and exporting the workbook.
#include "viewer/NeoSpreadsheet.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "export/XlsxExporter.h"

#include <algorithm>

namespace tabulix {

namespace {

constexpr uint32_t InsertSheetItem = 1;
constexpr uint32_t DeleteSheetItem = 2;

} // namespace

std::optional<TColor> HighlightColorFromName(const std::u16string& name) {
    struct TNamedColor {
        const char16_t* Name;
        TColor Color;
    };
    static const TNamedColor colors[] = {
        {u"Yellow", RgbColor(255, 255, 128)}, {u"Green", RgbColor(128, 255, 128)}, {u"Red", RgbColor(255, 128, 128)},
        {u"Blue", RgbColor(128, 192, 255)},   {u"Orange", RgbColor(255, 165, 10)},
    };
    const std::u16string_view wanted = TrimView(name);
    for (const TNamedColor& color : colors) {
        if (SameTextAscii(wanted, color.Name)) return color.Color;
    }
    return std::nullopt;
}

void TNeoSpreadsheet::RunActionButton(int32_t button) {
    switch (button) {
    case 0:
    case 1:
        // The host command may leave the page and destroy this viewer: it runs once this click is done.
        if (FWnd) FWindows.PostWindowMessage(FWnd, messages::PageNavigate, uintptr_t(button), 0);
        break;
    case 2: StartEditSelection(); break;
    case 3: ToggleHighlightSelection(u"Yellow"); break;
    case 4: SaveWorkbook(u""); break;
    default: break;
    }
}

void TNeoSpreadsheet::ToggleHighlightSelection(const std::u16string& colorName) {
    if (!FWorkbook || FCurrentSheet < 0 || FSelectedCol < 0 || FSelectedRow < 0) return;
    const int64_t key = CellKey(FCurrentSheet, FSelectedRow, FSelectedCol);
    const std::optional<TColor> color = HighlightColorFromName(colorName);
    const auto found = FHighlights.find(key);
    if (!color || (found != FHighlights.end() && found->second == *color)) {
        FHighlights.erase(key);
    } else {
        FHighlights[key] = *color;
    }
    InvalidateAll();
}

void TNeoSpreadsheet::ShowSheetTabMenu(int32_t sheet, TPoint screenPoint) {
    if (!FWorkbook || !FWnd) return;
    const bool canDelete = SheetCount() > 1;
    const std::vector<TMenuItem> items = {{InsertSheetItem, u"Insert Sheet", true, false},
                                          {DeleteSheetItem, u"Delete Sheet", canDelete, false}};
    const uint32_t chosen = FWindows.TrackPopupMenu(FWnd, items, screenPoint);
    if (chosen == InsertSheetItem) {
        AddNewSheet();
    } else if (chosen == DeleteSheetItem && canDelete) {
        DeleteSheetWithConfirm(sheet);
    }
}

void TNeoSpreadsheet::AddNewSheet() {
    if (!FWorkbook) return;
    EndCellEdit(true);
    const int32_t index = FWorkbook->AddSheet(u"Sheet" + IntToText(int64_t(SheetCount()) + 1));
    GotoSheet(index);
}

void TNeoSpreadsheet::DeleteSheetWithConfirm(int32_t sheet) {
    if (!FWorkbook || sheet < 0 || sheet >= SheetCount() || SheetCount() <= 1) return;
    const std::u16string question =
        FormatMessageText(u"Delete worksheet \"%s\"? This cannot be undone once the workbook is saved.",
                          {FWorkbook->Sheet(sheet).Name});
    if (!FWnd || !FWindows.ConfirmYesNo(FWnd, question)) return;
    EndCellEdit(true);
    CloseFindBox(false);
    const int32_t current = FCurrentSheet;
    FWorkbook->DeleteSheet(sheet);
    if (sheet == current) {
        // The sheet that took its place, or the new last one.
        FCurrentSheet = std::min(sheet, SheetCount() - 1);
        FSelectedCol = 0;
        FSelectedRow = 0;
        FTopRow = 0;
        FLeftCol = 0;
        ClampSelection();
        PublishSheetVariables();
        return;
    }
    if (sheet < current) FCurrentSheet = current - 1; // the same sheet stays on screen
    InvalidateAll();
}

void TNeoSpreadsheet::ShowRibbonMenu(int32_t tab) {
    // The ribbon's menus and commands come with the ribbon itself; a click on a tab shows nothing yet.
    (void)tab;
}

void TNeoSpreadsheet::SaveWorkbook(const std::u16string& fileName) {
    if (!FWorkbook) throw TTabulixError(u"No workbook is currently open.");
    EndCellEdit(true);
    const std::u16string name = TrimView(fileName).empty() ? FFileName : fileName;
    if (TrimView(name).empty()) throw TTabulixError(u"No output file name was supplied.");
    FWorkbook->SaveToFile(name);
    FFileName = name;
}

void TNeoSpreadsheet::ExportWorkbook(const std::u16string& format, const std::u16string& scope,
                                     const std::u16string& fileName) {
    if (!FWorkbook) throw TTabulixError(u"No workbook is currently open.");
    // An open edit box is not stored first: the text still being typed is not exported.
    ExportWorkbookToFile(FWorkbook.get(), FCurrentSheet, format, scope, fileName);
}

} // namespace tabulix
