#include "workbook/SheetLayout.h"

#include <algorithm>
#include <cmath>

namespace tabulix {

std::optional<double> TSheetLayout::ColumnWidth(int32_t col) const {
    for (const TColumnRun& run : Columns)
        if (col >= run.First && col <= run.Last) return run.Width;
    return std::nullopt;
}

bool TSheetLayout::ColumnHidden(int32_t col) const {
    for (const TColumnRun& run : Columns)
        if (col >= run.First && col <= run.Last) return run.Hidden;
    return false;
}

static const TRowSize* FindRow(const std::vector<TRowSize>& rows, int32_t row) {
    const auto it = std::lower_bound(rows.begin(), rows.end(), row,
                                     [](const TRowSize& size, int32_t wanted) { return size.Row < wanted; });
    return it != rows.end() && it->Row == row ? &*it : nullptr;
}

std::optional<double> TSheetLayout::RowHeight(int32_t row) const {
    const TRowSize* size = FindRow(Rows, row);
    return size ? size->Height : std::nullopt;
}

bool TSheetLayout::RowHidden(int32_t row) const {
    const TRowSize* size = FindRow(Rows, row);
    return size && size->Hidden;
}

const TGridArea* TSheetLayout::MergeAt(int32_t row, int32_t col) const {
    for (const TGridArea& area : Merges)
        if (area.Contains(row, col)) return &area;
    return nullptr;
}

int32_t ColumnWidthPixels(double widthInCharacters, int32_t maxDigitWidth) {
    if (maxDigitWidth <= 0 || !(widthInCharacters > 0)) return 0;
    const double padded = (256.0 * widthInCharacters + std::trunc(128.0 / maxDigitWidth)) / 256.0;
    return int32_t(std::min(std::trunc(padded * maxDigitWidth), 65535.0));
}

std::optional<int32_t> DefaultColumnPixels(const TSheetLayout& layout, int32_t maxDigitWidth) {
    if (!layout.HasFormat) return std::nullopt;
    if (layout.DefaultColWidth) return ColumnWidthPixels(*layout.DefaultColWidth, maxDigitWidth);
    const double base = std::clamp(layout.BaseColWidth, 0.0, 255.0);
    const int32_t pixels = int32_t(std::trunc(base * maxDigitWidth)) + 5;
    return (pixels + 7) / 8 * 8;
}

int32_t RowHeightPixels(double points) {
    if (!(points > 0)) return 0;
    return int32_t(std::lround(std::min(points, 409.5) * 96.0 / 72.0));
}

TCellStyles::TCellStyles() = default;

const TCellStyle& TCellStyles::Style(int32_t styleIndex) const {
    return styleIndex >= 0 && size_t(styleIndex) < FStyles.size() ? FStyles[size_t(styleIndex)] : FDefaultStyle;
}

const TCellFont& TCellStyles::Font(int32_t fontIndex) const {
    return fontIndex >= 0 && size_t(fontIndex) < FFonts.size() ? FFonts[size_t(fontIndex)] : FDefaultFont;
}

const TCellBorders& TCellStyles::Borders(int32_t bordersIndex) const {
    return bordersIndex >= 0 && size_t(bordersIndex) < FBorders.size() ? FBorders[size_t(bordersIndex)] : FNoBorders;
}

const TCellFont& TCellStyles::DefaultFont() const { return FDefaultFont; }

bool TCellStyles::IsPlain(int32_t styleIndex) const {
    const TCellStyle& style = Style(styleIndex);
    return Font(style.Font) == FDefaultFont && !style.Fill && Borders(style.Borders) == FNoBorders &&
           style.Horizontal == THorizontalAlign::General && style.Vertical == TVerticalAlign::Bottom &&
           !style.Wrap && style.Indent == 0;
}

} // namespace tabulix
