#pragma once

#include "viewer/NeoSpreadsheet.h"

#include <map>
#include <memory>
#include <string>

namespace tabulix {

// The viewers attached to Rectangles, by the Rectangle name with its ASCII letters upper-cased and
// nothing else changed. It owns every viewer; removing one, or destroying the registry, destroys the
// viewer with its window and workbook, without saving.
class TViewerRegistry {
public:
    TViewerRegistry() = default;
    TViewerRegistry(const TViewerRegistry&) = delete;
    TViewerRegistry& operator=(const TViewerRegistry&) = delete;

    static std::u16string KeyOf(const std::u16string& rectangleName);
    TNeoSpreadsheet* Find(const std::u16string& rectangleName) const;
    // Adds the viewer under the name, destroying one that was there.
    void Add(const std::u16string& rectangleName, std::unique_ptr<TNeoSpreadsheet> viewer);
    // Removes and destroys the viewer under the name; false when there is none.
    bool Remove(const std::u16string& rectangleName);
    size_t Count() const { return FViewers.size(); }

private:
    std::map<std::u16string, std::unique_ptr<TNeoSpreadsheet>> FViewers;
};

} // namespace tabulix
