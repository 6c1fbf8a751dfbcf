#include "platform/win32/Win32Canvas.h"

#include "platform/win32/Win32Text.h"

#include <algorithm>
#include <cmath>

namespace tabulix {

namespace {

RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
COLORREF ToColorRef(TColor color) { return COLORREF(color); }

} // namespace

TGdiCanvas::~TGdiCanvas() {
    SelectObject(FDc, GetStockObject(SYSTEM_FONT));
    for (auto& [key, font] : FFonts) DeleteObject(font);
}

void TGdiCanvas::SetFont(const std::u16string& face, double pointSize, TFontStyle style) {
    // Sizes that differ by less than a pixel share a font.
    const int32_t pixels = std::max(1, int32_t(std::lround(pointSize * GetDeviceCaps(FDc, LOGPIXELSY) / 72.0)));
    HFONT& made = FFonts[TFontKey{face, pixels, style.Bold, style.Italic, style.Underline, style.Strike}];
    if (!made) {
        LOGFONTW font{};
        font.lfHeight = -pixels;
        font.lfWeight = style.Bold ? FW_BOLD : FW_NORMAL;
        font.lfItalic = style.Italic;
        font.lfUnderline = style.Underline;
        font.lfStrikeOut = style.Strike;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        lstrcpynW(font.lfFaceName, WidePtr(face), LF_FACESIZE);
        made = CreateFontIndirectW(&font);
    }
    SelectObject(FDc, made);
}

void TGdiCanvas::SetDialogFont(TFontStyle style) {
    // Kept apart from the grid's fonts: a height of 0 is never asked for there.
    HFONT& made = FFonts[TFontKey{u"", 0, style.Bold, style.Italic, style.Underline, false}];
    if (!made) {
        LOGFONTW font{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfWeight = style.Bold ? FW_BOLD : FW_NORMAL;
        font.lfItalic = style.Italic;
        font.lfUnderline = style.Underline;
        made = CreateFontIndirectW(&font);
    }
    SelectObject(FDc, made);
}

void TGdiCanvas::FillRect(const TRect& rect, TColor color) {
    const RECT r = ToRect(rect);
    SetBkColor(FDc, ToColorRef(color));
    ExtTextOutW(FDc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr); // a solid fill without a brush
}

void TGdiCanvas::OutlineRect(const TRect& rect, TColor color) {
    HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
    HGDIOBJ oldPen = SelectObject(FDc, pen);
    HGDIOBJ oldBrush = SelectObject(FDc, GetStockObject(NULL_BRUSH));
    Rectangle(FDc, rect.Left, rect.Top, rect.Right, rect.Bottom);
    SelectObject(FDc, oldBrush);
    SelectObject(FDc, oldPen);
    DeleteObject(pen);
}

void TGdiCanvas::Line(TPoint from, TPoint to, TColor color) {
    HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
    HGDIOBJ old = SelectObject(FDc, pen);
    MoveToEx(FDc, from.X, from.Y, nullptr);
    LineTo(FDc, to.X, to.Y);
    SelectObject(FDc, old);
    DeleteObject(pen);
}

void TGdiCanvas::PatternLine(TPoint from, TPoint to, TColor color, int32_t dash, int32_t gap) {
    LOGBRUSH brush{BS_SOLID, ToColorRef(color), 0};
    const DWORD pattern[2] = {DWORD(std::max(dash, int32_t(1))), DWORD(std::max(gap, int32_t(1)))};
    HPEN pen = ExtCreatePen(PS_COSMETIC | PS_USERSTYLE, 1, &brush, 2, pattern);
    if (!pen) pen = CreatePen(PS_DOT, 1, ToColorRef(color)); // a system without user styles: dots
    HGDIOBJ old = SelectObject(FDc, pen);
    const int oldMode = SetBkMode(FDc, TRANSPARENT); // the gaps show what lies beneath
    MoveToEx(FDc, from.X, from.Y, nullptr);
    LineTo(FDc, to.X, to.Y);
    SetBkMode(FDc, oldMode);
    SelectObject(FDc, old);
    DeleteObject(pen);
}

void TGdiCanvas::Polyline(const std::vector<TPoint>& points, TColor color) {
    std::vector<POINT> path;
    for (const TPoint& p : points) path.push_back(POINT{p.X, p.Y});
    HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
    HGDIOBJ old = SelectObject(FDc, pen);
    ::Polyline(FDc, path.data(), int(path.size()));
    SelectObject(FDc, old);
    DeleteObject(pen);
}

void TGdiCanvas::Ellipse(const TRect& bounds, TColor color) {
    HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
    HGDIOBJ oldPen = SelectObject(FDc, pen);
    HGDIOBJ oldBrush = SelectObject(FDc, GetStockObject(NULL_BRUSH));
    ::Ellipse(FDc, bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);
    SelectObject(FDc, oldBrush);
    SelectObject(FDc, oldPen);
    DeleteObject(pen);
}

void TGdiCanvas::Text(TPoint at, const std::u16string& text, std::optional<TColor> color, TColor background) {
    SetTextColor(FDc, color ? ToColorRef(*color) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(FDc, ToColorRef(background));
    SetBkMode(FDc, OPAQUE);
    TextOutW(FDc, at.X, at.Y, WidePtr(text), int(text.size()));
}

void TGdiCanvas::TextClipped(const TRect& clip, TPoint at, const std::u16string& text, TColor color, TColor background) {
    const RECT r = ToRect(clip);
    SetTextColor(FDc, ToColorRef(color));
    SetBkColor(FDc, ToColorRef(background));
    ExtTextOutW(FDc, at.X, at.Y, ETO_CLIPPED | ETO_OPAQUE, &r, WidePtr(text), UINT(text.size()), nullptr);
}

void TGdiCanvas::TextOver(const TRect& clip, TPoint at, const std::u16string& text, TColor color) {
    const RECT r = ToRect(clip);
    SetTextColor(FDc, ToColorRef(color));
    const int oldMode = SetBkMode(FDc, TRANSPARENT);
    ExtTextOutW(FDc, at.X, at.Y, ETO_CLIPPED, &r, WidePtr(text), UINT(text.size()), nullptr);
    SetBkMode(FDc, oldMode);
}

TSize TGdiCanvas::TextExtent(const std::u16string& text) {
    SIZE size{};
    GetTextExtentPoint32W(FDc, WidePtr(text), int(text.size()), &size);
    return TSize{size.cx, size.cy};
}

void TGdiCanvas::SetClip(const TRect& rect) {
    HRGN region = CreateRectRgn(rect.Left, rect.Top, rect.Right, rect.Bottom);
    SelectClipRgn(FDc, region);
    DeleteObject(region);
}

void TGdiCanvas::ClearClip() { SelectClipRgn(FDc, nullptr); }

} // namespace tabulix
