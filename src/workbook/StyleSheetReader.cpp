#include "workbook/StyleSheetReader.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "format/NumberFormat.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tabulix {

namespace {

constexpr TRgb Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red | (green << 8) | (blue << 16); }
constexpr TRgb FromHex(uint32_t rrggbb) { return Rgb(rrggbb >> 16, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF); }
constexpr TRgb White = Rgb(255, 255, 255);

std::string_view Attribute(const pugi::xml_node& element, const char* name) { return element.attribute(name).value(); }

int64_t IntegerAttribute(const pugi::xml_node& element, const char* name, int64_t fallback) {
    return ReadDecimalIntegerOr(Attribute(element, name), fallback);
}

std::optional<double> NumberAttribute(const pugi::xml_node& element, const char* name) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) return std::nullopt;
    return ReadDecimalNumber(Utf8ToUtf16(attribute.value()));
}

// An xsd:boolean, "1" or "true" for true.
bool TruthAttribute(const pugi::xml_node& element, const char* name, bool fallback) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) return fallback;
    const std::string_view value = attribute.value();
    if (value == "1" || value == "true") return true;
    if (value == "0" || value == "false") return false;
    return fallback;
}

// Six or eight hexadecimal digits, RRGGBB or AARRGGBB; the alpha is ignored, as applications do.
std::optional<TRgb> ReadHexColor(std::string_view text) {
    if (text.size() == 8) text.remove_prefix(2);
    if (text.size() != 6) return std::nullopt;
    const auto value = ReadHexDigits(Utf8ToUtf16(text));
    if (!value) return std::nullopt;
    return FromHex(*value);
}

// Indexed colours 0 to 7 precede the 56 of the legacy palette.
constexpr TRgb BasicColors[8] = {FromHex(0x000000), FromHex(0xFFFFFF), FromHex(0xFF0000), FromHex(0x00FF00),
                                 FromHex(0x0000FF), FromHex(0xFFFF00), FromHex(0xFF00FF), FromHex(0x00FFFF)};

// The HLS form of a colour, each part from 0 to 1.
struct THls {
    double Hue = 0, Luminance = 0, Saturation = 0;
};

THls ToHls(TRgb color) {
    const double red = (color & 0xFF) / 255.0, green = ((color >> 8) & 0xFF) / 255.0, blue = ((color >> 16) & 0xFF) / 255.0;
    const double high = std::max({red, green, blue});
    const double low = std::min({red, green, blue});
    THls hls;
    hls.Luminance = (high + low) / 2;
    if (high == low) return hls;
    const double range = high - low;
    hls.Saturation = hls.Luminance <= 0.5 ? range / (high + low) : range / (2 - high - low);
    double hue = 0;
    if (high == red) hue = (green - blue) / range;
    else if (high == green) hue = 2 + (blue - red) / range;
    else hue = 4 + (red - green) / range;
    hls.Hue = std::fmod(hue / 6 + 1, 1.0);
    return hls;
}

double HueToChannel(double low, double high, double hue) {
    hue = std::fmod(hue + 1, 1.0);
    if (hue < 1.0 / 6) return low + (high - low) * hue * 6;
    if (hue < 0.5) return high;
    if (hue < 2.0 / 3) return low + (high - low) * (2.0 / 3 - hue) * 6;
    return low;
}

