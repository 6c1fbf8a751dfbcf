#pragma once

// Doubles of the viewer's ports: a canvas that records what is drawn, a window system of scripted
// windows, and a host that keeps variables and records what it is told.

#include "viewer/NeoSpreadsheet.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tabulix::testing {

struct TDrawCall {
    std::string Kind; // fill, outline, line, pattern, polyline, ellipse, text, clipped, over, font, dialog font, clip, unclip
    TRect Rect;       // fill, outline, clipped and over (their clip), clip
    TPoint At;        // line and pattern (from), text, clipped, over
    TPoint To;        // line, pattern
    std::vector<TPoint> Points; // polyline
    std::u16string Text;        // text, clipped, over; the face of a font
    std::optional<TColor> Color;
    TColor Background = 0;
    TFontStyle Style;
    double PointSize = 0;  // font; over: the font's
    std::u16string Face{}; // over: the font's
    int32_t Dash = 0, Gap = 0; // pattern
};

class TRecordingCanvas final : public TCanvas {
public:
    std::vector<TDrawCall> Calls;
    TFontStyle Style; // the current font's style
    std::u16string Face;
    double PointSize = 0;
    // Text is 7 pixels a character and 15 high, so that extents are predictable.
    static constexpr int32_t CharWidth = 7;

    void SetFont(const std::u16string& face, double pointSize, TFontStyle style) override;
    void SetDialogFont(TFontStyle style) override;
    void FillRect(const TRect& rect, TColor color) override;
    void OutlineRect(const TRect& rect, TColor color) override;
    void Line(TPoint from, TPoint to, TColor color) override;
    void PatternLine(TPoint from, TPoint to, TColor color, int32_t dash, int32_t gap) override;
    void Polyline(const std::vector<TPoint>& points, TColor color) override;
    void Ellipse(const TRect& bounds, TColor color) override;
    void Text(TPoint at, const std::u16string& text, std::optional<TColor> color, TColor background) override;
    void TextClipped(const TRect& clip, TPoint at, const std::u16string& text, TColor color, TColor background) override;
    void TextOver(const TRect& clip, TPoint at, const std::u16string& text, TColor color) override;
    TSize TextExtent(const std::u16string& text) override;
    void SetClip(const TRect& rect) override;
    void ClearClip() override;

    // The texts drawn (at a point, clipped or over what is there), in order.
    std::vector<TDrawCall> Texts() const;
    const TDrawCall* TextCall(const std::u16string& text) const;
};

// One cell of the grid as a paint showed it.
struct TShownCell {
    std::u16string Text; // the lines of a wrapped text, or the words of a spread one, after line feeds
    TRect Rect;          // a merged area's, for its first cell
    TColor Fill = 0;
    TFontStyle Style;
    int32_t TextX = 0; // where its text starts
    int32_t TextY = 0;
    TColor TextColor = 0;
};

// The grid of one paint, read back from what was drawn inside the grid's rectangle: the header cells
// of the columns and rows shown, by index, and the other cells by (row, column), 0-based as the
// headers letter and number them. A merged area is its first cell, the others inside it are shown
// without text.
struct TShownGrid {
    TShownGrid(const TRecordingCanvas& canvas, const TRect& gridRect);
    // The cell, or null when it was not shown.
    const TShownCell* Cell(int32_t row, int32_t col) const;
    std::u16string Text(int32_t row, int32_t col) const { return Cell(row, col) ? Cell(row, col)->Text : u"(not shown)"; }
    // The first row and column shown; -1 when none is.
    int32_t TopRow() const { return Rows.empty() ? -1 : Rows.begin()->first; }
    int32_t LeftCol() const { return Cols.empty() ? -1 : Cols.begin()->first; }
    // The cell filled in the selection colour, as (column, row); (-1, -1) when none is shown.
    std::pair<int32_t, int32_t> Selected(TColor selection) const;
    // The rows and columns shown, in the order they lie on the screen.
    std::vector<int32_t> RowOrder, ColOrder;

