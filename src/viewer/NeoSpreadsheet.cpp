// The viewer object: creation over a Rectangle, following it, the workbook, sheet navigation, the
// published variables, the placement and the routing of window messages.
#include "viewer/NeoSpreadsheet.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"

#include <algorithm>

namespace tabulix {

int64_t CellKey(int32_t sheet, int32_t row, int32_t col) {
    return (int64_t(sheet) << 40) | (int64_t(row) << 20) | int64_t(col);
}

TNeoSpreadsheet::TNeoSpreadsheet(TWindowHandle rectangleHandle, TViewerHost& host, TViewerWindows& windows)
    : FHost(host), FWindows(windows), FRectangleHandle(rectangleHandle) {}

TOwnedViewer TNeoSpreadsheet::CreateAttached(TWindowHandle rectangleHandle, TViewerHost& host, TViewerWindows& windows) {
    TOwnedViewer viewer(new TNeoSpreadsheet(rectangleHandle, host, windows));
    viewer->Attach();
    return viewer;
}

void TViewerRelease::operator()(TNeoSpreadsheet* viewer) const noexcept {
    if (viewer->FHandlersRunning == 0) {
        delete viewer;
    } else {
        viewer->Detach();
    }
}

void TNeoSpreadsheet::Detach() noexcept {
    FDetached = true;
    if (!FWnd) return;
    try {
        FWindows.StopTimer(FWnd, FollowTimerId);
        FWindows.Show(FWnd, TShowMode::Hide);
    } catch (...) {
        // Shown or not, it goes with its window once its handler returns.
    }
}

void TNeoSpreadsheet::Attach() {
    TWindowHandle parent = FHost.HostWindow();
    if (!parent || !FWindows.IsWindow(parent)) parent = FRectangleHandle;
    if (!parent || !FWindows.IsWindow(parent)) {
        throw TTabulixError(u"Excel spreadsheet: VisualNEO host window is not valid.");
    }
    uint32_t error = 0;
    FWnd = FWindows.CreateViewerWindow(parent, *this, error);
    if (!FWnd) {
        throw TTabulixError(FormatMessageText(u"Excel spreadsheet: CreateWindowEx(STATIC) failed (Win32 error %d).",
                                              {IntToText(error)}));
    }
    FWindows.StartTimer(FWnd, FollowTimerId, FollowTimerMilliseconds);
}

TNeoSpreadsheet::~TNeoSpreadsheet() {
    // An open edit box is discarded without storing its text; the boxes go with the window.
    FEdit = nullptr;
    FFindEdit = nullptr;
    if (FWnd) {
        FWindows.StopTimer(FWnd, FollowTimerId);
        // The window goes first, so that no message reaches a viewer half destroyed.
        const TWindowHandle window = FWnd;
        FWnd = nullptr;
        FWindows.DestroyWindow(window);
    }
}

intptr_t TNeoSpreadsheet::ForgetDestroyedWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // The window was destroyed by someone else (its parent torn down or recreated by the host). Its
    // handle may soon name another window: from here on the viewer has none, and its edit and find
    // boxes, children of that window, are gone with it.
    const TWindowHandle window = FWnd;
    FWnd = nullptr;
    FEdit = nullptr;
    FFindEdit = nullptr;
    return FWindows.DefaultProcessing(window, message, wParam, lParam);
}

void TNeoSpreadsheet::InvalidateAll() {
    if (FWnd) FWindows.Invalidate(FWnd);
}

TWindowHandle TNeoSpreadsheet::ResolveRectangleWindow() {
    if (FRectangleHandle && FWindows.IsWindow(FRectangleHandle)) return FRectangleHandle;
    if (!FRectangleName.empty() && FHost.CanLookupObjects()) {
        const TWindowHandle window = FHost.LookupObjectWindow(FRectangleName);
        if (window && FWindows.IsWindow(window)) {
            FRectangleHandle = window;
            return window;
        }
    }
    return nullptr;
}

