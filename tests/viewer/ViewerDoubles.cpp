#include "viewer/ViewerDoubles.h"

#include "base/Text.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace tabulix::testing {

void TRecordingCanvas::SetFont(const std::u16string& face, double pointSize, TFontStyle style) {
    Style = style;
    Face = face;
    PointSize = pointSize;
    Calls.push_back({"font", {}, {}, {}, {}, face, std::nullopt, 0, style, pointSize, face});
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
void TRecordingCanvas::PatternLine(TPoint from, TPoint to, TColor color, int32_t dash, int32_t gap) {
    Calls.push_back({"pattern", {}, from, to, {}, u"", color, 0, Style, 0, u"", dash, gap});
}
void TRecordingCanvas::TextOver(const TRect& clip, TPoint at, const std::u16string& text, TColor color) {
    Calls.push_back({"over", clip, at, {}, {}, text, color, 0, Style, PointSize, Face});
}
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
        if (call.Kind == "clipped" || call.Kind == "text" || call.Kind == "over") texts.push_back(call);
    }
    return texts;
}

const TDrawCall* TRecordingCanvas::TextCall(const std::u16string& text) const {
    for (const TDrawCall& call : Calls) {
        if ((call.Kind == "clipped" || call.Kind == "text" || call.Kind == "over") && call.Text == text) return &call;
    }
    return nullptr;
}

TShownGrid::TShownGrid(const TRecordingCanvas& canvas, const TRect& gridRect) {
    // The grid is painted inside its clip, to its last unclip: first the header cells, each a fill, an
    // outline and a clipped text (the corner, the column letters, the row numbers); then the cells, pane
    // by pane: a fill of each cell or merged area that is not white, lines, and each text drawn over what
    // is there, cut to its cell's or area's rectangle less a pixel, or further where it runs on.
    const auto isGridClip = [&](const TDrawCall& c) { return c.Kind == "clip" && c.Rect == gridRect; };
    const auto first = std::find_if(canvas.Calls.begin(), canvas.Calls.end(), isGridClip);
    auto last = first;
    while (last != canvas.Calls.end() && last->Kind != "unclip") ++last;
    std::vector<TShownCell> headers;
    std::vector<const TDrawCall*> fills, texts;
    for (auto call = first; call != last; ++call) {
        if (call->Kind == "fill") fills.push_back(&*call);
        if (call->Kind == "over") texts.push_back(&*call);
        if (call->Kind == "clipped" && !fills.empty()) {
            headers.push_back(TShownCell{call->Text, fills.back()->Rect, *fills.back()->Color, call->Style, call->At.X});
        }
    }
    if (headers.empty()) return;
    Corner = headers.front();
    std::map<int32_t, int32_t> colAt, rowAt; // by the left or top edge
    for (const TShownCell& cell : headers) {
        if (cell.Rect == Corner.Rect) continue;
        if (cell.Rect.Top == Corner.Rect.Top) {
            const int32_t col = ColumnLettersToIndex(cell.Text);
            Cols[colAt[cell.Rect.Left] = col] = cell;
            ColOrder.push_back(col);
        } else if (cell.Rect.Left == Corner.Rect.Left) {
            const int32_t row = int32_t(std::stol(Utf16ToUtf8(cell.Text))) - 1;
            Rows[rowAt[cell.Rect.Top] = row] = cell;
            RowOrder.push_back(row);
        }
    }
    for (const auto& [row, rowHeader] : Rows) {
        for (const auto& [col, colHeader] : Cols) {
            const TRect rect{colHeader.Rect.Left, rowHeader.Rect.Top, colHeader.Rect.Right, rowHeader.Rect.Bottom};
            Cells[{row, col}] = TShownCell{u"", rect, RgbColor(255, 255, 255), {}, 0};
        }
    }
    // A fill from a cell's top left corner is the cell's, or its merged area's.
    auto cellAt = [&](int32_t left, int32_t top) -> TShownCell* {
        const auto col = colAt.find(left);
        const auto row = rowAt.find(top);
        if (col == colAt.end() || row == rowAt.end()) return nullptr;
        return &Cells[{row->second, col->second}];
    };
    for (const TDrawCall* fill : fills) {
        TShownCell* cell = cellAt(fill->Rect.Left, fill->Rect.Top);
        if (!cell || fill->Rect.Right < cell->Rect.Right || fill->Rect.Bottom < cell->Rect.Bottom) continue;
        cell->Rect = fill->Rect;
        cell->Fill = *fill->Color;
    }
    std::set<std::tuple<int32_t, int32_t, std::u16string>> drawn; // a text drawn twice, by two panes, counts once
    for (const TDrawCall* text : texts) {
        TShownCell* cell = cellAt(text->Rect.Left - 1, text->Rect.Top - 1);
        if (!cell) continue; // a text running on from a cell out of view
        if (!drawn.insert({text->At.X, text->At.Y, text->Text}).second) continue;
        if (cell->Text.empty()) {
            cell->TextX = text->At.X;
            cell->TextY = text->At.Y;
            cell->Style = text->Style;
            cell->TextColor = text->Color.value_or(0);
            cell->Text = text->Text;
        } else {
            cell->Text += u"\n" + text->Text;
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
