#include "HostWindowCommands.h"

#include "HostClipboard.h"
#include "HostScript.h"
#include "HostWindows.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace tabulix::host {

namespace {

// How long the message loop runs before the screen is read. Under Wine the loop going idle already puts
// what was painted on the screen; a compositing desktop may take up to a frame more.
constexpr DWORD SettleMilliseconds = 20;

// One window command being run: the session, the line's words, and where a failure goes.
struct TCall {
    THostSession& Session;
    const std::vector<std::string>& Words;
    std::string& Failure;
    const char* Arguments;

    bool Fail(const std::string& why) const {
        Failure = why;
        return false;
    }
    bool BadArguments() const { return Fail(Words[0] + " needs " + Arguments); }
};

struct TWindowCommand {
    const char* Name;
    size_t ArgumentCount; // at least
    const char* Arguments;
    bool (*Run)(const TCall& call);
};

// ---- the windows a command is about

HWND Rectangle(const TCall& call, const std::string& name) {
    HWND rectangle = call.Session.RectangleWindow(name);
    if (!rectangle) call.Fail("there is no Rectangle " + name);
    return rectangle;
}

// The viewer the library made for the Rectangle NAME, wherever it lies; else the one lying over it.
HWND Viewer(const TCall& call, const std::string& name) {
    if (HWND attached = call.Session.AttachedViewer(name)) return attached;
    HWND rectangle = Rectangle(call, name);
    if (!rectangle) return nullptr;
    HWND viewer = ViewerOver(call.Session.MainWindow(), rectangle, false);
    if (!viewer) call.Fail("no TabulixViewer window lies over the Rectangle " + name);
    return viewer;
}

// The viewer's in-place edit box (find false) or find box (find true): a shown "Edit" child of the
// viewer, the find box having a sunken edge and the edit box not. Null when there is none.
HWND EditChild(HWND viewer, bool find) {
    for (HWND child = GetWindow(viewer, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const bool sunken = (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
        if (HasClass(child, L"Edit") && (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) && sunken == find) return child;
    }
    return nullptr;
}

// The window's rectangle in the client coordinates of another, as "X Y W H".
std::string Placement(HWND window, HWND within) {
    RECT area{};
    GetWindowRect(window, &area);
    MapWindowPoints(nullptr, within, reinterpret_cast<POINT*>(&area), 2);
    return std::to_string(area.left) + " " + std::to_string(area.top) + " " + std::to_string(area.right - area.left) + " " +
           std::to_string(area.bottom - area.top);
}

// The optional "X Y W H" at words[first]: true with nothing to check or when the window lies there.
bool PlacementHolds(const TCall& call, size_t first, HWND window, HWND within, const std::string& what) {
    const std::vector<std::string>& w = call.Words;
    if (w.size() == first) return true;
    int number = 0;
    if (w.size() != first + 4) return call.BadArguments();
    for (size_t i = first; i < first + 4; ++i) {
        if (!ReadInt(w[i], number)) return call.BadArguments();
    }
    const std::string expected = w[first] + " " + w[first + 1] + " " + w[first + 2] + " " + w[first + 3];
    const std::string actual = Placement(window, within);
    if (actual == expected) return true;
    return call.Fail(what + " lies at " + actual + ", expected " + expected);
}

// The window a click at a client point of the viewer reaches, as the mouse would: a visible child of the
// viewer lying there, or the viewer itself. The point becomes a client point of that window.
HWND ClickTarget(HWND viewer, POINT& point) {
    HWND target = ChildWindowFromPointEx(viewer, point, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (!target) return viewer;
    MapWindowPoints(viewer, target, &point, 1);
    return target;
}

// The window keys reach, as the keyboard would: the one with the focus when it lies in the viewer (an
// editor inside it, say), else the viewer.
HWND KeyTarget(HWND viewer) {
    HWND focus = GetFocus();
    return focus && (focus == viewer || IsChild(viewer, focus)) ? focus : viewer;
}

// Posted messages first, then the pending paints, then time for them to reach the screen.
void Settle(THostSession& session) {
    session.Pump(0);
    PaintNow(session.MainWindow());
    session.Pump(SettleMilliseconds);
}

// ---- what is on screen

bool SaveArea(const TCall& call, const RECT& area, const std::string& file) {
    Settle(call.Session);
    std::string reason;
    if (!SaveScreenPng(area, Widen(file), reason)) return call.Fail(reason + ": " + file);
    call.Session.Log("saved " + file);
    return true;
}

bool Screenshot(const TCall& call) {
    return SaveArea(call, ClientRectOnScreen(call.Session.MainWindow()), call.Words[1]);
}

bool ScreenshotRect(const TCall& call) {
    HWND rectangle = Rectangle(call, call.Words[1]);
    return rectangle && SaveArea(call, ClientRectOnScreen(rectangle), call.Words[2]);
}

bool Pixel(const TCall& call) {
    const std::vector<std::string>& w = call.Words;
    int x = 0, y = 0;
    COLORREF expected = 0;
    if (!ReadInt(w[2], x) || !ReadInt(w[3], y) || !ReadColourHex(w[4], expected)) return call.BadArguments();
    HWND rectangle = Rectangle(call, w[1]);
    if (!rectangle) return false;
    Settle(call.Session);
    POINT point{x, y};
    ClientToScreen(rectangle, &point);
    const COLORREF actual = ScreenColour(point);
    if (actual == expected) return true;
    return call.Fail("the colour at " + w[2] + "," + w[3] + " of " + w[1] + " is " + ColourHex(actual) + ", expected " +
                     ColourHex(expected));
}

// ---- the viewer windows

bool ExpectViewers(const TCall& call) {
    int expected = 0;
    if (!ReadInt(call.Words[1], expected)) return call.BadArguments();
    const int count = int(ViewerWindows(call.Session.MainWindow()).size());
    if (count == expected) return true;
    return call.Fail("expected " + call.Words[1] + " viewer windows, the main window has " + std::to_string(count));
}

bool ExpectVisible(const TCall& call) {
    const std::vector<std::string>& w = call.Words;
    if (w[2] != "true" && w[2] != "false") return call.BadArguments();
    HWND rectangle = Rectangle(call, w[1]);
    if (!rectangle) return false;
    const bool visible = ViewerOver(call.Session.MainWindow(), rectangle, true) != nullptr;
    if (visible == (w[2] == "true")) return true;
    return call.Fail(std::string(visible ? "a" : "no") + " visible viewer window covers the Rectangle " + w[1]);
}

bool Send(const TCall& call) {
    const std::vector<std::string>& w = call.Words;
    long long message = 0, wParam = 0, lParam = 0;
    if (!ReadNumber(w[2], message) || !ReadNumber(w[3], wParam) || !ReadNumber(w[4], lParam)) return call.BadArguments();
    HWND viewer = Viewer(call, w[1]);
    if (!viewer) return false;
    const LRESULT result = SendMessageW(viewer, UINT(message), WPARAM(wParam), LPARAM(lParam));
    call.Session.Log("message " + w[2] + " returned " + std::to_string(result));
    return true;
}

bool ExpectViewer(const TCall& call) {
    const std::vector<std::string>& w = call.Words;
    if (w[2] != "visible" && w[2] != "hidden") return call.BadArguments();
    HWND viewer = Viewer(call, w[1]);
    if (!viewer) return false;
    const bool visible = IsWindowVisible(viewer) != FALSE;
    if (visible != (w[2] == "visible")) return call.Fail("the viewer of " + w[1] + " is " + (visible ? "visible" : "hidden"));
    return PlacementHolds(call, 3, viewer, call.Session.MainWindow(), "the viewer of " + w[1]);
}

// ---- the edit box, the find box and the focus

bool ExpectEditChild(const TCall& call, bool find) {
    const std::vector<std::string>& w = call.Words;
    const std::string what = std::string(find ? "the find box" : "the edit box") + " of " + w[1];
    HWND viewer = Viewer(call, w[1]);
    if (!viewer) return false;
    HWND box = EditChild(viewer, find);
    if (w[2] == "none") return box ? call.Fail(what + " is open, holding \"" + WindowText(box) + "\"") : true;
    if (!box) return call.Fail(what + " is not open");
    const std::string text = WindowText(box);
    if (text != w[2]) return call.Fail(what + " holds \"" + text + "\", expected \"" + w[2] + "\"");
    return PlacementHolds(call, 3, box, viewer, what);
}

bool ExpectEdit(const TCall& call) { return ExpectEditChild(call, false); }
bool ExpectFind(const TCall& call) { return ExpectEditChild(call, true); }

bool ExpectFocus(const TCall& call) {
    const std::vector<std::string>& w = call.Words;
    if (w[2] != "viewer" && w[2] != "edit" && w[2] != "find" && w[2] != "other") return call.BadArguments();
    HWND viewer = Viewer(call, w[1]);
    if (!viewer) return false;
    HWND focus = GetFocus();
    std::string where = "other";
    if (focus && focus == viewer) where = "viewer";
    else if (focus && focus == EditChild(viewer, false)) where = "edit";
    else if (focus && focus == EditChild(viewer, true)) where = "find";
    if (where == w[2]) return true;
    const std::string actual = where == "other" ? "another window" : "the " + where;
    return call.Fail("the focus is on " + actual + ", expected " + w[2]);
}

// As when the reader clicks elsewhere in the host: the main window takes the focus, and whatever loses
// it has its say before the next line.
bool FocusHost(const TCall& call) {
    SetFocus(call.Session.MainWindow());
    call.Session.Pump(0);
    return true;
}

// ---- mouse and keyboard

// The modifier words from words[first] on: shift and ctrl, in any order; false for any other word.
bool ReadModifiers(const TCall& call, size_t first, bool& shift, bool& control) {
    shift = control = false;
    for (size_t i = first; i < call.Words.size(); ++i) {
        if (call.Words[i] == "shift") {
            shift = true;
        } else if (call.Words[i] == "ctrl") {
            control = true;
        } else {
            return false;
        }
    }
    return true;
}

// Shift and Ctrl held down, as GetKeyState sees them, for as long as it lives.
class THeldModifiers {
public:
    THeldModifiers(bool shift, bool control) {
        GetKeyboardState(FSaved);
        BYTE held[256];
        std::copy(std::begin(FSaved), std::end(FSaved), std::begin(held));
        if (shift) held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
        if (control) held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
        SetKeyboardState(held);
    }
    ~THeldModifiers() { SetKeyboardState(FSaved); }
    THeldModifiers(const THeldModifiers&) = delete;
    THeldModifiers& operator=(const THeldModifiers&) = delete;

private:
    BYTE FSaved[256] = {};
};

struct TMouseMessage {
    UINT Message;
    WPARAM Buttons;
};

bool SendMouse(const TCall& call, std::initializer_list<TMouseMessage> messages, bool modifiers = false) {
    int x = 0, y = 0;
    bool shift = false, control = false;
    if (!ReadInt(call.Words[2], x) || !ReadInt(call.Words[3], y)) return call.BadArguments();
    if (!ReadModifiers(call, modifiers ? 4 : call.Words.size(), shift, control)) return call.BadArguments();
    HWND viewer = Viewer(call, call.Words[1]);
    if (!viewer) return false;
    POINT point{x, y};
    HWND target = ClickTarget(viewer, point);
    const THeldModifiers held(shift, control);
    const WPARAM keys = (shift ? MK_SHIFT : 0) | (control ? MK_CONTROL : 0);
    for (const TMouseMessage& mouse : messages) {
        SendMessageW(target, mouse.Message, mouse.Buttons | keys, MAKELPARAM(point.x, point.y));
    }
    return true;
}

bool Click(const TCall& call) { return SendMouse(call, {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}, true); }
// The second click of a double click: the button comes up after it too.
bool DoubleClick(const TCall& call) { return SendMouse(call, {{WM_LBUTTONDBLCLK, MK_LBUTTON}, {WM_LBUTTONUP, 0}}); }
bool RightClick(const TCall& call) { return SendMouse(call, {{WM_RBUTTONDOWN, MK_RBUTTON}, {WM_RBUTTONUP, 0}}); }

// The left button goes down at the first point, the pointer moves to the second in steps, and the
// button comes up there. While a window holds the mouse (SetCapture), the moves go to it, as the
// mouse's do, in its client coordinates.
bool Drag(const TCall& call) {
    const std::vector<std::string>& w = call.Words;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!ReadInt(w[2], x1) || !ReadInt(w[3], y1) || !ReadInt(w[4], x2) || !ReadInt(w[5], y2)) return call.BadArguments();
    HWND viewer = Viewer(call, w[1]);
    if (!viewer) return false;
    POINT start{x1, y1};
    HWND target = ClickTarget(viewer, start);
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    call.Session.Pump(0);
    constexpr int Steps = 8;
    auto sendAt = [&](UINT message, WPARAM buttons, int step) {
        POINT point{x1 + (x2 - x1) * step / Steps, y1 + (y2 - y1) * step / Steps};
        HWND receiver = GetCapture() ? GetCapture() : target;
        MapWindowPoints(viewer, receiver, &point, 1);
        SendMessageW(receiver, message, buttons, MAKELPARAM(point.x, point.y));
        call.Session.Pump(0);
    };
    for (int step = 1; step <= Steps; ++step) sendAt(WM_MOUSEMOVE, MK_LBUTTON, step);
    sendAt(WM_LBUTTONUP, 0, Steps);
    return true;
}

bool Wheel(const TCall& call) {
    const std::vector<std::string>& w = call.Words;
    int delta = 0;
    const bool shift = w.size() > 3 && w[3] == "shift";
    if (!ReadInt(w[2], delta) || (w.size() > 3 && !shift)) return call.BadArguments();
    HWND viewer = Viewer(call, w[1]);
    if (!viewer) return false;
    RECT area{};
    GetWindowRect(viewer, &area);
    // The wheel reports where the mouse is in screen coordinates: here the viewer's centre.
    const LPARAM at = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    SendMessageW(viewer, WM_MOUSEWHEEL, MAKEWPARAM(shift ? MK_SHIFT : 0, WORD(short(delta))), at);
    return true;
}

// Down and up, through the message loop, which turns the keys that type (Return, Escape, Tab) into
// WM_CHAR between the two, as a keyboard does; with Shift or Ctrl held throughout when asked.
bool Key(const TCall& call) {
    int key = 0;
    bool shift = false, control = false;
    if (!ReadVirtualKey(call.Words[2], key) || !ReadModifiers(call, 3, shift, control)) return call.BadArguments();
    HWND viewer = Viewer(call, call.Words[1]);
    if (!viewer) return false;
    HWND target = KeyTarget(viewer);
    const THeldModifiers held(shift, control);
    PostMessageW(target, WM_KEYDOWN, WPARAM(key), KeyData(key, false));
    call.Session.Pump(0);
    PostMessageW(target, WM_KEYUP, WPARAM(key), KeyData(key, true));
    call.Session.Pump(0);
    return true;
}

bool Char(const TCall& call) {
    const std::wstring text = Widen(call.Words[2]);
    if (text.empty()) return call.BadArguments();
    HWND viewer = Viewer(call, call.Words[1]);
    if (!viewer) return false;
    // Each character goes where the focus is when it is typed: the first may open an editor that takes
    // the rest, as on a keyboard.
    for (wchar_t unit : text) SendMessageW(KeyTarget(viewer), WM_CHAR, WPARAM(unit), 1);
    return true;
}

// ---- the clipboard

bool SetClipboard(const TCall& call) {
    if (SetClipboardText(call.Session.MainWindow(), call.Words[1])) return true;
    return call.Fail("the clipboard cannot be opened");
}

bool ExpectClipboard(const TCall& call) {
    const std::optional<std::string> text = ClipboardText(call.Session.MainWindow());
    if (!text) return call.Fail("the clipboard holds no text");
    if (*text == call.Words[1]) return true;
    return call.Fail("the clipboard holds \"" + *text + "\", expected \"" + call.Words[1] + "\"");
}

bool ExpectClipboardHtml(const TCall& call) {
    const std::optional<std::string> html = ClipboardHtml(call.Session.MainWindow());
    if (!html) return call.Fail("the clipboard holds no HTML Format");
    if (html->find(call.Words[1]) != std::string::npos) return true;
    return call.Fail("the clipboard's HTML Format does not contain \"" + call.Words[1] + "\": " + *html);
}

const TWindowCommand Commands[] = {
    {"screenshot", 1, "FILE", Screenshot},
    {"screenshot-rect", 2, "NAME FILE", ScreenshotRect},
    {"pixel", 4, "NAME X Y RRGGBB", Pixel},
    {"expect-viewers", 1, "N", ExpectViewers},
    {"expect-visible", 2, "NAME true|false", ExpectVisible},
    {"send", 4, "NAME MESSAGE WPARAM LPARAM", Send},
    {"send-viewer", 4, "NAME MESSAGE WPARAM LPARAM", Send},
    {"expect-viewer", 2, "NAME visible|hidden [X Y W H]", ExpectViewer},
    {"expect-edit", 2, "NAME TEXT|none [X Y W H]", ExpectEdit},
    {"expect-find", 2, "NAME TEXT|none [X Y W H]", ExpectFind},
    {"expect-focus", 2, "NAME viewer|edit|find|other", ExpectFocus},
    {"focus-host", 0, "no arguments", FocusHost},
    {"click", 3, "NAME X Y [shift] [ctrl]", Click},
    {"drag", 5, "NAME X1 Y1 X2 Y2", Drag},
    {"dblclick", 3, "NAME X Y", DoubleClick},
    {"rclick", 3, "NAME X Y", RightClick},
    {"wheel", 2, "NAME DELTA [shift]", Wheel},
    {"key", 2, "NAME VK [shift] [ctrl]", Key},
    {"char", 2, "NAME TEXT", Char},
    {"set-clipboard", 1, "TEXT", SetClipboard},
    {"expect-clipboard", 1, "TEXT", ExpectClipboard},
    {"expect-clipboard-html", 1, "TEXT", ExpectClipboardHtml},
};

const TWindowCommand* FindCommand(const std::string& name) {
    for (const TWindowCommand& command : Commands) {
        if (name == command.Name) return &command;
    }
    return nullptr;
}

} // namespace

bool IsWindowCommand(const std::string& command) { return FindCommand(command) != nullptr; }

bool RunWindowCommand(THostSession& session, const std::vector<std::string>& words, std::string& failure) {
    const TWindowCommand* command = FindCommand(words[0]);
    const TCall call{session, words, failure, command->Arguments};
    if (words.size() < command->ArgumentCount + 1) return call.BadArguments();
    return command->Run(call);
}

} // namespace tabulix::host
