// Cell, row, column and sort edits: each changes the grid and the worksheet's XML together.
//
// A structural edit moves the cells of the XML the way it moves the rows or columns of the grid: every
// cell keeps its content, type and style, a row element keeps its attributes, and cells outside the
// loaded grid move with the shift. Only a moved formula is not carried, since its references would be
// wrong: the cell keeps its cached value. Inserting a row and sorting, which move whole rows, write
// the references of the moved cells later, before anything reads them (XlsxEditIndex.h).
#include "workbook/XlsxWorkbook.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <numeric>
#include <set>

namespace tabulix {

namespace {

// The first attribute of that one-letter name, as pugixml's lookup by name finds it, without comparing
// strings: structural edits look at the reference of every cell.
pugi::xml_attribute AttributeNamed(const pugi::xml_node& element, char name) {
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const char* attributeName = attribute.name();
        if (attributeName[0] == name && attributeName[1] == '\0') return attribute;
    }
    return {};
}

// Writes a value over an attribute, appended when the element has none.
void SetAttribute(pugi::xml_node element, pugi::xml_attribute attribute, const char* name, const char* value) {
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(value, std::strlen(value));
}

void SetAttribute(pugi::xml_node element, const char* name, const char* value) {
    SetAttribute(element, name[1] ? element.attribute(name) : AttributeNamed(element, name[0]), name, value);
}

int64_t RowNumberOf(const pugi::xml_node& row, int64_t fallback) {
    const char* r = AttributeNamed(row, 'r').value();
    return *r ? ReadDecimalIntegerOr(std::string_view(r), fallback) : fallback;
}

// A number or a cell reference written into a buffer of its own, without building a string.
class TDecimalText {
public:
    explicit TDecimalText(int64_t value) { *std::to_chars(FText, FText + sizeof FText - 1, value).ptr = '\0'; }
    const char* c_str() const { return FText; }

private:
    char FText[24];
};

class TCellRefText {
public:
    TCellRefText(int64_t col, int64_t rowNumber) {
        char letters[8];
        char* start = letters + sizeof letters;
        for (int64_t n = col + 1; n > 0 && col >= 0; n = (n - 1) / 26) *--start = char('A' + (n - 1) % 26);
        char* at = std::copy(start, letters + sizeof letters, FText);
        *std::to_chars(at, FText + sizeof FText - 1, rowNumber).ptr = '\0';
    }
    const char* c_str() const { return FText; }

private:
    char FText[40];
};

// Where a cell of the XML stands: 0-based column, 1-based row number.
struct TCellPosition {
    int64_t Col = 0;
    int64_t RowNumber = 0;
};

// The position of every cell as a reader sees it: its own reference, or, without one, the column after
// the previous cell in the row it stands in.
TCellPosition CellPositionOf(const pugi::xml_attribute& ref, int64_t rowNumber, int64_t previousCol) {
    int32_t col = 0;
    int32_t row = 0;
    if (SplitCellRef(ref.value(), col, row)) return {col, int64_t(row) + 1};
    return {previousCol + 1, rowNumber};
}

TCellPosition CellPositionOf(const pugi::xml_node& cell, int64_t rowNumber, int64_t previousCol) {
    return CellPositionOf(AttributeNamed(cell, 'r'), rowNumber, previousCol);
}

// Whether an element's name is f, whatever its prefix, without measuring it first.
bool IsFormula(const pugi::xml_node& node) {
    const char* name = node.name();
    if (name[0] == 'f' && name[1] == '\0') return node.type() == pugi::node_element;
    return std::strchr(name, ':') && HasLocalName(node, "f");
}

// Calls visit(rowElement, rowNumber) for every row of sheetData, numbering rows without "r" after the
// previous one.
template <typename TVisit>
void ForEachRow(const pugi::xml_node& sheetData, TVisit&& visit) {
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
    std::u16string_view Text;
};

// Removes a cell's formula, keeping its cached value. The group of a shared formula is noted: its
// other members refer to the cell that carried the formula's text, so they lose theirs too.
bool RemoveFormula(pugi::xml_node cell, std::set<std::string>& sharedGroups) {
    pugi::xml_node formula = FirstElement(cell);
    while (formula && !IsFormula(formula)) formula = NextElement(formula);
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

// The first row element of each number while the rows stand in ascending order, as RowNumberOf reads
// their numbers with no fallback.
void IndexRows(const pugi::xml_node& sheetData, TSheetDataIndex& index) {
    index.Rows.clear();
    index.Ascending = true;
    for (pugi::xml_node row = FirstElement(sheetData); row; row = NextElement(row)) {
        const int64_t number = RowNumberOf(row, -1);
        if (!index.Rows.empty() && number < index.Rows.back().first) index.Ascending = false;
        if (index.Rows.empty() || number != index.Rows.back().first) index.Rows.emplace_back(number, row);
    }
    index.RowsKnown = true;
}

// Every cell of a row given the reference of its column in the row's number, as a structural edit
// writes a moved cell's reference; a reference that already reads so is left as it is.
void WriteCellReferences(const pugi::xml_node& row) {
    const int64_t number = RowNumberOf(row, 0);
    int64_t previousCol = -1;
    for (pugi::xml_node cell = FirstElement(row); cell; cell = NextElement(cell)) {
        const pugi::xml_attribute ref = AttributeNamed(cell, 'r');
        const int64_t col = CellPositionOf(ref, number, previousCol).Col;
        previousCol = col;
        const TCellRefText text(col, number);
        if (!ref || std::strcmp(ref.value(), text.c_str()) != 0) SetAttribute(cell, ref, "r", text.c_str());
    }
}

bool MustSwap(const TSortKey& previous, const TSortKey& current, bool ascending) {
    if (previous.IsNumber && current.IsNumber) {
        return ascending ? previous.Number > current.Number : current.Number > previous.Number;
    }
    const int order = CompareTextAscii(previous.Text, current.Text);
    return ascending ? order > 0 : order < 0;
}

} // namespace

void WriteDeferredReferences(TSheetDataIndex& index, const pugi::xml_node& row) {
    if (!index.DeferredRows.empty() && index.DeferredRows.erase(row.internal_object())) WriteCellReferences(row);
}

void WriteDeferredReferences(TSheetDataIndex& index) {
    if (index.DeferredRows.empty()) return;
    for (pugi::xml_node row = FirstElement(index.SheetData); row; row = NextElement(row)) {
        if (index.DeferredRows.count(row.internal_object())) WriteCellReferences(row);
    }
    index.DeferredRows.clear();
}

TSheetDataIndex& TXlsxWorkbook::EditIndex(const pugi::xml_node& sheetData) {
    if (!FEditIndex || FEditIndex->SheetData != sheetData) {
        ForgetEditIndex();
        FEditIndex = std::make_unique<TSheetDataIndex>();
        FEditIndex->SheetData = sheetData;
    }
    return *FEditIndex;
}

pugi::xml_node TXlsxWorkbook::SheetDataForChange(const TXlsxSheet& sheet) {
    if (sheet.PartName.empty()) return {};
    std::unique_ptr<pugi::xml_document> scratch;
    pugi::xml_document* document = PartForChange(sheet.PartName, scratch);
    KeepOpened(sheet.PartName, scratch);
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
    TSheetDataIndex& index = EditIndex(sheetData);
    if (!index.RowsKnown) IndexRows(sheetData, index);
    // The first row of the number, and otherwise the first row of a greater number, before which the
    // new one goes: rows stay in ascending order, as spreadsheet applications require. Rows in another
    // order are searched one by one.
    pugi::xml_node before;
    auto at = index.Rows.end();
    if (index.Ascending) {
        at = std::lower_bound(index.Rows.begin(), index.Rows.end(), rowNumber,
                              [](const auto& entry, int64_t number) { return entry.first < number; });
        if (at != index.Rows.end() && at->first == rowNumber) return at->second;
        if (at != index.Rows.end()) before = at->second;
    } else {
        for (pugi::xml_node row = FirstElement(sheetData); row; row = NextElement(row)) {
            const int64_t number = RowNumberOf(row, -1);
            if (number == rowNumber) return row;
            if (!before && number > rowNumber) before = row;
        }
    }
    const std::string name = ChildName(sheetData, "row");
    pugi::xml_node row = before ? sheetData.insert_child_before(name.c_str(), before) : sheetData.append_child(name.c_str());
    SetAttribute(row, "r", TDecimalText(rowNumber).c_str());
    if (index.Ascending) index.Rows.emplace(at, rowNumber, row);
    if (index.ExtentKnown) index.Include(rowNumber, -1);
    return row;
}

pugi::xml_node TXlsxWorkbook::FindOrAddCell(pugi::xml_node rowElement, std::string_view refText) {
    int32_t col = 0;
    int32_t row = 0;
    SplitCellRef(refText, col, row);
    pugi::xml_node before;
    int64_t previousCol = -1;
    for (pugi::xml_node cell = FirstElement(rowElement); cell; cell = NextElement(cell)) {
        if (SameTextAscii(std::string_view(AttributeNamed(cell, 'r').value()), refText)) return cell;
        const TCellPosition position = CellPositionOf(cell, 0, previousCol);
        if (!before && position.Col > col) before = cell;
        previousCol = position.Col;
    }
    const std::string name = ChildName(rowElement, "c");
    pugi::xml_node cell = before ? rowElement.insert_child_before(name.c_str(), before) : rowElement.append_child(name.c_str());
    SetAttribute(cell, "r", std::string(refText).c_str());
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
    sheet.GrowTo(row + 1, col + 1);
    sheet.SetText(row, col, newValue);

    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    const pugi::xml_node rowElement = FindOrAddRow(sheetData, int64_t(row) + 1);
    TSheetDataIndex& index = EditIndex(sheetData);
    WriteDeferredReferences(index, rowElement);
    const pugi::xml_node cell = FindOrAddCell(rowElement, TCellRefText(col, int64_t(row) + 1).c_str());
    if (index.ExtentKnown) index.Include(int64_t(row) + 1, col);
    WriteCellContent(cell, newValue);
}

namespace {

// The XML side of a structural edit: every row and cell of sheetData renumbered through NewRow
// (1-based row number to new row number, 0 to delete the row) and NewCol (0-based column to new
// column, -1 to delete the cell). A cell whose position changes loses its formula. Rows end up in
// ascending order.
struct TStructuralMove {
    enum class TKind { InsertRow, DeleteRow, InsertColumn, DeleteColumn, Reorder } Kind;
    int64_t At = 0;                                 // the 1-based row or the 0-based column inserted or deleted
    const std::vector<int64_t>* NewRowOf = nullptr; // reordering: the new 0-based row of each old one

