// The references of defined names, charts, drawings and tables to a sheet's cells.
#include "workbook/PartReferences.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/SheetReferences.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <vector>

namespace tabulix {

namespace {

// Calls visit(element) for every element below root, in document order, without recursion.
template <typename TVisit>
void ForEachElementBelow(const pugi::xml_node& root, TVisit&& visit) {
    std::vector<pugi::xml_node> pending;
    for (pugi::xml_node child = root.last_child(); child; child = child.previous_sibling()) pending.push_back(child);
    while (!pending.empty()) {
        const pugi::xml_node node = pending.back();
        pending.pop_back();
        if (node.type() != pugi::node_element) continue;
        visit(node);
        for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) pending.push_back(child);
    }
}

// Rewrites the formula that an element holds as its text; whether it changed.
bool RewriteTextFormula(pugi::xml_node element, const TReferenceShift& shift, std::string& out) {
    const std::string_view text = element.text().get();
    if (text.empty() || !shift.RewriteFormula(text, "", out).Changed) return false;
    element.text().set(out.c_str());
    return true;
}

// A corner of an anchor (from or to): the row (or column) it stands in along the edit's axis, and its
// offset into it. Returns by how many the corner moved.
int64_t MoveCorner(const pugi::xml_node& corner, const TReferenceShift& shift) {
    const bool rows = shift.Axis() == TEditAxis::Rows;
    pugi::xml_node index = FirstChildNamed(corner, rows ? "row" : "col");
    const std::optional<int64_t> at = ReadDecimalInteger(std::string_view(index.text().get()));
    if (!at) return 0;
    const int64_t moved = shift.MoveIndex(*at);
    if (shift.Deletes(*at)) {
        if (pugi::xml_node offset = FirstChildNamed(corner, rows ? "rowOff" : "colOff")) offset.text().set("0");
    }
    if (moved != *at) index.text().set(TDecimalText(moved).c_str());
    return moved - *at;
}

void ShiftCorner(const pugi::xml_node& corner, const TReferenceShift& shift, int64_t by) {
    pugi::xml_node index = FirstChildNamed(corner, shift.Axis() == TEditAxis::Rows ? "row" : "col");
    const std::optional<int64_t> at = ReadDecimalInteger(std::string_view(index.text().get()));
    if (at && by != 0) index.text().set(TDecimalText(*at + by).c_str());
}

bool MoveAnchor(const pugi::xml_node& anchor, const TReferenceShift& shift) {
    const std::string_view editAs = anchor.attribute("editAs").value();
    if (editAs == "absolute") return false;
    const pugi::xml_node from = FirstChildNamed(anchor, "from");
    const pugi::xml_node to = FirstChildNamed(anchor, "to");
    const int64_t moved = from ? MoveCorner(from, shift) : 0;
    if (!to) return moved != 0;
    if (editAs == "oneCell") {
        ShiftCorner(to, shift, moved);
        return moved != 0;
    }
    return MoveCorner(to, shift) != 0 || moved != 0;
}

// The area a table covers, 0-based, and whether it has a header row.
struct TTableArea {
    int64_t FirstRow = 0, LastRow = 0, FirstCol = 0, LastCol = 0;
    bool Header = true;
};

std::optional<TTableArea> ReadTableArea(const pugi::xml_node& table) {
    TCellArea area;
    if (!ParseAreaText(table.attribute("ref").value(), area) || !area.HasRows() || !area.HasCols()) return std::nullopt;
    TTableArea result;
    result.FirstRow = std::min(area.First.Row, area.Last.Row);
    result.LastRow = std::max(area.First.Row, area.Last.Row);
    result.FirstCol = std::min(area.First.Col, area.Last.Col);
    result.LastCol = std::max(area.First.Col, area.Last.Col);
    result.Header = std::string_view(table.attribute("headerRowCount").value()) != "0";
    return result;
}

std::vector<pugi::xml_node> TableColumns(const pugi::xml_node& columns) {
    std::vector<pugi::xml_node> list;
    for (pugi::xml_node column = FirstElement(columns); column; column = NextElement(column)) {
        if (HasLocalName(column, "tableColumn")) list.push_back(column);
    }
    return list;
}

// The first of Column1, Column2 and so on that no column of the table is named, ignoring case.
std::string NewColumnName(const std::vector<pugi::xml_node>& columns) {
    for (int64_t n = 1;; ++n) {
        const std::string name = "Column" + std::to_string(n);
        const bool taken = std::any_of(columns.begin(), columns.end(), [&](const pugi::xml_node& column) {
            return SameTextAscii(std::string_view(column.attribute("name").value()), name);
        });
        if (!taken) return name;
    }
}

// Columns deleted from or inserted into the table's own columns, for a column edit inside it.
void MoveTableColumns(const pugi::xml_node& table, const TTableArea& area, const TReferenceShift& shift, TTableMove& move) {
    pugi::xml_node columnsElement = FirstChildNamed(table, "tableColumns");
    if (!columnsElement) return;
    std::vector<pugi::xml_node> columns = TableColumns(columnsElement);
    const int64_t at = shift.At();
    if (!shift.Inserting()) {
        for (int64_t col = std::max(at, area.FirstCol); col < at + shift.Count() && col <= area.LastCol; ++col) {
            const size_t index = size_t(col - area.FirstCol);
            if (index < columns.size()) columnsElement.remove_child(columns[index]);
            move.Changed = true;
        }
    } else if (at > area.FirstCol && at <= area.LastCol) {
        int64_t nextId = 1;
        for (const pugi::xml_node& column : columns) nextId = std::max<int64_t>(nextId, column.attribute("id").as_llong() + 1);
        for (int64_t n = 0; n < shift.Count(); ++n) {
            const size_t index = size_t(at - area.FirstCol + n);
            const std::string name = ChildName(columnsElement, "tableColumn");
            pugi::xml_node column = index < columns.size() ? columnsElement.insert_child_before(name.c_str(), columns[index])
                                                            : columnsElement.append_child(name.c_str());
            const std::string columnName = NewColumnName(columns);
            column.append_attribute("id").set_value(TDecimalText(nextId++).c_str());
            column.append_attribute("name").set_value(columnName.c_str());
            columns.insert(columns.begin() + ptrdiff_t(std::min(index, columns.size())), column);
            if (area.Header) move.NewHeaders.push_back({area.FirstRow, at + n, columnName});
            move.Changed = true;
        }
    }
    if (move.Changed) {
        pugi::xml_attribute count = columnsElement.attribute("count");
        if (count) count.set_value(TDecimalText(int64_t(TableColumns(columnsElement).size())).c_str());
    }
}

} // namespace

