#include "viewer/GridPainter.h"

#include "base/Numbers.h"
#include "viewer/CellText.h"
#include "viewer/NeoSpreadsheet.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

namespace tabulix {

namespace {

constexpr TColor White = RgbColor(255, 255, 255);
constexpr TColor Black = RgbColor(0, 0, 0);
constexpr TColor GridLine = RgbColor(200, 200, 200);
constexpr TColor PaneDivider = RgbColor(96, 96, 96);
// The pixels one level of indent takes at 100%.
constexpr int32_t IndentStep = 9;
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

// How heavy a border looks: at an edge two cells share, the heavier of their two sides is drawn.
int32_t Weight(TBorderLine line) {
    switch (line) {
    case TBorderLine::None: return 0;
    case TBorderLine::Hair: return 1;
    case TBorderLine::Dotted: return 2;
    case TBorderLine::Dashed: return 3;
    case TBorderLine::Thin: return 4;
    case TBorderLine::Medium: return 5;
    case TBorderLine::Double: return 6;
    case TBorderLine::Thick: return 7;
    }
    return 0;
}

const TBorderSide& Heavier(const TBorderSide& own, const TBorderSide& neighbour) {
    return Weight(neighbour.Line) > Weight(own.Line) ? neighbour : own;
}

// General alignment: numbers and dates to the right, truth values and errors centred, text to the left.
THorizontalAlign Resolved(THorizontalAlign align, TCellKind kind) {
    if (align != THorizontalAlign::General) return align;
    if (kind == TCellKind::Number || kind == TCellKind::Date) return THorizontalAlign::Right;
    if (kind == TCellKind::AsStored) return THorizontalAlign::Center;
    return THorizontalAlign::Left;
}

// One row or column on the screen: its index and its edges.
struct TLine {
    int32_t Index = 0;
    int32_t Start = 0;
    int32_t End = 0;
};

// What a cell (or a merged area, by its first cell) shows.
struct TCellInfo {
    int32_t Row = 0, Col = 0;
    TRect Rect;
    const TGridArea* Merge = nullptr; // a merged area, or a cell inside one (painted with the area)
    const TCellStyle* Style = nullptr;
    const TCellFont* Font = nullptr;
    TCellKind Kind = TCellKind::Text;
    TShownText Shown;
    THorizontalAlign Align = THorizontalAlign::Left;
    TColor Background = White;
    bool Filled = false;      // a fill, a highlight or the selection: no grid lines over it
    bool Marked = false;      // selected or highlighted: outlined
    bool RunsOnRight = false; // a text runs on over its right edge: no grid line there
    int32_t TextRight = 0;    // where the room of its text ends
};

class TGridPainter {
public:
    TGridPainter(TCanvas& canvas, const TGridScene& scene, const TGridLook& look)
        : FCanvas(canvas), FScene(scene), FLook(look), FSheet(scene.Workbook.Sheet(scene.SheetIndex)),
          FStyles(scene.Workbook.Styles()), FGeometry(scene.Geometry) {}

    void Paint() {
        FCanvas.SetClip(FScene.Grid);
        PaintHeaders();
        for (const bool frozenRows : {true, false}) {
            for (const bool frozenCols : {true, false}) PaintPane(frozenRows, frozenCols);
        }
        FCanvas.SetClip(FScene.Grid);
        PaintDividers();
        FCanvas.ClearClip();
    }

private:
    // The rows or columns of a pane that show, hidden ones left out: from first while they start
    // before limit, up to end.
    static void CollectLines(std::vector<TLine>& lines, const TAxisSizes& axis, int32_t first, int32_t end, int32_t limit,
                             const std::function<int32_t(int32_t)>& startOf) {
        lines.clear();
        for (int32_t index = first; index < end; ++index) {
            const int32_t start = startOf(index);
            if (start >= limit) break;
            const int32_t size = axis.Size(index);
            if (size > 0) lines.push_back({index, start, start + size});
        }
    }
    void CollectRows(bool frozen, int32_t limit) {
        const int32_t pane = frozen ? 0 : FGeometry.FrozenRows();
        CollectLines(FRows, FGeometry.Rows(), frozen ? 0 : FScene.View.TopRow(), frozen ? FGeometry.FrozenRows() : FSheet.RowCount,
                     limit, [&](int32_t row) { return FScene.View.RowY(row, pane); });
    }
    void CollectCols(bool frozen, int32_t limit) {
        const int32_t pane = frozen ? 0 : FGeometry.FrozenCols();
        CollectLines(FCols, FGeometry.Cols(), frozen ? 0 : FScene.View.LeftCol(), frozen ? FGeometry.FrozenCols() : FSheet.ColCount,
                     limit, [&](int32_t col) { return FScene.View.ColumnX(col, pane); });
    }

