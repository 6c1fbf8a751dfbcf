#pragma once

// The formulas of a sheetData's cells, rewritten when cells move or the cells they name move: plain
// formulas, array formulas with the area they fill, and shared formulas, whose cells take their text
// from the group's first cell.

#include "workbook/FormulaReferences.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/XlsxEditIndex.h"

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// How one edit moves the cells of a sheetData and changes the texts of their formulas.
class TFormulaCellRule {
public:
    virtual ~TFormulaCellRule() = default;
    // Where the cell at position goes; none when it is deleted.
    virtual std::optional<TCellPosition> NewPosition(const TCellPosition& position) const = 0;
    // The formula of the cell standing at position before the edit, as it reads afterwards.
    virtual TFormulaChange Rewrite(std::string_view formula, const TCellPosition& position, std::string& out) const = 0;
    // The area an array formula fills, its first cell at position.
    virtual TRangeChange RewriteArea(std::string_view ref, const TCellPosition& position, std::string& out) const = 0;
    // Whether the edit keeps the cells of that area together; an edit that would tear an array formula
    // apart is refused before anything changes.
    virtual bool KeepsAreaWhole(std::string_view /*ref*/, const TCellPosition& /*position*/) const { return true; }
};

struct TFormulaCellsResult {
    bool Changed = false;    // a formula, or a value that became #REF!, was written
    bool Found = false;      // the sheetData holds a formula
    bool CellsMoved = false; // a cell holding a formula moves or is deleted
    // Where the cells whose formulas now hold #REF! stand after the edit: their value is that error.
    std::vector<TCellPosition> RefErrors;
};

// Rewrites the formulas of the sheetData's cells as the rule says; called before the cells themselves
// move, with positions as they stand. When cellsFollowRows, every cell stands in its row element's row
// whatever its reference says (references left for later). When formulaRows is given, only the cells
// it says may hold formulas are looked for. A shared formula whose cells would
// read differently from the group's first cell translated to them becomes a formula of its own in each
// cell; a group whose first cell is deleted takes its next cell as the first. Throws TTabulixError,
// changing nothing, when the rule would tear an array formula apart.
TFormulaCellsResult RewriteFormulaCells(const pugi::xml_node& sheetData, const TFormulaCellRule& rule, bool cellsFollowRows,
                                        const TFormulaRows* formulaRows = nullptr);

} // namespace tabulix
