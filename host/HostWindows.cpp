#include "HostWindows.h"

#include "HostScript.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>

#include <gdiplus.h>

namespace tabulix::host {

namespace {

// The class id of the PNG encoder of GDI+.
const CLSID PngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

struct TNamedKey {
    const char* Name;
    int Key;
};

const TNamedKey NamedKeys[] = {
    {"VK_DOWN", VK_DOWN},     {"VK_UP", VK_UP},         {"VK_LEFT", VK_LEFT},     {"VK_RIGHT", VK_RIGHT},
    {"VK_RETURN", VK_RETURN}, {"VK_ESCAPE", VK_ESCAPE}, {"VK_TAB", VK_TAB},       {"VK_F2", VK_F2},
    {"VK_DELETE", VK_DELETE}, {"VK_PRIOR", VK_PRIOR},   {"VK_NEXT", VK_NEXT},     {"VK_HOME", VK_HOME},
    {"VK_END", VK_END},       {"VK_INSERT", VK_INSERT},
};

// A copy of what the screen shows in the area, or null.
HBITMAP CaptureScreen(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied && bitmap) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

bool WritePng(HBITMAP bitmap, const std::wstring& file, std::string& reason) {
    namespace flat = Gdiplus::DllExports;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        reason = "GDI+ did not start";
        return false;
    }
    Gdiplus::GpBitmap* image = nullptr;
    Gdiplus::GpStatus status = flat::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image);
    if (status == Gdiplus::Ok) {
        status = flat::GdipSaveImageToFile(image, file.c_str(), &PngEncoder, nullptr);
        flat::GdipDisposeImage(image);
    }
    Gdiplus::GdiplusShutdown(token);
    if (status != Gdiplus::Ok) reason = "GDI+ could not write the PNG file (status " + std::to_string(int(status)) + ")";
    return status == Gdiplus::Ok;
}

} // namespace

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, int(std::size(name)));
    return _wcsicmp(name, className) == 0;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), length + 1)));
    return Narrow(text);
}

RECT ClientRectOnScreen(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

std::vector<HWND> ViewerWindows(HWND mainWindow) {
    std::vector<HWND> viewers;
    for (HWND child = GetWindow(mainWindow, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (HasClass(child, L"TabulixViewer")) viewers.push_back(child);
    }
    return viewers;
}

HWND ViewerOver(HWND mainWindow, HWND rectangle, bool visibleOnly) {
    const RECT covered = ClientRectOnScreen(rectangle);
    for (HWND viewer : ViewerWindows(mainWindow)) {
        RECT area{};
        GetWindowRect(viewer, &area);
        if (EqualRect(&area, &covered) && (!visibleOnly || IsWindowVisible(viewer))) return viewer;
    }
    return nullptr;
}

void PaintNow(HWND mainWindow) {
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

void LetPaintReachScreen() {
    // A message nothing posts: peeking for it lets the system put what was painted on the screen.
    constexpr UINT NothingPosted = WM_APP + 0x42;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 30;) {
        MSG message;
        PeekMessageW(&message, nullptr, NothingPosted, NothingPosted, PM_NOREMOVE);
        Sleep(5);
    }
}

void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void ClickButton(HWND dialog, int id, bool send) {
    const WPARAM command = MAKEWPARAM(id, BN_CLICKED);
    const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    if (send) {
        SendMessageW(dialog, WM_COMMAND, command, button);
    } else {
        PostMessageW(dialog, WM_COMMAND, command, button);
    }
}

bool FirstSight(std::set<HWND>& seen, HWND window) {
    for (auto it = seen.begin(); it != seen.end();) it = IsWindow(*it) ? std::next(it) : seen.erase(it);
    return seen.insert(window).second;
}

COLORREF ScreenColour(POINT point) {
    HBITMAP bitmap = CaptureScreen({point.x, point.y, point.x + 1, point.y + 1});
    if (!bitmap) return CLR_INVALID;
    HDC memory = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    const COLORREF colour = GetPixel(memory, 0, 0);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return colour;
}

bool SaveScreenPng(const RECT& area, const std::wstring& file, std::string& reason) {
    HBITMAP bitmap = CaptureScreen(area);
    if (!bitmap) {
        reason = "the screen area could not be copied";
        return false;
    }
    const bool written = WritePng(bitmap, file, reason);
    DeleteObject(bitmap);
    return written;
}

std::string ColourHex(COLORREF colour) {
    if (colour == CLR_INVALID) return "(unreadable)";
    char text[8] = {};
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

bool ReadColourHex(const std::string& word, COLORREF& colour) {
    if (word.size() != 6 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long value = std::strtoul(word.c_str(), nullptr, 16);
    colour = RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    return true;
}

bool ReadVirtualKey(const std::string& word, int& key) {
    for (const TNamedKey& named : NamedKeys) {
        if (word == named.Name) {
            key = named.Key;
            return true;
        }
    }
    // A capital letter stands for its own key (a single digit stays a key code).
    if (word.size() == 1 && word[0] >= 'A' && word[0] <= 'Z') {
        key = word[0];
        return true;
    }
    return ReadInt(word, key) && key >= 1 && key <= 254;
}

LPARAM KeyData(int key, bool released) {
    const bool extended = (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE;
    LPARAM data = 1 | LPARAM(MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC) << 16);
    if (extended) data |= LPARAM(1) << 24;
    if (released) data |= LPARAM(3) << 30;
    return data;
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

} // namespace tabulix::host
