#include "plugin/PlugInPlatform.h"

#include "base/Text.h"
#include "platform/win32/Win32Canvas.h"
#include "platform/win32/Win32Clipboard.h"
#include "platform/win32/Win32FileDialog.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32ViewerWindows.h"
#include "viewer/NeoSpreadsheet.h"

#include <algorithm>
#include <cmath>

#include <windows.h>

namespace tabulix {

namespace {

constexpr const wchar_t* ViewerClassName = L"TabulixViewer";

HWND Hwnd(TWindowHandle window) { return static_cast<HWND>(window); }

LRESULT CALLBACK ViewerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* viewer = reinterpret_cast<TNeoSpreadsheet*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    // Until the viewer knows its window (during creation) and once it lets go of it, the window is
    // left to the default processing.
    if (!viewer || viewer->Window() != window) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return viewer->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // The handlers report their own failures; nothing may leave a window procedure.
        return 0;
    }
}

bool ViewerClassRegistered = false;

bool IsViewerWindow(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return lstrcmpiW(name, ViewerClassName) == 0;
}

void RegisterViewerClass() {
    if (ViewerClassRegistered) return;
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = ViewerWindowProc;
        windowClass.hInstance = LibraryInstance();
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = ViewerClassName;
        ViewerClassRegistered = RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
}

// The find box: an edit control whose Enter and Escape keys go to the viewer first. What the subclass
// needs lives in the box's user data until the box is gone.
struct TFindBoxState {
    TNeoSpreadsheet* Viewer;
    WNDPROC OldProc;
};

LRESULT CALLBACK FindBoxWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<TFindBoxState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!state) return DefWindowProcW(window, message, wParam, lParam);
    try {
        // A key the viewer takes may close the box: nothing of it is touched afterwards.
        if (message == WM_KEYDOWN && state->Viewer->HandleFindBoxKey(uint32_t(wParam))) return 0;
    } catch (...) {
        return 0;
    }
    const WNDPROC oldProc = state->OldProc;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
        delete state;
    }
    return oldProc ? CallWindowProcW(oldProc, window, message, wParam, lParam)
                   : DefWindowProcW(window, message, wParam, lParam);
}

void SubclassFindBox(HWND box, TNeoSpreadsheet& viewer) {
    auto* state = new TFindBoxState{&viewer, nullptr};
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->OldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FindBoxWindowProc)));
}

// One WM_PAINT: the window's paint device context and an off-screen picture of the client area, both
// released on every path, a failing paint included. Present copies the picture to the window in one
// step, so nothing flickers.
class TPaintSession {
public:
    explicit TPaintSession(HWND window) : FWindow(window) {
        FDc = BeginPaint(FWindow, &FPaint);
        ::GetClientRect(FWindow, &FClient);
        FWidth = std::max<int>(FClient.right, 1);
        FHeight = std::max<int>(FClient.bottom, 1);
        FMemory = CreateCompatibleDC(FDc);
        FBitmap = CreateCompatibleBitmap(FDc, FWidth, FHeight);
        FOldBitmap = SelectObject(FMemory, FBitmap);
    }
    ~TPaintSession() {
        SelectObject(FMemory, FOldBitmap);
        DeleteObject(FBitmap);
        DeleteDC(FMemory);
        EndPaint(FWindow, &FPaint);
    }
    TPaintSession(const TPaintSession&) = delete;
    TPaintSession& operator=(const TPaintSession&) = delete;

    HDC Picture() const { return FMemory; }
    TRect Client() const { return TRect{0, 0, FClient.right, FClient.bottom}; }
    void Present() { BitBlt(FDc, 0, 0, FWidth, FHeight, FMemory, 0, 0, SRCCOPY); }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDc = nullptr;
    RECT FClient{};
    int FWidth = 1;
    int FHeight = 1;
    HDC FMemory = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
};

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0; // one is enough
}

// The widest digit of a font of the face at the size, at 96 dots an inch; none when no font of that
// face is installed (the system would draw another in its place).
std::optional<int32_t> WidestDigit(const std::u16string& face, double pointSize) {
    if (face.empty() || face.size() >= LF_FACESIZE || !(pointSize > 0 && pointSize < 1000)) return std::nullopt;
    HDC screen = GetDC(nullptr);
    if (!screen) return std::nullopt;
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, WidePtr(face), LF_FACESIZE);
    bool installed = false;
    EnumFontFamiliesExW(screen, &font, NoteFontFound, reinterpret_cast<LPARAM>(&installed), 0);
    std::optional<int32_t> widest;
    if (installed) {
        font.lfHeight = -std::max(1, int(std::lround(pointSize * 96.0 / 72.0)));
        font.lfWeight = FW_NORMAL;
        HFONT made = CreateFontIndirectW(&font);
        const HGDIOBJ old = SelectObject(screen, made);
        int32_t most = 0;
        for (wchar_t digit = L'0'; digit <= L'9'; ++digit) {
            SIZE size{};
            if (GetTextExtentPoint32W(screen, &digit, 1, &size)) most = std::max(most, int32_t(size.cx));
        }
        SelectObject(screen, old);
        DeleteObject(made);
        if (most > 0) widest = most;
    }
    ReleaseDC(nullptr, screen);
    return widest;
}

