#include "HostWindowCommands.h"

#include "HostScript.h"
#include "HostWindows.h"

#include <initializer_list>

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

HWND Viewer(const TCall& call, const std::string& name) {
    HWND rectangle = Rectangle(call, name);
    if (!rectangle) return nullptr;
    HWND viewer = ViewerOver(call.Session.MainWindow(), rectangle, false);
    if (!viewer) call.Fail("no TabulixViewer window lies over the Rectangle " + name);
    return viewer;
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

// ---- mouse and keyboard

struct TMouseMessage {
    UINT Message;
    WPARAM Buttons;
};

bool SendMouse(const TCall& call, std::initializer_list<TMouseMessage> messages) {
    int x = 0, y = 0;
    if (!ReadInt(call.Words[2], x) || !ReadInt(call.Words[3], y)) return call.BadArguments();
    HWND viewer = Viewer(call, call.Words[1]);
    if (!viewer) return false;
    POINT point{x, y};
    HWND target = ClickTarget(viewer, point);
    for (const TMouseMessage& mouse : messages) SendMessageW(target, mouse.Message, mouse.Buttons, MAKELPARAM(point.x, point.y));
    return true;
}

bool Click(const TCall& call) { return SendMouse(call, {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}); }
// The second click of a double click: the button comes up after it too.
bool DoubleClick(const TCall& call) { return SendMouse(call, {{WM_LBUTTONDBLCLK, MK_LBUTTON}, {WM_LBUTTONUP, 0}}); }
bool RightClick(const TCall& call) { return SendMouse(call, {{WM_RBUTTONDOWN, MK_RBUTTON}, {WM_RBUTTONUP, 0}}); }

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

// The lParam of a key message: one repeat, the scan code, the extended-key flag for the cursor block.
LPARAM KeyData(int key, bool released) {
    const bool extended = (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE;
    LPARAM data = 1 | LPARAM(MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC) << 16);
    if (extended) data |= LPARAM(1) << 24;
    if (released) data |= LPARAM(3) << 30;
    return data;
}

// Down and up, through the message loop, which turns the keys that type (Return, Escape, Tab) into
// WM_CHAR between the two, as a keyboard does.
bool Key(const TCall& call) {
    int key = 0;
    if (!ReadVirtualKey(call.Words[2], key)) return call.BadArguments();
    HWND viewer = Viewer(call, call.Words[1]);
    if (!viewer) return false;
    HWND target = KeyTarget(viewer);
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
    HWND target = KeyTarget(viewer);
    for (wchar_t unit : text) SendMessageW(target, WM_CHAR, WPARAM(unit), 1);
    return true;
}

const TWindowCommand Commands[] = {
    {"screenshot", 1, "FILE", Screenshot},
    {"screenshot-rect", 2, "NAME FILE", ScreenshotRect},
    {"pixel", 4, "NAME X Y RRGGBB", Pixel},
    {"expect-viewers", 1, "N", ExpectViewers},
    {"expect-visible", 2, "NAME true|false", ExpectVisible},
    {"send", 4, "NAME MESSAGE WPARAM LPARAM", Send},
    {"click", 3, "NAME X Y", Click},
    {"dblclick", 3, "NAME X Y", DoubleClick},
    {"rclick", 3, "NAME X Y", RightClick},
    {"wheel", 2, "NAME DELTA [shift]", Wheel},
    {"key", 2, "NAME VK", Key},
    {"char", 2, "NAME TEXT", Char},
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
