#pragma once

#include "workbook/ZipPackage.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tabulix {

// The entries of a package by exact name, in the order they were first stored.
class TPackageEntries {
public:
    // Stores bytes under name; a name already present keeps its place and takes the new bytes.
    void Put(std::u16string name, std::string bytes);
    bool Remove(const std::u16string& name);
    void Clear();

    const std::string* Find(const std::u16string& exactName) const;
    // The first entry, in order, whose name equals name ignoring ASCII case.
    const TZipEntry* FindIgnoringCase(std::u16string_view name) const;

    const std::vector<TZipEntry>& InOrder() const { return FEntries; }
    bool Empty() const { return FEntries.empty(); }
    size_t Count() const { return FEntries.size(); }

private:
    std::vector<TZipEntry> FEntries;
    std::unordered_map<std::u16string, size_t> FIndex;
};

} // namespace tabulix
