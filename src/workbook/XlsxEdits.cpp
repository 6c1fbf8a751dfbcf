// Cell, row, column and sort edits: each changes the grid and the worksheet's XML together.
//
// A structural edit moves the cells of the XML the way it moves the rows or columns of the grid: every
// cell keeps its content, type, style and formula, a row element keeps its attributes, and cells
// outside the loaded grid move with the shift. The formulas are rewritten first, while the cells still
// stand where they stood; every other reference to the sheet's cells follows (XlsxReferenceEdits.cpp).
// Inserting a row and sorting, which move whole rows, write the references of the moved cells later,
// before anything reads them (XlsxEditIndex.h).
#include "workbook/XlsxWorkbook.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/FormulaCells.h"
#include "workbook/FormulaReferences.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/SheetLayoutXml.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XlsxReferenceEdit.h"
#include "workbook/XlsxSheetDataEdit.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace tabulix {

namespace {

// Writes a value over an attribute, appended when the element has none.
void SetAttribute(pugi::xml_node element, pugi::xml_attribute attribute, const char* name, const char* value) {
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(value, std::strlen(value));
}

void SetAttribute(pugi::xml_node element, const char* name, const char* value) {
    SetAttribute(element, name[1] ? element.attribute(name) : AttributeNamed(element, name[0]), name, value);
}

// Gives a row element its number, unless its r already reads so: a row without a usable r is numbered
// after the row before it, which a move or a new row may change.
void NumberRow(pugi::xml_node row, int64_t number) {
    const pugi::xml_attribute r = AttributeNamed(row, 'r');
    if (r && ReadDecimalInteger(std::string_view(r.value())) == number) return;
    SetAttribute(row, r, "r", TDecimalText(number).c_str());
}

// Calls visit(rowElement, rowNumber) for every row of sheetData; visit may remove the row it is given.
template <typename TVisit>
void ForEachRow(const pugi::xml_node& sheetData, TVisit&& visit) {
    TRowNumbering numbering;
    for (pugi::xml_node row = FirstRow(sheetData); row;) {
        const pugi::xml_node next = NextRow(row);
        visit(row, numbering.Next(row));
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

bool MustSwap(const TSortKey& previous, const TSortKey& current, bool ascending) {
    if (previous.IsNumber && current.IsNumber) {
        return ascending ? previous.Number > current.Number : current.Number > previous.Number;
    }
    const int order = CompareTextAscii(previous.Text, current.Text);
    return ascending ? order > 0 : order < 0;
}

// A cell's formula given up where the cell stands: a group that shares its text goes on without it,
// its next cell carrying the text when the cell carried it.
class TDroppedFormulaRule : public TFormulaCellRule {
public:
    explicit TDroppedFormulaRule(const TCellPosition& dropped) : FDropped(dropped) {}
    std::optional<TCellPosition> NewPosition(const TCellPosition& position) const override {
        if (position.Col == FDropped.Col && position.RowNumber == FDropped.RowNumber) return std::nullopt;
        return position;
    }
    TFormulaChange Rewrite(std::string_view, const TCellPosition&, std::string&) const override { return {}; }
    TRangeChange RewriteArea(std::string_view, const TCellPosition&, std::string&) const override { return TRangeChange::Unchanged; }

private:
    TCellPosition FDropped;
};

// Rows numbered as given, put in ascending order (rows of one number keep their order) unless they
// stand so. The rows take the places that rows held, so whatever else sheetData holds keeps its place;
// a row that moves is given its number, which its place no longer tells. The index learns the order.
void PutRowsInOrder(pugi::xml_node sheetData, TSheetDataIndex& index, std::vector<std::pair<int64_t, pugi::xml_node>>& rows) {
    const auto earlier = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(rows.begin(), rows.end(), earlier)) {
        for (const auto& [number, row] : rows) NumberRow(row, number);
        std::stable_sort(rows.begin(), rows.end(), earlier);
        std::vector<pugi::xml_node> children;
        size_t nextRow = 0;
        for (pugi::xml_node child = sheetData.first_child(); child; child = child.next_sibling()) {
            children.push_back(IsRowElement(child) && nextRow < rows.size() ? rows[nextRow++].second : child);
        }
        for (const pugi::xml_node& child : children) sheetData.append_move(child);
    }
    IndexRows(index);
}

// A sheetData for a worksheet that has none, where the worksheet's schema puts it: after the sheet's
// properties, dimension, views, format and columns.
pugi::xml_node AddSheetData(pugi::xml_node root) {
    pugi::xml_node after;
    for (pugi::xml_node child = FirstElement(root); child; child = NextElement(child)) {
        for (const char* name : {"sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols"}) {
            if (HasLocalName(child, name)) after = child;
        }
    }
    const std::string name = ChildName(root, "sheetData");
    return after ? root.insert_child_after(name.c_str(), after) : root.prepend_child(name.c_str());
}

// What a typed value becomes: a text that reads as a number a number, a blank text no value at all
// (its blanks stay in the grid, shown as they are), anything else a text.
TCellKind TypedValueKind(const std::u16string& text) {
    if (TrimView(text).empty()) return TCellKind::AsStored;
    return ReadDecimalNumber(text) ? TCellKind::Number : TCellKind::Text;
}

} // namespace

TXlsxWorkbook::TSheetDataEdit::TSheetDataEdit(TXlsxWorkbook& workbook, const TXlsxSheet& sheet)
    : FWorkbook(workbook), FPartName(sheet.PartName) {
    pugi::xml_document* document = sheet.PartName.empty() ? nullptr : workbook.PartForChange(sheet.PartName, FScratch);
    const pugi::xml_node root = document ? RootElement(*document) : pugi::xml_node();
    if (!root) {
        throw TTabulixError(FormatMessageText(u"The sheet \"%s\" cannot be edited: the workbook has no worksheet part for it.",
                                              {sheet.Name}));
    }
    FSheetData = FirstChildNamed(root, "sheetData");
    if (!FSheetData) FSheetData = AddSheetData(root);
}

TXlsxWorkbook::TSheetDataEdit::~TSheetDataEdit() {
    if (FScratch && FWorkbook.FEditIndex && FWorkbook.FEditIndex->SheetData.root() == FScratch->root()) {
        FWorkbook.FEditIndex.reset(); // it knew a part that goes unchanged
    }
}

TSheetDataIndex& TXlsxWorkbook::TSheetDataEdit::Index() { return FWorkbook.EditIndex(FSheetData); }

void TXlsxWorkbook::TSheetDataEdit::Done() { FWorkbook.KeepOpened(FPartName, FScratch); }

void TXlsxWorkbook::TSheetDataEdit::DoneMovingLayout(TXlsxSheet& sheet) {
    // Rows and columns that edits add beyond the load limit are shown too.
    const TLayoutReach reach{std::max<int64_t>(MaxLoadedRows, int64_t(sheet.RowCount) + 1),
                             std::max<int64_t>(MaxLoadedCols, int64_t(sheet.ColCount) + 1)};
    TSheetLayout layout = ReadSheetLayout(Worksheet(), reach);
    Done();
    sheet.Layout = std::move(layout);
}

void TXlsxWorkbook::CheckEditable(int32_t sheetIndex) const {
    if (!IsSheetIndex(sheetIndex) || Sheet(sheetIndex).IsWorksheet) return;
    throw TTabulixError(FormatMessageText(u"The sheet \"%s\" holds a chart, not a worksheet, and cannot be edited.",
                                          {Sheet(sheetIndex).Name}));
}

TSheetDataIndex& TXlsxWorkbook::EditIndex(const pugi::xml_node& sheetData) {
    if (!FEditIndex || FEditIndex->SheetData != sheetData) {
        ForgetEditIndex();
        FEditIndex = std::make_unique<TSheetDataIndex>();
        FEditIndex->SheetData = sheetData;
    }
    return *FEditIndex;
}

void TXlsxWorkbook::RemoveChildNamed(pugi::xml_node element, std::string_view name) {
    const pugi::xml_node child = FirstChildNamed(element, name);
    if (child) element.remove_child(child);
}

pugi::xml_node TXlsxWorkbook::FindOrAddRow(pugi::xml_node sheetData, int64_t rowNumber) {
    TSheetDataIndex& index = EditIndex(sheetData);
    if (!index.RowsKnown && !IndexRows(index)) {
        // Spreadsheet applications require rows in ascending order: they are put so once, and then
        // found by their numbers.
        std::vector<std::pair<int64_t, pugi::xml_node>> rows;
        ForEachRow(sheetData, [&rows](const pugi::xml_node& row, int64_t number) { rows.emplace_back(number, row); });
        PutRowsInOrder(sheetData, index, rows);
    }
    const auto at = std::lower_bound(index.Rows.begin(), index.Rows.end(), rowNumber,
                                     [](const auto& entry, int64_t number) { return entry.first < number; });
    if (at != index.Rows.end() && at->first == rowNumber) {
        NumberRow(at->second, rowNumber);
        return at->second;
    }
    // Before the first row of a greater number, otherwise after the last row.
    const std::string name = ChildName(sheetData, "row");
    pugi::xml_node row;
    if (at != index.Rows.end()) {
        row = sheetData.insert_child_before(name.c_str(), at->second);
    } else if (const pugi::xml_node last = LastRow(sheetData)) {
        row = sheetData.insert_child_after(name.c_str(), last);
    } else {
        row = sheetData.append_child(name.c_str());
    }
    SetAttribute(row, "r", TDecimalText(rowNumber).c_str());
    index.Rows.emplace(at, rowNumber, row);
    if (index.ExtentKnown) index.Include(rowNumber, -1);
    return row;
}

pugi::xml_node TXlsxWorkbook::FindOrAddCell(pugi::xml_node rowElement, int64_t rowNumber, int64_t col) {
    pugi::xml_node before;
    TCellPlacing placing(rowNumber);
    for (pugi::xml_node cell = FirstCell(rowElement); cell; cell = NextCell(cell)) {
        const pugi::xml_attribute ref = AttributeNamed(cell, 'r');
        const auto position = placing.Next(ref ? ref.value() : nullptr);
        if (!position) continue;
        if (position->Col == col && position->RowNumber == rowNumber) {
            if (!ref) SetAttribute(cell, ref, "r", TCellRefText(col, rowNumber).c_str());
            return cell;
        }
        if (!before && position->Col > col) before = cell;
    }
    // Before the first cell of a greater column, otherwise after the last cell: never after a row's
    // extLst, which comes last.
    const std::string name = ChildName(rowElement, "c");
    pugi::xml_node cell;
    if (before) {
        cell = rowElement.insert_child_before(name.c_str(), before);
    } else if (const pugi::xml_node last = LastCell(rowElement)) {
        cell = rowElement.insert_child_after(name.c_str(), last);
    } else {
        cell = rowElement.prepend_child(name.c_str());
    }
    SetAttribute(cell, "r", TCellRefText(col, rowNumber).c_str());
    return cell;
}

void TXlsxWorkbook::WriteCellContent(pugi::xml_node cell, const std::u16string& text) {
    if (const pugi::xml_node formula = FirstChildNamed(cell, "f")) {
        cell.remove_child(formula); // the cached value goes too, below
        FCalcChainStale = true;
    }
    RemoveChildNamed(cell, "v");
    RemoveChildNamed(cell, "is");
    const TCellKind kind = TypedValueKind(text);
    if (kind == TCellKind::AsStored) {
        SetAttribute(cell, "t", "n");
        return;
    }
    if (kind == TCellKind::Number) {
        SetAttribute(cell, "t", "n");
        const std::u16string number = FormatGeneralNumber(*ReadDecimalNumber(text));
        cell.append_child(ChildName(cell, "v").c_str()).text().set(Utf16ToUtf8(number).c_str());
        return;
    }
    SetAttribute(cell, "t", "inlineStr");
    pugi::xml_node is = cell.append_child(ChildName(cell, "is").c_str());
    pugi::xml_node t = is.append_child(ChildName(is, "t").c_str());
    if (IsBlankChar(text.front()) || IsBlankChar(text.back())) t.append_attribute("xml:space").set_value("preserve");
    t.text().set(Utf16ToUtf8(EncodeEscapedCharacters(text)).c_str());
}

void TXlsxWorkbook::SetCellValue(int32_t sheetIndex, int32_t row, int32_t col, const std::u16string& newValue) {
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    if (row < 0 || col < 0 || row >= MaxSheetRows || col >= MaxSheetCols) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    TSheetDataEdit edit(*this, sheet);
    TXlsxSheet::TCellChange change = sheet.PrepareCellChange(row, col, newValue, TypedValueKind(newValue));

    WriteCellAt(edit.SheetData(), row, col, newValue);
    edit.Done();
    sheet.CommitCellChange(change);
    FValuesChanged = true;
}

void TXlsxWorkbook::WriteCellAt(const pugi::xml_node& sheetData, int64_t row, int64_t col, const std::u16string& text) {
    const int64_t rowNumber = row + 1;
    const pugi::xml_node rowElement = FindOrAddRow(sheetData, rowNumber);
    TSheetDataIndex& index = EditIndex(sheetData);
    WriteDeferredReferences(index, rowElement, rowNumber);
    const pugi::xml_node cell = FindOrAddCell(rowElement, rowNumber, col);
    if (index.ExtentKnown) index.Include(rowNumber, col);
    const pugi::xml_node formula = FirstChildNamed(cell, "f");
    if (formula && std::string_view(formula.attribute("t").value()) == "shared") {
        RewriteFormulaCells(sheetData, TDroppedFormulaRule({col, rowNumber}), index.FollowKnown && index.CellsFollowRows,
                            index.FormulasKnown ? &index.FormulaRows : nullptr);
    }
    WriteCellContent(cell, text);
}

namespace {

// The XML side of a structural edit: every row and cell of sheetData renumbered through NewRow
// (1-based row number to new row number, 0 to delete the row) and NewCol (0-based column to new
// column, -1 to delete the cell). Rows end up in ascending order.
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
    bool follow = true;
    ForEachRow(sheetData, [&](const pugi::xml_node& row, int64_t number) {
        found.Include(number, -1);
        TCellPlacing placing(number);
        size_t formulas = 0;
        for (pugi::xml_node cell = FirstCell(row); cell; cell = NextCell(cell)) {
            const auto position = placing.Next(cell);
            if (!position) continue;
            found.Include(position->RowNumber, position->Col);
            follow = follow && position->RowNumber == number;
            formulas += HasFormula(cell) ? 1 : 0;
        }
        if (formulas > 0) found.FormulaRows.emplace(row.internal_object(), formulas);
    });
    if (!index.ExtentKnown) {
        index.ExtentKnown = true;
        index.MaxRowNumber = found.MaxRowNumber;
        index.MaxCol = found.MaxCol;
    }
    if (!index.FormulasKnown) {
        index.FormulasKnown = true;
        index.HasFormulas = !found.FormulaRows.empty();
        index.FormulaRows = std::move(found.FormulaRows);
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

// The most rows whose cells' references are left for later: a move that would leave more (of a
// worksheet far beyond the load limit) writes them at once rather than hold a large set in the host.
constexpr size_t MaxDeferredRows = 1 << 16;

// A move of whole rows while every cell stands in its row element's row: each row element renumbered
// takes its cells with it, so only the row elements are renumbered now, and their cells' references
// are left for later (WriteDeferredReferences). False, changing nothing, when too many rows would be
// left so.
bool MoveWholeRows(pugi::xml_node sheetData, TSheetDataIndex& index, const TStructuralMove& move) {
    std::vector<std::pair<int64_t, pugi::xml_node>> rows;
    size_t renumbered = 0;
    ForEachRow(sheetData, [&](const pugi::xml_node& row, int64_t number) {
        rows.emplace_back(number, row);
        if (move.NewRow(number) != number && !index.DeferredRows.count(row.internal_object())) ++renumbered;
    });
    if (index.DeferredRows.size() + renumbered > MaxDeferredRows) return false;
    index.DeferredRows.reserve(index.DeferredRows.size() + renumbered);

    int64_t maxRowNumber = 0;
    for (auto& [number, row] : rows) {
        const int64_t newNumber = move.NewRow(number);
        NumberRow(row, newNumber);
        if (newNumber != number) index.DeferredRows.insert(row.internal_object());
        maxRowNumber = std::max(maxRowNumber, newNumber);
        number = newNumber;
    }
    PutRowsInOrder(sheetData, index, rows);
    index.MaxRowNumber = maxRowNumber; // every cell in its row's; no cell changes its column
    return true;
}

// Applies the move. The index learns the rows' new order and the extent of what the move leaves.
void ApplyStructuralMove(pugi::xml_node sheetData, TSheetDataIndex& index, const TStructuralMove& move) {
    Survey(sheetData, index);
    if (move.Kind == TStructuralMove::TKind::InsertRow || move.Kind == TStructuralMove::TKind::Reorder) {
        if (index.CellsFollowRows && MoveWholeRows(sheetData, index, move)) return;
    }
    WriteDeferredReferences(index);
    std::vector<std::pair<int64_t, pugi::xml_node>> rows;
    size_t rowCount = 0;
    for (pugi::xml_node row = FirstRow(sheetData); row; row = NextRow(row)) ++rowCount;
    rows.reserve(rowCount);
    TSheetDataIndex extent;
    bool follow = true; // every cell in its row element's row
    ForEachRow(sheetData, [&](pugi::xml_node row, int64_t number) {
        const int64_t newNumber = move.NewRow(number);
        if (newNumber <= 0) {
            sheetData.remove_child(row);
            return;
        }
        NumberRow(row, newNumber);
        extent.Include(newNumber, -1);
        if (move.ColumnsMove()) row.remove_attribute("spans"); // a hint of the columns in use, now stale
        TCellPlacing placing(number);
        for (pugi::xml_node cell = FirstCell(row); cell;) {
            const pugi::xml_node next = NextCell(cell);
            const pugi::xml_attribute ref = AttributeNamed(cell, 'r');
            const auto position = placing.Next(ref ? ref.value() : nullptr);
            if (!position) {
                cell = next; // stands nowhere, so goes nowhere
                continue;
            }
            follow = follow && position->RowNumber == number;
            const int64_t newCol = move.NewCol(position->Col);
            const int64_t newCellRow = move.NewRow(position->RowNumber);
            if (newCol < 0 || newCellRow <= 0) {
                row.remove_child(cell);
                cell = next;
                continue;
            }
            // A cell without a reference is given one: the cells before it may not stay as they were.
            const bool moved = newCol != position->Col || newCellRow != position->RowNumber;
            if (moved || !ref) SetAttribute(cell, ref, "r", TCellRefText(newCol, newCellRow).c_str());
            extent.Include(newCellRow, newCol);
            cell = next;
        }
        rows.emplace_back(newNumber, row);
    });
    PutRowsInOrder(sheetData, index, rows);
    // Cells that stood in their row elements' rows still do.
    index.FollowKnown = true;
    index.CellsFollowRows = follow;
    index.ExtentKnown = true;
    index.MaxRowNumber = extent.MaxRowNumber;
    index.MaxCol = extent.MaxCol;
}

// How a structural move takes the sheet's formulas along: an insertion or deletion (shift) rewrites
// every reference to the sheet's cells; a sort moves the references to a formula's own row with it.
class TMovedCellsRule : public TFormulaCellRule {
public:
    TMovedCellsRule(const TStructuralMove& move, const TReferenceShift* shift, std::string_view sheetName)
        : FMove(move), FShift(shift), FSheetName(sheetName) {}

    std::optional<TCellPosition> NewPosition(const TCellPosition& position) const override {
        const int64_t rowNumber = FMove.NewRow(position.RowNumber);
        const int64_t col = FMove.NewCol(position.Col);
        if (rowNumber <= 0 || col < 0) return std::nullopt;
        return TCellPosition{col, rowNumber};
    }

    TFormulaChange Rewrite(std::string_view formula, const TCellPosition& position, std::string& out) const override {
        if (FShift) return FShift->RewriteFormula(formula, FSheetName, out);
        return FollowRowInFormula(formula, FSheetName, position.RowNumber - 1, FMove.NewRow(position.RowNumber) - 1, out);
    }

    TRangeChange RewriteArea(std::string_view ref, const TCellPosition& position, std::string& out) const override {
        if (FShift) return FShift->RewriteRange(ref, out);
        const int64_t rows = FMove.NewRow(position.RowNumber) - position.RowNumber;
        TCellArea area;
        if (rows == 0 || !ParseAreaText(ref, area) || !area.HasRows()) return TRangeChange::Unchanged;
        area.First.Row += rows;
        area.Last.Row += rows;
        out.clear();
        AppendAreaText(out, area);
        return TRangeChange::Changed;
    }

    // An array formula fills its area as one: rows or columns may not be inserted into it or deleted
    // from part of it, and a sort must move all its rows by as many.
    bool KeepsAreaWhole(std::string_view ref, const TCellPosition&) const override {
        TCellArea area;
        if (!ParseAreaText(ref, area)) return true;
        const bool rows = !FShift || FShift->Axis() == TEditAxis::Rows;
        if (rows ? !area.HasRows() : !area.HasCols()) return true;
        const int64_t low = rows ? std::min(area.First.Row, area.Last.Row) : std::min(area.First.Col, area.Last.Col);
        const int64_t high = rows ? std::max(area.First.Row, area.Last.Row) : std::max(area.First.Col, area.Last.Col);
        if (FShift) {
            const int64_t at = FShift->At(), end = at + FShift->Count() - 1;
            if (FShift->Inserting()) return at <= low || at > high;
            return end < low || at > high || (at <= low && end >= high);
        }
        for (int64_t rowNumber = low + 2; rowNumber <= high + 1; ++rowNumber) {
            if (FMove.NewRow(rowNumber) - rowNumber != FMove.NewRow(low + 1) - (low + 1)) return false;
        }
        return true;
    }

private:
    const TStructuralMove& FMove;
    const TReferenceShift* FShift;
    std::string_view FSheetName;
};

// Moves the sheet's cells and everything that refers to them: the sheet's formulas while the cells
// still stand where they stood, the cells and the column widths, then the rest of the package; the
// parts are kept once all of it is done, and the sheet's layout read as it then stands.
template <typename TEdit, typename TReferences>
void MoveCellsAndReferences(TEdit& edit, TReferences& references, const TStructuralMove& move, const TReferenceShift& shift,
                            TXlsxSheet& sheet, std::string_view sheetName) {
    TSheetDataIndex& index = edit.Index();
    Survey(edit.SheetData(), index);
    references.BeforeMove(edit.SheetData(), TMovedCellsRule(move, &shift, sheetName), index);
    ApplyStructuralMove(edit.SheetData(), index, move);
    if (move.ColumnsMove()) MoveColumnRuns(edit.Worksheet(), move.At, move.Kind == TStructuralMove::TKind::InsertColumn);
    references.AfterMove(edit.SheetData());
    edit.DoneMovingLayout(sheet);
    references.Done();
}

} // namespace

// Each structural edit opens the parts it changes and makes ready whatever the grid needs before it
// changes anything; the grid changes last, once the parts are kept, in ways that cannot fail.

void TXlsxWorkbook::InsertRow(int32_t sheetIndex, int32_t atRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    atRow = std::clamp(atRow, int32_t(0), sheet.RowCount);
    const TStructuralMove move{TStructuralMove::TKind::InsertRow, int64_t(atRow) + 1};
    TSheetDataEdit edit(*this, sheet);
    RefuseOverflow(edit.SheetData(), edit.Index(), move);
    sheet.ReserveRow();
    const std::string name = Utf16ToUtf8(sheet.Name);
    const TReferenceShift shift = TReferenceShift::Insertion(name, TEditAxis::Rows, atRow);
    TReferenceEdit references(*this, sheetIndex, shift);
    MoveCellsAndReferences(edit, references, move, shift, sheet, name);
    sheet.InsertEmptyRow(atRow);
    FinishStructuralEdit(references);
}

void TXlsxWorkbook::DeleteRow(int32_t sheetIndex, int32_t atRow) {
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (sheet.RowCount <= 1 || atRow < 0 || atRow >= sheet.RowCount) return;
    TSheetDataEdit edit(*this, sheet);
    const TStructuralMove move{TStructuralMove::TKind::DeleteRow, int64_t(atRow) + 1};
    const std::string name = Utf16ToUtf8(sheet.Name);
    const TReferenceShift shift = TReferenceShift::Deletion(name, TEditAxis::Rows, atRow);
    TReferenceEdit references(*this, sheetIndex, shift);
    MoveCellsAndReferences(edit, references, move, shift, sheet, name);
    sheet.EraseRow(atRow);
    FinishStructuralEdit(references);
}

void TXlsxWorkbook::InsertColumn(int32_t sheetIndex, int32_t atCol) {
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    atCol = std::clamp(atCol, int32_t(0), sheet.ColCount);
    const TStructuralMove move{TStructuralMove::TKind::InsertColumn, atCol};
    TSheetDataEdit edit(*this, sheet);
    RefuseOverflow(edit.SheetData(), edit.Index(), move);
    TXlsxSheet::TGridShape shape = sheet.WithColumn(atCol, true);
    const std::string name = Utf16ToUtf8(sheet.Name);
    const TReferenceShift shift = TReferenceShift::Insertion(name, TEditAxis::Columns, atCol);
    TReferenceEdit references(*this, sheetIndex, shift);
    MoveCellsAndReferences(edit, references, move, shift, sheet, name);
    sheet.TakeShape(shape);
    FinishStructuralEdit(references);
}

void TXlsxWorkbook::DeleteColumn(int32_t sheetIndex, int32_t atCol) {
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (sheet.ColCount < 2 || atCol < 0 || atCol >= sheet.ColCount) return;
    TSheetDataEdit edit(*this, sheet);
    TXlsxSheet::TGridShape shape = sheet.WithColumn(atCol, false);
    const TStructuralMove move{TStructuralMove::TKind::DeleteColumn, atCol};
    const std::string name = Utf16ToUtf8(sheet.Name);
    const TReferenceShift shift = TReferenceShift::Deletion(name, TEditAxis::Columns, atCol);
    TReferenceEdit references(*this, sheetIndex, shift);
    MoveCellsAndReferences(edit, references, move, shift, sheet, name);
    sheet.TakeShape(shape);
    FinishStructuralEdit(references);
}

void TXlsxWorkbook::FinishStructuralEdit(TReferenceEdit& references) noexcept {
    references.ShowTexts();
    FCalcChainStale = FCalcChainStale || references.FormulaCellsMoved();
    FValuesChanged = true;
}

std::vector<int32_t> TXlsxWorkbook::SortOrder(int32_t sheetIndex, int32_t col, bool ascending, bool hasHeaderRow) const {
    if (!IsSheetIndex(sheetIndex)) return {};
    CheckEditable(sheetIndex);
    const TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (col < 0 || col >= sheet.ColCount) return {};
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
    return order;
}

void TXlsxWorkbook::SortByColumn(int32_t sheetIndex, int32_t col, bool ascending, bool hasHeaderRow) {
    ReorderRows(sheetIndex, SortOrder(sheetIndex, col, ascending, hasHeaderRow));
}

void TXlsxWorkbook::ReorderRows(int32_t sheetIndex, const std::vector<int32_t>& order) {
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (order.empty() || order.size() != size_t(sheet.RowCount)) return;
    TSheetDataEdit edit(*this, sheet);
    std::vector<int64_t> newRowOf(size_t(sheet.RowCount)); // by old index
    for (size_t n = 0; n < order.size(); ++n) newRowOf[size_t(order[n])] = int64_t(n);
    TXlsxSheet::TGridShape sorted = sheet.Reordered(order);

    TStructuralMove move{TStructuralMove::TKind::Reorder};
    move.NewRowOf = &newRowOf;
    // Formulas move with their rows, taking the references to their own rows along; nothing else
    // that refers to the sheet moves.
    TSheetDataIndex& index = edit.Index();
    Survey(edit.SheetData(), index);
    TFormulaCellsResult formulas;
    if (index.HasFormulas) {
        formulas = RewriteFormulaCells(edit.SheetData(), TMovedCellsRule(move, nullptr, Utf16ToUtf8(sheet.Name)), index.CellsFollowRows,
                                       &index.FormulaRows);
    }
    ApplyStructuralMove(edit.SheetData(), index, move);
    edit.DoneMovingLayout(sheet);
    sheet.TakeShape(sorted);
    FCalcChainStale = FCalcChainStale || formulas.CellsMoved;
    FValuesChanged = true;
}

bool TXlsxWorkbook::SheetHoldsFormulas(int32_t sheetIndex) {
    if (!IsSheetIndex(sheetIndex)) return false;
    CheckEditable(sheetIndex);
    TSheetDataEdit edit(*this, FSheets[size_t(sheetIndex)]);
    TSheetDataIndex& index = edit.Index();
    Survey(edit.SheetData(), index);
    edit.Done(); // what the index learnt stays with the part it looked at
    return index.HasFormulas;
}

} // namespace tabulix

