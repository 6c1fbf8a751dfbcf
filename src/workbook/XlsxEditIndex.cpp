// What edits know of the sheetData they last changed, and the references they leave for later.
#include "workbook/XlsxEditIndex.h"

#include "workbook/SheetDataPositions.h"
#include "workbook/XmlHelpers.h"

#include <cstring>

namespace tabulix {

namespace {

// Whether an element's name is f, whatever its prefix, without measuring it first: a cell's other
// children (v, is) have names of one letter too, which cannot hold a prefix.
bool IsFormula(const pugi::xml_node& node) {
    const char* name = node.name();
    if (name[0] == '\0' || name[1] == '\0') return name[0] == 'f' && node.type() == pugi::node_element;
    return std::strchr(name, ':') && HasLocalName(node, "f");
}

// Every cell of a row given the reference of its column in the row's number, as a structural edit
// writes a moved cell's reference; a reference that already reads so is left as it is, and one that
// names no cell stays as it was.
void WriteCellReferences(const pugi::xml_node& row, int64_t rowNumber) {
    TCellPlacing placing(rowNumber);
    for (pugi::xml_node cell = FirstCell(row); cell; cell = NextCell(cell)) {
        pugi::xml_attribute ref = AttributeNamed(cell, 'r');
        const auto position = placing.Next(ref ? ref.value() : nullptr);
        if (!position) continue;
        const TCellRefText text(position->Col, rowNumber);
        if (ref && std::strcmp(ref.value(), text.c_str()) == 0) continue;
        if (!ref) ref = cell.append_attribute("r");
        ref.set_value(text.c_str());
    }
}

} // namespace

pugi::xml_node FormulaElement(const pugi::xml_node& cell) {
    for (pugi::xml_node child = FirstElement(cell); child; child = NextElement(child)) {
        if (IsFormula(child)) return child;
    }
    return {};
}

bool IndexRows(TSheetDataIndex& index) {
    index.Rows.clear();
    index.RowsKnown = false;
    TRowNumbering numbering;
    for (pugi::xml_node row = FirstRow(index.SheetData); row; row = NextRow(row)) {
        const int64_t number = numbering.Next(row);
        if (!index.Rows.empty() && number < index.Rows.back().first) {
            index.Rows.clear();
            return false;
        }
        if (index.Rows.empty() || number != index.Rows.back().first) index.Rows.emplace_back(number, row);
    }
    index.RowsKnown = true;
    return true;
}

void WriteDeferredReferences(TSheetDataIndex& index, const pugi::xml_node& row, int64_t rowNumber) {
    if (!index.DeferredRows.empty() && index.DeferredRows.erase(row.internal_object())) WriteCellReferences(row, rowNumber);
}

void WriteDeferredReferences(TSheetDataIndex& index) {
    if (index.DeferredRows.empty()) return;
    TRowNumbering numbering;
    for (pugi::xml_node row = FirstRow(index.SheetData); row; row = NextRow(row)) {
        const int64_t number = numbering.Next(row);
        if (index.DeferredRows.count(row.internal_object())) WriteCellReferences(row, number);
    }
    index.DeferredRows.clear();
}

std::string IndexFault(const TSheetDataIndex& index) {
    if (!index.SheetData) return "the index has no sheetData";
    if (index.RowsKnown) {
        TSheetDataIndex fresh;
        fresh.SheetData = index.SheetData;
        if (!IndexRows(fresh)) return "rows are known while they do not stand in ascending order";
        if (fresh.Rows != index.Rows) return "the rows known are not the first row element of each number";
    }
    // Every cell where it stands; a cell of a row whose references are left for later stands in the
    // row's number, which its reference will be given.
    TSheetDataIndex found;
    bool formulas = false;
    bool formulaRowsWrong = false;
    bool follow = true;
    size_t deferred = 0;
    TRowNumbering numbering;
    for (pugi::xml_node row = FirstRow(index.SheetData); row; row = NextRow(row)) {
        const int64_t number = numbering.Next(row);
        const bool rowDeferred = index.DeferredRows.count(row.internal_object()) > 0;
        deferred += rowDeferred ? 1 : 0;
        found.Include(number, -1);
        TCellPlacing placing(number);
        size_t rowFormulas = 0;
        for (pugi::xml_node cell = FirstCell(row); cell; cell = NextCell(cell)) {
            auto position = placing.Next(cell);
            if (!position) continue;
            if (rowDeferred) position->RowNumber = number;
            found.Include(position->RowNumber, position->Col);
            follow = follow && position->RowNumber == number;
            rowFormulas += HasFormula(cell) ? 1 : 0;
        }
        formulas = formulas || rowFormulas > 0;
        const auto known = index.FormulaRows.find(row.internal_object());
        if (rowFormulas > 0 && (known == index.FormulaRows.end() || known->second < rowFormulas)) formulaRowsWrong = true;
    }
    if (deferred != index.DeferredRows.size()) return "references are left for rows that sheetData does not hold";
    if (deferred > 0 && !(index.FollowKnown && index.CellsFollowRows)) {
        return "references are left for later while cells may stand outside their rows";
    }
    if (index.ExtentKnown && (index.MaxRowNumber != found.MaxRowNumber || index.MaxCol != found.MaxCol)) {
        return "the extent known is row " + std::to_string(index.MaxRowNumber) + ", column " + std::to_string(index.MaxCol) +
               "; the cells reach row " + std::to_string(found.MaxRowNumber) + ", column " + std::to_string(found.MaxCol);
    }
    if (index.FormulasKnown && !index.HasFormulas && formulas) return "a cell holds a formula where none is known";
    if (index.FormulasKnown && formulaRowsWrong) return "a row holds more formulas than are known";
    if (index.FollowKnown && index.CellsFollowRows != follow) return "whether cells stand in their rows is known wrongly";
    return "";
}

} // namespace tabulix
