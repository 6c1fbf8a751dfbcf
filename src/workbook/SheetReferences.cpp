// The references a worksheet part holds besides the formulas of its cells.
#include "workbook/SheetReferences.h"

#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tabulix {

namespace {

// The top left cell of a list of areas, 0-based.
struct TAnchor {
    int64_t Row = 0;
    int64_t Col = 0;
};

std::optional<TAnchor> TopLeftOf(std::string_view sqref) {
    std::optional<TAnchor> anchor;
    for (size_t at = 0; at < sqref.size();) {
        const size_t end = std::min(sqref.find(' ', at), sqref.size());
        TCellArea area;
        if (end > at && ParseAreaText(sqref.substr(at, end - at), area)) {
            const int64_t row = area.HasRows() ? std::min(area.First.Row, area.Last.Row) : 0;
            const int64_t col = area.HasCols() ? std::min(area.First.Col, area.Last.Col) : 0;
            if (!anchor) anchor = TAnchor{row, col};
            anchor->Row = std::min(anchor->Row, row);
            anchor->Col = std::min(anchor->Col, col);
        }
        at = end + 1;
    }
    return anchor;
}

// Removes the children of container that remove says to, keeps its count attribute true, and removes
// the container once it is empty (the file format wants at least one child in each).
template <typename TRemove>
bool RemoveChildrenWhere(pugi::xml_node container, TRemove&& remove) {
    bool removed = false;
    size_t kept = 0;
    for (pugi::xml_node child = FirstElement(container); child;) {
        const pugi::xml_node next = NextElement(child);
        if (remove(child)) {
            container.remove_child(child);
            removed = true;
        } else {
            ++kept;
        }
        child = next;
    }
    if (!removed) return false;
    if (kept == 0) {
        container.parent().remove_child(container);
    } else if (pugi::xml_attribute count = container.attribute("count")) {
        count.set_value(std::to_string(kept).c_str());
    }
    return true;
}

class TWorksheetRewriter {
public:
    TWorksheetRewriter(const TReferenceShift& shift, std::string_view homeSheet)
        : FShift(shift), FHome(homeSheet), FEdited(shift.IsEditedSheet(homeSheet)) {}

    bool Rewrite(const pugi::xml_node& worksheet) {
        for (pugi::xml_node child = FirstElement(worksheet); child;) {
            const pugi::xml_node next = NextElement(child);
            const std::string_view name = LocalName(child);
            if (name == "conditionalFormatting") {
                ConditionalFormat(child);
            } else if (name == "dataValidations") {
                FChanged = RemoveChildrenWhere(child, [this](pugi::xml_node validation) { return !Validation(validation); }) || FChanged;
            } else if (name == "hyperlinks") {
                FChanged = RemoveChildrenWhere(child, [this](pugi::xml_node link) { return !Hyperlink(link); }) || FChanged;
            } else if (FEdited) {
                AreasOfEditedSheet(child, name);
            }
            child = next;
        }
        return FChanged;
    }

private:
    void AreasOfEditedSheet(pugi::xml_node child, std::string_view name) {
        if (name == "dimension") {
            Area(child, "ref");
        } else if (name == "sheetViews") {
            for (pugi::xml_node view = FirstElement(child); view; view = NextElement(view)) View(view);
        } else if (name == "mergeCells") {
            FChanged = RemoveChildrenWhere(child, [this](pugi::xml_node merge) { return !Merge(merge); }) || FChanged;
        } else if (name == "autoFilter") {
            const TRangeChange change = MoveAutoFilter(child, FShift);
            if (change == TRangeChange::Deleted) child.parent().remove_child(child);
            FChanged = FChanged || change != TRangeChange::Unchanged;
        } else if (name == "sortState") {
            if (!SortState(child)) child.parent().remove_child(child);
        } else if (name == "protectedRanges" || name == "ignoredErrors") {
            FChanged = RemoveChildrenWhere(child, [this](pugi::xml_node item) { return !AreaList(item); }) || FChanged;
        }
    }

    // Writes the text rewritten into FOut when change says it changed; whether the attribute's element
    // keeps any cell.
    bool Keep(pugi::xml_attribute attribute, TRangeChange change) {
        if (change == TRangeChange::Deleted) return false;
        if (change == TRangeChange::Changed) {
            attribute.set_value(FOut.c_str());
            FChanged = true;
        }
        return true;
    }

    // A cell or area that stays where it is when its cells are deleted: the extent, the views.
    void Area(pugi::xml_node element, const char* attribute) {
        pugi::xml_attribute ref = element.attribute(attribute);
        if (ref) Keep(ref, FShift.RewriteRange(ref.value(), FOut));
    }