    TShownCell Corner; // the header cell at the top left: as high as a row, as wide as the row numbers
    std::map<int32_t, TShownCell> Cols, Rows;
    std::map<std::pair<int32_t, int32_t>, TShownCell> Cells;
};

// What a test hands the viewer as the lParam of WM_MEASUREITEM or WM_DRAWITEM.
struct TItemRequest {
    bool MenuItem = true;
    TMenuItemState Item; // drawing
    TSize Size;          // measuring: what the viewer answered
};

struct TScriptedWindow {
    TWindowHandle Parent = nullptr;
    TRect Client;     // its client area, (0, 0, w, h)
    TPoint Origin;    // its client origin in the parent's client coordinates
    bool Visible = true;
    bool Viewer = false;
    TNeoSpreadsheet* Owner = nullptr; // the viewer of a viewer window or a find box
    enum class TKind { Plain, CellEditor, FindBox } Kind = TKind::Plain;
    std::u16string Text;
    int32_t SelectionStart = 0;
    int32_t SelectionEnd = 0;
};

// A clipboard of its own: what was put on it, and the text a paste takes.
class TClipboardDouble final : public TClipboard {
public:
    std::optional<std::u16string> Held; // none: no text on the clipboard
    std::string Html;
    bool Refuse = false; // cannot be opened
    bool Put(TWindowHandle, const std::u16string& text, const std::string& html) override {
        if (Refuse) return false;
        Held = text;
        Html = html;
        return true;
    }
    std::optional<std::u16string> Text(TWindowHandle) override { return Refuse ? std::nullopt : Held; }
};

class TScriptedWindows final : public TViewerWindows {
public:
    std::set<uint32_t> KeysDown;        // keys::Shift, keys::Control held
    TWindowHandle Captured = nullptr;  // the window holding the mouse
    TClipboardDouble ClipboardHeld;
    std::map<TWindowHandle, TScriptedWindow> Windows;
    std::vector<std::string> Log;
    bool FailCreation = false;
    int Invalidations = 0;
    std::map<TWindowHandle, int> Timers; // running timers by window
    TRecordingCanvas LastCanvas;
    std::function<void()> OnDestroy; // called whenever a window is destroyed
    TWindowHandle Focus = nullptr;
    std::deque<uint32_t> MenuAnswers;          // the identifiers chosen, in order; none left: 0
    std::vector<std::vector<TMenuItem>> Menus; // every menu shown
    TPoint LastMenuPoint;
    std::deque<bool> ConfirmAnswers;           // Yes or No, in order; none left: No
    std::vector<std::u16string> Confirmations; // every question asked
    std::deque<std::optional<std::u16string>> FileAnswers; // none left: cancelled
    std::vector<TFileDialog> FileDialogs;                  // every dialog shown
    // What runs while each menu, box or file dialog waits for the reader, oldest first, as a
    // publication's timer script would; an empty one lets that modal pass.
    std::deque<std::function<void()>> DuringModals;

    // The edit box or find box of the window, or null.
    TWindowHandle ChildOfKind(TScriptedWindow::TKind kind) const;
    const TScriptedWindow* Window(TWindowHandle window) const;
    // A window of the given client size at the origin, in parent.
    TWindowHandle Add(TWindowHandle parent, TRect client, TPoint origin);
    TWindowHandle ViewerWindow() const;

