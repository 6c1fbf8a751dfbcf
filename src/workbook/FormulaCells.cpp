// Rewriting the formulas of a sheetData's cells for an edit.
#include "workbook/FormulaCells.h"

#include "base/Error.h"
#include "base/Text.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tabulix {

namespace {

struct TFormulaCell {
    pugi::xml_node Cell;
    pugi::xml_node Formula;
    TCellPosition Position;
};

bool SamePosition(const TCellPosition& a, const TCellPosition& b) { return a.Col == b.Col && a.RowNumber == b.RowNumber; }

void SetAttributeValue(pugi::xml_node element, const char* name, const char* value) {
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(value);
}

// Places the cells of one row element that hold formulas. A cell with a reference stands where it
// says, so the cells before it are placed only when a cell without one needs them: most cells of a
// large sheet are then never placed.
class TFormulaCellPlacing {
public:
    TFormulaCellPlacing(const pugi::xml_node& row, int64_t rowNumber) : FPlacing(rowNumber), FUnplaced(FirstCell(row)) {}

    // The place of a cell of the row, the cells given in document order.
    std::optional<TCellPosition> Place(const pugi::xml_node& cell) {
        const pugi::xml_attribute r = AttributeNamed(cell, 'r');
        if (!r) {
            for (; FUnplaced != cell; FUnplaced = NextCell(FUnplaced)) FPlacing.Next(FUnplaced);
        }
        const std::optional<TCellPosition> position = FPlacing.Next(r ? r.value() : nullptr);
        // An unusable reference leaves the placing as it was: the cells before it still count.
        if (position) FUnplaced = NextCell(cell);
        return position;
    }

private:
    TCellPlacing FPlacing;
    pugi::xml_node FUnplaced; // the first cell whose place the placing has not counted yet
};

// A cell whose formula now holds #REF! shows that error until it is calculated again.
void CacheRefError(pugi::xml_node cell, const pugi::xml_node& formula) {
    SetAttributeValue(cell, "t", "e");
    if (const pugi::xml_node inlineText = FirstChildNamed(cell, "is")) cell.remove_child(inlineText);
    pugi::xml_node value = FirstChildNamed(cell, "v");
    if (!value) value = cell.insert_child_after(ChildName(cell, "v").c_str(), formula);
    value.text().set("#REF!");
}

// What one cell of a shared group reads as after the edit.
struct TSharedMember {
    const TFormulaCell* Cell = nullptr;
    TCellPosition NewPosition;
    std::string Text;
    bool RefError = false;
};

class TFormulaCellRewriter {
public:
    TFormulaCellRewriter(const TFormulaCellRule& rule, TFormulaCellsResult& result) : FRule(rule), FResult(result) {}

    void RewriteOwn(const TFormulaCell& cell) {
        const std::optional<TCellPosition> newPosition = FRule.NewPosition(cell.Position);
        NoteMove(cell.Position, newPosition);
        if (!newPosition) return;
        pugi::xml_node formula = cell.Formula;
        const std::string_view text = formula.text().get();
        const TFormulaChange change = text.empty() ? TFormulaChange{} : FRule.Rewrite(text, cell.Position, FOut);
        if (change.Changed) {
            formula.text().set(FOut.c_str());
            FResult.Changed = true;
            if (change.RefErrorAdded) NoteRefError(cell, *newPosition);
        }
        pugi::xml_attribute ref = formula.attribute("ref");
        if (ref && FRule.RewriteArea(ref.value(), cell.Position, FOut) == TRangeChange::Changed) {
            formula.attribute("ref").set_value(FOut.c_str());
            FResult.Changed = true;
        }
    }

    // The cells of one shared group, in document order.
    void RewriteShared(const std::vector<const TFormulaCell*>& group) {
        const TFormulaCell* master = FindMaster(group);
        if (!master) return; // no text to share: nothing to rewrite
        const std::string masterText = master->Formula.text().get();
        std::vector<TSharedMember> members;
        bool textsChanged = false, moved = false;
        for (const TFormulaCell* cell : group) {
            const std::optional<TCellPosition> newPosition = FRule.NewPosition(cell->Position);
            NoteMove(cell->Position, newPosition);
            moved = moved || !newPosition || !SamePosition(*newPosition, cell->Position);
            if (!newPosition) continue;
            TSharedMember member{cell, *newPosition, Translated(masterText, master->Position, cell->Position)};
            const TFormulaChange change = FRule.Rewrite(member.Text, cell->Position, FOut);
            if (change.Changed) {
                member.Text = FOut;
                member.RefError = change.RefErrorAdded;
                textsChanged = true;
            }
            members.push_back(std::move(member));
        }
        if (members.empty() || (!textsChanged && !moved)) return;
        FResult.Changed = true;
        // The first cell of the group after the edit carries the text, as readers expect it before the
        // others; the others still read as it does translated, or each gets its own.
        const TSharedMember& first = *std::min_element(members.begin(), members.end(), [](const TSharedMember& a, const TSharedMember& b) {
            return a.NewPosition.RowNumber != b.NewPosition.RowNumber ? a.NewPosition.RowNumber < b.NewPosition.RowNumber
                                                                      : a.NewPosition.Col < b.NewPosition.Col;
        });
        const bool stillShared = std::all_of(members.begin(), members.end(), [&](const TSharedMember& member) {
            return member.Text == Translated(first.Text, first.NewPosition, member.NewPosition);
        });
        if (stillShared) {
            for (const TSharedMember& member : members) {
                pugi::xml_node formula = member.Cell->Formula;
                if (&member == &first) continue;
                formula.remove_attribute("ref");
                if (*formula.text().get()) formula.text().set("");
            }
            pugi::xml_node formula = first.Cell->Formula;
            formula.text().set(first.Text.c_str());
            SetAttributeValue(formula, "ref", BoundingArea(members).c_str());
        } else {
            for (const TSharedMember& member : members) {
                pugi::xml_node formula = member.Cell->Formula;
                formula.remove_attribute("t");
                formula.remove_attribute("si");
                formula.remove_attribute("ref");
                formula.text().set(member.Text.c_str());
            }
        }
        for (const TSharedMember& member : members) {
            if (member.RefError) NoteRefError(*member.Cell, member.NewPosition);
        }
    }

private:
    // The cell that carries the group's text: the one with the group's area, else the first with a text.
    static const TFormulaCell* FindMaster(const std::vector<const TFormulaCell*>& group) {
        const TFormulaCell* withText = nullptr;
        for (const TFormulaCell* cell : group) {
            if (!*cell->Formula.text().get()) continue;
            if (cell->Formula.attribute("ref")) return cell;
            if (!withText) withText = cell;
        }
        return withText;
    }