    // Headers: the corner, the column letters and the row numbers, in the viewer's font.
    void PaintHeaders() {
        UseFont(FLook.FontName, FLook.FontSize, TFontStyle{});
        const TRect& grid = FScene.Grid;
        const TRect& cells = FScene.View.Cells();
        PaintHeaderCell(TRect{grid.Left, grid.Top, cells.Left, cells.Top}, u"");
        for (const bool frozen : {true, false}) {
            CollectCols(frozen, grid.Right);
            for (const TLine& col : FCols) PaintHeaderCell(TRect{col.Start, grid.Top, col.End, cells.Top}, ColumnIndexToLetters(col.Index));
            CollectRows(frozen, grid.Bottom);
            for (const TLine& row : FRows) PaintHeaderCell(TRect{grid.Left, row.Start, cells.Left, row.End}, IntToText(int64_t(row.Index) + 1));
        }
    }

    void PaintHeaderCell(const TRect& rect, const std::u16string& text) {
        FCanvas.FillRect(rect, FLook.HeaderColor);
        FCanvas.OutlineRect(rect, GridLine);
        const TRect inner{rect.Left + 4, rect.Top + 2, rect.Right - 4, rect.Bottom - 2};
        const int32_t y = rect.Top + (rect.Height() - FCanvas.TextExtent(text).Height) / 2;
        FCanvas.TextClipped(inner, TPoint{rect.Left + 4, y}, text, Black, FLook.HeaderColor);
    }

    // One of the four panes: the frozen rows or the scrolled ones, by the frozen columns or the
    // scrolled ones.
    void PaintPane(bool frozenRows, bool frozenCols) {
        const TViewport& view = FScene.View;
        const TRect& cells = view.Cells();
        const TRect clip{frozenCols ? cells.Left : view.ScrolledLeft(), frozenRows ? cells.Top : view.ScrolledTop(),
                         frozenCols ? std::min(view.ScrolledLeft(), cells.Right) : cells.Right,
                         frozenRows ? std::min(view.ScrolledTop(), cells.Bottom) : cells.Bottom};
        if (clip.Width() <= 0 || clip.Height() <= 0) return;
        FRowPane = frozenRows ? 0 : FGeometry.FrozenRows();
        FColPane = frozenCols ? 0 : FGeometry.FrozenCols();
        CollectRows(frozenRows, clip.Bottom);
        CollectCols(frozenCols, clip.Right);
        if (FRows.empty() || FCols.empty()) return;
        FCanvas.SetClip(clip);
        CollectCells();
        FRunsIn.clear();
        for (size_t row = 0; row < FRows.size(); ++row) FindRunsOn(row, frozenCols);
        PaintBackgrounds();
        PaintGridLines();
        PaintBorders();
        PaintTexts();
        PaintRangeFrame(clip);
    }

    bool InRange(int32_t row, int32_t col) const {
        return !FScene.Selection.IsSingleCell() && FScene.Selection.Contains(col, row);
    }