void TNeoSpreadsheet::SyncToRectangle() {
    if (!FWnd) return;
    const TWindowHandle rectangle = ResolveRectangleWindow();
    if (!rectangle) {
        HideSpreadsheet();
        ReportError(u"Excel spreadsheet: Rectangle window is not available.");
        return;
    }
    TRect client;
    if (!FWindows.IsWindow(FWnd) || !FWindows.GetClientRect(rectangle, client)) return;
    const int32_t width = client.Width();
    const int32_t height = client.Height();
    if (width < MinimumRectangleSize || height < MinimumRectangleSize) {
        HideSpreadsheet();
        return;
    }
    TPoint origin;
    const TWindowHandle hostWindow = FHost.HostWindow();
    if (hostWindow && FWindows.IsWindow(hostWindow) && hostWindow != rectangle) {
        origin = FWindows.MapClientPoint(rectangle, hostWindow, TPoint{0, 0});
    }
    FWindows.PlaceOnTop(FWnd, TRect{origin.X, origin.Y, origin.X + width, origin.Y + height});
    if (!FWindows.IsWindowVisible(FWnd)) FWindows.Show(FWnd, TShowMode::Show);
}

void TNeoSpreadsheet::Reattach() {
    // A Rectangle window that still exists is kept; only a lost one is asked for again by name.
    FRectangleHandle = ResolveRectangleWindow();
    SyncToRectangle();
}

void TNeoSpreadsheet::ShowSpreadsheet() {
    SyncToRectangle();
    if (!FWnd) return;
    FWindows.Show(FWnd, TShowMode::ShowNoActivate);
    InvalidateAll();
}

void TNeoSpreadsheet::HideSpreadsheet() {
    if (FWnd) FWindows.Show(FWnd, TShowMode::Hide);
}

void TNeoSpreadsheet::LoadWorkbook(const std::u16string& fileName) {
    FHistory.Clear(); // its steps belong to the workbook shown until now
    FWorkbook.reset();
    ForgetGeometry();
    auto workbook = std::make_unique<TXlsxWorkbook>();
    workbook->LoadFromFile(fileName);
    FWorkbook = std::move(workbook);
    FFileName = fileName;
    FCurrentSheet = -1;
    FTopRow = 0;
    FLeftCol = 0;
    FHighlights.clear();
    ++FCellChanges;
    // Column widths count in digits of the workbook's default font; 7 pixels when it is not installed.
    const TCellFont& font = FWorkbook->Styles().DefaultFont();
    FMaxDigitWidth = font.Name.empty() ? 7 : FWindows.MaxDigitWidth(font.Name, font.Size).value_or(7);
    if (FWorkbook->SheetCount() > 0) {
        FCurrentSheet = 0;
        StartSheetView();
        PublishSheetVariables();
        ClampSelection();
    }
}

void TNeoSpreadsheet::StartSheetView() {
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return;
    const TSheetLayout& layout = sheet->Layout;
    const TSheetGeometry& geometry = Geometry();
    FShowGridLines = layout.ShowGridLines;
    FTopRow = geometry.FrozenRows();
    FLeftCol = geometry.FrozenCols();
    if (layout.TopLeftCell) {
        FTopRow = std::clamp(layout.TopLeftCell->first, FTopRow, std::max(sheet->RowCount - 1, FTopRow));
        FLeftCol = std::clamp(layout.TopLeftCell->second, FLeftCol, std::max(sheet->ColCount - 1, FLeftCol));
    }
    // The selection starts at A1 where it shows, else at the first cell of the scrolled part.
    FSelectedRow = geometry.FrozenRows() > 0 ? 0 : FTopRow;
    FSelectedCol = geometry.FrozenCols() > 0 ? 0 : FLeftCol;
    if (const TGridArea* merge = geometry.MergeAt(FSelectedRow, FSelectedCol)) {
        FSelectedRow = merge->FirstRow;
        FSelectedCol = merge->FirstCol;
    }
    FRangeAnchor = FRangeEnd = TCellPos{FSelectedCol, FSelectedRow};
}

const TXlsxSheet* TNeoSpreadsheet::CurrentSheet() const {
    if (!FWorkbook || FCurrentSheet < 0 || FCurrentSheet >= FWorkbook->SheetCount()) return nullptr;
    return &FWorkbook->Sheet(FCurrentSheet);
}

