#include "workbook/PackageEntries.h"

#include "base/Text.h"

namespace tabulix {

void TPackageEntries::Add(TPackageEntry entry) {
    const auto found = FIndex.find(entry.StoredName);
    if (found != FIndex.end()) {
        TPackageEntry& kept = FEntries[found->second];
        kept.Data = std::move(entry.Data);
        kept.Method = entry.Method;
        kept.Crc = entry.Crc;
        kept.Size = entry.Size;
        return;
    }
    FIndex.emplace(entry.StoredName, FEntries.size());
    FEntries.push_back(std::move(entry));
}

TPackageEntry& TPackageEntries::ForName(const std::u16string& name) {
    std::string storedName = Utf16ToUtf8(name);
    const auto found = FIndex.find(storedName);
    if (found != FIndex.end()) return FEntries[found->second];
    TPackageEntry entry;
    entry.Name = name;
    entry.Utf8Name = Utf16ToAsciiLossy(name) != storedName;
    entry.StoredName = std::move(storedName);
    FIndex.emplace(entry.StoredName, FEntries.size());
    FEntries.push_back(std::move(entry));
    return FEntries.back();
}

void TPackageEntries::Put(const std::u16string& name, std::string_view bytes) { DeflateInto(bytes, ForName(name)); }

bool TPackageEntries::Remove(std::u16string_view name) {
    const TPackageEntry* entry = FindIgnoringCase(name);
    if (!entry) return false;
    FEntries.erase(FEntries.begin() + (entry - FEntries.data()));
    FIndex.clear();
    for (size_t i = 0; i < FEntries.size(); ++i) FIndex.emplace(FEntries[i].StoredName, i);
    return true;
}

void TPackageEntries::Clear() {
    FEntries.clear();
    FEntries.shrink_to_fit();
    FIndex.clear();
}

const TPackageEntry* TPackageEntries::FindStored(const std::string& storedName) const {
    const auto found = FIndex.find(storedName);
    return found == FIndex.end() ? nullptr : &FEntries[found->second];
}

const TPackageEntry* TPackageEntries::FindIgnoringCase(std::u16string_view name) const {
    // Compared as stored: a name that is not UTF-8 matches only where its bytes do.
    const std::string wanted = Utf16ToUtf8(name);
    for (const TPackageEntry& entry : FEntries) {
        if (SameTextAscii(std::string_view(entry.StoredName), wanted)) return &entry;
    }
    return nullptr;
}

} // namespace tabulix