    void View(pugi::xml_node view) {
        Area(view, "topLeftCell");
        for (pugi::xml_node child = FirstElement(view); child; child = NextElement(child)) {
            if (HasLocalName(child, "pane")) {
                Area(child, "topLeftCell");
            } else if (HasLocalName(child, "selection")) {
                Area(child, "activeCell");
                pugi::xml_attribute sqref = child.attribute("sqref");
                if (sqref) Keep(sqref, FShift.RewriteRangeList(sqref.value(), FOut));
            }
        }
    }

    // Whether the merged range stays: it goes with its cells, and once it covers a single cell.
    bool Merge(pugi::xml_node merge) {
        pugi::xml_attribute ref = merge.attribute("ref");
        if (!ref) return true;
        const TRangeChange change = FShift.RewriteRange(ref.value(), FOut);
        TCellArea area;
        if (change == TRangeChange::Changed && ParseAreaText(FOut, area) && area.First.Row == area.Last.Row &&
            area.First.Col == area.Last.Col) {
            return false;
        }
        return Keep(ref, change);
    }

    // Whether an item with a list of areas stays.
    bool AreaList(pugi::xml_node item) {
        pugi::xml_attribute sqref = item.attribute("sqref");
        return !sqref || Keep(sqref, FShift.RewriteRangeList(sqref.value(), FOut));
    }

    // The list of areas of a conditional format or validation, moved, and the formulas of its children
    // named in formulaNames (or of its children named wrapper) rewritten for the list's new top left
    // cell. Whether the element stays.
    bool AnchoredFormulas(pugi::xml_node element, const char* wrapper, std::initializer_list<std::string_view> formulaNames) {
        const std::string before = element.attribute("sqref").value();
        if (FEdited && !AreaList(element)) return false;
        TAnchorMove move;
        const std::optional<TAnchor> oldAnchor = TopLeftOf(before);
        const std::optional<TAnchor> newAnchor = TopLeftOf(element.attribute("sqref").value());
        if (FEdited && oldAnchor && newAnchor) move = AnchorMove(*oldAnchor, *newAnchor);
        const auto rewrite = [&](pugi::xml_node holder) {
            for (pugi::xml_node formula = FirstElement(holder); formula; formula = NextElement(formula)) {
                const std::string_view name = LocalName(formula);
                if (std::find(formulaNames.begin(), formulaNames.end(), name) != formulaNames.end()) Formula(formula, move);
            }
        };
        if (!wrapper) rewrite(element);
        for (pugi::xml_node child = FirstElement(element); wrapper && child; child = NextElement(child)) {
            if (LocalName(child) == wrapper) rewrite(child);
        }
        return true;
    }

    // A formula relative to the anchor T, for its areas' cell X, reads as F translated by X - T. After
    // the edit it must read, for X's new place X', as the old text for X rewritten. So it is read for a
    // cell X that stays, rewritten, and translated from X' back to the new anchor T'.
    struct TAnchorMove {
        int64_t RowsBefore = 0, ColsBefore = 0; // X - T
        int64_t RowsAfter = 0, ColsAfter = 0;   // T' - X'
    };

    TAnchorMove AnchorMove(const TAnchor& oldAnchor, const TAnchor& newAnchor) const {
        const bool rows = FShift.Axis() == TEditAxis::Rows;
        const int64_t anchor = rows ? newAnchor.Row : newAnchor.Col;
        // The new anchor, or the first cell after it when it is an inserted one.
        const bool inserted = FShift.Inserting() && anchor >= FShift.At() && anchor < FShift.At() + FShift.Count();
        const int64_t stays = inserted ? FShift.At() + FShift.Count() : anchor;
        const int64_t source = FShift.SourceIndex(stays);
        TAnchorMove move;
        (rows ? move.RowsBefore : move.ColsBefore) = source - (rows ? oldAnchor.Row : oldAnchor.Col);
        (rows ? move.ColsBefore : move.RowsBefore) = rows ? newAnchor.Col - oldAnchor.Col : newAnchor.Row - oldAnchor.Row;
        (rows ? move.RowsAfter : move.ColsAfter) = anchor - stays;
        return move;
    }

    void ConditionalFormat(pugi::xml_node format) {
        if (!AnchoredFormulas(format, "cfRule", {"formula"})) {
            format.parent().remove_child(format);
            FChanged = true;
        }
    }

    bool Validation(pugi::xml_node validation) { return AnchoredFormulas(validation, nullptr, {"formula1", "formula2"}); }

    void Formula(pugi::xml_node formula, const TAnchorMove& move) {
        const std::string_view text = formula.text().get();
        if (text.empty()) return;
        std::string source(text);
        if (TranslateFormula(source, move.RowsBefore, move.ColsBefore, FTranslated).Changed) source = FTranslated;
        if (FShift.RewriteFormula(source, FHome, FOut).Changed) source = FOut;
        if (TranslateFormula(source, move.RowsAfter, move.ColsAfter, FTranslated).Changed) source = FTranslated;
        if (source == text) return;
        formula.text().set(source.c_str());
        FChanged = true;
    }

