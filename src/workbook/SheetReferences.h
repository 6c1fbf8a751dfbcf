#pragma once

// The references a worksheet part holds besides the formulas of its cells: its extent, views, merged
// ranges, conditional formats, validations, hyperlinks, filter, sort state, protected ranges and
// ignored errors.

#include "workbook/FormulaReferences.h"

#include <pugixml.hpp>

#include <string_view>

namespace tabulix {

// Rewrites them for an insertion or deletion in the edited sheet, in the worksheet named homeSheet. In
// the edited sheet itself every area moves, grows or shrinks as its cells do: a merged range,
// conditional format, validation, hyperlink, protected range, ignored error or filter whose cells are
// all deleted is removed (a merged range left with one cell too), the extent and the views keep a cell
// that is deleted. The formulas of conditional formats and validations name cells relative to the
// top left cell of their areas, so when that cell is deleted they are rewritten for the next one. In
// any other worksheet only formulas that name the edited sheet change: those of conditional formats
// and validations, and the places hyperlinks lead to. Returns whether anything changed.
bool RewriteWorksheetReferences(const pugi::xml_node& worksheet, const TReferenceShift& shift, std::string_view homeSheet);

// An autoFilter of the edited sheet (a worksheet's or a table's): its area, the columns it filters,
// which count from its first column, and the sort state it holds. Deleted when its cells are all
// deleted, and then left as it was for the caller to remove.
TRangeChange MoveAutoFilter(pugi::xml_node autoFilter, const TReferenceShift& shift);
// A sortState of the edited sheet: its area and those of its conditions (a condition whose cells are
// all deleted is removed). Deleted when its own cells are, for the caller to remove.
TRangeChange MoveSortState(pugi::xml_node sortState, const TReferenceShift& shift);

} // namespace tabulix
