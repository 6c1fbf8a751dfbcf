#include "platform/win32/Win32Canvas.h"

#include "platform/win32/Win32Text.h"

namespace tabulix {

namespace {

RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
COLORREF ToColorRef(TColor color) { return COLORREF(color); }

} // namespace

TGdiCanvas::~TGdiCanvas() {
    SelectObject(FDc, GetStockObject(SYSTEM_FONT));
    for (auto& [key, font] : FFonts) DeleteObject(font);
}

void TGdiCanvas::SelectFont(const std::tuple<std::u16string, int32_t, bool, bool, bool>& key, const LOGFONTW& font) {
    HFONT& made = FFonts[key];
    if (!made) made = CreateFontIndirectW(&font);
    SelectObject(FDc, made);
}

void TGdiCanvas::SetFont(const std::u16string& face, int32_t pointSize, TFontStyle style) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(FDc, LOGPIXELSY), 72);
    font.lfWeight = style.Bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style.Italic;
    font.lfUnderline = style.Underline;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(font.lfFaceName, WidePtr(face), LF_FACESIZE);
    SelectFont(std::make_tuple(face, pointSize, style.Bold, style.Italic, style.Underline), font);
}

void TGdiCanvas::SetDialogFont(TFontStyle style) {
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfWeight = style.Bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style.Italic;
    font.lfUnderline = style.Underline;
    // Kept apart from the grid's fonts: a point size of 0 is never asked for there.
    SelectFont(std::make_tuple(u"", 0, style.Bold, style.Italic, style.Underline), font);
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