void TNeoSpreadsheet::ClampSelection() {
    if (const TXlsxSheet* sheet = CurrentSheet()) {
        if (FSelectedCol >= sheet->ColCount) FSelectedCol = 0;
        if (FSelectedRow >= sheet->RowCount) FSelectedRow = 0;
        ScrollIntoView(FSelectedCol, FSelectedRow);
    }
    InvalidateAll();
}

bool TNeoSpreadsheet::GotoSheet(int32_t index) {
    if (!FWorkbook || index < 0 || index >= FWorkbook->SheetCount()) return false;
    try {
        EndCellEdit(true); // an open edit box stores its text into the sheet that was current
        ShowSheetFromItsStart(index);
        return true;
    } catch (...) {
        ReportError(CurrentExceptionMessage());
    }
    Reattach();
    return false;
}

void TNeoSpreadsheet::ShowSheetFromItsStart(int32_t index) {
    FCurrentSheet = index;
    ForgetGeometry(); // measured anew whenever a sheet is shown from its start
    StartSheetView();
    ClampSelection();
    PublishSheetVariables();
}

bool TNeoSpreadsheet::NextSheet() { return GotoSheet(FCurrentSheet + 1); }
bool TNeoSpreadsheet::PrevSheet() { return GotoSheet(FCurrentSheet - 1); }

bool TNeoSpreadsheet::GotoSheetByNameOrNumber(const std::u16string& nameOrNumber) {
    if (!FWorkbook) return false;
    const std::u16string wanted = Trim(nameOrNumber);
    const int32_t number = ReadHostIntegerOr(wanted, 0);
    if (number > 0) return GotoSheet(number - 1);
    for (int32_t i = 0; i < FWorkbook->SheetCount(); ++i) {
        if (SameTextAscii(FWorkbook->Sheet(i).Name, wanted)) return GotoSheet(i);
    }
    return false;
}

int32_t TNeoSpreadsheet::SheetCount() const { return FWorkbook ? FWorkbook->SheetCount() : 0; }

std::u16string TNeoSpreadsheet::CurrentSheetName() const {
    const TXlsxSheet* sheet = CurrentSheet();
    return sheet ? sheet->Name : std::u16string();
}

void TNeoSpreadsheet::PublishSheetVariables() {
    if (!FHost.CanSetVariables() || FVariableName.empty()) return;
    FHost.SetVariable(u"[" + FVariableName + u"]", CurrentSheetName());
    FHost.SetVariable(u"[" + FVariableName + u"_Index]", IntToText(int64_t(FCurrentSheet) + 1));
    FHost.SetVariable(u"[" + FVariableName + u"_Count]", IntToText(SheetCount()));
}

void TNeoSpreadsheet::SetToolbarPlacement(const std::u16string& placement) {
    const std::u16string word = Trim(placement);
    FPageMode = SameTextAscii(word, u"Page");
    if (FPageMode || SameTextAscii(word, u"None")) {
        FToolbarPlacement = u"None";
    } else if (SameTextAscii(word, u"Bottom")) {
        FToolbarPlacement = u"Bottom";
    } else if (SameTextAscii(word, u"Left")) {
        FToolbarPlacement = u"Left";
    } else if (SameTextAscii(word, u"Right")) {
        FToolbarPlacement = u"Right";
    } else {
        FToolbarPlacement = u"Top";
    }
    InvalidateAll();
}

namespace {

// What a viewer let go of still handles while a handler of it waits: the drawing of a menu still open,
// and the end of its window.
bool HandledWhileDetached(uint32_t message) {
    return message == messages::MeasureItem || message == messages::DrawItem || message == messages::NcDestroy;
}

} // namespace

