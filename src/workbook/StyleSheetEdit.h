#pragma once

// The reader's formatting written into a styles part: the cellXfs entry a cell takes when its font's
// bold, italic or underline flag, or its horizontal alignment, changes and nothing else does.

#include "workbook/SheetLayout.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string_view>

namespace tabulix {

// A styles part with what a workbook needs before it has one of its own: the default font, the two
// fills applications require, no borders, and the Normal style.
extern const std::string_view MinimalStyleSheetXml;

struct TStyleChoice {
    int64_t Index = 0;
    bool Unchanged = false; // the base entry already is what the change asks for
    bool Appended = false;  // the entry is new
};

// The cellXfs entry that differs from entry baseStyle (entry 0 when there is no such
// entry) only in what the change gives: an identical entry (apply flags aside) when there is one,
// baseStyle itself first, else a new one appended, with a font that is likewise reused or appended.
// Entries and fonts are appended, never renumbered, and the lists' counts follow. A part without a
// font or a cellXfs entry first gets a default one at index 0.
TStyleChoice StyleWithChange(pugi::xml_node styleSheet, int64_t baseStyle, const TFormattingChange& change);

} // namespace tabulix
