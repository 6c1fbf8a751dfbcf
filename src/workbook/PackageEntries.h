#pragma once

#include "workbook/ZipPackage.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tabulix {

// The entries of a package in the order they were first stored, each under its name exactly as the
// archive stored it, so that names in any encoding are written back unchanged and never run together.
// Each keeps its data as stored: a part is inflated when it is read and deflated when it changes.
class TPackageEntries {
public:
    // Stores an entry as read; one of the same stored name keeps its place and takes the new data.
    void Add(TPackageEntry entry);
    // Stores the bytes of a part under its text name, deflated: an entry of exactly that name takes them,
    // otherwise a new entry is appended.
    void Put(const std::u16string& name, std::string_view bytes);
    // The entry of exactly that name, appended empty when there is none, to take new data.
    TPackageEntry& ForName(const std::u16string& name);
    // Removes the first entry whose name equals name ignoring ASCII case.
    bool Remove(std::u16string_view name);
    void Clear();

    // The first entry, in order, whose name equals name ignoring ASCII case: the package format does not
    // tell part names apart by case.
    const TPackageEntry* FindIgnoringCase(std::u16string_view name) const;
    // The entry of exactly that stored name.
    const TPackageEntry* FindStored(const std::string& storedName) const;

    const std::vector<TPackageEntry>& InOrder() const { return FEntries; }
    bool Empty() const { return FEntries.empty(); }
    size_t Count() const { return FEntries.size(); }

private:
    std::vector<TPackageEntry> FEntries;
    std::unordered_map<std::string, size_t> FIndex; // by stored name
};

} // namespace tabulix
