#include "workbook/PackageEntries.h"

#include "base/Text.h"

namespace tabulix {

void TPackageEntries::Add(TZipEntry entry) {
    const auto found = FIndex.find(entry.StoredName);
    if (found != FIndex.end()) {
        FEntries[found->second].Bytes = std::move(entry.Bytes);
        return;
    }
    FIndex.emplace(entry.StoredName, FEntries.size());
    FEntries.push_back(std::move(entry));
}

void TPackageEntries::Put(const std::u16string& name, std::string bytes) {
    const std::string storedName = Utf16ToUtf8(name);
    const auto found = FIndex.find(storedName);
    if (found != FIndex.end()) {
        FEntries[found->second].Bytes = std::move(bytes);
        return;
    }
    const bool ascii = Utf16ToAsciiLossy(name) == storedName;
    Add({name, std::move(bytes), storedName, !ascii});
}

bool TPackageEntries::Remove(std::u16string_view name) {
    const TZipEntry* entry = FindIgnoringCase(name);
    if (!entry) return false;
    FEntries.erase(FEntries.begin() + (entry - FEntries.data()));
    FIndex.clear();
    for (size_t i = 0; i < FEntries.size(); ++i) FIndex.emplace(FEntries[i].StoredName, i);
    return true;
}

void TPackageEntries::Clear() {
    FEntries.clear();
    FIndex.clear();
}

const TZipEntry* TPackageEntries::FindIgnoringCase(std::u16string_view name) const {
    // Compared as stored: a name that is not UTF-8 matches only where its bytes do.
    const std::string wanted = Utf16ToUtf8(name);
    for (const TZipEntry& entry : FEntries) {
        if (SameTextAscii(std::string_view(entry.StoredName), wanted)) return &entry;
    }
    return nullptr;
}

} // namespace tabulix