    std::string Translated(const std::string& text, const TCellPosition& from, const TCellPosition& to) {
        const TFormulaChange change = TranslateFormula(text, to.RowNumber - from.RowNumber, to.Col - from.Col, FTranslated);
        return change.Changed ? FTranslated : text;
    }

    static std::string BoundingArea(const std::vector<TSharedMember>& members) {
        TCellArea area;
        area.Shape = TAreaShape::Range;
        area.First = {members.front().NewPosition.RowNumber - 1, members.front().NewPosition.Col};
        area.Last = area.First;
        for (const TSharedMember& member : members) {
            area.First.Row = std::min(area.First.Row, member.NewPosition.RowNumber - 1);
            area.First.Col = std::min(area.First.Col, member.NewPosition.Col);
            area.Last.Row = std::max(area.Last.Row, member.NewPosition.RowNumber - 1);
            area.Last.Col = std::max(area.Last.Col, member.NewPosition.Col);
        }
        if (area.First.Row == area.Last.Row && area.First.Col == area.Last.Col) area.Shape = TAreaShape::Cell;
        std::string text;
        AppendAreaText(text, area);
        return text;
    }

    void NoteMove(const TCellPosition& position, const std::optional<TCellPosition>& newPosition) {
        if (!newPosition || !SamePosition(*newPosition, position)) FResult.CellsMoved = true;
    }

    void NoteRefError(const TFormulaCell& cell, const TCellPosition& newPosition) {
        CacheRefError(cell.Cell, cell.Formula);
        FResult.RefErrors.push_back(newPosition);
    }

    const TFormulaCellRule& FRule;
    TFormulaCellsResult& FResult;
    std::string FOut;
    std::string FTranslated;
};

} // namespace

TFormulaCellsResult RewriteFormulaCells(const pugi::xml_node& sheetData, const TFormulaCellRule& rule, bool cellsFollowRows,
                                        const TFormulaRows* formulaRows) {
    TFormulaCellsResult result;
    // Every formula is found before anything changes.
    std::vector<TFormulaCell> cells;
    std::vector<std::pair<std::string_view, size_t>> shared; // group and cell, in document order
    TRowNumbering numbering;
    for (pugi::xml_node row = FirstRow(sheetData); row; row = NextRow(row)) {
        const int64_t rowNumber = numbering.Next(row);
        size_t left = SIZE_MAX; // formulas the row may still hold
        if (formulaRows) {
            const auto known = formulaRows->find(row.internal_object());
            if (known == formulaRows->end()) continue;
            left = known->second;
        }
        TFormulaCellPlacing placing(row, rowNumber);
        for (pugi::xml_node cell = FirstCell(row); cell && left > 0; cell = NextCell(cell)) {
            const pugi::xml_node formula = FormulaElement(cell);
            if (!formula) continue;
            std::optional<TCellPosition> position = placing.Place(cell);
            if (!position) continue;
            --left;
            if (cellsFollowRows) position->RowNumber = rowNumber;
            if (std::strcmp(formula.attribute("t").value(), "shared") == 0) {
                shared.emplace_back(formula.attribute("si").value(), cells.size());
            }
            cells.push_back({cell, formula, *position});
        }
    }
    result.Found = !cells.empty();
    for (const TFormulaCell& cell : cells) {
        pugi::xml_attribute ref = cell.Formula.attribute("ref");
        if (ref && std::strcmp(cell.Formula.attribute("t").value(), "array") == 0 && !rule.KeepsAreaWhole(ref.value(), cell.Position)) {
            throw TTabulixError(FormatMessageText(u"The edit would split the array formula of cell %s; nothing was changed.",
                                                  {Utf8ToUtf16(TCellRefText(cell.Position.Col, cell.Position.RowNumber).c_str())}));
        }
    }

    // The groups are told apart while their identifiers still stand as read.
    std::stable_sort(shared.begin(), shared.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::vector<const TFormulaCell*>> groups;
    std::vector<bool> isShared(cells.size(), false);
    for (size_t i = 0; i < shared.size(); ++i) {
        if (i == 0 || shared[i].first != shared[i - 1].first) groups.emplace_back();
        groups.back().push_back(&cells[shared[i].second]);
        isShared[shared[i].second] = true;
    }
    TFormulaCellRewriter rewriter(rule, result);
    for (size_t i = 0; i < cells.size(); ++i) {
        if (!isShared[i]) rewriter.RewriteOwn(cells[i]);
    }
    for (const auto& group : groups) rewriter.RewriteShared(group);
    return result;
}

} // namespace tabulix