    // Two pixels of a darker shade of the selection colour over the outer edges of a range's cells, as
    // this pane places them; an edge beyond the pane runs on past it.
    void PaintRangeFrame(const TRect& clip) {
        const TCellRange& range = FScene.Selection;
        if (range.IsSingleCell()) return;
        const TViewport& view = FScene.View;
        const TRect frame{std::max(view.ColumnX(range.Left, FColPane), clip.Left - 2),
                          std::max(view.RowY(range.Top, FRowPane), clip.Top - 2),
                          std::min(view.ColumnX(range.Right + 1, FColPane), clip.Right + 2),
                          std::min(view.RowY(range.Bottom + 1, FRowPane), clip.Bottom + 2)};
        if (frame.Right <= clip.Left || frame.Bottom <= clip.Top || frame.Left >= clip.Right || frame.Top >= clip.Bottom) return;
        const TColor selection = FLook.SelectionColor;
        const TColor shade = RgbColor(uint8_t((selection & 0xFF) * 2 / 5), uint8_t(((selection >> 8) & 0xFF) * 2 / 5),
                                      uint8_t(((selection >> 16) & 0xFF) * 2 / 5));
        FCanvas.OutlineRect(frame, shade);
        FCanvas.OutlineRect(TRect{frame.Left + 1, frame.Top + 1, frame.Right - 1, frame.Bottom - 1}, shade);
    }

    TCellInfo& Cell(size_t row, size_t col) { return FCells[row * FCols.size() + col]; }

    TRect AreaRect(const TGridArea& area) const {
        const TViewport& view = FScene.View;
        return TRect{view.ColumnX(area.FirstCol, FColPane), view.RowY(area.FirstRow, FRowPane),
                     view.ColumnX(area.LastCol + 1, FColPane), view.RowY(area.LastRow + 1, FRowPane)};
    }

    TCellInfo Describe(int32_t row, int32_t col, const TRect& rect) const {
        TCellInfo info;
        info.Row = row;
        info.Col = col;
        info.Rect = rect;
        info.TextRight = rect.Right;
        info.Style = &FStyles.Style(FSheet.StyleIndex(row, col));
        info.Font = &FStyles.Font(info.Style->Font);
        info.Kind = FSheet.Kind(row, col);
        info.Shown = FScene.Workbook.ShownText(FScene.SheetIndex, row, col);
        info.Align = Resolved(info.Style->Horizontal, info.Kind);
        std::optional<TColor> highlight;
        if (!FScene.Highlights.empty()) {
            const auto found = FScene.Highlights.find(CellKey(FScene.SheetIndex, row, col));
            if (found != FScene.Highlights.end()) highlight = found->second;
        }
        // A single cell is drawn in the selection colour; in a range every cell but the active one is.
        const bool active = row == FScene.SelectedRow && col == FScene.SelectedCol;
        const bool selected = InRange(row, col) ? !active : active;
        if (selected) info.Background = FLook.SelectionColor;
        else if (highlight) info.Background = *highlight;
        else if (info.Style->Fill) info.Background = *info.Style->Fill;
        info.Filled = selected || highlight || info.Style->Fill;
        info.Marked = selected || highlight;
        return info;
    }

    // The cells of the pane, and its merged areas, each described once by its first cell.
    void CollectCells() {
        FCells.clear();
        FMerges.clear();
        for (size_t r = 0; r < FRows.size(); ++r) {
            for (size_t c = 0; c < FCols.size(); ++c) {
                const TRect rect{FCols[c].Start, FRows[r].Start, FCols[c].End, FRows[r].End};
                const TGridArea* merge = FGeometry.MergeAt(FRows[r].Index, FCols[c].Index);
                if (!merge) {
                    FCells.push_back(Describe(FRows[r].Index, FCols[c].Index, rect));
                    continue;
                }
                TCellInfo& inside = FCells.emplace_back();
                inside.Merge = merge;
                inside.Rect = rect;
                // The area's first cell that the pane shows meets it first.
                const bool first = (r == 0 || FRows[r - 1].Index < merge->FirstRow) && (c == 0 || FCols[c - 1].Index < merge->FirstCol);
                if (!first) continue;
                TCellInfo area = Describe(merge->FirstRow, merge->FirstCol, AreaRect(*merge));
                area.Merge = merge;
                FMerges.push_back(std::move(area));
            }
        }
    }

