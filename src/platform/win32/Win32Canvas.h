#pragma once

#include "viewer/ViewerPorts.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <windows.h>

namespace tabulix {

// GDI drawing on a device context (a window's picture, a menu item), with the fonts it made kept until
// the canvas goes; it leaves the device context with the system font selected.
class TGdiCanvas final : public TCanvas {
public:
    explicit TGdiCanvas(HDC dc) : FDc(dc) {}
    ~TGdiCanvas() override;
    TGdiCanvas(const TGdiCanvas&) = delete;
    TGdiCanvas& operator=(const TGdiCanvas&) = delete;

    HDC Dc() const { return FDc; }

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

private:
    // A font by its face, its height in pixels (0 for the dialog font) and its style.
    using TFontKey = std::tuple<std::u16string, int32_t, bool, bool, bool, bool>;

    HDC FDc;
    std::map<TFontKey, HFONT> FFonts;
};

} // namespace tabulix
