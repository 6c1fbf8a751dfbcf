// Layout and painting of the viewer window: toolbar, action toolbar, sheet tabs, and the grid, which
// GridPainter paints over the current sheet's geometry.
#include "viewer/NeoSpreadsheet.h"

#include "viewer/GridPainter.h"

#include <algorithm>
#include <cmath>

namespace tabulix {

namespace {

constexpr TColor White = RgbColor(255, 255, 255);
constexpr TColor Separator = RgbColor(176, 176, 176);
constexpr TColor DisabledText = RgbColor(160, 160, 160);
constexpr TColor TabStrip = RgbColor(218, 218, 218);
constexpr TColor InactiveTab = RgbColor(232, 232, 232);
constexpr TColor PlusSign = RgbColor(144, 144, 144);
constexpr TColor Black = RgbColor(0, 0, 0);

const std::u16string ActionButtonLabels[] = {u"< Prev", u"Next >", u"Edit", u"Highlight", u"Save"};

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

TRect TNeoSpreadsheet::CellsRect() const {
    const TRect grid = GridRect();
    return TRect{std::min(grid.Left + RowHeaderWidth, grid.Right), std::min(grid.Top + FRowHeight, grid.Bottom), grid.Right,
                 grid.Bottom};
}

double TNeoSpreadsheet::ZoomFactor() const { return std::pow(1.1, FZoomSteps); }

const TSheetGeometry& TNeoSpreadsheet::Geometry() const {
    static const TSheetGeometry none;
    const TXlsxSheet* sheet = CurrentSheet();
    if (!sheet) return none;
    if (!FGeometry || FGeometrySheet != FCurrentSheet || FGeometryRows != sheet->RowCount || FGeometryCols != sheet->ColCount) {
        const TGeometrySizes sizes{FRowHeight, FCellWidth, FRowHeightGiven, FColumnWidthGiven, ZoomFactor(), FMaxDigitWidth};
        FGeometry = std::make_unique<TSheetGeometry>(*sheet, sizes);
        FGeometrySheet = FCurrentSheet;
        FGeometryRows = sheet->RowCount;
        FGeometryCols = sheet->ColCount;
    }
    return *FGeometry;
}

void TNeoSpreadsheet::ClampScroll() {
    const TSheetGeometry& geometry = Geometry();
    FTopRow = std::max(FTopRow, geometry.FrozenRows());
    FLeftCol = std::max(FLeftCol, geometry.FrozenCols());
}

namespace {

// The first index of a scrolled pane that shows index whole (or at least from its start), moving
// the pane's first index as little as it can.
int32_t FirstShowing(const TAxisSizes& axis, int32_t first, int32_t index, int32_t room) {
    if (index < first) return index;
    if (axis.Start(index + 1) - axis.Start(first) <= room) return first;
    return std::min(index, axis.FirstStartingAt(axis.Start(index + 1) - room));
}

} // namespace

void TNeoSpreadsheet::ScrollIntoView(int32_t col, int32_t row) {
    FLeftCol = std::max(FLeftCol, int32_t(0));
    FTopRow = std::max(FTopRow, int32_t(0));
    ClampScroll();
    const TSheetGeometry& geometry = Geometry();
    const TViewport view = Viewport();
    if (col >= geometry.FrozenCols()) FLeftCol = FirstShowing(geometry.Cols(), FLeftCol, col, view.ScrolledWidth());
    if (row >= geometry.FrozenRows()) FTopRow = FirstShowing(geometry.Rows(), FTopRow, row, view.ScrolledHeight());
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
    // The partly shown last column and row stop at the grid's edge, clear of a Right or Bottom toolbar.
    const TViewport view = Viewport();
    const TGridLook look{FGridFontName, FGridFontSize, ZoomFactor(), FHeaderColor, FSelectionColor, FShowGridLines, FRowHeight};
    const TGridScene scene{*FWorkbook, FCurrentSheet, Geometry(), view, grid, FSelectedRow, FSelectedCol, SelectionRange(), FHighlights};
    PaintSheetGrid(canvas, scene, look);
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

} // namespace tabulix
