// Cell, row, column and sort edits: each changes the grid and the worksheet's XML together.
//
// A structural edit moves the cells of the XML the way it moves the rows or columns of the grid: every
// cell keeps its content, type and style, a row element keeps its attributes, and cells outside the
// loaded grid move with the shift. Only a moved formula is not carried, since its references would be
// wrong: the cell keeps its cached value.
#include "workbook/XlsxReader.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <set>

namespace tabulix {

namespace {

void SetAttribute(pugi::xml_node element, const char* name, const std::string& value) {
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(value.c_str());
}

int64_t RowNumberOf(const pugi::xml_node& row, int64_t fallback) {
    const char* r = row.attribute("r").value();
    return *r ? ReadDecimalIntegerOr(AsciiToUtf16(r), fallback) : fallback;
}

std::string CellRefText(int64_t col, int64_t rowNumber) {
    return Utf16ToUtf8(ColumnIndexToLetters(int32_t(col))) + std::to_string(rowNumber);
}

// Where a cell of the XML stands: 0-based column, 1-based row number.
struct TCellPosition {
    int64_t Col = 0;
    int64_t RowNumber = 0;
};

// The position of every cell as a reader sees it: its own reference, or, without one, the column after
// the previous cell in the row it stands in.
TCellPosition CellPositionOf(const pugi::xml_node& cell, int64_t rowNumber, int64_t previousCol) {
    int32_t col = 0;
    int32_t row = 0;
    if (SplitCellRef(std::string_view(cell.attribute("r").value()), col, row)) return {col, int64_t(row) + 1};
    return {previousCol + 1, rowNumber};
}

// Calls visit(rowElement, rowNumber) for every row of sheetData, numbering rows without "r" after the
// previous one.
void ForEachRow(const pugi::xml_node& sheetData, const std::function<void(pugi::xml_node, int64_t)>& visit) {
    int64_t previous = 0;
    for (pugi::xml_node row = FirstElement(sheetData); row; ) {
        const pugi::xml_node next = NextElement(row);
        const int64_t number = RowNumberOf(row, previous + 1);
        visit(row, number);
        previous = number;
        row = next;
    }
}

// The insertion sort of the rows first to last of the grid by the texts in one column, as adjacent
// swaps; returns the permutation: result[newIndex] = oldIndex.
struct TSortKey {
    bool IsNumber = false;
    double Number = 0;
    const std::u16string* Text = nullptr;
};

// Removes a cell's formula, keeping its cached value. The group of a shared formula is noted: its
// other members refer to the cell that carried the formula's text, so they lose theirs too.
bool RemoveFormula(pugi::xml_node cell, std::set<std::string>& sharedGroups) {
    const pugi::xml_node formula = FirstChildNamed(cell, "f");
    if (!formula) return false;
    if (std::string_view(formula.attribute("t").value()) == "shared" && *formula.attribute("si").value()) {
        sharedGroups.insert(formula.attribute("si").value());
    }
    cell.remove_child(formula);
    return true;
}

void RemoveSharedFormulas(const pugi::xml_node& sheetData, const std::set<std::string>& sharedGroups) {
    if (sharedGroups.empty()) return;
    for (pugi::xml_node row = FirstElement(sheetData); row; row = NextElement(row)) {
        for (pugi::xml_node cell = FirstElement(row); cell; cell = NextElement(cell)) {
            const pugi::xml_node f = FirstChildNamed(cell, "f");
            if (f && std::string_view(f.attribute("t").value()) == "shared" && sharedGroups.count(f.attribute("si").value())) {
                cell.remove_child(f);
            }
        }
    }
}

bool MustSwap(const TSortKey& previous, const TSortKey& current, bool ascending) {
    if (previous.IsNumber && current.IsNumber) {
        return ascending ? previous.Number > current.Number : current.Number > previous.Number;
    }
    const int order = CompareTextAscii(*previous.Text, *current.Text);
    return ascending ? order > 0 : order < 0;
}

} // namespace

pugi::xml_node TXlsxWorkbook::SheetDataForChange(const TXlsxSheet& sheet) {
    if (sheet.PartName.empty()) return {};
    pugi::xml_document* document = GetPartDocument(sheet.PartName);
    if (!document) return {};
    pugi::xml_node root = RootElement(*document);
    if (!root) return {};
    pugi::xml_node sheetData = FirstChildNamed(root, "sheetData");
    if (!sheetData) sheetData = root.append_child(ChildName(root, "sheetData").c_str());
    return sheetData;
}

void TXlsxWorkbook::RemoveChildNamed(pugi::xml_node element, std::string_view name) {
    const pugi::xml_node child = FirstChildNamed(element, name);
    if (child) element.remove_child(child);
}

pugi::xml_node TXlsxWorkbook::FindOrAddRow(pugi::xml_node sheetData, int64_t rowNumber) {
    pugi::xml_node before;
    for (pugi::xml_node row = FirstElement(sheetData); row; row = NextElement(row)) {
        const int64_t number = RowNumberOf(row, -1);
        if (number == rowNumber) return row;
        if (!before && number > rowNumber) before = row;
    }
    // Rows stay in ascending order, as spreadsheet applications require.
    const std::string name = ChildName(sheetData, "row");
    pugi::xml_node row = before ? sheetData.insert_child_before(name.c_str(), before) : sheetData.append_child(name.c_str());
    SetAttribute(row, "r", std::to_string(rowNumber));
    return row;
}

pugi::xml_node TXlsxWorkbook::FindOrAddCell(pugi::xml_node rowElement, const std::u16string& ref) {
    const std::string refText = Utf16ToUtf8(ref);
    int32_t col = 0;
    int32_t row = 0;
    SplitCellRef(refText, col, row);
    pugi::xml_node before;
    int64_t previousCol = -1;
    for (pugi::xml_node cell = FirstElement(rowElement); cell; cell = NextElement(cell)) {
        if (SameTextAscii(std::string_view(cell.attribute("r").value()), refText)) return cell;
        const TCellPosition position = CellPositionOf(cell, 0, previousCol);
        if (!before && position.Col > col) before = cell;
        previousCol = position.Col;
    }
    const std::string name = ChildName(rowElement, "c");
    pugi::xml_node cell = before ? rowElement.insert_child_before(name.c_str(), before) : rowElement.append_child(name.c_str());
    SetAttribute(cell, "r", refText);
    return cell;
}

void TXlsxWorkbook::WriteCellContent(pugi::xml_node cell, const std::u16string& text) {
    std::set<std::string> sharedGroups;
    if (RemoveFormula(cell, sharedGroups)) {
        FFormulasRemoved = true;
        RemoveSharedFormulas(cell.parent().parent(), sharedGroups);
    }
    RemoveChildNamed(cell, "v");
    RemoveChildNamed(cell, "is");
    if (TrimView(text).empty()) {
        SetAttribute(cell, "t", "n");
        return;
    }
    if (const auto number = ReadDecimalNumber(text)) {
        SetAttribute(cell, "t", "n");
        cell.append_child(ChildName(cell, "v").c_str()).text().set(Utf16ToUtf8(FormatGeneralNumber(*number)).c_str());
        return;
    }
    SetAttribute(cell, "t", "inlineStr");
    pugi::xml_node is = cell.append_child(ChildName(cell, "is").c_str());
    pugi::xml_node t = is.append_child(ChildName(is, "t").c_str());
    if (IsBlankChar(text.front()) || IsBlankChar(text.back())) t.append_attribute("xml:space").set_value("preserve");
    t.text().set(Utf16ToUtf8(EncodeEscapedCharacters(text)).c_str());
}

void TXlsxWorkbook::SetCellValue(int32_t sheetIndex, int32_t row, int32_t col, const std::u16string& newValue) {
    if (!IsSheetIndex(sheetIndex) || row < 0 || col < 0 || row >= MaxSheetRows || col >= MaxSheetCols) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (row >= sheet.RowCount) {
        sheet.Data.resize(size_t(row) + 1);
        for (auto& cells : sheet.Data) cells.resize(std::max(cells.size(), size_t(sheet.ColCount)));
        sheet.RowCount = row + 1;
    }
    if (col >= sheet.ColCount) {
        for (auto& cells : sheet.Data) cells.resize(size_t(col) + 1);
        sheet.ColCount = col + 1;
    }
    sheet.Data[size_t(row)][size_t(col)] = newValue;

    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    const pugi::xml_node rowElement = FindOrAddRow(sheetData, int64_t(row) + 1);
    const pugi::xml_node cell = FindOrAddCell(rowElement, Utf8ToUtf16(CellRefText(col, int64_t(row) + 1)));
    WriteCellContent(cell, newValue);
}

namespace {

// The XML side of a structural edit: every row and cell of sheetData renumbered through newRow
// (1-based row number to new row number, 0 to delete the row) and newCol (0-based column to new
// column, -1 to delete the cell). A cell whose position changes loses its formula. Rows end up in
// ascending order.
struct TStructuralMove {
    std::function<int64_t(int64_t)> NewRow = [](int64_t r) { return r; };
    std::function<int64_t(int64_t)> NewCol = [](int64_t c) { return c; };
    bool ColumnsMove = false;
};

// Rows and columns a move would push past the last row or column of a worksheet.
void RefuseOverflow(const pugi::xml_node& sheetData, const TStructuralMove& move) {
    ForEachRow(sheetData, [&](pugi::xml_node row, int64_t number) {
        if (move.NewRow(number) > MaxSheetRows) {
            throw TTabulixError(u"The row cannot be inserted: the worksheet already uses its last row.");
        }
        int64_t previousCol = -1;
        for (pugi::xml_node cell = FirstElement(row); cell; cell = NextElement(cell)) {
            const TCellPosition position = CellPositionOf(cell, number, previousCol);
            if (move.NewRow(position.RowNumber) > MaxSheetRows) {
                throw TTabulixError(u"The row cannot be inserted: the worksheet already uses its last row.");
            }
            if (move.NewCol(position.Col) >= MaxSheetCols) {
                throw TTabulixError(u"The column cannot be inserted: the worksheet already uses its last column.");
            }
            previousCol = position.Col;
        }
    });
}

// Applies the move; returns whether a moved cell lost its formula.
bool ApplyStructuralMove(pugi::xml_node sheetData, const TStructuralMove& move) {
    std::vector<std::pair<int64_t, pugi::xml_node>> rows;
    std::set<std::string> sharedGroups;
    bool formulasRemoved = false;
    bool ordered = true;
    ForEachRow(sheetData, [&](pugi::xml_node row, int64_t number) {
        const int64_t newNumber = move.NewRow(number);
        if (newNumber <= 0) {
            sheetData.remove_child(row);
            return;
        }
        if (newNumber != number || !row.attribute("r")) SetAttribute(row, "r", std::to_string(newNumber));
        if (move.ColumnsMove) row.remove_attribute("spans"); // a hint of the columns in use, now stale
        int64_t previousCol = -1;
        for (pugi::xml_node cell = FirstElement(row); cell;) {
            const pugi::xml_node next = NextElement(cell);
            const TCellPosition position = CellPositionOf(cell, number, previousCol);
            previousCol = position.Col;
            const int64_t newCol = move.NewCol(position.Col);
            const int64_t newCellRow = move.NewRow(position.RowNumber);
            if (newCol < 0 || newCellRow <= 0) {
                row.remove_child(cell);
            } else if (newCol != position.Col || newCellRow != position.RowNumber) {
                SetAttribute(cell, "r", CellRefText(newCol, newCellRow));
                formulasRemoved = RemoveFormula(cell, sharedGroups) || formulasRemoved;
            }
            cell = next;
        }
        if (!rows.empty() && rows.back().first > newNumber) ordered = false;
        rows.emplace_back(newNumber, row);
    });
    RemoveSharedFormulas(sheetData, sharedGroups);
    if (!ordered) {
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& entry : rows) sheetData.append_move(entry.second);
    }
    return formulasRemoved || !sharedGroups.empty();
}

void InsertGridRow(TXlsxSheet& sheet, int32_t atRow) {
    sheet.Data.insert(sheet.Data.begin() + atRow, std::vector<std::u16string>(size_t(sheet.ColCount)));
    ++sheet.RowCount;
}

} // namespace

