#pragma once

#include <set>
#include <string>
#include <vector>

#include <windows.h>

namespace tabulix::host {

// Whether the window is of that class (ASCII case ignored).
bool HasClass(HWND window, const wchar_t* className);

// The window's text, as UTF-8.
std::string WindowText(HWND window);

// The client area of a window, in screen coordinates.
RECT ClientRectOnScreen(HWND window);

// The children of the main window of the viewer's class "TabulixViewer", visible or not, topmost first.
std::vector<HWND> ViewerWindows(HWND mainWindow);

// The topmost viewer window whose window rectangle is exactly the client area of the rectangle window;
// with visibleOnly, the topmost visible one. Null when there is none.
HWND ViewerOver(HWND mainWindow, HWND rectangle, bool visibleOnly);

// Lets every window in the main window paint what it has pending.
void PaintNow(HWND mainWindow);
// Waits a moment at an idle queue, which puts what was painted on the screen.
void LetPaintReachScreen();
// Dispatches every message already waiting for the thread.
void DispatchWaitingMessages();

// A click on a dialog's button, as the WM_COMMAND the button gives it: posted, or sent with send.
void ClickButton(HWND dialog, int id, bool send = false);
// True the first time the window is seen; handles of windows destroyed since are forgotten first.
bool FirstSight(std::set<HWND>& seen, HWND window);

// What the screen shows at a point, and in an area saved as a PNG file.
COLORREF ScreenColour(POINT point);
bool SaveScreenPng(const RECT& area, const std::wstring& file, std::string& reason);

// A colour as RRGGBB (red first, upper-case hex) and back.
std::string ColourHex(COLORREF colour);
bool ReadColourHex(const std::string& word, COLORREF& colour);

// A virtual key by name (VK_DOWN, VK_RETURN, ...) or by number.
bool ReadVirtualKey(const std::string& word, int& key);

// The lParam of a key message: one repeat, the scan code, the extended-key flag for the cursor block.
LPARAM KeyData(int key, bool released);

// UTF-8 to UTF-16 and back.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

} // namespace tabulix::host
