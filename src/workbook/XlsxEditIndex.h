#pragma once

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tabulix {

// The row elements of a sheetData whose cells may hold formulas, each with how many of its cells may
// at most: rows outside it hold none, and a row's cells past the last of its formulas need no look.
using TFormulaRows = std::unordered_map<const void*, size_t>;

// What edits know of the sheetData they last changed, so that repeated edits of a large worksheet need
// not walk all of it: the first row element of each number, while the rows stand in ascending order of
// their numbers, and the largest row number and column that any row or cell uses. Rows and cells stand
// where SheetDataPositions.h says. Whatever part of it is known must be what a fresh look at the
// sheetData would find (IndexFault tells).
struct TSheetDataIndex {
    pugi::xml_node SheetData;
    // Known only while the rows stand in ascending order: edits put them so.
    bool RowsKnown = false;
    std::vector<std::pair<int64_t, pugi::xml_node>> Rows; // by number, the first of each
    bool ExtentKnown = false;
    int64_t MaxRowNumber = 0;
    int64_t MaxCol = -1;
    // Whether any cell may hold a formula, and where: edits only ever remove formulas and never take a
    // cell out of its row element, so once a structural edit has looked at every cell, later ones need
    // look only for as many formulas as each row held (a row element since removed may stay named, and
    // a new one at its address, which holds none, is merely looked into).
    bool FormulasKnown = false;
    bool HasFormulas = true;
    TFormulaRows FormulaRows;
    // Whether every cell stands in the row its row element has: its reference names that row, or it
    // has none. Edits keep it so. Then inserting a row or sorting moves and renumbers row elements
    // only, and the references of their cells are written later, all at once (WriteDeferredReferences).
    bool FollowKnown = false;
    bool CellsFollowRows = false;
    // The row elements renumbered since their cells' references were last written: those references
    // still name the row each cell stood in before, and are written before anything reads the cells'
    // references or the part (the one sheetData row, an edit of another sheetData, saving, the part's
    // document handed out).
    std::unordered_set<const void*> DeferredRows;

    void Include(int64_t rowNumber, int64_t col) {
        MaxRowNumber = std::max(MaxRowNumber, rowNumber);
        MaxCol = std::max(MaxCol, col);
    }
};

// Rows read afresh from the sheetData; false, with the rows unknown, when they do not stand in
// ascending order.
bool IndexRows(TSheetDataIndex& index);

// A cell's formula: its first f child, whatever its prefix; null when it has none. Found without
// measuring names, since edits look at every cell.
pugi::xml_node FormulaElement(const pugi::xml_node& cell);
inline bool HasFormula(const pugi::xml_node& cell) { return bool(FormulaElement(cell)); }

// What is wrong with the index, measured against its sheetData afresh: the first fault found, empty
// when whatever it claims to know is true.
std::string IndexFault(const TSheetDataIndex& index);

// Writes the references that moves of whole rows left for later: every cell of a renumbered row gets
// the reference of its column in the row's number, exactly as a move that rewrote them at once would
// have written it. For one row, or for all of them.
void WriteDeferredReferences(TSheetDataIndex& index, const pugi::xml_node& row, int64_t rowNumber);
void WriteDeferredReferences(TSheetDataIndex& index);

} // namespace tabulix
