#pragma once

#include "viewer/CellRange.h"
#include "viewer/EditHistory.h"
#include "viewer/SheetGeometry.h"
#include "viewer/ViewerPorts.h"
#include "workbook/XlsxWorkbook.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tabulix {

// The key of the per-cell overlays: sheet << 40 | row << 20 | column, each widened with its sign.
int64_t CellKey(int32_t sheet, int32_t row, int32_t col);

// Fixed layout constants, in pixels.
constexpr int32_t RowHeaderWidth = 46;
constexpr int32_t SideToolbarWidth = 190;
constexpr int32_t SheetTabWidth = 150;
constexpr int32_t AddSheetButtonWidth = 28;
constexpr int32_t RibbonTabWidth = 80;
constexpr int32_t ActionButtonWidth = 80;

// The tabs of a Top or Bottom ribbon, left to right, and the caption of each tab identifier.
constexpr int32_t RibbonTabs[] = {0, 1, 2, 3, 5, 7, 8};
std::u16string RibbonTabCaption(int32_t id);
// Whether the ribbon tab has commands; one without is drawn greyed.
bool RibbonTabHasCommands(int32_t id);

// The highlight colours by name (trimmed, ASCII case ignored): Yellow, Green, Red, Blue, Orange; none for
// any other name.
std::optional<TColor> HighlightColorFromName(const std::u16string& name);

class TNeoSpreadsheet;

// How the owner of a viewer lets go of it (a Close, an Open or New over the same Rectangle, nbMessage 2).
// A viewer none of whose handlers runs is destroyed at once. One whose handler waits in a message loop
// (a menu, a box or a file dialog of it, while a publication's timer script closes it) is hidden and
// stops following its Rectangle now, and is destroyed when its outermost handler returns: meanwhile it
// takes no answer from the reader, so the handler stops there, and it handles no message but the drawing
// of a menu still open and the end of its window.
struct TViewerRelease {
    void operator()(TNeoSpreadsheet* viewer) const noexcept;
};
using TOwnedViewer = std::unique_ptr<TNeoSpreadsheet, TViewerRelease>;

// The spreadsheet viewer attached to a Rectangle of a publication page: a window of its own kept over
// the Rectangle, the workbook it shows, its sheet navigation, the variables it publishes, its layout
// and painting. It reaches the platform and the host only through its ports.
class TNeoSpreadsheet {
public:
    // The viewer and its window over the Rectangle's window, with the follow timer running. Throws
    // TTabulixError, leaving no window, when no parent window is valid or the window cannot be made.
    static TOwnedViewer CreateAttached(TWindowHandle rectangleHandle, TViewerHost& host, TViewerWindows& windows);
    virtual ~TNeoSpreadsheet();
    TNeoSpreadsheet(const TNeoSpreadsheet&) = delete;
    TNeoSpreadsheet& operator=(const TNeoSpreadsheet&) = delete;

    void ShowSpreadsheet();
    void HideSpreadsheet();
    // Frees the workbook shown first; loads the file; shows its first sheet and publishes the sheet
    // variables. Throws the loader's TTabulixError, leaving no workbook.
    void LoadWorkbook(const std::u16string& fileName);
    bool GotoSheet(int32_t index);
    bool GotoSheetByNameOrNumber(const std::u16string& nameOrNumber);
    bool NextSheet();
    bool PrevSheet();
    int32_t SheetCount() const;
    int32_t CurrentSheetIndex() const { return FCurrentSheet; }
    std::u16string CurrentSheetName() const;
    void SetToolbarPlacement(const std::u16string& placement);

    // Saves the workbook to fileName, or to the file last loaded or saved when fileName is blank; an
    // open edit box stores its text first. Throws TTabulixError.
    void SaveWorkbook(const std::u16string& fileName);
    // Exports the workbook through the export dispatcher with the current sheet; the texts are passed on
    // unchanged. Throws TTabulixError.
    void ExportWorkbook(const std::u16string& format, const std::u16string& scope, const std::u16string& fileName);
    // Opens the in-place edit box over the selected cell, holding its text, all of it selected.
    void StartEditSelection();
    // Turns the highlight of the selected cells on in the named colour, off when the active cell has that
    // colour already or the name is no colour.
    void ToggleHighlightSelection(const std::u16string& colorName);
    // Restyles the viewer from a settings string (colours, font, sizes); invalid pieces are skipped.
    // Never throws.
    void ApplySettings(const std::u16string& settings) noexcept;
    // A key pressed in the find box: Enter searches, Escape closes it. False for every other key, which
    // the box handles itself.
    bool HandleFindBoxKey(uint32_t key);