void TXlsxWorkbook::InsertRow(int32_t sheetIndex, int32_t atRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    atRow = std::clamp(atRow, int32_t(0), sheet.RowCount);
    TStructuralMove move;
    const int64_t firstMoved = int64_t(atRow) + 1;
    move.NewRow = [firstMoved](int64_t r) { return r >= firstMoved ? r + 1 : r; };
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (sheetData) RefuseOverflow(sheetData, move);
    InsertGridRow(sheet, atRow);
    if (sheetData && ApplyStructuralMove(sheetData, move)) FFormulasRemoved = true;
}

void TXlsxWorkbook::DeleteRow(int32_t sheetIndex, int32_t atRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (sheet.RowCount <= 1 || atRow < 0 || atRow >= sheet.RowCount) return;
    sheet.Data.erase(sheet.Data.begin() + atRow);
    --sheet.RowCount;
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    TStructuralMove move;
    const int64_t deleted = int64_t(atRow) + 1;
    move.NewRow = [deleted](int64_t r) { return r == deleted ? 0 : (r > deleted ? r - 1 : r); };
    if (ApplyStructuralMove(sheetData, move)) FFormulasRemoved = true;
}

void TXlsxWorkbook::InsertColumn(int32_t sheetIndex, int32_t atCol) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    atCol = std::clamp(atCol, int32_t(0), sheet.ColCount);
    TStructuralMove move;
    move.ColumnsMove = true;
    move.NewCol = [atCol](int64_t c) { return c >= atCol ? c + 1 : c; };
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (sheetData) RefuseOverflow(sheetData, move);
    for (auto& cells : sheet.Data) {
        cells.resize(std::max(cells.size(), size_t(sheet.ColCount)));
        cells.insert(cells.begin() + atCol, std::u16string());
    }
    ++sheet.ColCount;
    if (sheetData && ApplyStructuralMove(sheetData, move)) FFormulasRemoved = true;
}

