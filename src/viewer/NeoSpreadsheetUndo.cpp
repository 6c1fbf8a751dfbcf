// Undo and redo: the steps the reader's changes leave in the history, and taking them back and making
// them again. Values written into cells keep the cells as they were; the viewer's own marks (highlights,
// font styles, alignments) keep their marks as they were; every other change of the workbook keeps,
// through the workbook's journal, the parts and grids it changed.
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

// Values written into cells: the cells as they were, and the values to write again.
class TNeoSpreadsheet::TCellsStep final : public TEditStep {
public:
    TCellsStep(const TPlace& place, TCellImages before, std::vector<TCellWrite> writes)
        : FPlace(place), FBefore(std::move(before)), FWrites(std::move(writes)),
          FBytes(sizeof(*this) + FBefore.Bytes() + WritesBytes(FWrites)) {}

    void Undo(TNeoSpreadsheet& viewer) override {
        viewer.FWorkbook->RestoreCells(FPlace.Sheet, FBefore);
        viewer.ShowPlace(FPlace);
    }
    void Redo(TNeoSpreadsheet& viewer) override {
        viewer.ShowPlace(FPlace);
        viewer.WriteCellsUnrecorded(FWrites);
    }
    size_t Bytes() const override { return FBytes; }

private:
    TPlace FPlace;
    TCellImages FBefore;
    std::vector<TCellWrite> FWrites;
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

// A mark of the viewer's own set on or taken off the selected cells: each cell's mark as it was.
template <typename T>
class TNeoSpreadsheet::TMarksStep final : public TEditStep {
public:
    TMarksStep(const TPlace& place, std::unordered_map<int64_t, T> TNeoSpreadsheet::*marks, std::optional<T> value)
        : FPlace(place), FMarks(marks), FValue(value) {}

    void Keep(int64_t key, const std::unordered_map<int64_t, T>& marks) {
        const auto found = marks.find(key);
        FBefore.emplace_back(key, found == marks.end() ? std::nullopt : std::optional<T>(found->second));
    }
    void Undo(TNeoSpreadsheet& viewer) override {
        std::unordered_map<int64_t, T>& marks = viewer.*FMarks;
        for (const auto& [key, value] : FBefore) Set(marks, key, value);
        viewer.ShowPlace(FPlace);
    }
    void Redo(TNeoSpreadsheet& viewer) override {
        std::unordered_map<int64_t, T>& marks = viewer.*FMarks;
        for (const auto& kept : FBefore) Set(marks, kept.first, FValue);
        viewer.ShowPlace(FPlace);
    }
    size_t Bytes() const override { return sizeof(*this) + FBefore.capacity() * sizeof(FBefore[0]); }

    static void Set(std::unordered_map<int64_t, T>& marks, int64_t key, const std::optional<T>& value) {
        if (value) {
            marks[key] = *value;
        } else {
            marks.erase(key);
        }
    }

private:
    TPlace FPlace;
    std::unordered_map<int64_t, T> TNeoSpreadsheet::*FMarks;
    std::optional<T> FValue;
    std::vector<std::pair<int64_t, std::optional<T>>> FBefore;
};

TNeoSpreadsheet::TPlace TNeoSpreadsheet::CurrentPlace() const {
    return TPlace{FCurrentSheet, FRangeAnchor, FRangeEnd, TCellPos{FSelectedCol, FSelectedRow}};
}

void TNeoSpreadsheet::ShowPlace(const TPlace& place) {
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
    // Very many cells are kept more cheaply as the sheet's part and grid than one by one.
    if (writes.size() > MaxCellsKeptOneByOne) {
        RunJournalled([writes](TNeoSpreadsheet& viewer) { viewer.WriteCellsUnrecorded(writes); }, WritesBytes(writes));
        return;
    }
    std::vector<TGridCell> cells;
    cells.reserve(writes.size());
    for (const TCellWrite& write : writes) cells.push_back(TGridCell{write.Row, write.Col});
    TCellImages before = FWorkbook->CaptureCells(FCurrentSheet, cells);
    if (before.SharedFormula) {
        // Other cells of a shared formula change with these: the journal keeps the whole sheet.
        RunJournalled([writes](TNeoSpreadsheet& viewer) { viewer.WriteCellsUnrecorded(writes); }, WritesBytes(writes));
        return;
    }
    const TPlace place = CurrentPlace();
    // Cells written before a failure stay written, and the step takes them back like the others.
    try {
        WriteCellsUnrecorded(writes);
    } catch (...) {
        FHistory.Add(std::make_unique<TCellsStep>(place, std::move(before), writes));
        throw;
    }
    FHistory.Add(std::make_unique<TCellsStep>(place, std::move(before), writes));
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

template <typename T>
void TNeoSpreadsheet::MarkSelection(std::unordered_map<int64_t, T> TNeoSpreadsheet::*marks, std::optional<T> value) {
    auto step = std::make_unique<TMarksStep<T>>(CurrentPlace(), marks, value);
    const TCellRange range = SelectionRange();
    for (int32_t row = range.Top; row <= range.Bottom; ++row) {
        for (int32_t col = range.Left; col <= range.Right; ++col) {
            const int64_t key = CellKey(FCurrentSheet, row, col);
            step->Keep(key, this->*marks);
            TMarksStep<T>::Set(this->*marks, key, value);
        }
    }
    FHistory.Add(std::move(step));
    InvalidateAll();
}

template void TNeoSpreadsheet::MarkSelection(std::unordered_map<int64_t, TColor> TNeoSpreadsheet::*, std::optional<TColor>);
template void TNeoSpreadsheet::MarkSelection(std::unordered_map<int64_t, bool> TNeoSpreadsheet::*, std::optional<bool>);
template void TNeoSpreadsheet::MarkSelection(std::unordered_map<int64_t, int32_t> TNeoSpreadsheet::*, std::optional<int32_t>);

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
