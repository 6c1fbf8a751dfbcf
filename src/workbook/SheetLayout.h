#pragma once

// How a worksheet's author laid it out and styled it, as the file gives it: sizes in the file's own
// units (characters and points), merged areas, frozen panes, and the workbook's cell styles with every
// colour resolved to RGB. Converting to pixels is left to whoever paints, who knows the font.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tabulix {

// A colour as RGB with red in the lowest byte, then green, then blue (the viewer's TColor).
using TRgb = uint32_t;

// A rectangle of cells, 0-based and inclusive.
struct TGridArea {
    int32_t FirstRow = 0, FirstCol = 0, LastRow = 0, LastCol = 0;
    bool Contains(int32_t row, int32_t col) const {
        return row >= FirstRow && row <= LastRow && col >= FirstCol && col <= LastCol;
    }
    bool operator==(const TGridArea& other) const = default;
};

// Columns First..Last (0-based, inclusive) of one cols/col element.
struct TColumnRun {
    int32_t First = 0, Last = 0;
    std::optional<double> Width; // in characters; none: the sheet's default width
    bool Hidden = false;
};

// A row that sizes itself (ht) or is hidden.
struct TRowSize {
    int32_t Row = 0;              // 0-based
    std::optional<double> Height; // in points; none: the sheet's default height
    bool Hidden = false;
};

struct TSheetLayout {
    // sheetFormatPr; without it the viewer's own default sizes apply.
    bool HasFormat = false;
    std::optional<double> DefaultColWidth;  // characters
    double BaseColWidth = 8;                // characters
    std::optional<double> DefaultRowHeight; // points
    std::vector<TColumnRun> Columns;        // ascending, not overlapping
    std::vector<TRowSize> Rows;             // ascending by row, only rows that size themselves or hide
    std::vector<TGridArea> Merges;          // as mergeCells lists them
    // The first sheetView's frozen pane (state frozen or frozenSplit): the rows and columns that stay.
    int32_t FrozenRows = 0, FrozenCols = 0;
    // The first sheetView: the cell at the top left of the scrolling part (pane topLeftCell, else the
    // view's topLeftCell); none for A1.
    std::optional<std::pair<int32_t, int32_t>> TopLeftCell; // row, column
    bool ShowGridLines = true;

    // The file's sizes of one column or row; none where the sheet's default applies.
    std::optional<double> ColumnWidth(int32_t col) const;
    bool ColumnHidden(int32_t col) const;
    std::optional<double> RowHeight(int32_t row) const;
    bool RowHidden(int32_t row) const;
    // The merged area the cell lies in, if any.
    const TGridArea* MergeAt(int32_t row, int32_t col) const;
};

// A width in characters as pixels, the way spreadsheet applications convert it, for a maximum digit
// width mdw in pixels (7 for an 11-point Calibri at 96 DPI): trunc(((256 W + trunc(128 / mdw)) / 256) mdw).
int32_t ColumnWidthPixels(double widthInCharacters, int32_t maxDigitWidth);
// The width of a column the sheet does not size: defaultColWidth converted as above, else
// baseColWidth x mdw + 5 pixels rounded up to a multiple of 8. None without sheetFormatPr.
std::optional<int32_t> DefaultColumnPixels(const TSheetLayout& layout, int32_t maxDigitWidth);
// A height in points as pixels at 96 DPI, rounded: 15 pt is 20 px.
int32_t RowHeightPixels(double points);

// ---------------------------------------------------------------------------------------------------
// Cell styles: cellXfs entries with their fonts, fills, borders and alignment resolved.

struct TCellFont {
    std::u16string Name;   // empty: the workbook's default font
    double Size = 11;      // points
    bool Bold = false, Italic = false, Underline = false, Strike = false;
    std::optional<TRgb> Color; // none: automatic (window text)
    bool operator==(const TCellFont& other) const = default;
};

enum class TBorderLine : uint8_t { None, Hair, Thin, Medium, Thick, Dashed, Dotted, Double };

struct TBorderSide {
    TBorderLine Line = TBorderLine::None;
    std::optional<TRgb> Color; // none: automatic (black)
    bool operator==(const TBorderSide& other) const = default;
};

struct TCellBorders {
    TBorderSide Left, Right, Top, Bottom;
    bool operator==(const TCellBorders& other) const = default;
};

enum class THorizontalAlign : uint8_t { General, Left, Center, Right, Fill, Justify, CenterContinuous, Distributed };
enum class TVerticalAlign : uint8_t { Bottom, Center, Top };

// One cellXfs entry, resolved.
struct TCellStyle {
    int32_t Font = 0;            // index into TCellStyles::Font
    std::optional<TRgb> Fill;    // the background; none: no fill
    int32_t Borders = 0;         // index into TCellStyles::Borders
    THorizontalAlign Horizontal = THorizontalAlign::General;
    TVerticalAlign Vertical = TVerticalAlign::Bottom;
    bool Wrap = false;
    int32_t Indent = 0;
};

// The workbook's styles. Every index is safe: one past the lists gives the default entry.
class TCellStyles {
public:
    TCellStyles();
    // By cellXfs index, as TXlsxSheet::StyleIndex gives it.
    const TCellStyle& Style(int32_t styleIndex) const;
    const TCellFont& Font(int32_t fontIndex) const;
    const TCellBorders& Borders(int32_t bordersIndex) const;
    // The font of the Normal style (cellStyleXfs 0, else font 0): cells in it are shown in the
    // viewer's grid font.
    const TCellFont& DefaultFont() const;
    // Whether a style differs from the default in anything the viewer paints.
    bool IsPlain(int32_t styleIndex) const;

private:
    friend class TXlsxWorkbook;
    std::vector<TCellStyle> FStyles;
    std::vector<TCellFont> FFonts;
    std::vector<TCellBorders> FBorders;
    TCellStyle FDefaultStyle;
    TCellFont FDefaultFont;
    TCellBorders FNoBorders;
};

// The reader's formatting of one cell: each field given changes that property of the cell's style and
// nothing else.
struct TFormattingChange {
    std::optional<bool> Bold, Italic, Underline;
    std::optional<THorizontalAlign> Horizontal;
};

} // namespace tabulix