    int64_t NewRow(int64_t r) const {
        switch (Kind) {
        case TKind::InsertRow: return r >= At ? r + 1 : r;
        case TKind::DeleteRow: return r == At ? 0 : (r > At ? r - 1 : r);
        case TKind::Reorder: return r >= 1 && r <= int64_t(NewRowOf->size()) ? (*NewRowOf)[size_t(r - 1)] + 1 : r;
        default: return r;
        }
    }
    int64_t NewCol(int64_t c) const {
        switch (Kind) {
        case TKind::InsertColumn: return c >= At ? c + 1 : c;
        case TKind::DeleteColumn: return c == At ? -1 : (c > At ? c - 1 : c);
        default: return c;
        }
    }
    bool ColumnsMove() const { return Kind == TKind::InsertColumn || Kind == TKind::DeleteColumn; }
};

// What a first look at every cell tells, for whatever the index does not know yet: the extent in use,
// whether any cell holds a formula, and whether every cell stands in its row element's row.
void Survey(const pugi::xml_node& sheetData, TSheetDataIndex& index) {
    if (index.ExtentKnown && index.FormulasKnown && index.FollowKnown) return;
    WriteDeferredReferences(index); // none: nothing is deferred before all of it is known
    TSheetDataIndex found;
    bool formulas = false;
    bool follow = true;
    ForEachRow(sheetData, [&](const pugi::xml_node& row, int64_t number) {
        found.Include(number, -1);
        int64_t previousCol = -1;
        for (pugi::xml_node cell = FirstElement(row); cell; cell = NextElement(cell)) {
            const TCellPosition position = CellPositionOf(cell, number, previousCol);
            found.Include(position.RowNumber, position.Col);
            previousCol = position.Col;
            follow = follow && position.RowNumber == number;
            for (pugi::xml_node child = FirstElement(cell); child && !formulas; child = NextElement(child)) {
                formulas = IsFormula(child);
            }
        }
    });
    if (!index.ExtentKnown) {
        index.ExtentKnown = true;
        index.MaxRowNumber = found.MaxRowNumber;
        index.MaxCol = found.MaxCol;
    }
    if (!index.FormulasKnown) {
        index.FormulasKnown = true;
        index.HasFormulas = formulas;
    }
    if (!index.FollowKnown) {
        index.FollowKnown = true;
        index.CellsFollowRows = follow;
    }
}

// Refuses a move that would push a row or a cell past the last row or column of a worksheet. An insert
// moves rows and columns up or keeps them, never down, so the largest row number and column in use
// tell.
void RefuseOverflow(const pugi::xml_node& sheetData, TSheetDataIndex& index, const TStructuralMove& move) {
    Survey(sheetData, index);
    if (move.NewRow(index.MaxRowNumber) > MaxSheetRows) {
        throw TTabulixError(u"The row cannot be inserted: the worksheet already uses its last row.");
    }
    if (index.MaxCol >= 0 && move.NewCol(index.MaxCol) >= MaxSheetCols) {
        throw TTabulixError(u"The column cannot be inserted: the worksheet already uses its last column.");
    }
}

// Rows numbered as given, put in ascending order (rows of one number keep their order) unless they
// stand so; the index learns the order.
void PutRowsInOrder(pugi::xml_node sheetData, TSheetDataIndex& index, std::vector<std::pair<int64_t, pugi::xml_node>>& rows) {
    const auto later = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(rows.begin(), rows.end(), later)) {
        std::stable_sort(rows.begin(), rows.end(), later);
        for (const auto& entry : rows) sheetData.append_move(entry.second);
    }
    IndexRows(sheetData, index);
}

// The most rows whose cells' references are left for later: a move that would leave more (of a
// worksheet far beyond the load limit) writes them at once rather than hold a large set in the host.
constexpr size_t MaxDeferredRows = 1 << 16;

// A move of whole rows while every cell stands in its row element's row: each row element renumbered
// takes its cells with it, so only the row elements are renumbered now, their cells' references are
// left for later (WriteDeferredReferences), and the cells of a renumbered row lose their formulas.
// False, changing nothing, when too many rows would be left so.
bool MoveWholeRows(pugi::xml_node sheetData, TSheetDataIndex& index, const TStructuralMove& move, bool& formulasRemoved) {
    std::vector<std::pair<int64_t, pugi::xml_node>> rows;
    size_t renumbered = 0;
    ForEachRow(sheetData, [&](const pugi::xml_node& row, int64_t number) {
        rows.emplace_back(number, row);
        if (move.NewRow(number) != number && !index.DeferredRows.count(row.internal_object())) ++renumbered;
    });
    if (index.DeferredRows.size() + renumbered > MaxDeferredRows) return false;

    const bool formulasPossible = index.HasFormulas;
    std::set<std::string> sharedGroups;
    formulasRemoved = false;
    int64_t maxRowNumber = 0;
    for (auto& [number, row] : rows) {
        const int64_t newNumber = move.NewRow(number);
        const pugi::xml_attribute rowRef = AttributeNamed(row, 'r');
        if (newNumber != number || !rowRef) SetAttribute(row, rowRef, "r", TDecimalText(newNumber).c_str());
        if (newNumber != number) {
            index.DeferredRows.insert(row.internal_object());
            if (formulasPossible) {
                for (pugi::xml_node cell = FirstElement(row); cell; cell = NextElement(cell)) {
                    formulasRemoved = RemoveFormula(cell, sharedGroups) || formulasRemoved;
                }
            }
        }
        maxRowNumber = std::max(maxRowNumber, newNumber);
        number = newNumber;
    }
    RemoveSharedFormulas(sheetData, sharedGroups);
    formulasRemoved = formulasRemoved || !sharedGroups.empty();
    PutRowsInOrder(sheetData, index, rows);
    index.MaxRowNumber = maxRowNumber; // every cell in its row's; no cell changes its column
    return true;
}

// Applies the move; returns whether a moved cell lost its formula. The index learns the rows' new order
// and the extent of what the move leaves.
bool ApplyStructuralMove(pugi::xml_node sheetData, TSheetDataIndex& index, const TStructuralMove& move) {
    if (move.Kind == TStructuralMove::TKind::InsertRow || move.Kind == TStructuralMove::TKind::Reorder) {
        Survey(sheetData, index);
        bool formulasRemoved = false;
        if (index.CellsFollowRows && MoveWholeRows(sheetData, index, move, formulasRemoved)) return formulasRemoved;
    }
    WriteDeferredReferences(index);
    std::vector<std::pair<int64_t, pugi::xml_node>> rows;
    TSheetDataIndex extent;
    const bool formulasPossible = !index.FormulasKnown || index.HasFormulas;
    bool formulaKept = false; // in a cell that stays where it is
    std::set<std::string> sharedGroups;
    bool formulasRemoved = false;
    bool follow = true; // every cell in its row element's row
    ForEachRow(sheetData, [&](pugi::xml_node row, int64_t number) {
        const int64_t newNumber = move.NewRow(number);
        if (newNumber <= 0) {
            sheetData.remove_child(row);
            return;
        }
        const pugi::xml_attribute rowRef = AttributeNamed(row, 'r');
        if (newNumber != number || !rowRef) SetAttribute(row, rowRef, "r", TDecimalText(newNumber).c_str());
        extent.Include(newNumber, -1);
        if (move.ColumnsMove()) row.remove_attribute("spans"); // a hint of the columns in use, now stale
        int64_t previousCol = -1;
        for (pugi::xml_node cell = FirstElement(row); cell;) {
            const pugi::xml_node next = NextElement(cell);
            const pugi::xml_attribute ref = AttributeNamed(cell, 'r');
            const TCellPosition position = CellPositionOf(ref, number, previousCol);
            previousCol = position.Col;
            follow = follow && position.RowNumber == number;
            const int64_t newCol = move.NewCol(position.Col);
            const int64_t newCellRow = move.NewRow(position.RowNumber);
            if (newCol < 0 || newCellRow <= 0) {
                row.remove_child(cell);
                cell = next;
                continue;
            }
            const bool moved = newCol != position.Col || newCellRow != position.RowNumber;
            if (moved) {
                SetAttribute(cell, ref, "r", TCellRefText(newCol, newCellRow).c_str());
                if (formulasPossible) formulasRemoved = RemoveFormula(cell, sharedGroups) || formulasRemoved;
            }
            // Only the first formula of a cell goes with a move: a second one, which a well-formed
            // worksheet does not have, stays for the next.
            if (!index.FormulasKnown && !formulaKept) {
                for (pugi::xml_node child = FirstElement(cell); child && !formulaKept; child = NextElement(child)) {
                    formulaKept = IsFormula(child);
                }
            }
            extent.Include(newCellRow, newCol);
            cell = next;
        }
        rows.emplace_back(newNumber, row);
    });
    RemoveSharedFormulas(sheetData, sharedGroups);
    PutRowsInOrder(sheetData, index, rows);
    if (!index.FormulasKnown) {
        index.FormulasKnown = true;
        index.HasFormulas = formulaKept;
    }
    // Cells that stood in their row elements' rows still do.
    index.FollowKnown = true;
    index.CellsFollowRows = follow;
    index.ExtentKnown = true;
    index.MaxRowNumber = extent.MaxRowNumber;
    index.MaxCol = extent.MaxCol;
    return formulasRemoved || !sharedGroups.empty();
}

} // namespace

