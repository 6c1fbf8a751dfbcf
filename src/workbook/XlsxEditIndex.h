#pragma once

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace tabulix {

// What edits know of the sheetData they last changed, so that repeated edits of a large worksheet need
// not walk all of it: the first row element of each number, while the rows stand in ascending order of
// their numbers, and the largest row number and column that any row or cell uses.
struct TSheetDataIndex {
    pugi::xml_node SheetData;
    bool RowsKnown = false;
    bool Ascending = false;
    std::vector<std::pair<int64_t, pugi::xml_node>> Rows; // by number, the first of each
    bool ExtentKnown = false;
    int64_t MaxRowNumber = 0;
    int64_t MaxCol = -1;
    // Whether any cell may hold a formula: edits only ever remove formulas, so once a structural edit
    // has looked at every cell and found none, later ones need not look for any.
    bool FormulasKnown = false;
    bool HasFormulas = true;

    void Include(int64_t rowNumber, int64_t col) {
        MaxRowNumber = std::max(MaxRowNumber, rowNumber);
        MaxCol = std::max(MaxCol, col);
    }
};

} // namespace tabulix
