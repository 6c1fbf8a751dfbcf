#include "workbook/SheetDataPositions.h"

#include "base/Numbers.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace tabulix {

namespace {

// Whether an element has that local name, comparing the plain name first: prefixed names are rare.
bool IsElementNamed(const pugi::xml_node& node, std::string_view localName) {
    const char* name = node.name();
    if (name[0] == localName[0] && std::strncmp(name, localName.data(), localName.size()) == 0 && name[localName.size()] == '\0') {
        return node.type() == pugi::node_element;
    }
    return std::strchr(name, ':') && HasLocalName(node, localName);
}

} // namespace

bool IsRowElement(const pugi::xml_node& node) { return IsElementNamed(node, "row"); }
bool IsCellElement(const pugi::xml_node& node) { return IsElementNamed(node, "c"); }

pugi::xml_node FirstRow(const pugi::xml_node& sheetData) {
    pugi::xml_node row = FirstElement(sheetData);
    while (row && !IsRowElement(row)) row = NextElement(row);
    return row;
}

pugi::xml_node NextRow(const pugi::xml_node& row) {
    pugi::xml_node next = NextElement(row);
    while (next && !IsRowElement(next)) next = NextElement(next);
    return next;
}

pugi::xml_node LastRow(const pugi::xml_node& sheetData) {
    pugi::xml_node row = sheetData.last_child();
    while (row && !IsRowElement(row)) row = row.previous_sibling();
    return row;
}

pugi::xml_node FirstCell(const pugi::xml_node& row) {
    pugi::xml_node cell = FirstElement(row);
    while (cell && !IsCellElement(cell)) cell = NextElement(cell);
    return cell;
}

pugi::xml_node NextCell(const pugi::xml_node& cell) {
    pugi::xml_node next = NextElement(cell);
    while (next && !IsCellElement(next)) next = NextElement(next);
    return next;
}

pugi::xml_node LastCell(const pugi::xml_node& row) {
    pugi::xml_node cell = row.last_child();
    while (cell && !IsCellElement(cell)) cell = cell.previous_sibling();
    return cell;
}

pugi::xml_attribute AttributeNamed(const pugi::xml_node& element, char name) {
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const char* attributeName = attribute.name();
        if (attributeName[0] == name && attributeName[1] == '\0') return attribute;
    }
    return {};
}

int64_t TRowNumbering::Next(const char* r) {
    FPrevious = r ? ReadDecimalIntegerOr(std::string_view(r), FPrevious + 1) : FPrevious + 1;
    return FPrevious;
}

int64_t TRowNumbering::Next(const pugi::xml_node& row) {
    const pugi::xml_attribute r = AttributeNamed(row, 'r');
    return Next(r ? r.value() : nullptr);
}

std::optional<TCellPosition> TCellPlacing::Next(const char* r) {
    TCellPosition position{FPreviousCol + 1, FRowNumber};
    if (r) {
        int32_t col = 0;
        int32_t row = 0;
        if (!SplitCellRef(r, col, row)) return std::nullopt;
        position = {col, int64_t(row) + 1};
    }
    FPreviousCol = position.Col;
    return position;
}

std::optional<TCellPosition> TCellPlacing::Next(const pugi::xml_node& cell) {
    const pugi::xml_attribute r = AttributeNamed(cell, 'r');
    return Next(r ? r.value() : nullptr);
}

TDecimalText::TDecimalText(int64_t value) { *std::to_chars(FText, FText + sizeof FText - 1, value).ptr = '\0'; }

TCellRefText::TCellRefText(int64_t col, int64_t rowNumber) {
    char letters[8];
    char* start = letters + sizeof letters;
    for (int64_t n = col + 1; n > 0 && col >= 0; n = (n - 1) / 26) *--start = char('A' + (n - 1) % 26);
    char* at = std::copy(start, letters + sizeof letters, FText);
    *std::to_chars(at, FText + sizeof FText - 1, rowNumber).ptr = '\0';
}

} // namespace tabulix
