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
    const std::optional<TColor> color = HighlightColorFromName(colorName);
    // The active cell decides for the whole range, as a single cell decides for itself.
    const auto found = FHighlights.find(CellKey(FCurrentSheet, FSelectedRow, FSelectedCol));
    const bool off = !color || (found != FHighlights.end() && found->second == *color);
    HighlightSelection(off ? std::nullopt : color);
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
    const std::u16string name = u"Sheet" + IntToText(int64_t(SheetCount()) + 1);
    RunJournalled([name](TNeoSpreadsheet& viewer) { viewer.GotoSheet(viewer.FWorkbook->AddSheet(name)); });
}

void TNeoSpreadsheet::DeleteSheetWithConfirm(int32_t sheet) {
    if (!FWorkbook || sheet < 0 || sheet >= SheetCount() || SheetCount() <= 1) return;
    const std::u16string question =
        FormatMessageText(u"Delete worksheet \"%s\"? This cannot be undone once the workbook is saved.",
                          {FWorkbook->Sheet(sheet).Name});
    if (!AskYesNo(question)) return;
    EndCellEdit(true);
    CloseFindBox(false);
    RunJournalled([sheet](TNeoSpreadsheet& viewer) {
        const int32_t current = viewer.FCurrentSheet;
        viewer.FWorkbook->DeleteSheet(sheet);
        if (sheet == current) {
            // The sheet that took its place, or the new last.
            viewer.ShowSheetFromItsStart(std::min(sheet, viewer.SheetCount() - 1));
            return;
        }
        if (sheet < current) viewer.FCurrentSheet = current - 1; // the same sheet stays on screen
        viewer.CellsChanged();
    });
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
    // On for every cell of the range unless the active cell has it, as applications do.
    const TCellStyles& styles = FWorkbook->Styles();
    const int32_t style = FWorkbook->Sheet(FCurrentSheet).StyleIndex(FSelectedRow, FSelectedCol);
    const TCellFont& font = styles.Font(styles.Style(style).Font);
    TFormattingChange change;
    switch (toggle) {
    case TFontToggle::Bold: change.Bold = !font.Bold; break;
    case TFontToggle::Italic: change.Italic = !font.Italic; break;
    case TFontToggle::Underline: change.Underline = !font.Underline; break;
    }
    FormatSelection(change);
}

void TNeoSpreadsheet::AlignSelection(THorizontalAlign alignment) {
    if (!HasSelection()) return;
    TFormattingChange change;
    change.Horizontal = alignment;
    FormatSelection(change);
}

void TNeoSpreadsheet::WriteCellsUnrecorded(const std::vector<TCellWrite>& writes) {
    try {
        for (const TCellWrite& write : writes) FWorkbook->SetCellValue(FCurrentSheet, write.Row, write.Col, write.Text);
    } catch (...) {
        CellsChanged(); // those written before the failure stay
        throw;
    }
    CellsChanged();
}

void TNeoSpreadsheet::ClearSelection() {
    if (!HasSelection()) return;
    FWorkbook->CheckEditable(FCurrentSheet);
    const TXlsxSheet& sheet = FWorkbook->Sheet(FCurrentSheet);
    const TCellRange range = SelectionRange();
    std::vector<TCellWrite> writes;
    for (int32_t row = range.Top; row <= range.Bottom; ++row) {
        for (int32_t col = range.Left; col <= range.Right; ++col) {
            if (!sheet.Text(row, col).empty()) writes.push_back({row, col, u""});
        }
    }
    if (writes.size() > MaxCellsKeptOneByOne) {
        // Kept by the journal, redone by emptying the range again rather than from a list of its cells.
        const int32_t sheetIndex = FCurrentSheet;
        RunJournalled([sheetIndex, range](TNeoSpreadsheet& viewer) {
            const TXlsxSheet& cleared = viewer.FWorkbook->Sheet(sheetIndex);
            std::vector<TCellWrite> empty;
            for (int32_t row = range.Top; row <= range.Bottom; ++row) {
                for (int32_t col = range.Left; col <= range.Right; ++col) {
                    if (!cleared.Text(row, col).empty()) empty.push_back({row, col, u""});
                }
            }
            viewer.WriteCellsUnrecorded(empty);
        });
    } else if (!writes.empty()) {
        WriteCells(writes);
    }
}

// Each structural command runs through the journal; undoing puts back what it changed.

void TNeoSpreadsheet::InsertRowAtSelection() {
    if (!FWorkbook || FCurrentSheet < 0) return;
    // The new row takes the selected row's place: the selection is on it.
    const int32_t sheet = FCurrentSheet;
    const int32_t row = std::max(FSelectedRow, int32_t(0));
    RunJournalled([sheet, row](TNeoSpreadsheet& viewer) { viewer.FWorkbook->InsertRow(sheet, row); });
    CellsChanged();
}

