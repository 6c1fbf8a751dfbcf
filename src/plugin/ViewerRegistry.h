#pragma once

#include "viewer/NeoSpreadsheet.h"

#include <map>
#include <memory>
#include <string>

namespace tabulix {

// The viewers attached to Rectangles, by the Rectangle name with its ASCII letters upper-cased and
// nothing else changed. It owns every viewer; removing one, or destroying the registry, lets go of the
// viewer, which goes with its window and workbook, without saving (at once, or once a handler of it
// that waits for the reader returns).
class TViewerRegistry {
public:
    TViewerRegistry() = default;
    TViewerRegistry(const TViewerRegistry&) = delete;
    TViewerRegistry& operator=(const TViewerRegistry&) = delete;

    static std::u16string KeyOf(const std::u16string& rectangleName);
    TNeoSpreadsheet* Find(const std::u16string& rectangleName) const;
    // Adds the viewer under the name, letting go of one that was there.
    void Add(const std::u16string& rectangleName, TOwnedViewer viewer);
    // Removes the viewer under the name and lets go of it; false when there is none.
    bool Remove(const std::u16string& rectangleName);
    size_t Count() const { return FViewers.size(); }

private:
    std::map<std::u16string, TOwnedViewer> FViewers;
};

} // namespace tabulix
