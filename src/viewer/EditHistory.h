#pragma once

// The reader's changes, oldest first, to be taken back (undone) and made again (redone) in order. Each
// keeps only what it needs to do so; together they keep at most a budget of memory, the oldest going
// first.

#include <cstddef>
#include <deque>
#include <memory>

namespace tabulix {

class TNeoSpreadsheet;

// One change the reader made.
class TEditStep {
public:
    virtual ~TEditStep() = default;
    // Puts the viewer and its workbook back as they were before the change, and makes the change again.
    // Each may throw TTabulixError, having changed nothing or not everything.
    virtual void Undo(TNeoSpreadsheet& viewer) = 0;
    virtual void Redo(TNeoSpreadsheet& viewer) = 0;
    // The memory the step keeps, in bytes.
    virtual size_t Bytes() const = 0;
};

class TEditHistory {
public:
    static constexpr size_t DefaultBudget = size_t(32) << 20;

    explicit TEditHistory(size_t budget = DefaultBudget) : FBudget(budget) {}

    // A change just made: the changes undone before it can no longer be redone, and the oldest go while
    // the history keeps more than its budget. A change larger than the whole budget goes as well, and
    // with it every change before it, which could only be undone after it.
    void Add(std::unique_ptr<TEditStep> step);
    // The change an undo takes back next, or null; once taken back, Undone moves it to the redo side.
    TEditStep* NextUndo() const { return FDone > 0 ? FSteps[FDone - 1].get() : nullptr; }
    void Undone() { --FDone; }
    TEditStep* NextRedo() const { return FDone < FSteps.size() ? FSteps[FDone].get() : nullptr; }
    void Redone() { ++FDone; }
    void Clear();

    size_t Bytes() const { return FBytes; }
    size_t UndoCount() const { return FDone; }
    size_t RedoCount() const { return FSteps.size() - FDone; }

private:
    size_t FBudget;
    std::deque<std::unique_ptr<TEditStep>> FSteps; // the first FDone can be undone, the rest redone
    size_t FDone = 0;
    size_t FBytes = 0;
};

} // namespace tabulix