    // Whether the hyperlink stays: it goes with its cell; the place it leads to moves with the cells.
    bool Hyperlink(pugi::xml_node link) {
        pugi::xml_attribute ref = link.attribute("ref");
        if (FEdited && ref && !Keep(ref, FShift.RewriteRange(ref.value(), FOut))) return false;
        pugi::xml_attribute location = link.attribute("location");
        if (location && FShift.RewriteFormula(location.value(), "", FOut).Changed) {
            location.set_value(FOut.c_str());
            FChanged = true;
        }
        return true;
    }

    bool SortState(pugi::xml_node sortState) {
        const TRangeChange change = MoveSortState(sortState, FShift);
        FChanged = FChanged || change != TRangeChange::Unchanged;
        return change != TRangeChange::Deleted;
    }

    const TReferenceShift& FShift;
    std::string_view FHome;
    bool FEdited;
    bool FChanged = false;
    std::string FOut;
    std::string FTranslated;
};

} // namespace

bool RewriteWorksheetReferences(const pugi::xml_node& worksheet, const TReferenceShift& shift, std::string_view homeSheet) {
    return TWorksheetRewriter(shift, homeSheet).Rewrite(worksheet);
}

TRangeChange MoveAutoFilter(pugi::xml_node autoFilter, const TReferenceShift& shift) {
    pugi::xml_attribute ref = autoFilter.attribute("ref");
    TCellArea before;
    if (!ref || !ParseAreaText(ref.value(), before)) return TRangeChange::Unchanged;
    std::string moved;
    const TRangeChange change = shift.RewriteRange(ref.value(), moved);
    if (change == TRangeChange::Deleted) return change;
    bool changed = change == TRangeChange::Changed;
    TCellArea after = before;
    if (changed) ParseAreaText(moved, after);
    // Filtered columns count from the area's first column.
    if (shift.Axis() == TEditAxis::Columns && before.HasCols()) {
        const int64_t oldFirst = std::min(before.First.Col, before.Last.Col);
        const int64_t newFirst = std::min(after.First.Col, after.Last.Col);
        for (pugi::xml_node column = FirstElement(autoFilter); column;) {
            const pugi::xml_node next = NextElement(column);
            pugi::xml_attribute id = column.attribute("colId");
            if (HasLocalName(column, "filterColumn") && id) {
                const int64_t col = oldFirst + id.as_llong();
                const int64_t newId = shift.MoveIndex(col) - newFirst;
                if (shift.Deletes(col)) {
                    autoFilter.remove_child(column);
                    changed = true;
                } else if (newId != id.as_llong()) {
                    id.set_value(std::to_string(newId).c_str());
                    changed = true;
                }
            }
            column = next;
        }
    }
    for (pugi::xml_node child = FirstElement(autoFilter); child;) {
        const pugi::xml_node next = NextElement(child);
        if (HasLocalName(child, "sortState")) {
            const TRangeChange sortChange = MoveSortState(child, shift);
            if (sortChange == TRangeChange::Deleted) autoFilter.remove_child(child);
            changed = changed || sortChange != TRangeChange::Unchanged;
        }
        child = next;
    }
    if (change == TRangeChange::Changed) ref.set_value(moved.c_str());
    return changed ? TRangeChange::Changed : TRangeChange::Unchanged;
}

TRangeChange MoveSortState(pugi::xml_node sortState, const TReferenceShift& shift) {
    std::string out;
    bool changed = false;
    pugi::xml_attribute ref = sortState.attribute("ref");
    if (ref) {
        const TRangeChange change = shift.RewriteRange(ref.value(), out);
        if (change == TRangeChange::Deleted) return change;
        if (change == TRangeChange::Changed) ref.set_value(out.c_str());
        changed = change == TRangeChange::Changed;
    }
    for (pugi::xml_node condition = FirstElement(sortState); condition;) {
        const pugi::xml_node next = NextElement(condition);
        pugi::xml_attribute conditionRef = condition.attribute("ref");
        if (HasLocalName(condition, "sortCondition") && conditionRef) {
            const TRangeChange change = shift.RewriteRange(conditionRef.value(), out);
            if (change == TRangeChange::Deleted) sortState.remove_child(condition);
            else if (change == TRangeChange::Changed) conditionRef.set_value(out.c_str());
            changed = changed || change != TRangeChange::Unchanged;
        }
        condition = next;
    }
    return changed ? TRangeChange::Changed : TRangeChange::Unchanged;
}

} // namespace tabulix