void TNeoSpreadsheet::InsertColumnAtSelection() {
    if (!FWorkbook || FCurrentSheet < 0) return;
    const int32_t sheet = FCurrentSheet;
    const int32_t col = std::max(FSelectedCol, int32_t(0));
    RunJournalled([sheet, col](TNeoSpreadsheet& viewer) { viewer.FWorkbook->InsertColumn(sheet, col); });
    CellsChanged();
}

void TNeoSpreadsheet::DeleteSelectedRow() {
    if (!FWorkbook || FCurrentSheet < 0 || FSelectedRow < 0) return;
    const int32_t sheet = FCurrentSheet;
    const int32_t row = FSelectedRow;
    RunJournalled([sheet, row](TNeoSpreadsheet& viewer) {
        viewer.FWorkbook->DeleteRow(sheet, row);
        const int32_t rows = viewer.FWorkbook->Sheet(sheet).RowCount;
        if (viewer.FSelectedRow >= rows) viewer.FSelectedRow = std::max(rows - 1, int32_t(0));
    });
    CellsChanged();
}

void TNeoSpreadsheet::DeleteSelectedColumn() {
    if (!FWorkbook || FCurrentSheet < 0 || FSelectedCol < 0) return;
    const int32_t sheet = FCurrentSheet;
    const int32_t col = FSelectedCol;
    RunJournalled([sheet, col](TNeoSpreadsheet& viewer) {
        viewer.FWorkbook->DeleteColumn(sheet, col);
        const int32_t columns = viewer.FWorkbook->Sheet(sheet).ColCount;
        if (viewer.FSelectedCol >= columns) viewer.FSelectedCol = std::max(columns - 1, int32_t(0));
    });
    CellsChanged();
}

void TNeoSpreadsheet::SortBySelectedColumn(bool ascending) {
    if (!FWorkbook || FCurrentSheet < 0 || FSelectedCol < 0) return;
    SortRows(FCurrentSheet, FSelectedCol, ascending);
    CellsChanged();
}

namespace {

// The numbers an AutoSum or one of its relatives reads, and what each of them writes.
struct TAggregate {
    double Sum = 0;
    double Largest = 0;
    double Smallest = 0;
    int64_t Count = 0;

    void Add(double number) {
        Sum += number;
        Largest = Count == 0 ? number : std::max(Largest, number);
        Smallest = Count == 0 ? number : std::min(Smallest, number);
        ++Count;
    }
    // 0 the sum, 1 the average, 2 the count, 3 the largest, 4 the smallest.
    std::u16string Result(int32_t kind) const {
        switch (kind) {
        case 1: return FormatGeneralNumber(Sum / double(Count));
        case 2: return IntToText(Count);
        case 3: return FormatGeneralNumber(Largest);
        case 4: return FormatGeneralNumber(Smallest);
        default: return FormatGeneralNumber(Sum);
        }
    }
};

} // namespace

void TNeoSpreadsheet::AggregateAbove(int32_t kind) {
    if (!HasSelection()) return;
    FWorkbook->CheckEditable(FCurrentSheet); // before the search finds nothing on a chart sheet
    const TCellRange range = SelectionRange();
    if (!range.IsSingleCell()) return AggregateRange(kind, range);
    const TXlsxSheet& sheet = FWorkbook->Sheet(FCurrentSheet);
    TAggregate numbers;
    // Upwards from the row above the selection, until the first cell that is not a number.
    for (int32_t row = std::min(FSelectedRow, sheet.RowCount) - 1; row >= 0; --row) {
        const std::optional<double> number = ReadDecimalNumber(sheet.Text(row, FSelectedCol));
        if (!number) break;
        numbers.Add(*number);
    }
    if (numbers.Count == 0) {
        ReportError(u"AutoSum: no numeric cells found directly above the selected cell.");
        return;
    }
    WriteCells({{FSelectedRow, FSelectedCol, numbers.Result(kind)}});
}

void TNeoSpreadsheet::AggregateRange(int32_t kind, const TCellRange& range) {
    const TXlsxSheet& sheet = FWorkbook->Sheet(FCurrentSheet);
    // A row's result goes to its right; otherwise each column's goes under it. Cells that hold no
    // number are passed over.
    const bool row = range.Rows() == 1;
    std::vector<TCellWrite> writes;
    for (int32_t line = row ? range.Top : range.Left; line <= (row ? range.Bottom : range.Right); ++line) {
        TAggregate numbers;
        for (int32_t at = row ? range.Left : range.Top; at <= (row ? range.Right : range.Bottom); ++at) {
            const std::optional<double> number = ReadDecimalNumber(row ? sheet.Text(line, at) : sheet.Text(at, line));
            if (number) numbers.Add(*number);
        }
        if (numbers.Count == 0) continue;
        if (row) {
            writes.push_back({line, range.Right + 1, numbers.Result(kind)});
        } else {
            writes.push_back({range.Bottom + 1, line, numbers.Result(kind)});
        }
    }
    if (writes.empty()) {
        ReportError(u"AutoSum: no numeric cells found in the selected range.");
        return;
    }
    WriteCells(writes);
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
