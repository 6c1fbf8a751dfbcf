// The viewer's commands: the page-mode action toolbar, the sheet-tab menu with adding and deleting
// sheets, the ribbon's commands on the selection and the view, the file dialogs, saving and exporting.
#include "viewer/NeoSpreadsheet.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "base/Files.h"
#include "export/XlsxExporter.h"
#include "workbook/XlsxBlankTemplate.h"

#include <algorithm>
#include <cmath>

namespace tabulix {

namespace {

constexpr uint32_t InsertSheetItem = 1;
constexpr uint32_t DeleteSheetItem = 2;
const std::u16string WorkbookFilter = u"Excel Workbook (*.xlsx)|*.xlsx";

// The nearest integer, an exact half going to the even neighbour, whatever rounding mode the host set.
// Zoom steps multiply by the double nearest 1.1, a hair above it, in extended precision, so that 35 x 1.1
// is just over 38.5 and zooming in goes 35, 39, 43.
int32_t NearestInteger(long double value) {
    const long double below = std::floor(value);
    const long double fraction = value - below;
    long double result = below;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(below, 2.0L) != 0)) result = below + 1;
    return int32_t(result);
}

constexpr long double ZoomStep = static_cast<long double>(1.1);
// The sizes a workbook gives are zoomed as far as the viewer's own column width goes from 96 pixels:
// 13 steps out (to 30 pixels) and 15 in (to 400).
constexpr int32_t MinZoomSteps = 13;
constexpr int32_t MaxZoomSteps = 15;

// The folder a file dialog starts in: the folder part of the file name, without its last separator
// unless it is a drive's root.
std::u16string FolderOf(const std::u16string& fileName) {
    std::u16string folder = FolderPartOf(fileName);
    if (folder.size() > 1 && (folder.back() == u'\\' || folder.back() == u'/') && folder[folder.size() - 2] != u':') {
        folder.pop_back();
    }
    return folder;
}

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
    const uint32_t chosen = AskMenuChoice(items, screenPoint);
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
    ForgetGeometry();
    GotoSheet(index);
}