void TXlsxWorkbook::InsertRow(int32_t sheetIndex, int32_t atRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    atRow = std::clamp(atRow, int32_t(0), sheet.RowCount);
    const TStructuralMove move{TStructuralMove::TKind::InsertRow, int64_t(atRow) + 1};
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (sheetData) RefuseOverflow(sheetData, EditIndex(sheetData), move);
    // Room for a few more rows at once, so that inserting row after row does not copy the grid each time.
    if (sheet.FCells.capacity() < sheet.FCells.size() + size_t(sheet.ColCount)) {
        sheet.FCells.reserve(sheet.FCells.size() + sheet.FCells.size() / 64 + size_t(sheet.ColCount));
    }
    sheet.FCells.insert(sheet.FCells.begin() + ptrdiff_t(size_t(atRow) * size_t(sheet.ColCount)), size_t(sheet.ColCount), 0);
    ++sheet.RowCount;
    if (sheetData && ApplyStructuralMove(sheetData, EditIndex(sheetData), move)) FFormulasRemoved = true;
}

void TXlsxWorkbook::DeleteRow(int32_t sheetIndex, int32_t atRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (sheet.RowCount <= 1 || atRow < 0 || atRow >= sheet.RowCount) return;
    const auto first = sheet.FCells.begin() + ptrdiff_t(size_t(atRow) * size_t(sheet.ColCount));
    sheet.FCells.erase(first, first + sheet.ColCount);
    --sheet.RowCount;
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    if (ApplyStructuralMove(sheetData, EditIndex(sheetData), TStructuralMove{TStructuralMove::TKind::DeleteRow, int64_t(atRow) + 1})) {
        FFormulasRemoved = true;
    }
}

