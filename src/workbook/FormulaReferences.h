#pragma once

// What structural edits, copies and sorts do to the references of formulas and of the attributes that
// name cells. Formulas are A1-style texts as workbook parts store them (no leading "="); every text,
// sheet names included, is UTF-8 as the parts hold it. Sheet names match ignoring the case of ASCII
// letters, as the file format does.
//
// The rewriting functions write a new text into out only when something moved; out keeps its
// capacity from call to call, so a caller that reuses it allocates nothing once it is large enough, and
// a text in which nothing moves costs no allocation at all. The text read must not be a view into out.

#include "workbook/FormulaLexer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulix {

// What rewriting a formula gave. When Changed is false the formula stays as it is, because nothing in
// it moved or because it could not be read, and out holds nothing of use.
struct TFormulaChange {
    bool Changed = false;
    // A reference in it became #REF! (so its value is now that error, unless a function catches it).
    bool RefErrorAdded = false;
};

// What rewriting an attribute that names cells gave.
enum class TRangeChange : uint8_t {
    Unchanged, // nothing in it moved, or it is not a list of areas: it stays as it is
    Changed,   // out holds the new text
    Deleted,   // every cell it named was deleted or pushed off the sheet
};

enum class TEditAxis : uint8_t { Rows, Columns };

// What moving the cells an area names did to it: Moved when it names other cells now, Deleted when it
// names none.
enum class TAreaMove : uint8_t { Unchanged, Moved, Deleted };

// Rows or columns inserted into or deleted from one worksheet, and what that does to the references
// that name its cells. Both the relative and the absolute parts of a reference move with their cells.
//
// Inserting before an area's first row moves it, inserting inside it (after its first row, up to its
// last) grows it, inserting after it leaves it. Deleting some of an area's rows shrinks it; deleting
// every one of them, or deleting a single cell, turns the reference into #REF! (Sheet1!#REF! when it
// names its sheet). A cell, or an area's first row, pushed past the sheet's last row becomes #REF!;
// an area's last row stops at the sheet's last row, and an area reaching that row keeps reaching it
// when rows are inserted or deleted above it; an area spanning every row does not move. The same
// holds for columns. A reference to Sheet1:Sheet3 moves only when both of its sheets are the edited
// one, since the edit changes one sheet of the span and not the others; references to other workbooks
// never move.
class TReferenceShift {
public:
    // count rows (or columns) inserted before the 0-based position at, or deleted from it on, in the
    // sheet named sheetName. A position outside the sheet is brought into it; a count below one
    // moves nothing.
    static TReferenceShift Insertion(std::string_view sheetName, TEditAxis axis, int64_t at, int64_t count = 1);
    static TReferenceShift Deletion(std::string_view sheetName, TEditAxis axis, int64_t at, int64_t count = 1);

    bool IsEditedSheet(std::string_view sheetName) const { return IsSameSheet(sheetName, false, FSheetName); }
    bool Inserting() const { return FInserting; }
    TEditAxis Axis() const { return FAxis; }
    // The first row (or column) inserted or deleted, and how many, as brought into the sheet.
    int64_t At() const { return FAt; }
    int64_t Count() const { return FCount; }
    bool Deletes(int64_t index) const { return !FInserting && index >= FAt && index < FAt + FCount; }
    // Where what stands at index after the edit stood before it; an inserted row (or column) counts as
    // the one it was inserted before.
    int64_t SourceIndex(int64_t index) const;

    // A formula standing on the sheet named homeSheet, whose unqualified references name that sheet's
    // cells; an empty homeSheet for a defined name or a chart series, whose unqualified references
    // move with nothing.
    TFormulaChange RewriteFormula(std::string_view formula, std::string_view homeSheet, std::string& out) const;
    // One cell or area of the edited sheet (A1, A1:C9; $ allowed), as a dimension, a hyperlink, an
    // autoFilter, a table, a merged range, a pane's top left cell or a selection's active cell holds it.
    TRangeChange RewriteRange(std::string_view ref, std::string& out) const;
    // A list of areas of the edited sheet separated by spaces, as conditional formats, validations and
    // selections hold them: each moves or shrinks, wholly deleted ones are dropped, and the kept ones
    // are written separated by single spaces.
    TRangeChange RewriteRangeList(std::string_view sqref, std::string& out) const;
    // Where a row (or column) index of the edited sheet along the edit's axis ends up, for an object
    // anchored there: an anchor in deleted rows lands on the first row after them, one pushed past the
    // sheet's end stays at its last row.
    int64_t MoveIndex(int64_t index) const;

private:
    TReferenceShift(std::string_view sheetName, bool inserting, TEditAxis axis, int64_t at, int64_t count);
    TAreaMove MoveArea(TCellArea& area) const;
    TAreaMove MoveSpan(int64_t& low, int64_t& high, bool isArea) const;
    int64_t LastIndex() const { return FAxis == TEditAxis::Rows ? LastSheetRow : LastSheetCol; }

    std::string FSheetName;
    bool FInserting;
    TEditAxis FAxis;
    int64_t FAt;
    int64_t FCount;
};

// A formula written for one cell, as it reads when copied to a cell rowOffset rows and colOffset
// columns away: the relative parts of every reference (to other sheets and workbooks too) move by the
// offset, the absolute ones stay. A reference that would leave the sheet becomes #REF!. For a shared
// formula whose first cell goes, the text of its next cell.
TFormulaChange TranslateFormula(std::string_view formula, int64_t rowOffset, int64_t colOffset, std::string& out);

// A formula on the sheet named homeSheet whose cell moves, with its row, from 0-based row oldRow to
// newRow (sorting): references to cells of its own row whose row part is relative follow it (B5 in
// row 5 becomes B9 in row 9, as does A5:C5 and 5:5); every other reference stays.
TFormulaChange FollowRowInFormula(std::string_view formula, std::string_view homeSheet, int64_t oldRow,
                                  int64_t newRow, std::string& out);

} // namespace tabulix