void TXlsxWorkbook::DeleteColumn(int32_t sheetIndex, int32_t atCol) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (sheet.ColCount < 2 || atCol < 0 || atCol >= sheet.ColCount) return;
    for (auto& cells : sheet.Data) {
        if (size_t(atCol) < cells.size()) cells.erase(cells.begin() + atCol);
    }
    --sheet.ColCount;
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    TStructuralMove move;
    move.ColumnsMove = true;
    move.NewCol = [atCol](int64_t c) { return c == atCol ? -1 : (c > atCol ? c - 1 : c); };
    if (ApplyStructuralMove(sheetData, move)) FFormulasRemoved = true;
}

void TXlsxWorkbook::SortByColumn(int32_t sheetIndex, int32_t col, bool ascending, bool hasHeaderRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (col < 0 || col >= sheet.ColCount) return;
    const int32_t first = hasHeaderRow ? 1 : 0;
    const std::u16string empty;

    // The keys are read once; the sort itself is the adjacent-swap insertion sort over them.
    std::vector<TSortKey> keys(size_t(sheet.RowCount));
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        const auto& cells = sheet.Data[size_t(r)];
        TSortKey& key = keys[size_t(r)];
        key.Text = size_t(col) < cells.size() ? &cells[size_t(col)] : &empty;
        if (const auto number = ReadDecimalNumber(*key.Text)) {
            key.IsNumber = true;
            key.Number = *number;
        }
    }
    std::vector<int32_t> order(size_t(sheet.RowCount)); // order[newIndex] = oldIndex
    std::iota(order.begin(), order.end(), 0);
    for (int32_t k = first + 1; k < sheet.RowCount; ++k) {
        for (int32_t i = k; i > first; --i) {
            if (!MustSwap(keys[size_t(order[size_t(i) - 1])], keys[size_t(order[size_t(i)])], ascending)) break;
            std::swap(order[size_t(i) - 1], order[size_t(i)]);
        }
    }

    std::vector<int64_t> newRowOf(size_t(sheet.RowCount)); // by old index
    std::vector<std::vector<std::u16string>> sorted(size_t(sheet.RowCount));
    for (size_t n = 0; n < order.size(); ++n) {
        newRowOf[size_t(order[n])] = int64_t(n);
        sorted[n] = std::move(sheet.Data[size_t(order[n])]);
    }
    sheet.Data = std::move(sorted);

    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    TStructuralMove move;
    const int64_t rowCount = sheet.RowCount;
    move.NewRow = [&newRowOf, rowCount](int64_t r) { return r >= 1 && r <= rowCount ? newRowOf[size_t(r - 1)] + 1 : r; };
    if (ApplyStructuralMove(sheetData, move)) FFormulasRemoved = true;
}

} // namespace tabulix
