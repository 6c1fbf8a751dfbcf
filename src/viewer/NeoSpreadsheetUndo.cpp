// Undo and redo: the steps the reader's changes leave in the history, and taking them back and making
// them again. Values and formatting written into some cells keep those cells as they were; highlights,
// the viewer's own marks, keep the marks as they were; every other change of the workbook, and one of
// very many cells, keeps through the workbook's journal the parts and grids it changed.
#include "viewer/NeoSpreadsheet.h"

#include "base/Error.h"
#include "workbook/WorkbookJournal.h"

namespace tabulix {

namespace {

template <typename TWrites>
size_t WritesBytes(const TWrites& writes) {
    size_t bytes = writes.capacity() * sizeof(writes[0]);
    for (const auto& write : writes) bytes += write.Text.capacity() * sizeof(char16_t);
    return bytes;
}

} // namespace

// A change of some cells alone (values written, formatting): the cells as they were, and the change to
// run again.
class TNeoSpreadsheet::TCellsStep final : public TEditStep {
public:
    TCellsStep(const TPlace& place, TCellImages before, std::function<void(TNeoSpreadsheet&)> change, size_t changeBytes)
        : FPlace(place), FBefore(std::move(before)), FChange(std::move(change)),
          FBytes(sizeof(*this) + FBefore.Bytes() + changeBytes) {}

    void Undo(TNeoSpreadsheet& viewer) override {
        viewer.FWorkbook->RestoreCells(FPlace.Sheet, FBefore);
        viewer.ShowPlace(FPlace);
    }
    void Redo(TNeoSpreadsheet& viewer) override {
        viewer.ShowPlace(FPlace);
        FChange(viewer);
        viewer.CellsChanged();
    }
    size_t Bytes() const override { return FBytes; }

private:
    TPlace FPlace;
    TCellImages FBefore;
    std::function<void(TNeoSpreadsheet&)> FChange;
    size_t FBytes;
};

// Any other change of the workbook: what the journal kept of it, and the change to run again.
class TNeoSpreadsheet::TJournalStep final : public TEditStep {
public:
    TJournalStep(const TPlace& place, std::function<void(TNeoSpreadsheet&)> change, size_t changeBytes)
        : FPlace(place), FChange(std::move(change)), FChangeBytes(changeBytes) {}

    TWorkbookJournal& Journal() { return FJournal; }
    void Undo(TNeoSpreadsheet& viewer) override {
        viewer.FWorkbook->RestoreJournal(FJournal);
        viewer.ShowPlace(FPlace);
    }
    void Redo(TNeoSpreadsheet& viewer) override {
        viewer.ShowPlace(FPlace);
        FChange(viewer);
        viewer.CellsChanged();
    }
    // Known once the change has run.
    size_t Bytes() const override { return sizeof(*this) + FChangeBytes + FJournal.Bytes(); }

private:
    TPlace FPlace;
    TWorkbookJournal FJournal;
    std::function<void(TNeoSpreadsheet&)> FChange;
    size_t FChangeBytes;
};

// A sort of a sheet without formulas: the order it gave the rows, which the inverse order takes back.
class TNeoSpreadsheet::TRowOrderStep final : public TEditStep {
public:
    TRowOrderStep(const TPlace& place, std::vector<int32_t> order) : FPlace(place), FOrder(std::move(order)) {}

    void Undo(TNeoSpreadsheet& viewer) override {
        std::vector<int32_t> back(FOrder.size()); // back[oldRow] = newRow
        for (size_t n = 0; n < FOrder.size(); ++n) back[size_t(FOrder[n])] = int32_t(n);
        viewer.FWorkbook->ReorderRows(FPlace.Sheet, back);
        viewer.ShowPlace(FPlace);
    }
    void Redo(TNeoSpreadsheet& viewer) override {
        viewer.ShowPlace(FPlace);
        viewer.FWorkbook->ReorderRows(FPlace.Sheet, FOrder);
        viewer.CellsChanged();
    }
    size_t Bytes() const override { return sizeof(*this) + FOrder.capacity() * sizeof(int32_t); }

private:
    TPlace FPlace;
    std::vector<int32_t> FOrder;
};

// Highlights set on or taken off the selected cells: each cell's highlight as it was.
class TNeoSpreadsheet::THighlightStep final : public TEditStep {
public:
    THighlightStep(const TPlace& place, std::optional<TColor> color) : FPlace(place), FColor(color) {}

