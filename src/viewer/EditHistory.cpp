#include "viewer/EditHistory.h"

namespace tabulix {

void TEditHistory::Add(std::unique_ptr<TEditStep> step) {
    while (FSteps.size() > FDone) {
        FBytes -= FSteps.back()->Bytes();
        FSteps.pop_back();
    }
    const size_t bytes = step->Bytes();
    if (bytes > FBudget) {
        Clear();
        return;
    }
    FSteps.push_back(std::move(step));
    FBytes += bytes;
    ++FDone;
    while (FBytes > FBudget) {
        FBytes -= FSteps.front()->Bytes();
        FSteps.pop_front();
        --FDone;
    }
}

void TEditHistory::Clear() {
    FSteps.clear();
    FDone = 0;
    FBytes = 0;
}

} // namespace tabulix