    // The window procedure's work, for every message of the viewer's window.
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Set by the creator.
    void SetRectangleName(const std::u16string& name) { FRectangleName = name; }
    void SetVariableName(const std::u16string& name) { FVariableName = name; }
    void SetShowActionToolbar(bool show) { FShowActionToolbar = show; }
    bool PageMode() const { return FPageMode; }
    TWindowHandle Window() const { return FWnd; }

    // Layout, computed afresh from the client area and the fields.
    TRect ClientRect() const;
    TRect ToolbarRect() const;
    TRect SheetTabStripRect() const;
    TRect GridRect() const;
    TRect ActionToolbarRect() const;
    TRect AddSheetButtonRect() const;
    TRect RibbonTabRect(int32_t position) const;
    // The cells' part of the grid: right of the row numbers, below the column letters.
    TRect CellsRect() const;
    // Scrolls as little as needed for the cell to show whole, unless it lies in a frozen row or column.
    void ScrollIntoView(int32_t col, int32_t row);
    void Paint(TCanvas& canvas, const TRect& client);

protected:
    friend struct TViewerRelease;

    TNeoSpreadsheet(TWindowHandle rectangleHandle, TViewerHost& host, TViewerWindows& windows);
    // Makes the window over the chosen parent and starts the follow timer; throws on failure.
    void Attach();
    // Let go of while a handler runs: hidden, no longer following its Rectangle, destroyed once the
    // outermost handler returns.
    void Detach() noexcept;

    // The reader's answers to the viewer's menus, boxes and file dialogs. Each runs a message loop in
    // which a script may let go of this viewer; one let go of meanwhile takes no answer (no item, No, no
    // file), so the handler that asked stops there.
    uint32_t AskMenuChoice(const std::vector<TMenuItem>& items, TPoint screenPoint);
    bool AskYesNo(const std::u16string& question);
    std::optional<std::u16string> AskForFile(const TFileDialog& dialog);