namespace {

// The grid with one column inserted before atCol (an empty one) or deleted at atCol.
void ReshapeColumns(TXlsxSheet& sheet, std::vector<uint32_t>& cells, int32_t atCol, bool insert) {
    const size_t oldCols = size_t(sheet.ColCount);
    const size_t newCols = insert ? oldCols + 1 : oldCols - 1;
    std::vector<uint32_t> reshaped(size_t(sheet.RowCount) * newCols, 0);
    for (size_t r = 0; r < size_t(sheet.RowCount); ++r) {
        const uint32_t* from = cells.data() + r * oldCols;
        uint32_t* to = reshaped.data() + r * newCols;
        std::copy_n(from, size_t(atCol), to);
        if (insert) std::copy(from + atCol, from + oldCols, to + atCol + 1);
        else std::copy(from + atCol + 1, from + oldCols, to + atCol);
    }
    cells = std::move(reshaped);
}

} // namespace

void TXlsxWorkbook::InsertColumn(int32_t sheetIndex, int32_t atCol) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    atCol = std::clamp(atCol, int32_t(0), sheet.ColCount);
    const TStructuralMove move{TStructuralMove::TKind::InsertColumn, atCol};
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (sheetData) RefuseOverflow(sheetData, EditIndex(sheetData), move);
    ReshapeColumns(sheet, sheet.FCells, atCol, true);
    ++sheet.ColCount;
    if (sheetData && ApplyStructuralMove(sheetData, EditIndex(sheetData), move)) FFormulasRemoved = true;
}