TRgb FromHls(const THls& hls) {
    const auto channel = [](double value) { return uint32_t(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
    if (hls.Saturation == 0) {
        const uint32_t grey = channel(hls.Luminance);
        return Rgb(grey, grey, grey);
    }
    const double high = hls.Luminance <= 0.5 ? hls.Luminance * (1 + hls.Saturation)
                                             : hls.Luminance + hls.Saturation - hls.Luminance * hls.Saturation;
    const double low = 2 * hls.Luminance - high;
    return Rgb(channel(HueToChannel(low, high, hls.Hue + 1.0 / 3)), channel(HueToChannel(low, high, hls.Hue)),
               channel(HueToChannel(low, high, hls.Hue - 1.0 / 3)));
}

// What a colour element of the styles means: none for automatic colours (and the system's foreground,
// the window text), otherwise RGB.
class TColorResolver {
public:
    TColorResolver(const pugi::xml_node& styleSheet, const TThemeColors& theme) : FTheme(theme) {
        const pugi::xml_node indexed = FirstChildNamed(FirstChildNamed(styleSheet, "colors"), "indexedColors");
        for (pugi::xml_node color = FirstElement(indexed); color; color = NextElement(color)) {
            FIndexed.push_back(ReadHexColor(Attribute(color, "rgb")).value_or(0));
        }
    }

    std::optional<TRgb> Resolve(const pugi::xml_node& color) const {
        if (!color || TruthAttribute(color, "auto", false)) return std::nullopt;
        std::optional<TRgb> rgb;
        if (color.attribute("rgb")) {
            rgb = ReadHexColor(Attribute(color, "rgb"));
        } else if (color.attribute("theme")) {
            const int64_t index = IntegerAttribute(color, "theme", -1);
            if (index >= 0 && index < int64_t(FTheme.size())) rgb = FTheme[size_t(index)];
        } else if (color.attribute("indexed")) {
            rgb = Indexed(IntegerAttribute(color, "indexed", -1));
        }
        if (!rgb) return std::nullopt;
        const double tint = NumberAttribute(color, "tint").value_or(0);
        return tint != 0 ? ApplyTint(*rgb, tint) : *rgb;
    }

private:
    std::optional<TRgb> Indexed(int64_t index) const {
        if (index >= 0 && index < int64_t(FIndexed.size())) return FIndexed[size_t(index)];
        if (index >= 0 && index < 8) return BasicColors[index];
        if (index >= 8 && index < 64) return LegacyPaletteColor(int32_t(index - 7));
        if (index == 65) return White; // the system's background
        return std::nullopt;           // 64, the system's foreground, is the automatic colour
    }

    const TThemeColors& FTheme;
    std::vector<TRgb> FIndexed;
};

TCellFont ReadFont(const pugi::xml_node& font, const TColorResolver& colors) {
    TCellFont result;
    for (pugi::xml_node part = FirstElement(font); part; part = NextElement(part)) {
        const std::string_view name = LocalName(part);
        if (name == "b") result.Bold = TruthAttribute(part, "val", true);
        else if (name == "i") result.Italic = TruthAttribute(part, "val", true);
        else if (name == "strike") result.Strike = TruthAttribute(part, "val", true);
        else if (name == "u") result.Underline = Attribute(part, "val") != "none";
        else if (name == "sz") result.Size = NumberAttribute(part, "val").value_or(result.Size);
        else if (name == "name") result.Name = Utf8ToUtf16(Attribute(part, "val"));
        else if (name == "color") result.Color = colors.Resolve(part);
    }
    if (!(result.Size > 0 && result.Size <= 409)) result.Size = 11;
    return result;
}

// A fill as one colour: a solid or patterned fill by its foreground colour, a gradient by its first
// stop; none without a pattern or a colour.
std::optional<TRgb> ReadFill(const pugi::xml_node& fill, const TColorResolver& colors) {
    if (const pugi::xml_node pattern = FirstChildNamed(fill, "patternFill")) {
        const std::string_view type = Attribute(pattern, "patternType");
        if (type.empty() || type == "none") return std::nullopt;
        return colors.Resolve(FirstChildNamed(pattern, "fgColor"));
    }
    if (const pugi::xml_node gradient = FirstChildNamed(fill, "gradientFill")) {
        return colors.Resolve(FirstChildNamed(FirstChildNamed(gradient, "stop"), "color"));
    }
    return std::nullopt;
}

TBorderLine BorderLine(std::string_view style) {
    static constexpr std::pair<std::string_view, TBorderLine> lines[] = {
        {"hair", TBorderLine::Hair},
        {"thin", TBorderLine::Thin},
        {"medium", TBorderLine::Medium},
        {"thick", TBorderLine::Thick},
        {"double", TBorderLine::Double},
        {"dotted", TBorderLine::Dotted},
        // Every dashed line, thin or medium, is drawn dashed: the dashes tell more than the weight.
        {"dashed", TBorderLine::Dashed},
        {"dashDot", TBorderLine::Dashed},
        {"dashDotDot", TBorderLine::Dashed},
        {"mediumDashed", TBorderLine::Dashed},
        {"mediumDashDot", TBorderLine::Dashed},
        {"mediumDashDotDot", TBorderLine::Dashed},
        {"slantDashDot", TBorderLine::Dashed},
    };
    for (const auto& [name, line] : lines) {
        if (name == style) return line;
    }
    return TBorderLine::None;
}

TBorderSide ReadBorderSide(const pugi::xml_node& side, const TColorResolver& colors) {
    TBorderSide result;
    result.Line = BorderLine(Attribute(side, "style"));
    if (result.Line != TBorderLine::None) result.Color = colors.Resolve(FirstChildNamed(side, "color"));
    return result;
}

TCellBorders ReadBorders(const pugi::xml_node& border, const TColorResolver& colors) {
    TCellBorders result;
    for (pugi::xml_node side = FirstElement(border); side; side = NextElement(side)) {
        const std::string_view name = LocalName(side);
        // start and end are left and right in a left-to-right sheet.
        if (name == "left" || name == "start") result.Left = ReadBorderSide(side, colors);
        else if (name == "right" || name == "end") result.Right = ReadBorderSide(side, colors);
        else if (name == "top") result.Top = ReadBorderSide(side, colors);
        else if (name == "bottom") result.Bottom = ReadBorderSide(side, colors);
    }
    return result;
}

// Justified and distributed text fills the cell from its top.
TVerticalAlign VerticalAlign(std::string_view value) {
    if (value == "top" || value == "justify" || value == "distributed") return TVerticalAlign::Top;
    if (value == "center") return TVerticalAlign::Center;
    return TVerticalAlign::Bottom;
}

// A cellXfs entry. Its font, fill, border and alignment count whatever its apply flags say: a cell's
// own formatting is what applications show.
TCellStyle ReadStyle(const pugi::xml_node& xf, const std::vector<std::optional<TRgb>>& fills) {
    TCellStyle style;
    style.Font = int32_t(std::clamp<int64_t>(IntegerAttribute(xf, "fontId", 0), -1, INT32_MAX));
    style.Borders = int32_t(std::clamp<int64_t>(IntegerAttribute(xf, "borderId", 0), -1, INT32_MAX));
    const int64_t fill = IntegerAttribute(xf, "fillId", 0);
    if (fill >= 0 && fill < int64_t(fills.size())) style.Fill = fills[size_t(fill)];
    if (const pugi::xml_node alignment = FirstChildNamed(xf, "alignment")) {
        style.Horizontal = ReadHorizontalAlign(Attribute(alignment, "horizontal"));
        style.Vertical = VerticalAlign(Attribute(alignment, "vertical"));
        style.Wrap = TruthAttribute(alignment, "wrapText", false);
        style.Indent = int32_t(std::clamp<int64_t>(IntegerAttribute(alignment, "indent", 0), 0, 250));
    }
    return style;
}

// The child elements of the styles' first element of that name.
template <typename TRead>
void ForEachEntry(const pugi::xml_node& styleSheet, std::string_view list, TRead&& read) {
    for (pugi::xml_node entry = FirstElement(FirstChildNamed(styleSheet, list)); entry; entry = NextElement(entry)) read(entry);
}

} // namespace

namespace {

constexpr std::pair<std::string_view, THorizontalAlign> HorizontalAligns[] = {
    {"left", THorizontalAlign::Left},
    {"center", THorizontalAlign::Center},
    {"right", THorizontalAlign::Right},
    {"fill", THorizontalAlign::Fill},
    {"justify", THorizontalAlign::Justify},
    {"centerContinuous", THorizontalAlign::CenterContinuous},
    {"distributed", THorizontalAlign::Distributed},
};

} // namespace

THorizontalAlign ReadHorizontalAlign(std::string_view name) {
    for (const auto& [written, align] : HorizontalAligns) {
        if (written == name) return align;
    }
    return THorizontalAlign::General;
}

std::string_view HorizontalAlignName(THorizontalAlign align) {
    for (const auto& [written, known] : HorizontalAligns) {
        if (known == align) return written;
    }
    return {};
}

TThemeColors DefaultThemeColors() {
    return {FromHex(0xFFFFFF), FromHex(0x000000), FromHex(0xEEECE1), FromHex(0x1F497D), FromHex(0x4F81BD), FromHex(0xC0504D),
            FromHex(0x9BBB59), FromHex(0x8064A2), FromHex(0x4BACC6), FromHex(0xF79646), FromHex(0x0000FF), FromHex(0x800080)};
}

TThemeColors ReadThemeColors(const pugi::xml_node& theme) {
    static constexpr std::string_view names[12] = {"lt1",     "dk1",     "lt2",     "dk2",     "accent1", "accent2",
                                                   "accent3", "accent4", "accent5", "accent6", "hlink",   "folHlink"};
    TThemeColors colors = DefaultThemeColors();
    const pugi::xml_node scheme = FirstChildNamed(FirstChildNamed(theme, "themeElements"), "clrScheme");
    for (pugi::xml_node entry = FirstElement(scheme); entry; entry = NextElement(entry)) {
        const auto named = std::find(std::begin(names), std::end(names), LocalName(entry));
        if (named == std::end(names)) continue;
        const pugi::xml_node value = FirstElement(entry);
        // A system colour gives the colour it had when the file was written.
        const std::string_view hex = HasLocalName(value, "sysClr") ? Attribute(value, "lastClr") : Attribute(value, "val");
        if (const auto rgb = ReadHexColor(hex)) colors[size_t(named - std::begin(names))] = *rgb;
    }
    return colors;
}

TRgb ApplyTint(TRgb color, double tint) {
    tint = std::clamp(tint, -1.0, 1.0);
    THls hls = ToHls(color);
    hls.Luminance = tint < 0 ? hls.Luminance * (1 + tint) : hls.Luminance * (1 - tint) + tint;
    return FromHls(hls);
}

TStyleSheetContent ReadStyleSheet(const pugi::xml_node& styleSheet, const TThemeColors& theme) {
    const TColorResolver colors(styleSheet, theme);
    TStyleSheetContent content;
    ForEachEntry(styleSheet, "fonts", [&](const pugi::xml_node& font) { content.Fonts.push_back(ReadFont(font, colors)); });
    std::vector<std::optional<TRgb>> fills;
    ForEachEntry(styleSheet, "fills", [&](const pugi::xml_node& fill) { fills.push_back(ReadFill(fill, colors)); });
    ForEachEntry(styleSheet, "borders",
                 [&](const pugi::xml_node& border) { content.Borders.push_back(ReadBorders(border, colors)); });
    ForEachEntry(styleSheet, "cellXfs", [&](const pugi::xml_node& xf) { content.Styles.push_back(ReadStyle(xf, fills)); });
    // The Normal style's font, else the first.
    const int64_t normalFont = IntegerAttribute(FirstElement(FirstChildNamed(styleSheet, "cellStyleXfs")), "fontId", 0);
    if (normalFont >= 0 && normalFont < int64_t(content.Fonts.size())) content.DefaultFont = content.Fonts[size_t(normalFont)];
    else if (!content.Fonts.empty()) content.DefaultFont = content.Fonts[0];
    content.Fonts.shrink_to_fit();
    content.Borders.shrink_to_fit();
    content.Styles.shrink_to_fit();
    return content;
}

} // namespace tabulix
