#pragma once

// What the viewer needs from the platform: a drawing surface, the window services of its own window,
// and the host. Windows implements the first two in platform/win32, the plug-in bridge the third;
// tests give all three doubles. Window messages stay numbers, the ones Windows uses.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tabulix {

class TNeoSpreadsheet;

// A window of the platform, carried as a pointer-sized value.
using TWindowHandle = void*;

// A colour value: red in the lowest byte, then green, then blue.
using TColor = uint32_t;
constexpr TColor RgbColor(uint8_t red, uint8_t green, uint8_t blue) {
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint& other) const = default;
};

struct TSize {
    int32_t Width = 0;
    int32_t Height = 0;
};

// A rectangle of pixels, right and bottom exclusive.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TRect& other) const = default;
};

struct TFontStyle {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strike = false;
    bool operator==(const TFontStyle& other) const = default;
};

// The drawing surface of one paint.
class TCanvas {
public:
    virtual ~TCanvas() = default;
    // A font by its face and its size in points (a face the system lacks is replaced as the system does).
    virtual void SetFont(const std::u16string& face, double pointSize, TFontStyle style) = 0;
    // The platform's default dialog font, in the given style (menu items are drawn in it).
    virtual void SetDialogFont(TFontStyle style) = 0;
    virtual void FillRect(const TRect& rect, TColor color) = 0;
    // A 1-pixel outline inside the rectangle's edges, nothing filled.
    virtual void OutlineRect(const TRect& rect, TColor color) = 0;
    // From the first point to the second; the end point is not drawn.
    virtual void Line(TPoint from, TPoint to, TColor color) = 0;
    // A 1-pixel line of dashes: dash pixels drawn, gap pixels left, from the first point on; the end
    // point is not drawn.
    virtual void PatternLine(TPoint from, TPoint to, TColor color, int32_t dash, int32_t gap) = 0;
    // Lines through the points in order, 1 pixel wide; the last point is not drawn.
    virtual void Polyline(const std::vector<TPoint>& points, TColor color) = 0;
    // A 1-pixel ellipse inside the rectangle, nothing filled.
    virtual void Ellipse(const TRect& bounds, TColor color) = 0;
    // Text on a background of the given colour; without a text colour, the platform's window-text colour.
    virtual void Text(TPoint at, const std::u16string& text, std::optional<TColor> color, TColor background) = 0;
    // Text on its background colour, cut to the clip rectangle.
    virtual void TextClipped(const TRect& clip, TPoint at, const std::u16string& text, TColor color, TColor background) = 0;
    // Text over what is drawn already (no background), cut to the clip rectangle.
    virtual void TextOver(const TRect& clip, TPoint at, const std::u16string& text, TColor color) = 0;
    virtual TSize TextExtent(const std::u16string& text) = 0;
    // Everything drawn until ClearClip stays inside the rectangle.
    virtual void SetClip(const TRect& rect) = 0;
    virtual void ClearClip() = 0;
};

enum class TShowMode { Show, ShowNoActivate, Hide };

// One item of a popup menu.
struct TMenuItem {
    uint32_t Id = 0;
    std::u16string Text;
    bool Enabled = true;
    bool OwnerDrawn = false; // drawn by the owner window (WM_MEASUREITEM, WM_DRAWITEM)
};

// A menu item being drawn by its owner: its identifier, its rectangle on the canvas, its state.
struct TMenuItemState {
    uint32_t Id = 0;
    TRect Rect;
    bool Selected = false;
    bool Disabled = false;
};

// A file dialog: open or save, its title, its filter ("Name|*.ext|Other|*.*"), the default extension,
// the folder or file it starts at, and the checks it makes before it lets the reader confirm.
struct TFileDialog {
    bool Save = false;
    std::u16string Title;
    std::u16string Filter;
    std::u16string DefaultExtension;
    std::u16string InitialFolder;
    std::u16string InitialFile;
    bool OverwritePrompt = false;
    bool PathMustExist = false;
    bool FileMustExist = false;
};

