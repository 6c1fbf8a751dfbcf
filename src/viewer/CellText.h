#pragma once

// A cell's text laid out in its rectangle as spreadsheet applications lay it out: aligned left, right,
// centred, repeated (fill), wrapped into lines, justified or spread evenly (distributed), at the top,
// middle or bottom, indented.

#include "viewer/ViewerPorts.h"
#include "workbook/SheetLayout.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// Where a cell's text goes.
struct TTextBox {
    TRect Rect; // the cell's rectangle, its merged area's, or the span it is centred across
    THorizontalAlign Horizontal = THorizontalAlign::Left; // never General: the caller resolves it
    TVerticalAlign Vertical = TVerticalAlign::Bottom;
    bool Wrap = false;
    int32_t Indent = 0; // pixels
};

// One line of wrapped text, and whether it ends its paragraph (a line break or the end of the text).
struct TWrappedLine {
    std::u16string Text;
    bool EndsParagraph = false;
};

// The text cut into lines no wider than width in the canvas's font: at blanks, inside a word that is
// wider than a line, and at line feeds. At most maxLines lines are made.
std::vector<TWrappedLine> WrapText(TCanvas& canvas, std::u16string_view text, int32_t width, size_t maxLines);

// Draws the text in the box, in the canvas's font, over what is drawn, cut to clip.
void DrawCellText(TCanvas& canvas, const std::u16string& text, const TTextBox& box, const TRect& clip, TColor color);

// The space a text needs beside it in its cell: the margins at both sides and the indent.
int32_t TextRoomNeeded(TCanvas& canvas, const std::u16string& text, int32_t indent);

} // namespace tabulix