void TNeoSpreadsheet::DeleteSheetWithConfirm(int32_t sheet) {
    if (!FWorkbook || sheet < 0 || sheet >= SheetCount() || SheetCount() <= 1) return;
    const std::u16string question =
        FormatMessageText(u"Delete worksheet \"%s\"? This cannot be undone once the workbook is saved.",
                          {FWorkbook->Sheet(sheet).Name});
    if (!AskYesNo(question)) return;
    EndCellEdit(true);
    CloseFindBox(false);
    const int32_t current = FCurrentSheet;
    FWorkbook->DeleteSheet(sheet);
    ForgetGeometry();
    if (sheet == current) {
        ShowSheetFromItsStart(std::min(sheet, SheetCount() - 1)); // the sheet that took its place, or the new last
        return;
    }
    if (sheet < current) FCurrentSheet = current - 1; // the same sheet stays on screen
    InvalidateAll();
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

namespace tabulix {

bool TNeoSpreadsheet::HasSelection() const {
    return FWorkbook && FCurrentSheet >= 0 && FSelectedCol >= 0 && FSelectedRow >= 0;
}

void TNeoSpreadsheet::ToggleFontStyle(TFontToggle toggle) {
    if (!HasSelection()) return;
    const TCellStyles& styles = FWorkbook->Styles();
    const int32_t style = FWorkbook->Sheet(FCurrentSheet).StyleIndex(FSelectedRow, FSelectedCol);
    const TCellFont& font = styles.Font(styles.Style(style).Font);
    TFormattingChange change;
    switch (toggle) {
    case TFontToggle::Bold: change.Bold = !font.Bold; break;
    case TFontToggle::Italic: change.Italic = !font.Italic; break;
    case TFontToggle::Underline: change.Underline = !font.Underline; break;
    }
    FWorkbook->SetCellFormatting(FCurrentSheet, FSelectedRow, FSelectedCol, change);
    InvalidateAll();
}

void TNeoSpreadsheet::AlignSelection(THorizontalAlign alignment) {
    if (!HasSelection()) return;
    TFormattingChange change;
    change.Horizontal = alignment;
    FWorkbook->SetCellFormatting(FCurrentSheet, FSelectedRow, FSelectedCol, change);
    InvalidateAll();
}

void TNeoSpreadsheet::InsertRowAtSelection() {
    if (!FWorkbook || FCurrentSheet < 0) return;
    // The new row takes the selected row's place: the selection is on it.
    FWorkbook->InsertRow(FCurrentSheet, std::max(FSelectedRow, int32_t(0)));
    ForgetGeometry(); // the rows' sizes and the merged areas moved
    InvalidateAll();
}

void TNeoSpreadsheet::InsertColumnAtSelection() {
    if (!FWorkbook || FCurrentSheet < 0) return;
    FWorkbook->InsertColumn(FCurrentSheet, std::max(FSelectedCol, int32_t(0)));
    ForgetGeometry();
    InvalidateAll();
}

void TNeoSpreadsheet::DeleteSelectedRow() {
    if (!FWorkbook || FCurrentSheet < 0 || FSelectedRow < 0) return;
    FWorkbook->DeleteRow(FCurrentSheet, FSelectedRow);
    ForgetGeometry();
    const int32_t rows = FWorkbook->Sheet(FCurrentSheet).RowCount;
    if (FSelectedRow >= rows) FSelectedRow = std::max(rows - 1, int32_t(0));
    InvalidateAll();
}

void TNeoSpreadsheet::DeleteSelectedColumn() {
    if (!FWorkbook || FCurrentSheet < 0 || FSelectedCol < 0) return;
    FWorkbook->DeleteColumn(FCurrentSheet, FSelectedCol);
    ForgetGeometry();
    const int32_t columns = FWorkbook->Sheet(FCurrentSheet).ColCount;
    if (FSelectedCol >= columns) FSelectedCol = std::max(columns - 1, int32_t(0));
    InvalidateAll();
}

void TNeoSpreadsheet::SortBySelectedColumn(bool ascending) {
    if (!FWorkbook || FCurrentSheet < 0 || FSelectedCol < 0) return;
    FWorkbook->SortByColumn(FCurrentSheet, FSelectedCol, ascending, true); // the first row stays
    ForgetGeometry(); // rows keep their heights as they move
    InvalidateAll();
}

void TNeoSpreadsheet::AggregateAbove(int32_t kind) {
    if (!HasSelection()) return;
    FWorkbook->CheckEditable(FCurrentSheet); // before the search finds nothing on a chart sheet
    const TXlsxSheet& sheet = FWorkbook->Sheet(FCurrentSheet);
    double sum = 0;
    double largest = 0;
    double smallest = 0;
    int64_t count = 0;
    // Upwards from the row above the selection, until the first cell that is not a number.
    for (int32_t row = std::min(FSelectedRow, sheet.RowCount) - 1; row >= 0; --row) {
        const std::optional<double> number = ReadDecimalNumber(sheet.Text(row, FSelectedCol));
        if (!number) break;
        sum += *number;
        largest = count == 0 ? *number : std::max(largest, *number);
        smallest = count == 0 ? *number : std::min(smallest, *number);
        ++count;
    }
    if (count == 0) {
        ReportError(u"AutoSum: no numeric cells found directly above the selected cell.");
        return;
    }
    std::u16string result;
    switch (kind) {
    case 1: result = FormatGeneralNumber(sum / double(count)); break;
    case 2: result = IntToText(count); break;
    case 3: result = FormatGeneralNumber(largest); break;
    case 4: result = FormatGeneralNumber(smallest); break;
    default: result = FormatGeneralNumber(sum); break;
    }
    FWorkbook->SetCellValue(FCurrentSheet, FSelectedRow, FSelectedCol, result);
    InvalidateAll();
}

void TNeoSpreadsheet::Zoom(bool in) {
    if (in) {
        if (FGridFontSize < 36) ++FGridFontSize;
        FRowHeight = std::min(80, NearestInteger(FRowHeight * ZoomStep));
        FCellWidth = std::min(400, NearestInteger(FCellWidth * ZoomStep));
        FZoomSteps = std::min(FZoomSteps + 1, MaxZoomSteps);
    } else {
        if (FGridFontSize > 6) --FGridFontSize;
        FRowHeight = std::max(14, NearestInteger(FRowHeight / ZoomStep));
        FCellWidth = std::max(30, NearestInteger(FCellWidth / ZoomStep));
        FZoomSteps = std::max(FZoomSteps - 1, -MinZoomSteps);
    }
    ForgetGeometry();
    InvalidateAll();
}

namespace {

// The dialogs that name a workbook to write: .xlsx files, asking before one is replaced.
TFileDialog WorkbookSaveDialog(const std::u16string& title) {
    TFileDialog dialog;
    dialog.Save = true;
    dialog.Title = title;
    dialog.Filter = WorkbookFilter;
    dialog.DefaultExtension = u"xlsx";
    dialog.OverwritePrompt = true;
    dialog.PathMustExist = true;
    return dialog;
}

} // namespace

void TNeoSpreadsheet::NewWorkbookDialog() {
    TFileDialog dialog = WorkbookSaveDialog(u"New Excel Workbook");
    if (!FFileName.empty()) dialog.InitialFolder = FolderOf(FFileName);
    const std::optional<std::u16string> file = AskForFile(dialog);
    if (!file) return;
    const std::u16string folder = FolderPartOf(*file);
    if (!folder.empty()) CreateFolders(folder);
    WriteFileAtomically(TextToPath(*file), BlankWorkbookBytes());
    LoadWorkbook(*file);
    InvalidateAll();
}

void TNeoSpreadsheet::OpenWorkbookDialog() {
    TFileDialog dialog;
    dialog.Title = u"Open Excel Workbook";
    dialog.Filter = u"Excel Workbook (*.xlsx;*.xlsm)|*.xlsx;*.xlsm|All Files (*.*)|*.*";
    dialog.FileMustExist = true;
    if (!FFileName.empty()) dialog.InitialFolder = FolderOf(FFileName);
    const std::optional<std::u16string> file = AskForFile(dialog);
    if (!file) return;
    LoadWorkbook(*file);
    InvalidateAll();
}

void TNeoSpreadsheet::SaveAsDialog() {
    TFileDialog dialog = WorkbookSaveDialog(u"Save Excel Workbook As");
    dialog.InitialFile = FFileName;
    const std::optional<std::u16string> file = AskForFile(dialog);
    if (file) SaveWorkbook(*file);
}

} // namespace tabulix