bool RewriteDefinedNames(const pugi::xml_node& workbook, const TReferenceShift& shift) {
    std::string out;
    bool changed = false;
    const pugi::xml_node names = FirstChildNamed(workbook, "definedNames");
    for (pugi::xml_node name = FirstElement(names); name; name = NextElement(name)) {
        if (HasLocalName(name, "definedName")) changed = RewriteTextFormula(name, shift, out) || changed;
    }
    return changed;
}

bool RewriteChartFormulas(const pugi::xml_node& chart, const TReferenceShift& shift) {
    std::string out;
    bool changed = false;
    ForEachElementBelow(chart, [&](const pugi::xml_node& element) {
        if (HasLocalName(element, "f")) changed = RewriteTextFormula(element, shift, out) || changed;
    });
    return changed;
}

bool MoveDrawingAnchors(const pugi::xml_node& drawing, const TReferenceShift& shift) {
    bool changed = false;
    ForEachElementBelow(drawing, [&](const pugi::xml_node& element) {
        if (HasLocalName(element, "twoCellAnchor") || HasLocalName(element, "oneCellAnchor")) {
            changed = MoveAnchor(element, shift) || changed;
        }
    });
    return changed;
}

TTableMove MoveTable(pugi::xml_node table, const TReferenceShift& shift) {
    TTableMove move;
    const std::optional<TTableArea> area = ReadTableArea(table);
    if (!area) return move;
    std::string out;
    switch (shift.RewriteRange(table.attribute("ref").value(), out)) {
    case TRangeChange::Unchanged:
        return move;
    case TRangeChange::Deleted:
        move.Deleted = true;
        return move;
    case TRangeChange::Changed:
        break;
    }
    table.attribute("ref").set_value(out.c_str());
    move.Changed = true;
    if (shift.Axis() == TEditAxis::Columns) MoveTableColumns(table, *area, shift, move);
    for (pugi::xml_node child = FirstElement(table); child;) {
        const pugi::xml_node next = NextElement(child);
        const bool filter = HasLocalName(child, "autoFilter");
        if (filter || HasLocalName(child, "sortState")) {
            const TRangeChange change = filter ? MoveAutoFilter(child, shift) : MoveSortState(child, shift);
            if (change == TRangeChange::Deleted) table.remove_child(child);
        }
        child = next;
    }
    return move;
}

std::optional<std::u16string> RefuseTableEdit(const pugi::xml_node& table, const TReferenceShift& shift) {
    const std::optional<TTableArea> area = ReadTableArea(table);
    if (!area || !area->Header || shift.Axis() != TEditAxis::Rows || !shift.Deletes(area->FirstRow)) return std::nullopt;
    if (shift.Deletes(area->LastRow)) return std::nullopt; // the whole table goes
    const char* name = *table.attribute("displayName").value() ? table.attribute("displayName").value() : table.attribute("name").value();
    return FormatMessageText(u"The row cannot be deleted: it holds the header of the table \"%s\".", {Utf8ToUtf16(name)});
}

} // namespace tabulix
