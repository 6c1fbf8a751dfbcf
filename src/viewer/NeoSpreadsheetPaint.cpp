// Layout and painting of the viewer window: toolbar, action toolbar, sheet tabs, headers and cells.
#include "viewer/NeoSpreadsheet.h"

#include "base/Numbers.h"
#include "base/Text.h"

#include <algorithm>

namespace tabulix {

namespace {

constexpr TColor White = RgbColor(255, 255, 255);
constexpr TColor GridLine = RgbColor(200, 200, 200);
constexpr TColor Separator = RgbColor(176, 176, 176);
constexpr TColor DisabledText = RgbColor(160, 160, 160);
constexpr TColor TabStrip = RgbColor(218, 218, 218);
constexpr TColor InactiveTab = RgbColor(232, 232, 232);
constexpr TColor PlusSign = RgbColor(144, 144, 144);
constexpr TColor Black = RgbColor(0, 0, 0);

const std::u16string ActionButtonLabels[] = {u"< Prev", u"Next >", u"Edit", u"Highlight", u"Save"};

// The most fill characters a cell repeats, whatever its width and font.
constexpr int32_t MaxFillCharacters = 1000;

// A text with its fill character repeated at its place as often as it fits in width, as spreadsheet
// applications fill a cell ("$" at the left edge and the amount at the right under an accounting
// format, a date too large to show as ####).
std::u16string FilledToWidth(TCanvas& canvas, const std::u16string& text, char16_t fill, size_t at, int32_t width) {
    const int32_t each = canvas.TextExtent(std::u16string(1, fill)).Width;
    const int32_t room = width - canvas.TextExtent(text).Width;
    if (each <= 0 || room < each) return text;
    std::u16string filled = text;
    filled.insert(std::min(at, filled.size()), size_t(std::min(room / each, MaxFillCharacters)), fill);
    return filled;
}

} // namespace

std::u16string RibbonTabCaption(int32_t id) {
    static const std::u16string captions[] = {u"File",     u"Home", u"Insert", u"Draw", u"Page Layout",
                                              u"Formulas", u"Data", u"Review", u"View"};
    return id >= 0 && id < 9 ? captions[id] : std::u16string();
}

// Draw (3), Page Layout (4) and Data (6) have no commands; identifiers beyond 0..8 are no tabs at all.
bool RibbonTabHasCommands(int32_t id) { return id >= 0 && id < 9 && id != 3 && id != 4 && id != 6; }

TRect TNeoSpreadsheet::ClientRect() const {
    TRect client;
    if (!FWnd || !FWindows.GetClientRect(FWnd, client)) return TRect{};
    return client;
}

TRect TNeoSpreadsheet::ToolbarRect() const {
    const TRect c = ClientRect();
    if (FToolbarPlacement == u"Top") return {c.Left, c.Top, c.Right, std::min(c.Bottom, FToolbarHeight)};
    if (FToolbarPlacement == u"Bottom") return {c.Left, std::max(c.Top, c.Bottom - FToolbarHeight), c.Right, c.Bottom};
    if (FToolbarPlacement == u"Left") return {c.Left, c.Top, std::min(c.Right, SideToolbarWidth), c.Bottom};
    if (FToolbarPlacement == u"Right") return {std::max(c.Left, c.Right - SideToolbarWidth), c.Top, c.Right, c.Bottom};
    return {};
}

TRect TNeoSpreadsheet::SheetTabStripRect() const {
    if (FPageMode) return {};
    TRect strip = ClientRect();
    const TRect toolbar = ToolbarRect();
    if (FToolbarPlacement == u"Top") strip.Top = toolbar.Bottom;
    else if (FToolbarPlacement == u"Left") strip.Left = toolbar.Right;
    else if (FToolbarPlacement == u"Right") strip.Right = toolbar.Left;
    strip.Bottom = strip.Top + FSheetTabHeight;
    return strip;
}

TRect TNeoSpreadsheet::GridRect() const {
    TRect grid = ClientRect();
    if (FPageMode) {
        if (FShowActionToolbar) grid.Top = grid.Top + FInlineToolbarHeight;
        return grid;
    }
    const TRect strip = SheetTabStripRect();
    grid.Top = strip.Bottom;
    if (FToolbarPlacement == u"Left") grid.Left = strip.Left;
    else if (FToolbarPlacement == u"Right") grid.Right = strip.Right;
    else if (FToolbarPlacement == u"Bottom") grid.Bottom = ToolbarRect().Top;
    if (grid.Bottom < grid.Top) grid.Bottom = grid.Top;
    if (grid.Right < grid.Left) grid.Right = grid.Left;
    return grid;
}

TRect TNeoSpreadsheet::ActionToolbarRect() const {
    const TRect c = ClientRect();
    return {c.Left, c.Top, c.Right, c.Top + FInlineToolbarHeight};
}

TRect TNeoSpreadsheet::AddSheetButtonRect() const {
    const TRect strip = SheetTabStripRect();
    int32_t x = strip.Left + (FWorkbook ? SheetCount() * SheetTabWidth : 0);
    if (x > strip.Right - AddSheetButtonWidth) x = strip.Right - AddSheetButtonWidth;
    return {x, strip.Top, x + AddSheetButtonWidth, strip.Bottom};
}

TRect TNeoSpreadsheet::RibbonTabRect(int32_t position) const {
    const TRect toolbar = ToolbarRect();
    const int32_t left = toolbar.Left + RibbonTabWidth * position;
    return {left + 4, toolbar.Top + 4, left + RibbonTabWidth, toolbar.Top + 28};
}

void TNeoSpreadsheet::ScrollIntoView(int32_t col, int32_t row) {
    const TRect grid = GridRect();
    const int32_t columns = std::max(1, (grid.Width() - RowHeaderWidth) / FCellWidth);
    const int32_t rows = std::max(1, (grid.Height() - FRowHeight) / FRowHeight);
    if (col < FLeftCol) FLeftCol = col;
    if (col >= FLeftCol + columns) FLeftCol = col - columns + 1;
    if (row < FTopRow) FTopRow = row;
    if (row >= FTopRow + rows) FTopRow = row - rows + 1;
    FLeftCol = std::max(FLeftCol, int32_t(0));
    FTopRow = std::max(FTopRow, int32_t(0));
}

void TNeoSpreadsheet::Paint(TCanvas& canvas, const TRect& client) {
    canvas.SetFont(FGridFontName, FGridFontSize, TFontStyle{});
    canvas.FillRect(client, White);
    PaintToolbar(canvas);
    PaintActionToolbar(canvas);
    PaintSheetTabs(canvas);
    PaintGrid(canvas);
}

void TNeoSpreadsheet::PaintToolbar(TCanvas& canvas) {
    if (FToolbarPlacement == u"None") return;
    const TRect toolbar = ToolbarRect();
    canvas.FillRect(toolbar, FToolbarColor);
    if (FToolbarPlacement == u"Top" || FToolbarPlacement == u"Bottom") {
        for (int32_t i = 0; i < int32_t(std::size(RibbonTabs)); ++i) {
            const TRect tab = RibbonTabRect(i);
            const std::u16string caption = RibbonTabCaption(RibbonTabs[i]);
            canvas.FillRect(tab, FToolbarColor);
            const TColor color = RibbonTabHasCommands(RibbonTabs[i]) ? Black : DisabledText;
            const int32_t y = tab.Top + (tab.Height() - canvas.TextExtent(caption).Height) / 2;
            canvas.TextClipped(tab, TPoint{tab.Left + 6, y}, caption, color, FToolbarColor);
        }
        canvas.Line(TPoint{toolbar.Left, toolbar.Top + 30}, TPoint{toolbar.Right, toolbar.Top + 30}, Separator);
        return;
    }
    for (int32_t i = 0; i < 9; ++i) {
        canvas.Text(TPoint{toolbar.Left + 10, toolbar.Top + 8 + 24 * i}, RibbonTabCaption(i), std::nullopt, FToolbarColor);
    }
    canvas.SetFont(FGridFontName, FGridFontSize, TFontStyle{true, false, false});
    canvas.Text(TPoint{toolbar.Left + 10, toolbar.Top + 235}, u"< Prev", std::nullopt, FToolbarColor);
    canvas.Text(TPoint{toolbar.Left + 90, toolbar.Top + 235}, u"Next >", std::nullopt, FToolbarColor);
    canvas.SetFont(FGridFontName, FGridFontSize, TFontStyle{});
}

void TNeoSpreadsheet::PaintActionToolbar(TCanvas& canvas) {
    if (!FPageMode || !FShowActionToolbar) return;
    const TRect bar = ActionToolbarRect();
    canvas.FillRect(bar, FToolbarColor);
    for (int32_t i = 0; i < 5; ++i) {
        const TRect button{bar.Left + ActionButtonWidth * i + 3, bar.Top + 4, bar.Left + ActionButtonWidth * i + 77,
                           bar.Bottom - 4};
        canvas.FillRect(button, White);
        canvas.OutlineRect(button, Separator);
        // The label's background is opaque: it is cut inside the border so that the border stays.
        const TRect inside{button.Left + 1, button.Top + 1, button.Right - 1, button.Bottom - 1};
        canvas.TextClipped(inside, TPoint{button.Left + 8, button.Top + 4}, ActionButtonLabels[i], Black, White);
    }
}

void TNeoSpreadsheet::PaintSheetTabs(TCanvas& canvas) {
    if (FPageMode) return;
    const TRect strip = SheetTabStripRect();
    canvas.FillRect(strip, TabStrip);
    if (!FWorkbook) return;
    // The last tab is cut at the strip's end, which is the window's edge except beside a Right panel.
    canvas.SetClip(strip);
    int32_t x = strip.Left;
    for (int32_t n = 0; n < SheetCount() && x < strip.Right; ++n, x += SheetTabWidth) {
        const TRect tab{x, strip.Top, x + SheetTabWidth, strip.Bottom - 1};
        const TColor fill = n == FCurrentSheet ? White : InactiveTab;
        canvas.FillRect(tab, fill);
        canvas.OutlineRect(tab, Separator);
        canvas.TextClipped(TRect{x + 6, strip.Top + 6, x + 144, strip.Bottom - 4}, TPoint{x + 6, strip.Top + 6},
                           FWorkbook->Sheet(n).Name, Black, fill);
    }
    const TRect plus = AddSheetButtonRect();
    canvas.FillRect(plus, TabStrip);
    const int32_t cx = (plus.Left + plus.Right) / 2;
    const int32_t cy = (plus.Top + plus.Bottom) / 2;
    canvas.Line(TPoint{cx, plus.Top + 6}, TPoint{cx, plus.Bottom - 7}, PlusSign);
    canvas.Line(TPoint{plus.Left + 7, cy - 1}, TPoint{plus.Right - 7, cy - 1}, PlusSign);
    PaintSelectionStatus(canvas, strip);
    canvas.ClearClip();
}

void TNeoSpreadsheet::PaintGrid(TCanvas& canvas) {
    const TRect grid = GridRect();
    canvas.FillRect(grid, White);
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return;
    if (!sheet->IsWorksheet && sheet->RowCount == 0) {
        // A chart sheet (or a dialog sheet) has no cells: a short note in the middle says why.
        const std::u16string note = u"This sheet holds a chart, not a worksheet.";
        const TSize extent = canvas.TextExtent(note);
        const TPoint at{grid.Left + std::max(0, (grid.Width() - extent.Width) / 2),
                        grid.Top + std::max(0, (grid.Height() - extent.Height) / 2)};
        canvas.TextClipped(grid, at, note, DisabledText, White);
        return;
    }
    // The partly visible last column and row stop at the grid's edge, clear of a Right or Bottom toolbar.
    canvas.SetClip(grid);
    const int32_t lastCol = std::min(FLeftCol + (grid.Width() - RowHeaderWidth) / FCellWidth, sheet->ColCount - 1);
    const int32_t lastRow = std::min(FTopRow + (grid.Height() - FRowHeight) / FRowHeight, sheet->RowCount - 1);
    auto x = [&](int32_t k) { return grid.Left + RowHeaderWidth + (k - FLeftCol) * FCellWidth; };
    auto y = [&](int32_t j) { return grid.Top + FRowHeight * (j - FTopRow + 1); };

    TCellLook header;
    header.Header = true;
    PaintCell(canvas, TRect{grid.Left, grid.Top, grid.Left + RowHeaderWidth, grid.Top + FRowHeight}, header, u"");
    for (int32_t k = FLeftCol; k <= lastCol; ++k) {
        PaintCell(canvas, TRect{x(k), grid.Top, x(k) + FCellWidth, grid.Top + FRowHeight}, header, ColumnIndexToLetters(k));
    }
    // A single cell is drawn in the selection colour; in a range every cell but the active one is.
    const TCellRange selection = SelectionRange();
    const bool range = !selection.IsSingleCell();
    for (int32_t j = FTopRow; j <= lastRow; ++j) {
        PaintCell(canvas, TRect{grid.Left, y(j), grid.Left + RowHeaderWidth, y(j) + FRowHeight}, header,
                  IntToText(int64_t(j) + 1));
        for (int32_t k = FLeftCol; k <= lastCol; ++k) {
            const int64_t key = CellKey(FCurrentSheet, j, k);
            TCellLook look;
            const bool active = k == FSelectedCol && j == FSelectedRow;
            look.Selected = range ? selection.Contains(k, j) && !active : active;
            if (const auto found = FHighlights.find(key); found != FHighlights.end()) look.Highlight = found->second;
            look.Style = TFontStyle{FCellBold.count(key) > 0, FCellItalic.count(key) > 0, FCellUnderline.count(key) > 0};
            if (const auto found = FCellAlign.find(key); found != FCellAlign.end()) look.Alignment = found->second;
            const TShownText shown = FWorkbook->ShownText(FCurrentSheet, j, k);
            look.TextColor = shown.Color.value_or(Black);
            look.Fill = shown.Fill;
            look.FillAt = shown.FillAt;
            PaintCell(canvas, TRect{x(k), y(j), x(k) + FCellWidth, y(j) + FRowHeight}, look, shown.Text);
        }
    }
    // The frame follows the range's edges where they are shown and runs on past the grid's where not.
    if (range && selection.Right >= FLeftCol && selection.Bottom >= FTopRow && selection.Left <= lastCol &&
        selection.Top <= lastRow) {
        const int32_t left = selection.Left >= FLeftCol ? x(selection.Left) : grid.Left + RowHeaderWidth - 2;
        const int32_t top = selection.Top >= FTopRow ? y(selection.Top) : grid.Top + FRowHeight - 2;
        const int32_t right = selection.Right <= lastCol ? x(selection.Right) + FCellWidth : grid.Right + 2;
        const int32_t bottom = selection.Bottom <= lastRow ? y(selection.Bottom) + FRowHeight : grid.Bottom + 2;
        canvas.SetClip(TRect{grid.Left + RowHeaderWidth, grid.Top + FRowHeight, grid.Right, grid.Bottom});
        PaintRangeFrame(canvas, TRect{left, top, right, bottom});
    }
    canvas.ClearClip();
}

void TNeoSpreadsheet::PaintRangeFrame(TCanvas& canvas, const TRect& frame) {
    // A darker shade of the selection colour, two pixels wide, over the outer edges of the range's cells.
    const TColor shade = RgbColor(uint8_t((FSelectionColor & 0xFF) * 2 / 5), uint8_t(((FSelectionColor >> 8) & 0xFF) * 2 / 5),
                                  uint8_t(((FSelectionColor >> 16) & 0xFF) * 2 / 5));
    canvas.OutlineRect(frame, shade);
    canvas.OutlineRect(TRect{frame.Left + 1, frame.Top + 1, frame.Right - 1, frame.Bottom - 1}, shade);
}

void TNeoSpreadsheet::PaintSelectionStatus(TCanvas& canvas, const TRect& strip) {
    const std::u16string status = SelectionStatus();
    if (status.empty()) return;
    const TSize extent = canvas.TextExtent(status);
    // At the strip's right end, never over the tabs and "+": cut at the end when there is no room.
    const int32_t x = std::max(AddSheetButtonRect().Right + 8, strip.Right - extent.Width - 10);
    const int32_t y = strip.Top + std::max(0, (strip.Height() - extent.Height) / 2);
    // Its own background: the clip rectangle of a text is filled with the text's.
    const TRect area{x - 6, strip.Top, strip.Right, strip.Bottom - 1};
    if (area.Width() <= 6) return;
    canvas.TextClipped(area, TPoint{x, y}, status, Black, TabStrip);
}

void TNeoSpreadsheet::PaintCell(TCanvas& canvas, const TRect& rect, const TCellLook& look, const std::u16string& text) {
    TColor background = look.Header ? FHeaderColor : look.Highlight.value_or(White);
    if (look.Selected) background = FSelectionColor;
    canvas.FillRect(rect, background);
    if (look.Header || look.Selected || look.Highlight || FShowGridLines) canvas.OutlineRect(rect, GridLine);
    const TFontStyle style = look.Header ? TFontStyle{} : look.Style;
    const bool styled = style.Bold || style.Italic || style.Underline;
    if (styled) canvas.SetFont(FGridFontName, FGridFontSize, style);
    const TRect inner{rect.Left + 4, rect.Top + 2, rect.Right - 4, rect.Bottom - 2};
    std::u16string filled;
    if (look.Fill) filled = FilledToWidth(canvas, text, look.Fill, look.FillAt, inner.Width());
    const std::u16string& shown = look.Fill ? filled : text;
    int32_t textX = rect.Left + 4;
    if (!look.Header && look.Alignment == 1) {
        textX = std::max(inner.Right - canvas.TextExtent(shown).Width, inner.Left);
    } else if (!look.Header && look.Alignment == 2) {
        textX = inner.Left + std::max(int32_t(0), (inner.Width() - canvas.TextExtent(shown).Width) / 2);
    }
    canvas.TextClipped(inner, TPoint{textX, rect.Top + 2}, shown, look.TextColor, background);
    if (styled) canvas.SetFont(FGridFontName, FGridFontSize, TFontStyle{});
}

} // namespace tabulix