    intptr_t RouteMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    intptr_t ForgetDestroyedWindow(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void ReportError(const std::u16string& message) { FHost.ReportError(message); }
    void RunHostScript(const std::u16string& command) { FHost.RunScript(command); }
    void PublishSheetVariables();
    // Makes the sheet current with the first cell selected and shown, and publishes the variables.
    void ShowSheetFromItsStart(int32_t index);
    void ClampSelection();
    TWindowHandle ResolveRectangleWindow();
    void SyncToRectangle();
    void Reattach();
    void InvalidateAll();
    const TXlsxSheet* CurrentSheet() const;

    // Mouse and keys.
    void OnLeftButtonDown(int32_t x, int32_t y);
    void OnRightButtonDown(int32_t x, int32_t y);
    void OnMouseWheel(uintptr_t wParam);
    void OnKeyDown(uint32_t key);
    void OnChar(uint32_t code);
    void OnCommand(uintptr_t wParam, intptr_t lParam);
    int32_t ActionButtonAt(int32_t x, int32_t y) const;
    bool IsOnAddSheetButton(int32_t x, int32_t y) const;
    int32_t SheetTabAt(int32_t x, int32_t y) const;
    bool CellAt(int32_t x, int32_t y, int32_t& col, int32_t& row) const;
    // Selects the cell (a merged area's first cell for any cell of the area).
    void SelectCell(int32_t col, int32_t row, bool scroll);
    // Moves the selection by one shown row or column, past a merged area as a whole.
    void MoveSelection(int32_t colStep, int32_t rowStep);
    void PageRows(bool down);
    void FocusViewer();

    // The selected range (NeoSpreadsheetRanges.cpp): the active cell, FSelectedCol and FSelectedRow,
    // lies in the rectangle from FRangeAnchor to FRangeEnd, the corner that Shift moves.
    TCellRange SelectionRange() const;
    void ExtendSelection(TCellPos end, bool scroll = true);
    void SelectRange(TCellPos anchor, TCellPos end, TCellPos active);
    bool ExtendSelectionByKey(uint32_t key, bool control);
    void SelectWholeSheet();
    // A click on the column letters, the row numbers or the corner between them; false elsewhere.
    bool SelectByHeader(int32_t x, int32_t y, bool extend);
    // The cell under a point, or the nearest cell of the sheet when the point lies beyond the cells.
    TCellPos CellNearest(int32_t x, int32_t y) const;
    void StartDragSelection();
    void OnMouseMove(int32_t x, int32_t y);
    void DragSelectionTo(int32_t x, int32_t y);
    void EndDragSelection();
    // "Sum: S  Count: C  Average: A" for a range holding numbers, empty otherwise.
    std::u16string SelectionStatus();

    // The in-place edit box and the find box.
    void EndCellEdit(bool commit);
    void CloseCellEditor(bool commit, bool losingFocus);
    void ShowFindBox();
    void CloseFindBox(bool refocus);
    void FindNext(const std::u16string& text);

    // The clipboard (NeoSpreadsheetClipboard.cpp): the selection copied as the cells show it, cut, and
    // text pasted from the active cell.
    bool RunShortcut(uint32_t key, bool shift);
    void CopySelection();
    void CutSelection();
    void PasteClipboard();

    // Undo and redo (NeoSpreadsheetUndo.cpp): each change the reader makes is kept as a step of the
    // history, with the sheet and the selection it was made on, which undoing and redoing show again.
    struct TPlace {
        int32_t Sheet = -1;
        TCellPos Anchor;
        TCellPos End;
        TCellPos Active;
    };
    TPlace CurrentPlace() const;
    void ShowPlace(const TPlace& place);
    void Undo();
    void Redo();
    // Runs a change of the workbook while a journal keeps what it changes; the step puts that back to
    // undo, and runs the change again to redo.
    void RunJournalled(const std::function<void(TNeoSpreadsheet&)>& change, size_t changeBytes = 0);
    // Runs a change of the given cells alone; the step puts them back to undo, and runs the change again
    // to redo. No cells: the change may touch very many, and runs journalled.
    void RunOnCells(const std::vector<TGridCell>& cells, const std::function<void(TNeoSpreadsheet&)>& change,
                    size_t changeBytes = 0);
    // Sets (or, with none, removes) the highlight of every selected cell.
    void HighlightSelection(std::optional<TColor> color);
    // The reader's formatting written into the style of every selected cell.
    void FormatSelection(const TFormattingChange& change);
    // Sorts the rows of a sheet but the first by a column, as a step of the history.
    void SortRows(int32_t sheet, int32_t col, bool ascending);
    class TCellsStep;
    class TJournalStep;
    class TRowOrderStep;
    class THighlightStep;

    // Commands of the sheet tabs, the action toolbar and the ribbon.
    void RunActionButton(int32_t button);
    void ShowSheetTabMenu(int32_t sheet, TPoint screenPoint);
    void AddNewSheet();
    void DeleteSheetWithConfirm(int32_t sheet);
    int32_t RibbonTabAt(int32_t x, int32_t y) const;
    void ShowRibbonMenu(int32_t tab);
    intptr_t OnMeasureItem(intptr_t request);
    intptr_t OnDrawItem(intptr_t request);
    void DrawMenuItem(TCanvas& canvas, const TMenuItemState& item);
    void ExecuteRibbonCommand(int32_t tab, int32_t index);
    bool HasSelection() const;
    // The reader's formatting of the selected cells, written into their styles in the workbook.
    enum class TFontToggle { Bold, Italic, Underline };
    void ToggleFontStyle(TFontToggle toggle);
    void AlignSelection(THorizontalAlign alignment);
    void InsertRowAtSelection();
    void InsertColumnAtSelection();
    void DeleteSelectedRow();
    void DeleteSelectedColumn();
    void SortBySelectedColumn(bool ascending);
    void AggregateAbove(int32_t kind);
    void AggregateRange(int32_t kind, const TCellRange& range);
    // Empties every cell of the selection that holds a value; styles stay.
    void ClearSelection();
    // Writes texts into cells of the current sheet as typing them would, the grid growing as needed.
    struct TCellWrite {
        int32_t Row = 0;
        int32_t Col = 0;
        std::u16string Text;
    };
    void WriteCells(const std::vector<TCellWrite>& writes);
    // The same without keeping a step: what undoing and redoing run.
    void WriteCellsUnrecorded(const std::vector<TCellWrite>& writes);
    // Something the grid shows changed: what is drawn from it is worked out again.
    void CellsChanged();
    void Zoom(bool in);
    void NewWorkbookDialog();
    void OpenWorkbookDialog();
    void SaveAsDialog();

    void PaintToolbar(TCanvas& canvas);
    void PaintActionToolbar(TCanvas& canvas);
    void PaintSheetTabs(TCanvas& canvas);
    void PaintGrid(TCanvas& canvas);
    // The status of the selected range at the right of the tab strip.
    void PaintSelectionStatus(TCanvas& canvas, const TRect& strip);

    // Where the current sheet's rows and columns lie: made once for the sheet, its size, the zoom and
    // the settings, and made anew after an edit that may move them (ForgetGeometry).
    const TSheetGeometry& Geometry() const;
    void ForgetGeometry() { FGeometry.reset(); }
    TViewport Viewport() const { return TViewport(Geometry(), CellsRect(), FTopRow, FLeftCol); }
    // The factor by which the zoom scales the sizes a workbook gives.
    double ZoomFactor() const;
    // The scroll position kept past the frozen rows and columns.
    void ClampScroll();
    // The scroll position and the grid lines a sheet starts with, as its author left them.
    void StartSheetView();

    TViewerHost& FHost;
    TViewerWindows& FWindows;
    // The handlers of this viewer on the stack (a message handled inside a menu's loop is a second), and
    // whether its owner let go of it meanwhile.
    int32_t FHandlersRunning = 0;
    bool FDetached = false;

    TWindowHandle FWnd = nullptr;
    TWindowHandle FRectangleHandle = nullptr;
    std::u16string FRectangleName;
    std::u16string FVariableName;
    std::u16string FFileName;
    std::unique_ptr<TXlsxWorkbook> FWorkbook;
    int32_t FCurrentSheet = -1;
    std::u16string FToolbarPlacement = u"Top";
    bool FPageMode = false;
    TWindowHandle FEdit = nullptr;
    int32_t FTopRow = 0;
    int32_t FLeftCol = 0;
    int32_t FSelectedCol = 0;
    int32_t FSelectedRow = 0;
    TCellPos FRangeAnchor;
    TCellPos FRangeEnd;
    bool FDraggingSelection = false;
    bool FDragScrolling = false; // the drag's timer runs while the pointer is beyond the cells
    TPoint FDragPoint; // where the pointer was last seen while dragging
    // The status of the selection, worked out once for the range and the cells as they were.
    struct TStatusKey {
        int32_t Sheet = -1;
        TCellRange Range;
        uint64_t Changes = 0;
        bool operator==(const TStatusKey& other) const = default;
    };
    TStatusKey FStatusKey;
    std::u16string FStatusText;
    uint64_t FCellChanges = 0;
    int32_t FCellWidth = 96;
    int32_t FRowHeight = 22;
    // Whether the settings gave the row height and the column width, which then replace the sheet's
    // default sizes.
    bool FRowHeightGiven = false;
    bool FColumnWidthGiven = false;
    // Zoom steps from 100%, each 10%, as far as the viewer's own column width goes (13 out, 15 in).
    int32_t FZoomSteps = 0;
    // The maximum digit width of the workbook's default font, which its column widths count in.
    int32_t FMaxDigitWidth = 7;
    mutable std::unique_ptr<TSheetGeometry> FGeometry;
    mutable int32_t FGeometrySheet = -1, FGeometryRows = 0, FGeometryCols = 0;
    int32_t FToolbarHeight = 32;
    int32_t FSheetTabHeight = 30;
    bool FDraggingEdit = false;
    std::unordered_map<int64_t, TColor> FHighlights;
    bool FShowActionToolbar = false;
    int32_t FInlineToolbarHeight = 34;
    TColor FToolbarColor = RgbColor(226, 226, 226);
    TColor FHeaderColor = RgbColor(232, 232, 232);
    TColor FSelectionColor = RgbColor(255, 236, 217);
    std::u16string FGridFontName = u"Segoe UI";
    int32_t FGridFontSize = 9;
    bool FShowGridLines = true;
    TWindowHandle FFindEdit = nullptr;
    TEditHistory FHistory;

    // Above this many cells a change of values is kept through the journal (about 150 bytes a cell
    // kept one by one, against the sheet's part and grid).
    static constexpr size_t MaxCellsKeptOneByOne = 50000;
    static constexpr uintptr_t FollowTimerId = 1;
    static constexpr uintptr_t DragScrollTimerId = 2;
    static constexpr uint32_t DragScrollMilliseconds = 60;
    static constexpr uint32_t FollowTimerMilliseconds = 250;
    static constexpr int32_t MinimumRectangleSize = 20;
};

} // namespace tabulix