class TWin32ViewerWindows final : public TViewerWindows {
public:
    TWindowHandle CreateViewerWindow(TWindowHandle parent, TNeoSpreadsheet& viewer, uint32_t& errorCode) override {
        RegisterViewerClass();
        SetLastError(0);
        HWND window = CreateWindowExW(0, ViewerClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0,
                                      800, 500, Hwnd(parent), nullptr, LibraryInstance(), &viewer);
        if (!window) errorCode = GetLastError();
        return window;
    }

    void DestroyWindow(TWindowHandle window) override {
        if (!::IsWindow(Hwnd(window))) return;
        // No message reaches a viewer from here on; a find box keeps its state until its own last message.
        if (IsViewerWindow(Hwnd(window))) SetWindowLongPtrW(Hwnd(window), GWLP_USERDATA, 0);
        ::DestroyWindow(Hwnd(window));
    }

    bool IsWindow(TWindowHandle window) const override { return window && ::IsWindow(Hwnd(window)); }
    bool IsWindowVisible(TWindowHandle window) const override { return ::IsWindowVisible(Hwnd(window)); }

    bool GetClientRect(TWindowHandle window, TRect& rect) const override {
        RECT r{};
        if (!::GetClientRect(Hwnd(window), &r)) return false;
        rect = TRect{r.left, r.top, r.right, r.bottom};
        return true;
    }

    TPoint MapClientPoint(TWindowHandle from, TWindowHandle to, TPoint point) const override {
        POINT p{point.X, point.Y};
        ::ClientToScreen(Hwnd(from), &p);
        ScreenToClient(Hwnd(to), &p);
        return TPoint{p.x, p.y};
    }

    void PlaceOnTop(TWindowHandle window, const TRect& rect) override {
        SetWindowPos(Hwnd(window), HWND_TOP, rect.Left, rect.Top, rect.Width(), rect.Height(), SWP_NOACTIVATE);
    }

    void Show(TWindowHandle window, TShowMode mode) override {
        const int command = mode == TShowMode::Hide ? SW_HIDE : (mode == TShowMode::Show ? SW_SHOW : SW_SHOWNOACTIVATE);
        ShowWindow(Hwnd(window), command);
    }

    void Invalidate(TWindowHandle window) override { InvalidateRect(Hwnd(window), nullptr, FALSE); }

    void PostWindowMessage(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        PostMessageW(Hwnd(window), message, wParam, lParam);
    }

    void StartTimer(TWindowHandle window, uintptr_t id, uint32_t milliseconds) override {
        SetTimer(Hwnd(window), id, milliseconds, nullptr);
    }

    void StopTimer(TWindowHandle window, uintptr_t id) override { KillTimer(Hwnd(window), id); }

    void PaintWindow(TWindowHandle window, const std::function<void(TCanvas&, const TRect&)>& paint) override {
        TPaintSession session(Hwnd(window));
        TGdiCanvas canvas(session.Picture());
        paint(canvas, session.Client());
        session.Present();
    }

    intptr_t DefaultProcessing(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        return DefWindowProcW(Hwnd(window), message, wParam, lParam);
    }

    std::optional<int32_t> MaxDigitWidth(const std::u16string& face, double pointSize) override {
        return WidestDigit(face, pointSize);
    }

    void SetFocus(TWindowHandle window) override { ::SetFocus(Hwnd(window)); }

    TPoint ClientToScreen(TWindowHandle window, TPoint point) const override {
        POINT p{point.X, point.Y};
        ::ClientToScreen(Hwnd(window), &p);
        return TPoint{p.x, p.y};
    }

    TWindowHandle CreateCellEditor(TWindowHandle parent, const TRect& rect, const std::u16string& text) override {
        return CreateEdit(0, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, parent, rect, text);
    }

    TWindowHandle CreateFindBox(TWindowHandle parent, const TRect& rect, TNeoSpreadsheet& viewer) override {
        HWND box = CreateEdit(WS_EX_CLIENTEDGE, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, parent, rect, u"");
        if (box) SubclassFindBox(box, viewer);
        return box;
    }