// The system's clipboard, as the viewer copies cells to it and pastes from it.
class TClipboard {
public:
    virtual ~TClipboard() = default;
    // Replaces what the clipboard holds with Unicode text and, beside it, the clipboard's "HTML Format"
    // (UTF-8, with its header of offsets); the owner window owns the clipboard. False when the clipboard
    // cannot be had.
    virtual bool Put(TWindowHandle owner, const std::u16string& text, const std::string& html) = 0;
    // The Unicode text the clipboard holds; none when it holds no text or cannot be had.
    virtual std::optional<std::u16string> Text(TWindowHandle owner) = 0;
};

// The window services the viewer needs for its own window.
class TViewerWindows {
public:
    virtual ~TViewerWindows() = default;
    // The viewer's window, a child of parent, whose messages go to viewer.HandleMessage; null on
    // failure, with the system's error code.
    virtual TWindowHandle CreateViewerWindow(TWindowHandle parent, TNeoSpreadsheet& viewer, uint32_t& errorCode) = 0;
    virtual void DestroyWindow(TWindowHandle window) = 0;
    virtual bool IsWindow(TWindowHandle window) const = 0;
    virtual bool IsWindowVisible(TWindowHandle window) const = 0;
    virtual bool GetClientRect(TWindowHandle window, TRect& rect) const = 0;
    // A point of one window's client area in the other's client coordinates.
    virtual TPoint MapClientPoint(TWindowHandle from, TWindowHandle to, TPoint point) const = 0;
    // Moves and sizes the window and raises it above its siblings, without activating it.
    virtual void PlaceOnTop(TWindowHandle window, const TRect& rect) = 0;
    virtual void Show(TWindowHandle window, TShowMode mode) = 0;
    virtual void Invalidate(TWindowHandle window) = 0;
    virtual void PostWindowMessage(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual void StartTimer(TWindowHandle window, uintptr_t id, uint32_t milliseconds) = 0;
    virtual void StopTimer(TWindowHandle window, uintptr_t id) = 0;
    // Paints the window: what paint draws goes to an off-screen picture copied to the window at once.
    virtual void PaintWindow(TWindowHandle window, const std::function<void(TCanvas&, const TRect& client)>& paint) = 0;
    virtual intptr_t DefaultProcessing(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // The widest of the digits 0 to 9 in pixels, in the font of that face and size at 96 dots an inch;
    // none when the system has no font of that face.
    virtual std::optional<int32_t> MaxDigitWidth(const std::u16string& face, double pointSize) = 0;

    // Keyboard focus.
    virtual void SetFocus(TWindowHandle window) = 0;
    virtual TPoint ClientToScreen(TWindowHandle window, TPoint point) const = 0;

    // The in-place edit box: a single-line edit control over a cell, showing text, child of parent.
    // Its losing the focus is reported to the parent as a command (EN_KILLFOCUS). Null on failure.
    virtual TWindowHandle CreateCellEditor(TWindowHandle parent, const TRect& rect, const std::u16string& text) = 0;
    // The find box: a single-line edit control, child of the viewer's window; the keys pressed in it go
    // first to viewer.HandleFindBoxKey, and only the ones it leaves reach the control. Null on failure.
    virtual TWindowHandle CreateFindBox(TWindowHandle parent, const TRect& rect, TNeoSpreadsheet& viewer) = 0;
    // An edit control's text, cut to maxLength characters.
    virtual std::u16string GetText(TWindowHandle window, size_t maxLength) const = 0;
    virtual void SetText(TWindowHandle window, const std::u16string& text) = 0;
    // Selects the characters from start to end (end -1: to the end of the text); start = end puts the
    // caret there.
    virtual void SelectText(TWindowHandle window, int32_t start, int32_t end) = 0;
    // Hides the window at once and destroys it once the message being handled is done: for a control
    // whose own notification is running.
    virtual void DestroyWindowSoon(TWindowHandle window) = 0;

    // Shows a popup menu at a point of the screen for the owner window, brought to the foreground, and
    // waits for the reader: the identifier chosen, 0 for none.
    virtual uint32_t TrackPopupMenu(TWindowHandle owner, const std::vector<TMenuItem>& items, TPoint screenPoint) = 0;
    // A modal Yes/No confirmation box owned by the window: true for Yes.
    virtual bool ConfirmYesNo(TWindowHandle owner, const std::u16string& text) = 0;

    // Owner-drawn menu items: the requests of WM_MEASUREITEM and WM_DRAWITEM, whose lParam carries
    // them. Each answers false, doing nothing, when the request is not about a menu item.
    virtual bool SetMenuItemSize(intptr_t request, TSize size) = 0;
    virtual bool DrawMenuItem(intptr_t request, const std::function<void(TCanvas&, const TMenuItemState&)>& draw) = 0;

    // A modal file dialog owned by the active window: the file chosen, none when cancelled.
    virtual std::optional<std::u16string> ChooseFile(const TFileDialog& dialog) = 0;

    // Whether a key (keys::Shift, keys::Control) was down when the message being handled was sent.
    virtual bool IsKeyDown(uint32_t key) const = 0;
    // The mouse's messages go to the window until it is released, wherever the pointer is, as while the
    // reader drags over cells; losing it otherwise is reported (messages::CaptureChanged).
    virtual void CaptureMouse(TWindowHandle window) = 0;
    virtual void ReleaseMouse(TWindowHandle window) = 0;
    virtual TClipboard& Clipboard() = 0;
};

// The host as the viewer reaches it: its window, its variables, its script processor, its objects.
class TViewerHost {
public:
    virtual ~TViewerHost() = default;
    virtual TWindowHandle HostWindow() const = 0;
    virtual bool CanSetVariables() const = 0;
    virtual void SetVariable(const std::u16string& name, const std::u16string& value) = 0;
    // Writes the message into "[LastError]"; never throws.
    virtual void ReportError(const std::u16string& message) noexcept = 0;
    virtual void RunScript(const std::u16string& command) = 0;
    virtual bool CanLookupObjects() const = 0;
    // The window of the named object; null when there is none.
    virtual TWindowHandle LookupObjectWindow(const std::u16string& name) = 0;
};

// Window messages the viewer handles, by the numbers Windows gives them.
namespace messages {
constexpr uint32_t Size = 0x0005;
constexpr uint32_t Paint = 0x000F;
constexpr uint32_t EraseBackground = 0x0014;
constexpr uint32_t DrawItem = 0x002B;
constexpr uint32_t MeasureItem = 0x002C;
constexpr uint32_t NcDestroy = 0x0082;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t Char = 0x0102;
constexpr uint32_t Command = 0x0111;
constexpr uint32_t Timer = 0x0113;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LeftButtonDown = 0x0201;
constexpr uint32_t LeftButtonUp = 0x0202;
constexpr uint32_t LeftButtonDoubleClick = 0x0203;
constexpr uint32_t RightButtonDown = 0x0204;
constexpr uint32_t MouseWheel = 0x020A;
constexpr uint32_t CaptureChanged = 0x0215;
constexpr uint32_t ViewerVisibility = 0x0400 + 250; // 1274, accepted from outside
constexpr uint32_t PageNavigate = 0x8000 + 137;     // 32905, posted by the action toolbar
} // namespace messages

// Virtual keys and notifications the viewer reads, by their Windows numbers.
namespace keys {
constexpr uint32_t Return = 13;
constexpr uint32_t Shift = 16;
constexpr uint32_t Control = 17;
constexpr uint32_t Escape = 27;
constexpr uint32_t PageUp = 33;
constexpr uint32_t PageDown = 34;
constexpr uint32_t End = 35;
constexpr uint32_t Home = 36;
constexpr uint32_t Left = 37;
constexpr uint32_t Up = 38;
constexpr uint32_t Right = 39;
constexpr uint32_t Down = 40;
constexpr uint32_t Insert = 45;
constexpr uint32_t Delete = 46;
// Letters are their upper-case character codes.
constexpr uint32_t LetterA = 'A';
constexpr uint32_t LetterC = 'C';
constexpr uint32_t LetterV = 'V';
constexpr uint32_t LetterX = 'X';
constexpr uint32_t LetterY = 'Y';
constexpr uint32_t LetterZ = 'Z';
constexpr uint32_t F2 = 113;
} // namespace keys
constexpr uint32_t EditLostFocus = 0x0200; // EN_KILLFOCUS
constexpr uintptr_t ShiftKeyFlag = 0x0004;  // MK_SHIFT

} // namespace tabulix
