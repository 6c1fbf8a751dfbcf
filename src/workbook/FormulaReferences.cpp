#include "workbook/FormulaReferences.h"

#include <algorithm>
#include <cstring>

namespace tabulix {

namespace {

// Reads the formula and asks move about each reference in turn; writes the formula anew into out once
// the first reference moves. move(reference, area) changes area and tells what it did.
template <typename TMoveRule>
TFormulaChange RewriteReferences(std::string_view formula, std::string& out, TMoveRule&& move) {
    TFormulaLexer lexer(formula);
    TFormulaReference reference;
    TFormulaChange change;
    size_t copied = 0;
    while (lexer.Next(reference)) {
        TCellArea area = reference.Area;
        const TAreaMove result = move(reference, area);
        if (result == TAreaMove::Unchanged) continue;
        if (!change.Changed) out.clear();
        change.Changed = true;
        out.append(formula, copied, reference.AreaBegin - copied);
        if (result == TAreaMove::Deleted) {
            out += "#REF!";
            change.RefErrorAdded = true;
        } else {
            AppendAreaText(out, area);
        }
        copied = reference.End;
    }
    if (lexer.Failed() || !change.Changed) return {};
    out.append(formula, copied);
    return change;
}

// Whether a reference names cells of the sheet: its own sheet when it names none, with home telling
// whether the formula stands on that sheet.
bool NamesSheet(const TFormulaReference& reference, bool home, std::string_view sheetName) {
    switch (reference.Scope) {
    case TSheetScope::Home:
        return home;
    case TSheetScope::Sheet:
        return IsSameSheet(reference.FirstSheet, reference.Quoted, sheetName);
    case TSheetScope::SheetSpan:
        return IsSameSheet(reference.FirstSheet, reference.Quoted, sheetName) &&
               IsSameSheet(reference.LastSheet, reference.Quoted, sheetName);
    case TSheetScope::External:
        break;
    }
    return false;
}

// A part of a reference moved by an offset when it is relative; false when it leaves the sheet.
bool Translate(int64_t& index, bool absolute, int64_t offset, int64_t last) {
    if (!absolute) index += offset;
    return index >= 0 && index <= last;
}

TAreaMove TranslateArea(TCellArea& area, int64_t rowOffset, int64_t colOffset) {
    bool inside = true;
    for (TAreaCorner* corner : {&area.First, &area.Last}) {
        if (area.HasRows()) inside = Translate(corner->Row, corner->RowAbsolute, rowOffset, LastSheetRow) && inside;
        if (area.HasCols()) inside = Translate(corner->Col, corner->ColAbsolute, colOffset, LastSheetCol) && inside;
    }
    return inside ? TAreaMove::Moved : TAreaMove::Deleted;
}

} // namespace

TReferenceShift::TReferenceShift(std::string_view sheetName, bool inserting, TEditAxis axis, int64_t at, int64_t count)
    : FSheetName(sheetName), FInserting(inserting), FAxis(axis) {
    const int64_t limit = LastIndex() + 1;
    FAt = std::clamp<int64_t>(at, 0, limit);
    FCount = std::clamp<int64_t>(count, 0, limit);
}

TReferenceShift TReferenceShift::Insertion(std::string_view sheetName, TEditAxis axis, int64_t at, int64_t count) {
    return TReferenceShift(sheetName, true, axis, at, count);
}

TReferenceShift TReferenceShift::Deletion(std::string_view sheetName, TEditAxis axis, int64_t at, int64_t count) {
    return TReferenceShift(sheetName, false, axis, at, count);
}

TAreaMove TReferenceShift::MoveSpan(int64_t& low, int64_t& high, bool isArea) const {
    const int64_t last = LastIndex();
    const bool reachesEnd = isArea && high == last;
    if (FCount == 0 || FAt > high || (reachesEnd && low == 0)) return TAreaMove::Unchanged;
    const int64_t oldLow = low, oldHigh = high;
    if (FInserting) {
        if (FAt <= low) low += FCount;
        high = std::min(high + FCount, last);
        if (low > last) return TAreaMove::Deleted;
    } else {
        const int64_t end = FAt + FCount; // the first index after the deleted ones
        if (low >= FAt && high < end) return TAreaMove::Deleted;
        low = low < FAt ? low : low >= end ? low - FCount : FAt;
        high = reachesEnd ? last : high >= end ? high - FCount : FAt - 1;
    }
    return low == oldLow && high == oldHigh ? TAreaMove::Unchanged : TAreaMove::Moved;
}

TAreaMove TReferenceShift::MoveArea(TCellArea& area) const {
    const bool rows = FAxis == TEditAxis::Rows;
    if (rows ? !area.HasRows() : !area.HasCols()) return TAreaMove::Unchanged; // it spans the whole axis
    int64_t& first = rows ? area.First.Row : area.First.Col;
    int64_t& last = rows ? area.Last.Row : area.Last.Col;
    // An area may be written with its corners the other way round (B9:A1); it keeps that order.
    const bool ascending = first <= last;
    int64_t low = ascending ? first : last, high = ascending ? last : first;
    const TAreaMove move = MoveSpan(low, high, area.Shape != TAreaShape::Cell);
    if (move == TAreaMove::Moved) {
        first = ascending ? low : high;
        last = ascending ? high : low;
    }
    return move;
}

TFormulaChange TReferenceShift::RewriteFormula(std::string_view formula, std::string_view homeSheet, std::string& out) const {
    const bool home = !homeSheet.empty() && IsEditedSheet(homeSheet);
    // Without a sheet prefix every reference names the formula's own sheet.
    if (FCount == 0 || (!home && std::memchr(formula.data(), '!', formula.size()) == nullptr)) return {};
    return RewriteReferences(formula, out, [&](const TFormulaReference& reference, TCellArea& area) {
        if (!NamesSheet(reference, home, FSheetName)) return TAreaMove::Unchanged;
        return MoveArea(area);
    });
}

TRangeChange TReferenceShift::RewriteRange(std::string_view ref, std::string& out) const {
    TCellArea area;
    if (!ParseAreaText(ref, area)) return TRangeChange::Unchanged;
    switch (MoveArea(area)) {
    case TAreaMove::Unchanged:
        return TRangeChange::Unchanged;
    case TAreaMove::Deleted:
        return TRangeChange::Deleted;
    case TAreaMove::Moved:
        break;
    }
    out.clear();
    AppendAreaText(out, area);
    return TRangeChange::Changed;
}

TRangeChange TReferenceShift::RewriteRangeList(std::string_view sqref, std::string& out) const {
    // Every item is read, and moved, before anything is written: a list with an item that is not an
    // area stays as it is.
    auto forEachItem = [&](auto&& onItem) {
        for (size_t at = 0; at < sqref.size();) {
            const size_t end = std::min(sqref.find(' ', at), sqref.size());
            if (end > at && !onItem(sqref.substr(at, end - at))) return false;
            at = end + 1;
        }
        return true;
    };
    bool moved = false, kept = false;
    const bool readable = forEachItem([&](std::string_view item) {
        TCellArea area;
        if (!ParseAreaText(item, area)) return false;
        const TAreaMove move = MoveArea(area);
        moved = moved || move != TAreaMove::Unchanged;
        kept = kept || move != TAreaMove::Deleted;
        return true;
    });
    if (!readable || !moved) return TRangeChange::Unchanged;
    if (!kept) return TRangeChange::Deleted;
    out.clear();
    forEachItem([&](std::string_view item) {
        TCellArea area;
        ParseAreaText(item, area);
        if (MoveArea(area) == TAreaMove::Deleted) return true;
        if (!out.empty()) out += ' ';
        AppendAreaText(out, area);
        return true;
    });
    return TRangeChange::Changed;
}

int64_t TReferenceShift::MoveIndex(int64_t index) const {
    if (index < FAt) return index;
    if (FInserting) return std::min(index + FCount, LastIndex());
    return index >= FAt + FCount ? index - FCount : FAt;
}

int64_t TReferenceShift::SourceIndex(int64_t index) const {
    if (index < FAt) return index;
    if (!FInserting) return index + FCount;
    return index >= FAt + FCount ? index - FCount : FAt;
}

TFormulaChange TranslateFormula(std::string_view formula, int64_t rowOffset, int64_t colOffset, std::string& out) {
    if (rowOffset == 0 && colOffset == 0) return {};
    return RewriteReferences(formula, out, [&](const TFormulaReference&, TCellArea& area) {
        const TCellArea before = area;
        const TAreaMove move = TranslateArea(area, rowOffset, colOffset);
        const bool same = area.First.Row == before.First.Row && area.First.Col == before.First.Col &&
                          area.Last.Row == before.Last.Row && area.Last.Col == before.Last.Col;
        return move == TAreaMove::Moved && same ? TAreaMove::Unchanged : move;
    });
}

TFormulaChange FollowRowInFormula(std::string_view formula, std::string_view homeSheet, int64_t oldRow,
                                  int64_t newRow, std::string& out) {
    if (oldRow == newRow || newRow < 0 || newRow > LastSheetRow) return {};
    return RewriteReferences(formula, out, [&](const TFormulaReference& reference, TCellArea& area) {
        const bool ownRow = area.HasRows() && !area.First.RowAbsolute && !area.Last.RowAbsolute &&
                            area.First.Row == oldRow && area.Last.Row == oldRow;
        if (!ownRow || !NamesSheet(reference, true, homeSheet)) return TAreaMove::Unchanged;
        area.First.Row = area.Last.Row = newRow;
        return TAreaMove::Moved;
    });
}

} // namespace tabulix
