#include "plugin/PlugInPlatform.h"

#include "base/Text.h"
#include "platform/win32/Win32Text.h"
#include "viewer/NeoSpreadsheet.h"

#include <algorithm>
#include <map>
#include <tuple>

#include <windows.h>

namespace tabulix {

namespace {

constexpr const wchar_t* ViewerClassName = L"TabulixViewer";

HWND Hwnd(TWindowHandle window) { return static_cast<HWND>(window); }
RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
COLORREF ToColorRef(TColor color) { return COLORREF(color); }

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

// The library's own module. The viewer class belongs to it, not to the host's program: a class
// registered for the program would outlive an unloaded library and send a reloaded one's windows to a
// window procedure that is no longer there.
HINSTANCE LibraryInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ViewerWindowProc), &module);
    return module;
}

bool ViewerClassRegistered = false;

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

// GDI drawing on a device context, with the fonts it made kept until the paint ends.
class TGdiCanvas final : public TCanvas {
public:
    explicit TGdiCanvas(HDC dc) : FDc(dc) {}
    ~TGdiCanvas() override {
        SelectObject(FDc, GetStockObject(SYSTEM_FONT));
        for (auto& [key, font] : FFonts) DeleteObject(font);
    }

    void SetFont(const std::u16string& face, int32_t pointSize, TFontStyle style) override {
        const auto key = std::make_tuple(face, pointSize, style.Bold, style.Italic, style.Underline);
        HFONT& font = FFonts[key];
        if (!font) {
            const int height = -MulDiv(pointSize, GetDeviceCaps(FDc, LOGPIXELSY), 72);
            font = CreateFontW(height, 0, 0, 0, style.Bold ? FW_BOLD : FW_NORMAL, style.Italic, style.Underline, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, WidePtr(face));
        }
        SelectObject(FDc, font);
    }

    void FillRect(const TRect& rect, TColor color) override {
        const RECT r = ToRect(rect);
        SetBkColor(FDc, ToColorRef(color));
        ExtTextOutW(FDc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr); // a solid fill without a brush
    }

    void OutlineRect(const TRect& rect, TColor color) override {
        HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
        HGDIOBJ oldPen = SelectObject(FDc, pen);
        HGDIOBJ oldBrush = SelectObject(FDc, GetStockObject(NULL_BRUSH));
        Rectangle(FDc, rect.Left, rect.Top, rect.Right, rect.Bottom);
        SelectObject(FDc, oldBrush);
        SelectObject(FDc, oldPen);
        DeleteObject(pen);
    }

    void Line(TPoint from, TPoint to, TColor color) override {
        HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
        HGDIOBJ old = SelectObject(FDc, pen);
        MoveToEx(FDc, from.X, from.Y, nullptr);
        LineTo(FDc, to.X, to.Y);
        SelectObject(FDc, old);
        DeleteObject(pen);
    }

    void Text(TPoint at, const std::u16string& text, std::optional<TColor> color, TColor background) override {
        SetTextColor(FDc, color ? ToColorRef(*color) : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(FDc, ToColorRef(background));
        SetBkMode(FDc, OPAQUE);
        TextOutW(FDc, at.X, at.Y, WidePtr(text), int(text.size()));
    }

    void TextClipped(const TRect& clip, TPoint at, const std::u16string& text, TColor color, TColor background) override {
        const RECT r = ToRect(clip);
        SetTextColor(FDc, ToColorRef(color));
        SetBkColor(FDc, ToColorRef(background));
        ExtTextOutW(FDc, at.X, at.Y, ETO_CLIPPED | ETO_OPAQUE, &r, WidePtr(text), UINT(text.size()), nullptr);
    }

    TSize TextExtent(const std::u16string& text) override {
        SIZE size{};
        GetTextExtentPoint32W(FDc, WidePtr(text), int(text.size()), &size);
        return TSize{size.cx, size.cy};
    }

    void SetClip(const TRect& rect) override {
        HRGN region = CreateRectRgn(rect.Left, rect.Top, rect.Right, rect.Bottom);
        SelectClipRgn(FDc, region);
        DeleteObject(region);
    }

    void ClearClip() override { SelectClipRgn(FDc, nullptr); }

private:
    HDC FDc;
    std::map<std::tuple<std::u16string, int32_t, bool, bool, bool>, HFONT> FFonts;
};

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
        SetWindowLongPtrW(Hwnd(window), GWLP_USERDATA, 0); // no message reaches the viewer from here on
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
        ClientToScreen(Hwnd(from), &p);
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
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(Hwnd(window), &ps);
        RECT client{};
        ::GetClientRect(Hwnd(window), &client);
        const int width = std::max<int>(client.right, 1);
        const int height = std::max<int>(client.bottom, 1);
        // The picture is built off screen and copied in one step, so nothing flickers.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        {
            TGdiCanvas canvas(memory);
            paint(canvas, TRect{0, 0, client.right, client.bottom});
        }
        BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(Hwnd(window), &ps);
    }

    intptr_t DefaultProcessing(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        return DefWindowProcW(Hwnd(window), message, wParam, lParam);
    }
};

} // namespace

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