void TXlsxWorkbook::DeleteColumn(int32_t sheetIndex, int32_t atCol) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (sheet.ColCount < 2 || atCol < 0 || atCol >= sheet.ColCount) return;
    ReshapeColumns(sheet, sheet.FCells, atCol, false);
    --sheet.ColCount;
    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    if (ApplyStructuralMove(sheetData, EditIndex(sheetData), TStructuralMove{TStructuralMove::TKind::DeleteColumn, atCol})) {
        FFormulasRemoved = true;
    }
}

void TXlsxWorkbook::SortByColumn(int32_t sheetIndex, int32_t col, bool ascending, bool hasHeaderRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (col < 0 || col >= sheet.ColCount) return;
    const int32_t first = hasHeaderRow ? 1 : 0;

    // The keys are read once; the sort itself is the adjacent-swap insertion sort over them.
    std::vector<TSortKey> keys(size_t(sheet.RowCount));
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        TSortKey& key = keys[size_t(r)];
        key.Text = sheet.Text(r, col);
        if (const auto number = ReadDecimalNumber(key.Text)) {
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
    const size_t cols = size_t(sheet.ColCount);
    std::vector<uint32_t> sorted(sheet.FCells.size());
    for (size_t n = 0; n < order.size(); ++n) {
        newRowOf[size_t(order[n])] = int64_t(n);
        std::copy_n(sheet.FCells.begin() + ptrdiff_t(size_t(order[n]) * cols), cols, sorted.begin() + ptrdiff_t(n * cols));
    }
    sheet.FCells = std::move(sorted);

    const pugi::xml_node sheetData = SheetDataForChange(sheet);
    if (!sheetData) return;
    TStructuralMove move{TStructuralMove::TKind::Reorder};
    move.NewRowOf = &newRowOf;
    if (ApplyStructuralMove(sheetData, EditIndex(sheetData), move)) FFormulasRemoved = true;
}

} // namespace tabulix
