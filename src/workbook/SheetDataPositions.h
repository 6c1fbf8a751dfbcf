#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <optional>

namespace tabulix {

// Where the rows and cells of a sheetData stand: the one rule that loading, sizing and every edit
// follow, whatever program wrote the part.
//
// Only the row children of sheetData are rows, and only the c children of a row are cells; anything
// else (a row's extLst) is never numbered, moved or given a reference. A row element whose r is not a
// decimal integer, or which has none (streaming writers leave it out), is the row after the previous
// row element; the first is row 1. A c element without r stands in its row element's row, in the
// column after the previous cell of that row element (the first in column A). A c element whose r is
// present but unusable stands nowhere: it is skipped, and the next cell counts from the one before it.

bool IsRowElement(const pugi::xml_node& node);
bool IsCellElement(const pugi::xml_node& node);
pugi::xml_node FirstRow(const pugi::xml_node& sheetData);
pugi::xml_node NextRow(const pugi::xml_node& row);
pugi::xml_node LastRow(const pugi::xml_node& sheetData);
pugi::xml_node FirstCell(const pugi::xml_node& row);
pugi::xml_node NextCell(const pugi::xml_node& cell);
pugi::xml_node LastCell(const pugi::xml_node& row);

// The first attribute of a one-letter name, found without comparing strings: loading and structural
// edits look at the reference of every cell.
pugi::xml_attribute AttributeNamed(const pugi::xml_node& element, char name);

// Numbers the row elements of a sheetData in document order.
class TRowNumbering {
public:
    // The number of the next row element, given its r attribute (null when it has none).
    int64_t Next(const char* r);
    int64_t Next(const pugi::xml_node& row);

private:
    int64_t FPrevious = 0;
};

// A cell's place: 0-based column, 1-based row number.
struct TCellPosition {
    int64_t Col = 0;
    int64_t RowNumber = 0;
};

// Places the c elements of one row element in document order.
class TCellPlacing {
public:
    explicit TCellPlacing(int64_t rowNumber) : FRowNumber(rowNumber) {}
    // The place of the next cell, given its r attribute (null when it has none); none when its r is
    // present but unusable.
    std::optional<TCellPosition> Next(const char* r);
    std::optional<TCellPosition> Next(const pugi::xml_node& cell);

private:
    int64_t FRowNumber;
    int64_t FPreviousCol = -1;
};

// A row number or a cell reference written into a buffer of its own, without building a string.
class TDecimalText {
public:
    explicit TDecimalText(int64_t value);
    const char* c_str() const { return FText; }

private:
    char FText[24];
};

class TCellRefText {
public:
    TCellRefText(int64_t col, int64_t rowNumber);
    const char* c_str() const { return FText; }

private:
    char FText[40];
};

} // namespace tabulix
