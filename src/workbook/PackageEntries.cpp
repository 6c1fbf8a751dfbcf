#include "workbook/PackageEntries.h"

#include "base/Text.h"

namespace tabulix {

void TPackageEntries::Put(std::u16string name, std::string bytes) {
    const auto found = FIndex.find(name);
    if (found != FIndex.end()) {
        FEntries[found->second].Bytes = std::move(bytes);
        return;
    }
    FIndex.emplace(name, FEntries.size());
    FEntries.push_back({std::move(name), std::move(bytes)});
}

bool TPackageEntries::Remove(const std::u16string& name) {
    const auto found = FIndex.find(name);
    if (found == FIndex.end()) return false;
    FEntries.erase(FEntries.begin() + std::ptrdiff_t(found->second));
    FIndex.clear();
    for (size_t i = 0; i < FEntries.size(); ++i) FIndex.emplace(FEntries[i].Name, i);
    return true;
}

void TPackageEntries::Clear() {
    FEntries.clear();
    FIndex.clear();
}

const std::string* TPackageEntries::Find(const std::u16string& exactName) const {
    const auto found = FIndex.find(exactName);
    return found == FIndex.end() ? nullptr : &FEntries[found->second].Bytes;
}

const TZipEntry* TPackageEntries::FindIgnoringCase(std::u16string_view name) const {
    for (const TZipEntry& entry : FEntries) {
        if (SameTextAscii(entry.Name, name)) return &entry;
    }
    return nullptr;
}

} // namespace tabulix
