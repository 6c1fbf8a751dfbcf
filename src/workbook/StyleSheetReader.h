#pragma once

// A styles part read into resolved cell styles: fonts, fills, borders and the alignment of each
// cellXfs entry, every colour turned into RGB through the theme and the indexed palette.

#include "workbook/SheetLayout.h"

#include <pugixml.hpp>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace tabulix {

// A theme's colours by the index styles give them. The scheme lists dark 1, light 1, dark 2, light 2,
// but styles count light before dark, as applications do: 0 light 1, 1 dark 1, 2 light 2, 3 dark 2,
// then accents 1 to 6, the hyperlink and the followed hyperlink.
using TThemeColors = std::array<TRgb, 12>;

// The colours of the default Office theme, for a workbook without a theme part.
TThemeColors DefaultThemeColors();
// The colour scheme of a theme part's root (a:theme); a colour it does not give keeps the default.
TThemeColors ReadThemeColors(const pugi::xml_node& theme);

struct TStyleSheetContent {
    std::vector<TCellStyle> Styles; // by cellXfs index
    std::vector<TCellFont> Fonts;   // by font index
    std::vector<TCellBorders> Borders;
    TCellFont DefaultFont;
};

TStyleSheetContent ReadStyleSheet(const pugi::xml_node& styleSheet, const TThemeColors& theme);

// The horizontal alignments by the names styles give them ("center"); General for an empty or unknown
// name, and the empty name for General.
THorizontalAlign ReadHorizontalAlign(std::string_view name);
std::string_view HorizontalAlignName(THorizontalAlign align);

// A colour lightened (tint above 0) or darkened (below 0) by the tint's share, in luminance only.
TRgb ApplyTint(TRgb color, double tint);

} // namespace tabulix
