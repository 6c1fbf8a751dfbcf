#include "plugin/ViewerRegistry.h"

#include "base/Text.h"

namespace tabulix {

std::u16string TViewerRegistry::KeyOf(const std::u16string& rectangleName) { return AsciiUpper(rectangleName); }

TNeoSpreadsheet* TViewerRegistry::Find(const std::u16string& rectangleName) const {
    const auto found = FViewers.find(KeyOf(rectangleName));
    return found == FViewers.end() ? nullptr : found->second.get();
}

void TViewerRegistry::Add(const std::u16string& rectangleName, TOwnedViewer viewer) {
    FViewers[KeyOf(rectangleName)] = std::move(viewer);
}

bool TViewerRegistry::Remove(const std::u16string& rectangleName) {
    const auto found = FViewers.find(KeyOf(rectangleName));
    if (found == FViewers.end()) return false;
    // Out of the map first, so that the registry never holds a viewer being destroyed.
    TOwnedViewer viewer = std::move(found->second);
    FViewers.erase(found);
    viewer.reset();
    return true;
}

} // namespace tabulix
