#pragma once

// A worksheet part's layout read into a TSheetLayout, and the one change of it that column edits make
// in the part. Loading reads the rows' sizes as it streams the rows (TRowSizeReader); everything else
// lies outside sheetData and is read from the worksheet's root (ReadLayoutOutsideRows).

#include "workbook/SheetLayout.h"

#include <pugixml.hpp>

#include <cstdint>

namespace tabulix {

// How far a layout reaches: rows and columns from there on are never shown, so are not kept.
struct TLayoutReach {
    int64_t Rows = 0;
    int64_t Cols = 0;
};

// The sizes of the rows of one sheetData, row element by row element in document order: only rows that
// size themselves (ht) or hide, within reach.
class TRowSizeReader {
public:
    explicit TRowSizeReader(int64_t reachRows) : FReachRows(reachRows) {}
    // A row element and its 1-based number.
    void Read(const pugi::xml_node& row, int64_t rowNumber);
    // The rows in ascending order; of two elements for one row, the later.
    std::vector<TRowSize> Finish();

private:
    int64_t FReachRows;
    std::vector<TRowSize> FRows;
    bool FInOrder = true;
};

// sheetFormatPr, cols, the first sheetView and mergeCells of a worksheet's root; the rows are left as
// they are.
void ReadLayoutOutsideRows(const pugi::xml_node& worksheet, const TLayoutReach& reach, TSheetLayout& layout);

// The whole layout of a worksheet part as it stands, its rows' sizes included.
TSheetLayout ReadSheetLayout(const pugi::xml_node& worksheet, const TLayoutReach& reach);

// The part's cols moved as a column inserted or deleted at col (0-based) moves the columns: a run after
// it shifts, a run that began before an inserted column and reaches it takes it in (the new column is
// as wide as its left neighbour there), a run loses a deleted column and goes when nothing is left; a
// run reaching the sheet's last column keeps reaching it. Whether anything changed.
bool MoveColumnRuns(pugi::xml_node worksheet, int64_t col, bool insert);

} // namespace tabulix