    std::u16string GetText(TWindowHandle window, size_t maxLength) const override {
        std::wstring buffer(maxLength + 1, L'\0');
        const int length = GetWindowTextW(Hwnd(window), buffer.data(), int(buffer.size()));
        buffer.resize(size_t(std::max(length, 0)));
        return FromWide(buffer.c_str());
    }

    void SetText(TWindowHandle window, const std::u16string& text) override { SetWindowTextW(Hwnd(window), WidePtr(text)); }

    void SelectText(TWindowHandle window, int32_t start, int32_t end) override {
        SendMessageW(Hwnd(window), EM_SETSEL, WPARAM(start), LPARAM(end));
    }

    void DestroyWindowSoon(TWindowHandle window) override {
        ShowWindow(Hwnd(window), SW_HIDE);
        PostMessageW(Hwnd(window), WM_CLOSE, 0, 0); // a control closes by destroying itself
    }

    uint32_t TrackPopupMenu(TWindowHandle owner, const std::vector<TMenuItem>& items, TPoint screenPoint) override {
        HMENU menu = CreatePopupMenu();
        if (!menu) return 0;
        UINT position = 0;
        for (const TMenuItem& item : items) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
            info.fType = item.OwnerDrawn ? MFT_OWNERDRAW : MFT_STRING;
            info.fState = item.Enabled ? MFS_ENABLED : (MFS_DISABLED | MFS_GRAYED);
            info.wID = item.Id;
            std::u16string text = item.Text;
            info.dwTypeData = reinterpret_cast<wchar_t*>(text.data());
            info.cch = UINT(text.size());
            InsertMenuItemW(menu, position++, TRUE, &info);
        }
        SetForegroundWindow(Hwnd(owner));
        const UINT chosen = UINT(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                                                  screenPoint.X, screenPoint.Y, Hwnd(owner), nullptr));
        // The menu's window is gone only once its owner's queue has moved on.
        PostMessageW(Hwnd(owner), WM_NULL, 0, 0);
        DestroyMenu(menu);
        return chosen;
    }

    bool ConfirmYesNo(TWindowHandle owner, const std::u16string& text) override {
        return MessageBoxW(Hwnd(owner), WidePtr(text), L"Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }

    bool SetMenuItemSize(intptr_t request, TSize size) override {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(request);
        if (!item || item->CtlType != ODT_MENU) return false;
        item->itemWidth = UINT(size.Width);
        item->itemHeight = UINT(size.Height);
        return true;
    }

    bool DrawMenuItem(intptr_t request, const std::function<void(TCanvas&, const TMenuItemState&)>& draw) override {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(request);
        if (!item || item->CtlType != ODT_MENU) return false;
        TMenuItemState state;
        state.Id = item->itemID;
        state.Rect = TRect{item->rcItem.left, item->rcItem.top, item->rcItem.right, item->rcItem.bottom};
        state.Selected = (item->itemState & ODS_SELECTED) != 0;
        state.Disabled = (item->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
        // The menu's device context goes back to the menu as it came.
        const int saved = SaveDC(item->hDC);
        {
            TGdiCanvas canvas(item->hDC);
            draw(canvas, state);
        }
        RestoreDC(item->hDC, saved);
        return true;
    }

    std::optional<std::u16string> ChooseFile(const TFileDialog& dialog) override { return ShowFileDialog(dialog); }

    bool IsKeyDown(uint32_t key) const override { return (GetKeyState(int(key)) & 0x8000) != 0; }

    void CaptureMouse(TWindowHandle window) override { SetCapture(Hwnd(window)); }

    void ReleaseMouse(TWindowHandle window) override {
        if (GetCapture() == Hwnd(window)) ReleaseCapture();
    }

    TClipboard& Clipboard() override { return SystemClipboard(); }

private:
    static HWND CreateEdit(DWORD exStyle, DWORD style, TWindowHandle parent, const TRect& rect, const std::u16string& text) {
        return CreateWindowExW(exStyle, L"EDIT", WidePtr(text), style, rect.Left, rect.Top, rect.Width(), rect.Height(),
                               Hwnd(parent), nullptr, LibraryInstance(), nullptr);
    }
};

} // namespace

// The viewer class belongs to the library's module, not to the host's program: a class registered for
// the program would outlive an unloaded library and send a reloaded one's windows to a window procedure
// that is no longer there.
HINSTANCE LibraryInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&LibraryInstance), &module);
    return module;
}

void UnregisterViewerClass() {
    if (!ViewerClassRegistered) return;
    UnregisterClassW(ViewerClassName, LibraryInstance());
    ViewerClassRegistered = false;
}

TViewerWindows& SystemViewerWindows() {
    static TWin32ViewerWindows windows;
    return windows;
}

} // namespace tabulix