intptr_t TNeoSpreadsheet::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (FDetached && !HandledWhileDetached(message)) return FWindows.DefaultProcessing(FWnd, message, wParam, lParam);
    ++FHandlersRunning;
    intptr_t result = 0;
    // Nothing leaves a window procedure: a failure of any handler is reported in "[LastError]".
    try {
        result = RouteMessage(message, wParam, lParam);
    } catch (...) {
        ReportError(CurrentExceptionMessage());
    }
    --FHandlersRunning;
    // Let go of while a handler ran: the outermost one destroys it on its way out, touching nothing after.
    if (FDetached && FHandlersRunning == 0) delete this;
    return result;
}

uint32_t TNeoSpreadsheet::AskMenuChoice(const std::vector<TMenuItem>& items, TPoint screenPoint) {
    if (FDetached || !FWnd) return 0;
    const uint32_t chosen = FWindows.TrackPopupMenu(FWnd, items, screenPoint);
    return FDetached ? 0 : chosen;
}

bool TNeoSpreadsheet::AskYesNo(const std::u16string& question) {
    if (FDetached || !FWnd) return false;
    const bool yes = FWindows.ConfirmYesNo(FWnd, question);
    return yes && !FDetached;
}

std::optional<std::u16string> TNeoSpreadsheet::AskForFile(const TFileDialog& dialog) {
    if (FDetached) return std::nullopt;
    std::optional<std::u16string> file = FWindows.ChooseFile(dialog);
    if (FDetached) return std::nullopt;
    return file;
}

namespace {

// Mouse positions are the signed low and high halves of lParam, in client pixels.
int32_t PointX(intptr_t lParam) { return int16_t(uint16_t(uintptr_t(lParam) & 0xFFFF)); }
int32_t PointY(intptr_t lParam) { return int16_t(uint16_t((uintptr_t(lParam) >> 16) & 0xFFFF)); }

} // namespace

intptr_t TNeoSpreadsheet::RouteMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case messages::LeftButtonDown:
        OnLeftButtonDown(PointX(lParam), PointY(lParam));
        return 0;
    case messages::MouseMove:
        OnMouseMove(PointX(lParam), PointY(lParam));
        return 0;
    case messages::LeftButtonUp:
    case messages::CaptureChanged:
        EndDragSelection();
        return 0;
    case messages::LeftButtonDoubleClick:
        StartEditSelection(); // the first click has already selected the cell under the pointer
        return 0;
    case messages::RightButtonDown:
        OnRightButtonDown(PointX(lParam), PointY(lParam));
        return 0;
    case messages::MouseWheel:
        OnMouseWheel(wParam);
        return 0;
    case messages::KeyDown:
        OnKeyDown(uint32_t(wParam & 0xFFFF));
        return 0;
    case messages::Char:
        OnChar(uint32_t(wParam));
        return 0;
    case messages::Command:
        OnCommand(wParam, lParam);
        return 0;
    case messages::MeasureItem:
        return OnMeasureItem(lParam);
    case messages::DrawItem:
        return OnDrawItem(lParam);
    case messages::Size:
        InvalidateAll();
        return 0;
    case messages::Paint:
        FWindows.PaintWindow(FWnd, [this](TCanvas& canvas, const TRect& client) { Paint(canvas, client); });
        return 0;
    case messages::EraseBackground:
        return 0; // painting covers the whole client area
    case messages::NcDestroy:
        return ForgetDestroyedWindow(message, wParam, lParam);
    case messages::Timer:
        if (wParam == FollowTimerId && !FDraggingEdit) SyncToRectangle();
        if (wParam == DragScrollTimerId && FDraggingSelection) DragSelectionTo(FDragPoint.X, FDragPoint.Y);
        return 0;
    case messages::ViewerVisibility:
        if (lParam == 1 || lParam == 3) {
            HideSpreadsheet();
        } else if (lParam == 2) {
            Reattach();
            ShowSpreadsheet();
        }
        return 0;
    case messages::PageNavigate:
        // Running the command may make the host leave the page and destroy this viewer: it comes last.
        if (wParam == 0) RunHostScript(u"GotoPrevpage");
        else if (wParam == 1) RunHostScript(u"Gotonextpage");
        return 0;
    default:
        return FWindows.DefaultProcessing(FWnd, message, wParam, lParam);
    }
}

} // namespace tabulix
