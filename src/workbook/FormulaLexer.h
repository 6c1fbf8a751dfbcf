#pragma once

// Reading the cell references of A1-style formulas as workbook parts store them (no leading "="), and
// of the attributes that name cells or ranges. Texts are UTF-8, as the parts hold them.

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulix {

// The largest row and column numbers a reference can name, 0-based: row 1048576 and column XFD.
constexpr int64_t LastSheetRow = 1048575;
constexpr int64_t LastSheetCol = 16383;

// One corner of an area, 0-based, and whether each part is absolute ($) as written.
struct TAreaCorner {
    int64_t Row = 0;
    int64_t Col = 0;
    bool RowAbsolute = false;
    bool ColAbsolute = false;
};

// What a reference names: one cell (A1), a range (A1:B2), whole columns (A:C, every row) or whole rows
// (3:5, every column). A cell has First == Last; whole columns leave the rows of their corners unused,
// whole rows the columns.
enum class TAreaShape : uint8_t { Cell, Range, Columns, Rows };

struct TCellArea {
    TAreaShape Shape = TAreaShape::Cell;
    TAreaCorner First;
    TAreaCorner Last;

    // Whether the area's extent along rows (or columns) is written, rather than spanning the sheet.
    bool HasRows() const { return Shape != TAreaShape::Columns; }
    bool HasCols() const { return Shape != TAreaShape::Rows; }
};

// Which sheets a reference in a formula names.
enum class TSheetScope : uint8_t {
    Home,      // none written: the sheet the formula stands on
    Sheet,     // Sheet2!A1, 'My Sheet'!A1
    SheetSpan, // Sheet1:Sheet3!A1, 'Sheet 1:Sheet 3'!A1, the same cells on every sheet between the two
    External,  // [1]Sheet1!A1, '[1]My Sheet'!A1: another workbook
};

// A reference found in a formula: the text from Begin to End, its area written from AreaBegin on
// (after the sheet prefix and its "!"). The sheet names are views into the formula as written: when
// Quoted, a quote inside a name is written twice.
struct TFormulaReference {
    size_t Begin = 0;
    size_t AreaBegin = 0;
    size_t End = 0;
    TSheetScope Scope = TSheetScope::Home;
    bool Quoted = false;
    std::string_view FirstSheet;
    std::string_view LastSheet; // the same as FirstSheet unless Scope is SheetSpan
    TCellArea Area;
};

// Walks a formula from reference to reference. Everything else is read to be passed over as it is:
// strings, numbers, error literals, names (defined names, TRUE, function names, LOG10 or ATAN2 as well
// when "(" follows), sheet-qualified names and #REF!, structured references to tables (Table1[Col],
// [@Col], Table1[[#This Row],[A]]), array constants and operators. A formula that cannot be read to
// its end (an unknown character, an open string, quote, bracket, brace or parenthesis) is Failed, and
// the references given before then must not be acted on.
class TFormulaLexer {
public:
    explicit TFormulaLexer(std::string_view formula) : FText(formula) {}

    // The next reference; false at the end of the formula or when it cannot be read.
    bool Next(TFormulaReference& reference);
    bool Failed() const { return FFailed; }

private:
    bool Fail() {
        FFailed = true;
        return false;
    }
    // One token other than a reference from FPos on; false when there is none that fits.
    bool SkipToken();
    // A reference or a name starting at FPos with a letter, digit, "$" and the like; true with a
    // reference, false when FPos moved past a name or number (or the formula failed).
    bool ReadWord(TFormulaReference& reference);
    bool ReadQuotedPrefix(TFormulaReference& reference);
    bool ReadBracket(TFormulaReference& reference);
    // What follows a sheet prefix's "!": an area (true), or #REF! or a sheet-level name (false).
    bool ReadAfterPrefix(TFormulaReference& reference);
    bool SkipErrorLiteral();
    bool SkipNumber();

    std::string_view FText;
    size_t FPos = 0;
    int FDepth = 0; // open parentheses
    bool FFailed = false;
};

// Reads an area from pos: A1, $A$1, A1:B2, A:C, 3:5, ending where no name could go on. Gives the
// position after it, or 0 when no area starts at pos.
size_t MatchArea(std::string_view text, size_t pos, TCellArea& area);
// The whole text as one area, as attributes hold them (ref, sqref items, topLeftCell).
bool ParseAreaText(std::string_view text, TCellArea& area);
// Appends the area as A1 text, with "$" where its parts are absolute.
void AppendAreaText(std::string& out, const TCellArea& area);

// Whether a sheet name as written in a formula (inside quotes when quoted, a quote written twice)
// is name, ignoring the case of ASCII letters as the file format does.
bool IsSameSheet(std::string_view written, bool quoted, std::string_view name);

} // namespace tabulix
