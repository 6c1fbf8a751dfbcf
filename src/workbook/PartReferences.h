#pragma once

// The references that parts other than worksheets hold to a sheet's cells: the workbook's defined
// names, the formulas of chart series, the anchors of a sheet's drawing and the tables of a sheet.

#include "workbook/FormulaReferences.h"

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <vector>

namespace tabulix {

// The defined names of a workbook part (print areas and titles, filters, the author's names), each a
// formula that names its sheets. Returns whether one changed.
bool RewriteDefinedNames(const pugi::xml_node& workbook, const TReferenceShift& shift);

// The formulas of a chart part (the series' values, categories and titles, in every element named f).
bool RewriteChartFormulas(const pugi::xml_node& chart, const TReferenceShift& shift);

// The anchors of the objects of the edited sheet's drawing: the row (or column) each corner stands in
// moves with it; a corner in deleted rows moves to the first row after them, at its top. An object
// that moves without resizing keeps its size; one placed absolutely stays.
bool MoveDrawingAnchors(const pugi::xml_node& drawing, const TReferenceShift& shift);

// A table of the edited sheet, moved. Its area and filter move, grow and shrink; a column deleted
// inside it takes its table column away, a column inserted inside it gets a new one with a new name,
// which the header row must then show.
struct TTableMove {
    bool Changed = false;
    bool Deleted = false; // every cell of it was deleted: the table goes
    struct THeader {
        int64_t Row = 0, Col = 0; // 0-based
        std::string Name;
    };
    std::vector<THeader> NewHeaders;
};
TTableMove MoveTable(pugi::xml_node table, const TReferenceShift& shift);

// Why the edit may not touch the table, when it deletes the row of the table's header but not the
// whole table; none otherwise.
std::optional<std::u16string> RefuseTableEdit(const pugi::xml_node& table, const TReferenceShift& shift);

} // namespace tabulix