    bool RunsOn(const TCellInfo& info) const {
        return !info.Merge && info.Align == THorizontalAlign::Left && !info.Style->Wrap && !info.Shown.Fill &&
               info.Kind == TCellKind::Text && !info.Shown.Text.empty();
    }

    int32_t IndentPixels(const TCellInfo& info) const {
        return int32_t(std::lround(std::min(info.Style->Indent, int32_t(250)) * IndentStep * FLook.Zoom));
    }

    // The text of runner runs on over the empty cells of the row from column `from` on, as far as
    // it needs or until a cell holds something.
    void RunOnto(TCellInfo& runner, size_t row, size_t from, int32_t needed, bool centredAcross) {
        TCellInfo* last = &runner;
        size_t c = from;
        for (; c < FCols.size() && runner.TextRight - runner.Rect.Left < needed; ++c) {
            TCellInfo& next = Cell(row, c);
            if (next.Merge || !next.Shown.Text.empty()) break;
            if (centredAcross && next.Style->Horizontal != THorizontalAlign::CenterContinuous) break;
            last->RunsOnRight = true;
            runner.TextRight = next.Rect.Right;
            last = &next;
        }
        // Past the pane's last column lie the grid's end, with no cells, or the pane's edge, which cuts it.
        if (c == FCols.size() && !centredAcross && runner.TextRight - runner.Rect.Left < needed) {
            last->RunsOnRight = true;
            runner.TextRight = runner.Rect.Left + needed;
        }
    }

    void FindRunsOn(size_t row, bool frozenCols) {
        const int32_t rowIndex = FRows[row].Index;
        // A text left of the pane may run on into it, over the empty cells before its first column:
        // one scrolled out of view, or one of the frozen columns while the columns are not scrolled.
        const TCellInfo& first = Cell(row, 0);
        if (!first.Merge && first.Shown.Text.empty()) {
            const bool scrolled = FScene.View.LeftCol() > FGeometry.FrozenCols();
            const int32_t lowest = frozenCols || !scrolled ? 0 : FGeometry.FrozenCols();
            for (int32_t col = FCols[0].Index - 1; col >= lowest; --col) {
                if (FGeometry.MergeAt(rowIndex, col)) break;
                if (FSheet.Text(rowIndex, col).empty()) continue;
                const TViewport& view = FScene.View;
                TCellInfo runner = Describe(rowIndex, col, TRect{view.ColumnX(col, FColPane), FRows[row].Start,
                                                                 view.ColumnX(col + 1, FColPane), FRows[row].End});
                if (!RunsOn(runner)) break;
                UseFont(*runner.Font);
                const int32_t needed = TextRoomNeeded(FCanvas, runner.Shown.Text, IndentPixels(runner));
                runner.TextRight = FCols[0].Start;
                if (runner.TextRight - runner.Rect.Left >= needed) break;
                RunOnto(runner, row, 0, needed, false);
                FRunsIn.push_back(std::move(runner));
                break;
            }
        }
        for (size_t c = 0; c < FCols.size(); ++c) {
            TCellInfo& info = Cell(row, c);
            if (info.Merge || info.Shown.Text.empty()) continue;
            if (info.Align == THorizontalAlign::CenterContinuous) {
                RunOnto(info, row, c + 1, INT32_MAX, true);
                continue;
            }
            if (!RunsOn(info)) continue;
            UseFont(*info.Font);
            const int32_t needed = TextRoomNeeded(FCanvas, info.Shown.Text, IndentPixels(info));
            if (needed > info.Rect.Width()) RunOnto(info, row, c + 1, needed, false);
        }
    }

    void PaintBackgrounds() {
        for (const TCellInfo& info : FCells) {
            if (!info.Merge && info.Background != White) FCanvas.FillRect(info.Rect, info.Background);
        }
        for (const TCellInfo& area : FMerges) FCanvas.FillRect(area.Rect, area.Background);
    }

