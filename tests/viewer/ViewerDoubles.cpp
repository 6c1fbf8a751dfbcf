#include "viewer/ViewerDoubles.h"

#include "base/Text.h"

#include <algorithm>

namespace tabulix::testing {

void TRecordingCanvas::SetFont(const std::u16string& face, int32_t pointSize, TFontStyle style) {
    Style = style;
    Calls.push_back({"font", {}, {}, {}, {}, face, std::nullopt, 0, style, pointSize});
}
void TRecordingCanvas::SetDialogFont(TFontStyle style) {
    Style = style;
    Calls.push_back({"dialog font", {}, {}, {}, {}, u"", std::nullopt, 0, style});
}
void TRecordingCanvas::Polyline(const std::vector<TPoint>& points, TColor color) {
    Calls.push_back({"polyline", {}, {}, {}, points, u"", color, 0, Style});
}
void TRecordingCanvas::Ellipse(const TRect& bounds, TColor color) {
    Calls.push_back({"ellipse", bounds, {}, {}, {}, u"", color, 0, Style});
}
void TRecordingCanvas::FillRect(const TRect& rect, TColor color) { Calls.push_back({"fill", rect, {}, {}, {}, u"", color, 0, Style}); }
void TRecordingCanvas::OutlineRect(const TRect& rect, TColor color) {
    Calls.push_back({"outline", rect, {}, {}, {}, u"", color, 0, Style});
}
void TRecordingCanvas::Line(TPoint from, TPoint to, TColor color) { Calls.push_back({"line", {}, from, to, {}, u"", color, 0, Style}); }
void TRecordingCanvas::Text(TPoint at, const std::u16string& text, std::optional<TColor> color, TColor background) {
    Calls.push_back({"text", {}, at, {}, {}, text, color, background, Style});
}
void TRecordingCanvas::TextClipped(const TRect& clip, TPoint at, const std::u16string& text, TColor color, TColor background) {
    Calls.push_back({"clipped", clip, at, {}, {}, text, color, background, Style});
}
TSize TRecordingCanvas::TextExtent(const std::u16string& text) { return TSize{int32_t(text.size()) * CharWidth, 15}; }
void TRecordingCanvas::SetClip(const TRect& rect) { Calls.push_back({"clip", rect, {}, {}, {}, u"", std::nullopt, 0, Style}); }
void TRecordingCanvas::ClearClip() { Calls.push_back({"unclip", {}, {}, {}, {}, u"", std::nullopt, 0, Style}); }

std::vector<TDrawCall> TRecordingCanvas::Texts() const {
    std::vector<TDrawCall> texts;
    for (const TDrawCall& call : Calls) {
        if (call.Kind == "clipped" || call.Kind == "text") texts.push_back(call);
    }
    return texts;
}

const TDrawCall* TRecordingCanvas::TextCall(const std::u16string& text) const {
    for (const TDrawCall& call : Calls) {
        if ((call.Kind == "clipped" || call.Kind == "text") && call.Text == text) return &call;
    }
    return nullptr;
}

TShownGrid::TShownGrid(const TRecordingCanvas& canvas, const TRect& gridRect) {
    // Inside the grid's clip every cell is a fill, then its text: the header row first, led by the
    // corner, then each row led by its number.
    const auto isGridClip = [&](const TDrawCall& c) { return c.Kind == "clip" && c.Rect == gridRect; };
    auto call = std::find_if(canvas.Calls.begin(), canvas.Calls.end(), isGridClip);
    std::vector<TShownCell> shown;
    for (; call != canvas.Calls.end() && call->Kind != "unclip"; ++call) {
        if (call->Kind == "fill") shown.push_back(TShownCell{u"", call->Rect, *call->Color, {}, 0});
        if (call->Kind != "clipped" || shown.empty()) continue;
        shown.back().Text = call->Text;
        shown.back().Style = call->Style;
        shown.back().TextX = call->At.X;
    }
    if (shown.empty()) return;
    Corner = shown.front();
    std::map<int32_t, int32_t> colAt, rowAt; // by the left or top edge
    for (const TShownCell& cell : shown) {
        if (cell.Rect == Corner.Rect) continue;
        if (cell.Rect.Top == Corner.Rect.Top) {
            Cols[colAt[cell.Rect.Left] = ColumnLettersToIndex(cell.Text)] = cell;
        } else if (cell.Rect.Left == Corner.Rect.Left) {
            Rows[rowAt[cell.Rect.Top] = int32_t(std::stol(Utf16ToUtf8(cell.Text))) - 1] = cell;
        } else {
            Cells[{rowAt.at(cell.Rect.Top), colAt.at(cell.Rect.Left)}] = cell;
        }
    }
}

const TShownCell* TShownGrid::Cell(int32_t row, int32_t col) const {
    const auto found = Cells.find({row, col});
    return found == Cells.end() ? nullptr : &found->second;
}

std::pair<int32_t, int32_t> TShownGrid::Selected(TColor selection) const {
    for (const auto& [at, cell] : Cells) {
        if (cell.Fill == selection) return {at.second, at.first};
    }
    return {-1, -1};
}

TWindowHandle TScriptedWindows::Add(TWindowHandle parent, TRect client, TPoint origin) {
    const auto handle = reinterpret_cast<TWindowHandle>(FNext += 0x10);
    TScriptedWindow window;
    window.Parent = parent;
    window.Client = client;
    window.Origin = origin;
    Windows[handle] = window;
    return handle;
}

TWindowHandle TScriptedWindows::ViewerWindow() const {
    for (const auto& [handle, window] : Windows) {
        if (window.Viewer) return handle;
    }
    return nullptr;
}

TWindowHandle TScriptedWindows::CreateViewerWindow(TWindowHandle parent, TNeoSpreadsheet& viewer, uint32_t& errorCode) {
    if (FailCreation) {
        errorCode = 1407;
        return nullptr;
    }
    const TWindowHandle window = Add(parent, TRect{0, 0, 800, 500}, TPoint{0, 0});
    Windows[window].Viewer = true;
    Windows[window].Owner = &viewer;
    Log.push_back("create");
    return window;
}

void TScriptedWindows::DestroyWindow(TWindowHandle window) {
    if (OnDestroy) OnDestroy();
    // Children go with their parent, without telling anyone.
    for (auto child = Windows.begin(); child != Windows.end();) {
        child = child->second.Parent == window ? Windows.erase(child) : std::next(child);
    }
    Windows.erase(window);
    if (!IsWindow(Focus)) Focus = nullptr;
    Log.push_back("destroy");
}

bool TScriptedWindows::IsWindow(TWindowHandle window) const { return Windows.count(window) > 0; }

bool TScriptedWindows::IsWindowVisible(TWindowHandle window) const {
    const auto found = Windows.find(window);
    return found != Windows.end() && found->second.Visible;
}

bool TScriptedWindows::GetClientRect(TWindowHandle window, TRect& rect) const {
    const auto found = Windows.find(window);
    if (found == Windows.end()) return false;
    rect = found->second.Client;
    return true;
}

TPoint TScriptedWindows::MapClientPoint(TWindowHandle from, TWindowHandle to, TPoint point) const {
    // Windows here are direct children of the host window, whose client origin is (0, 0).
    const TPoint origin = Windows.at(from).Origin;
    (void)to;
    return TPoint{point.X + origin.X, point.Y + origin.Y};
}

void TScriptedWindows::PlaceOnTop(TWindowHandle window, const TRect& rect) {
    TScriptedWindow& w = Windows.at(window);
    w.Origin = TPoint{rect.Left, rect.Top};
    w.Client = TRect{0, 0, rect.Width(), rect.Height()};
    Log.push_back("place " + std::to_string(rect.Left) + "," + std::to_string(rect.Top) + " " +
                  std::to_string(rect.Width()) + "x" + std::to_string(rect.Height()));
}

void TScriptedWindows::Show(TWindowHandle window, TShowMode mode) {
    Windows.at(window).Visible = mode != TShowMode::Hide;
    Log.push_back(mode == TShowMode::Hide ? "hide" : "show");
}

void TScriptedWindows::PostWindowMessage(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Log.push_back("post " + std::to_string(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
}

void TScriptedWindows::PaintWindow(TWindowHandle window, const std::function<void(TCanvas&, const TRect&)>& paint) {
    LastCanvas = TRecordingCanvas();
    paint(LastCanvas, Windows.at(window).Client);
}

const TScriptedWindow* TScriptedWindows::Window(TWindowHandle window) const {
    const auto found = Windows.find(window);
    return found == Windows.end() ? nullptr : &found->second;
}

TWindowHandle TScriptedWindows::ChildOfKind(TScriptedWindow::TKind kind) const {
    for (const auto& [handle, window] : Windows) {
        if (window.Kind == kind) return handle;
    }
    return nullptr;
}

void TScriptedWindows::SetFocus(TWindowHandle window) {
    const TWindowHandle previous = Focus;
    Focus = window;
    if (previous == window) return;
    const TScriptedWindow* lost = Window(previous);
    if (!lost || lost->Kind != TScriptedWindow::TKind::CellEditor) return;
    const TScriptedWindow* parent = Window(lost->Parent);
    if (parent && parent->Owner) {
        parent->Owner->HandleMessage(messages::Command, uintptr_t(EditLostFocus) << 16,
                                     reinterpret_cast<intptr_t>(previous));
    }
}

TPoint TScriptedWindows::ClientToScreen(TWindowHandle window, TPoint point) const {
    // The host window's client area starts at (1000, 2000) on the screen, so that conversions show.
    const TPoint origin = Windows.at(window).Origin;
    return TPoint{point.X + origin.X + 1000, point.Y + origin.Y + 2000};
}

TWindowHandle TScriptedWindows::AddChild(TWindowHandle parent, const TRect& rect, TScriptedWindow::TKind kind,
                                         const std::u16string& text) {
    const TWindowHandle child = Add(parent, TRect{0, 0, rect.Width(), rect.Height()}, TPoint{rect.Left, rect.Top});
    Windows[child].Kind = kind;
    Windows[child].Text = text;
    Log.push_back(kind == TScriptedWindow::TKind::FindBox ? "find box" : "edit box");
    return child;
}

TWindowHandle TScriptedWindows::CreateCellEditor(TWindowHandle parent, const TRect& rect, const std::u16string& text) {
    return AddChild(parent, rect, TScriptedWindow::TKind::CellEditor, text);
}

TWindowHandle TScriptedWindows::CreateFindBox(TWindowHandle parent, const TRect& rect, TNeoSpreadsheet& viewer) {
    const TWindowHandle box = AddChild(parent, rect, TScriptedWindow::TKind::FindBox, u"");
    Windows[box].Owner = &viewer;
    return box;
}

std::u16string TScriptedWindows::GetText(TWindowHandle window, size_t maxLength) const {
    return Windows.at(window).Text.substr(0, maxLength);
}

void TScriptedWindows::SelectText(TWindowHandle window, int32_t start, int32_t end) {
    TScriptedWindow& edit = Windows.at(window);
    edit.SelectionStart = start;
    edit.SelectionEnd = end < 0 ? int32_t(edit.Text.size()) : end;
}

void TScriptedWindows::DestroyWindowSoon(TWindowHandle window) {
    Log.push_back("destroy soon");
    if (Focus == window) Focus = nullptr;
    Windows.erase(window);
}

void TScriptedWindows::RunDuringModal() {
    if (DuringModals.empty()) return;
    const std::function<void()> during = std::move(DuringModals.front());
    DuringModals.pop_front();
    if (during) during();
}

uint32_t TScriptedWindows::TrackPopupMenu(TWindowHandle, const std::vector<TMenuItem>& items, TPoint screenPoint) {
    Menus.push_back(items);
    LastMenuPoint = screenPoint;
    RunDuringModal();
    if (MenuAnswers.empty()) return 0;
    const uint32_t answer = MenuAnswers.front();
    MenuAnswers.pop_front();
    return answer;
}

bool TScriptedWindows::ConfirmYesNo(TWindowHandle, const std::u16string& text) {
    Confirmations.push_back(text);
    RunDuringModal();
    if (ConfirmAnswers.empty()) return false;
    const bool answer = ConfirmAnswers.front();
    ConfirmAnswers.pop_front();
    return answer;
}

bool TScriptedWindows::SetMenuItemSize(intptr_t request, TSize size) {
    auto* item = reinterpret_cast<TItemRequest*>(request);
    if (!item->MenuItem) return false;
    item->Size = size;
    return true;
}

bool TScriptedWindows::DrawMenuItem(intptr_t request, const std::function<void(TCanvas&, const TMenuItemState&)>& draw) {
    const auto* item = reinterpret_cast<const TItemRequest*>(request);
    if (!item->MenuItem) return false;
    LastCanvas = TRecordingCanvas();
    draw(LastCanvas, item->Item);
    return true;
}

std::optional<std::u16string> TScriptedWindows::ChooseFile(const TFileDialog& dialog) {
    FileDialogs.push_back(dialog);
    RunDuringModal();
    if (FileAnswers.empty()) return std::nullopt;
    const std::optional<std::u16string> answer = FileAnswers.front();
    FileAnswers.pop_front();
    return answer;
}

} // namespace tabulix::testing