    void Keep(int64_t key, const std::unordered_map<int64_t, TColor>& highlights) {
        const auto found = highlights.find(key);
        FBefore.emplace_back(key, found == highlights.end() ? std::nullopt : std::optional<TColor>(found->second));
    }
    void Undo(TNeoSpreadsheet& viewer) override {
        for (const auto& [key, color] : FBefore) Set(viewer.FHighlights, key, color);
        viewer.ShowPlace(FPlace);
    }
    void Redo(TNeoSpreadsheet& viewer) override {
        for (const auto& kept : FBefore) Set(viewer.FHighlights, kept.first, FColor);
        viewer.ShowPlace(FPlace);
    }
    size_t Bytes() const override { return sizeof(*this) + FBefore.capacity() * sizeof(FBefore[0]); }

    static void Set(std::unordered_map<int64_t, TColor>& highlights, int64_t key, const std::optional<TColor>& color) {
        if (color) {
            highlights[key] = *color;
        } else {
            highlights.erase(key);
        }
    }

private:
    TPlace FPlace;
    std::optional<TColor> FColor;
    std::vector<std::pair<int64_t, std::optional<TColor>>> FBefore;
};

TNeoSpreadsheet::TPlace TNeoSpreadsheet::CurrentPlace() const {
    return TPlace{FCurrentSheet, FRangeAnchor, FRangeEnd, TCellPos{FSelectedCol, FSelectedRow}};
}

void TNeoSpreadsheet::ShowPlace(const TPlace& place) {
    ForgetGeometry(); // what was taken back or made again may have moved rows and columns
    FCurrentSheet = place.Sheet;
    FRangeAnchor = place.Anchor;
    FRangeEnd = place.End;
    FSelectedCol = place.Active.Col;
    FSelectedRow = place.Active.Row;
    if (const TXlsxSheet* sheet = CurrentSheet()) {
        const TCellPos active = ClampedCell(place.Active, sheet->ColCount, sheet->RowCount);
        FSelectedCol = active.Col;
        FSelectedRow = active.Row;
        ScrollIntoView(FSelectedCol, FSelectedRow);
    }
    // The sheet variables follow the sheet shown, and the number of sheets, which the change may have set back.
    PublishSheetVariables();
    CellsChanged();
}

void TNeoSpreadsheet::WriteCells(const std::vector<TCellWrite>& writes) {
    std::vector<TGridCell> cells;
    // Very many cells are kept more cheaply as the sheet's part and grid than one by one.
    if (writes.size() <= MaxCellsKeptOneByOne) {
        cells.reserve(writes.size());
        for (const TCellWrite& write : writes) cells.push_back(TGridCell{write.Row, write.Col});
    }
    RunOnCells(cells, [writes](TNeoSpreadsheet& viewer) { viewer.WriteCellsUnrecorded(writes); }, WritesBytes(writes));
}

void TNeoSpreadsheet::FormatSelection(const TFormattingChange& change) {
    FWorkbook->CheckEditable(FCurrentSheet);
    const int32_t sheet = FCurrentSheet;
    const TCellRange range = SelectionRange();
    std::vector<TGridCell> cells;
    if (range.CellCount() <= int64_t(MaxCellsKeptOneByOne)) {
        cells.reserve(size_t(range.CellCount()));
        for (int32_t row = range.Top; row <= range.Bottom; ++row) {
            for (int32_t col = range.Left; col <= range.Right; ++col) cells.push_back(TGridCell{row, col});
        }
    }
    RunOnCells(cells, [sheet, range, change](TNeoSpreadsheet& viewer) {
        viewer.FWorkbook->SetRangeFormatting(sheet, TGridArea{range.Top, range.Left, range.Bottom, range.Right}, change);
        viewer.CellsChanged();
    });
}

void TNeoSpreadsheet::RunOnCells(const std::vector<TGridCell>& cells, const std::function<void(TNeoSpreadsheet&)>& change,
                                 size_t changeBytes) {
    if (cells.empty()) return RunJournalled(change, changeBytes);
    TCellImages before = FWorkbook->CaptureCells(FCurrentSheet, cells);
    // Other cells of a shared formula change with these: the journal keeps the whole sheet.
    if (before.SharedFormula) return RunJournalled(change, changeBytes);
    const TPlace place = CurrentPlace();
    // Cells changed before a failure stay changed, and the step takes them back like the others.
    try {
        change(*this);
    } catch (...) {
        FHistory.Add(std::make_unique<TCellsStep>(place, std::move(before), change, sizeof(change) + changeBytes));
        throw;
    }
    FHistory.Add(std::make_unique<TCellsStep>(place, std::move(before), change, sizeof(change) + changeBytes));
}

void TNeoSpreadsheet::RunJournalled(const std::function<void(TNeoSpreadsheet&)>& change, size_t changeBytes) {
    auto step = std::make_unique<TJournalStep>(CurrentPlace(), change, sizeof(change) + changeBytes);
    FWorkbook->AttachJournal(&step->Journal());
    try {
        change(*this);
    } catch (...) {
        // What a change made before it failed (values written one by one) is undone like a whole change.
        FWorkbook->AttachJournal(nullptr);
        if (!step->Journal().Empty()) FHistory.Add(std::move(step));
        throw;
    }
    FWorkbook->AttachJournal(nullptr);
    if (!step->Journal().Empty()) FHistory.Add(std::move(step));
}

void TNeoSpreadsheet::SortRows(int32_t sheet, int32_t col, bool ascending) {
    // A formula's references may follow its row in ways the inverse order would not take back exactly;
    // the journal keeps such a sheet.
    if (FWorkbook->SheetHoldsFormulas(sheet)) {
        RunJournalled([sheet, col, ascending](TNeoSpreadsheet& viewer) {
            viewer.FWorkbook->SortByColumn(sheet, col, ascending, true);
        });
        return;
    }
    std::vector<int32_t> order = FWorkbook->SortOrder(sheet, col, ascending, true); // the first row stays
    if (order.empty()) return;
    const TPlace place = CurrentPlace();
    FWorkbook->ReorderRows(sheet, order);
    FHistory.Add(std::make_unique<TRowOrderStep>(place, std::move(order)));
}

void TNeoSpreadsheet::HighlightSelection(std::optional<TColor> color) {
    auto step = std::make_unique<THighlightStep>(CurrentPlace(), color);
    const TCellRange range = SelectionRange();
    for (int32_t row = range.Top; row <= range.Bottom; ++row) {
        for (int32_t col = range.Left; col <= range.Right; ++col) {
            const int64_t key = CellKey(FCurrentSheet, row, col);
            step->Keep(key, FHighlights);
            THighlightStep::Set(FHighlights, key, color);
        }
    }
    FHistory.Add(std::move(step));
    InvalidateAll();
}

void TNeoSpreadsheet::Undo() {
    TEditStep* step = FHistory.NextUndo();
    if (!step || !FWorkbook) return;
    EndCellEdit(true);
    try {
        step->Undo(*this);
        FHistory.Undone();
    } catch (...) {
        // Taken back in part at most: what the history holds no longer fits the workbook.
        FHistory.Clear();
        CellsChanged();
        throw;
    }
}

void TNeoSpreadsheet::Redo() {
    TEditStep* step = FHistory.NextRedo();
    if (!step || !FWorkbook) return;
    EndCellEdit(true);
    try {
        step->Redo(*this);
        FHistory.Redone();
    } catch (...) {
        FHistory.Clear();
        CellsChanged();
        throw;
    }
}

} // namespace tabulix