    // Grid lines on the right and bottom edges of what has no fill; the selection and highlights outlined.
    void PaintGridLines() {
        auto lines = [&](const TCellInfo& info) {
            if (!FLook.ShowGridLines || info.Filled) return;
            const TRect& r = info.Rect;
            if (!info.RunsOnRight) FCanvas.FillRect(TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, GridLine);
            FCanvas.FillRect(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, GridLine);
        };
        for (const TCellInfo& info : FCells) {
            if (!info.Merge) lines(info);
        }
        for (const TCellInfo& area : FMerges) lines(area);
        for (const TCellInfo& info : FCells) {
            if (!info.Merge && info.Marked) FCanvas.OutlineRect(info.Rect, GridLine);
        }
        for (const TCellInfo& area : FMerges) {
            if (area.Marked) FCanvas.OutlineRect(area.Rect, GridLine);
        }
    }

    const TCellBorders& BordersOf(int32_t row, int32_t col) const {
        return FStyles.Borders(FStyles.Style(FSheet.StyleIndex(row, col)).Borders);
    }

    // A border on the edge at `at` (the first pixel past the edge's cell), from `from` to `to`: thin
    // lines on the cell's last pixel, heavier ones widening to both sides.
    void DrawEdge(bool vertical, int32_t at, int32_t from, int32_t to, const TBorderSide& side) {
        const TColor color = side.Color.value_or(Black);
        auto band = [&](int32_t offset, int32_t thickness) {
            FCanvas.FillRect(vertical ? TRect{at + offset, from, at + offset + thickness, to}
                                      : TRect{from, at + offset, to, at + offset + thickness},
                             color);
        };
        auto pattern = [&](int32_t dash, int32_t gap) {
            FCanvas.PatternLine(vertical ? TPoint{at - 1, from} : TPoint{from, at - 1},
                                vertical ? TPoint{at - 1, to} : TPoint{to, at - 1}, color, dash, gap);
        };
        switch (side.Line) {
        case TBorderLine::None: break;
        case TBorderLine::Thin: band(-1, 1); break;
        case TBorderLine::Medium: band(-1, 2); break;
        case TBorderLine::Thick: band(-2, 3); break;
        case TBorderLine::Double:
            band(-2, 1);
            band(0, 1);
            break;
        case TBorderLine::Hair: pattern(1, 1); break;
        case TBorderLine::Dotted: pattern(1, 2); break;
        case TBorderLine::Dashed: pattern(3, 2); break;
        }
    }

    // Every edge of the pane's cells once: the right and bottom ones of each cell, and the left and top
    // ones of the pane's first column and row; none inside a merged area.
    void PaintBorders() {
        for (size_t r = 0; r < FRows.size(); ++r) {
            for (size_t c = 0; c < FCols.size(); ++c) {
                const int32_t row = FRows[r].Index;
                const int32_t col = FCols[c].Index;
                const TCellInfo& info = Cell(r, c);
                const TRect& rect = info.Rect;
                const TGridArea* merge = info.Merge;
                auto inside = [&](int32_t otherRow, int32_t otherCol) { return merge && merge->Contains(otherRow, otherCol); };
                const TCellBorders& own = BordersOf(row, col);
                if (!inside(row, col + 1)) {
                    DrawEdge(true, rect.Right, rect.Top, rect.Bottom, Heavier(own.Right, BordersOf(row, col + 1).Left));
                }
                if (!inside(row + 1, col)) {
                    DrawEdge(false, rect.Bottom, rect.Left, rect.Right, Heavier(own.Bottom, BordersOf(row + 1, col).Top));
                }
                if (c == 0 && !inside(row, col - 1)) {
                    DrawEdge(true, rect.Left + 1, rect.Top, rect.Bottom, Heavier(own.Left, BordersOf(row, col - 1).Right));
                }
                if (r == 0 && !inside(row - 1, col)) {
                    DrawEdge(false, rect.Top + 1, rect.Left, rect.Right, Heavier(own.Top, BordersOf(row - 1, col).Bottom));
                }
            }
        }
    }