    TWindowHandle CreateViewerWindow(TWindowHandle parent, TNeoSpreadsheet&, uint32_t& errorCode) override;
    void DestroyWindow(TWindowHandle window) override;
    bool IsWindow(TWindowHandle window) const override;
    bool IsWindowVisible(TWindowHandle window) const override;
    bool GetClientRect(TWindowHandle window, TRect& rect) const override;
    TPoint MapClientPoint(TWindowHandle from, TWindowHandle to, TPoint point) const override;
    void PlaceOnTop(TWindowHandle window, const TRect& rect) override;
    void Show(TWindowHandle window, TShowMode mode) override;
    void Invalidate(TWindowHandle) override { ++Invalidations; }
    void PostWindowMessage(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void StartTimer(TWindowHandle window, uintptr_t, uint32_t) override { ++Timers[window]; }
    void StopTimer(TWindowHandle window, uintptr_t) override { --Timers[window]; }
    void PaintWindow(TWindowHandle window, const std::function<void(TCanvas&, const TRect&)>& paint) override;
    intptr_t DefaultProcessing(TWindowHandle, uint32_t, uintptr_t, intptr_t) override { return 0; }
    // The widest digit of every installed font; none: no font is installed.
    std::optional<int32_t> DigitWidth;
    std::optional<int32_t> MaxDigitWidth(const std::u16string&, double) override { return DigitWidth; }
    // A cell editor that loses the focus tells its viewer, as the edit control does.
    void SetFocus(TWindowHandle window) override;
    TPoint ClientToScreen(TWindowHandle window, TPoint point) const override;
    TWindowHandle CreateCellEditor(TWindowHandle parent, const TRect& rect, const std::u16string& text) override;
    TWindowHandle CreateFindBox(TWindowHandle parent, const TRect& rect, TNeoSpreadsheet& viewer) override;
    std::u16string GetText(TWindowHandle window, size_t maxLength) const override;
    void SetText(TWindowHandle window, const std::u16string& text) override { Windows.at(window).Text = text; }
    void SelectText(TWindowHandle window, int32_t start, int32_t end) override;
    void DestroyWindowSoon(TWindowHandle window) override;
    uint32_t TrackPopupMenu(TWindowHandle owner, const std::vector<TMenuItem>& items, TPoint screenPoint) override;
    bool ConfirmYesNo(TWindowHandle owner, const std::u16string& text) override;
    bool SetMenuItemSize(intptr_t request, TSize size) override;
    bool DrawMenuItem(intptr_t request, const std::function<void(TCanvas&, const TMenuItemState&)>& draw) override;
    std::optional<std::u16string> ChooseFile(const TFileDialog& dialog) override;
    bool IsKeyDown(uint32_t key) const override { return KeysDown.count(key) > 0; }
    void CaptureMouse(TWindowHandle window) override { Captured = window; }
    void ReleaseMouse(TWindowHandle window) override {
        if (Captured == window) Captured = nullptr;
    }
    TClipboard& Clipboard() override { return ClipboardHeld; }

private:
    void RunDuringModal();
    TWindowHandle AddChild(TWindowHandle parent, const TRect& rect, TScriptedWindow::TKind kind, const std::u16string& text);
    intptr_t FNext = 0x100;
};

class TViewerHostDouble : public TViewerHost {
public:
    TWindowHandle Window = nullptr;
    bool Variables = true;
    bool Lookups = true;
    std::map<std::u16string, std::u16string> Set;
    std::vector<std::u16string> SetOrder;
    std::vector<std::u16string> Errors;
    std::vector<std::u16string> Scripts;
    std::map<std::u16string, TWindowHandle> Objects;

    TWindowHandle HostWindow() const override { return Window; }
    bool CanSetVariables() const override { return Variables; }
    void SetVariable(const std::u16string& name, const std::u16string& value) override {
        Set[name] = value;
        SetOrder.push_back(name);
    }
    void ReportError(const std::u16string& message) noexcept override { Errors.push_back(message); }
    void RunScript(const std::u16string& command) override { Scripts.push_back(command); }
    bool CanLookupObjects() const override { return Lookups; }
    TWindowHandle LookupObjectWindow(const std::u16string& name) override {
        const auto found = Objects.find(name);
        return found == Objects.end() ? nullptr : found->second;
    }
};

} // namespace tabulix::testing