    void PaintTexts() {
        for (const TCellInfo& runner : FRunsIn) PaintText(runner);
        for (const TCellInfo& info : FCells) {
            if (!info.Merge && !info.Shown.Text.empty()) PaintText(info);
        }
        for (const TCellInfo& area : FMerges) {
            if (!area.Shown.Text.empty()) PaintText(area);
        }
    }

    void PaintText(const TCellInfo& info) {
        UseFont(*info.Font);
        // The format's colour wins over the font's.
        const TColor color = info.Shown.Color ? TColor(*info.Shown.Color) : info.Font->Color.value_or(Black);
        TTextBox box;
        box.Rect = info.Rect;
        if (info.Align == THorizontalAlign::CenterContinuous) box.Rect.Right = info.TextRight;
        box.Horizontal = info.Align;
        box.Vertical = info.Style->Vertical;
        box.Wrap = info.Style->Wrap;
        box.Indent = IndentPixels(info);
        const TRect clip{info.Rect.Left + 1, info.Rect.Top + 1, info.TextRight - 1, info.Rect.Bottom - 1};
        if (!info.Shown.Fill) return DrawCellText(FCanvas, info.Shown.Text, box, clip, color);
        const std::u16string filled =
            FilledToWidth(FCanvas, info.Shown.Text, info.Shown.Fill, info.Shown.FillAt, info.Rect.Width() - 8);
        DrawCellText(FCanvas, filled, box, clip, color);
    }

    void PaintDividers() {
        const TViewport& view = FScene.View;
        const TRect& cells = view.Cells();
        if (FGeometry.FrozenCols() > 0 && view.ScrolledLeft() <= cells.Right) {
            FCanvas.FillRect(TRect{view.ScrolledLeft() - 1, cells.Top, view.ScrolledLeft(), cells.Bottom}, PaneDivider);
        }
        if (FGeometry.FrozenRows() > 0 && view.ScrolledTop() <= cells.Bottom) {
            FCanvas.FillRect(TRect{cells.Left, view.ScrolledTop() - 1, cells.Right, view.ScrolledTop()}, PaneDivider);
        }
    }

    // A cell in the workbook's default font is shown in the viewer's font; another font, size,
    // weight or slant as the workbook names it, at the viewer's zoom.
    void UseFont(const TCellFont& font) {
        const TCellFont& normal = FStyles.DefaultFont();
        const bool ownFace = !font.Name.empty() && font.Name != normal.Name;
        const bool ownSize = font.Size != normal.Size;
        const TFontStyle style{font.Bold, font.Italic, font.Underline, font.Strike};
        if (!ownFace && !ownSize) return UseFont(FLook.FontName, FLook.FontSize, style);
        const std::u16string& face = !font.Name.empty() ? font.Name : !normal.Name.empty() ? normal.Name : FLook.FontName;
        UseFont(face, std::max(font.Size * FLook.Zoom, 1.0), style);
    }

    void UseFont(const std::u16string& face, double size, TFontStyle style) {
        if (FFace == &face && FSize == size && FStyle == style) return;
        FCanvas.SetFont(face, size, style);
        FFace = &face;
        FSize = size;
        FStyle = style;
    }

    TCanvas& FCanvas;
    const TGridScene& FScene;
    const TGridLook& FLook;
    const TXlsxSheet& FSheet;
    const TCellStyles& FStyles;
    const TSheetGeometry& FGeometry;
    // The pane being painted: its rows and columns, their cells row by row, the merged areas met, the
    // texts that run on into it from its left, and the index that places each of its axes.
    std::vector<TLine> FRows, FCols;
    std::vector<TCellInfo> FCells, FMerges, FRunsIn;
    int32_t FRowPane = 0, FColPane = 0;
    // The font the canvas has.
    const std::u16string* FFace = nullptr;
    double FSize = 0;
    TFontStyle FStyle;
};

} // namespace

void PaintSheetGrid(TCanvas& canvas, const TGridScene& scene, const TGridLook& look) {
    TGridPainter(canvas, scene, look).Paint();
}

} // namespace tabulix
