#pragma once

// What edits changed in a workbook, kept as it was before they changed it, so that all of it can be put
// back: each part as its bytes (the entry as stored, or the opened document written and deflated as
// saving writes it) or as absent, each sheet's grid as a copy, and the sheets added and removed.

#include "workbook/XlsxWorkbook.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tabulix {

class TWorkbookJournal {
public:
    TWorkbookJournal() = default;
    TWorkbookJournal(const TWorkbookJournal&) = delete;
    TWorkbookJournal& operator=(const TWorkbookJournal&) = delete;

    bool Empty() const { return FParts.empty() && FSheets.empty(); }
    // The memory it keeps: the parts' bytes and the grids' cells and texts.
    size_t Bytes() const;

private:
    friend class TXlsxWorkbook;

    struct TPartBefore {
        std::u16string Name;                 // the entry's own name
        std::optional<TPackageEntry> Stored; // none: the package had no such part
    };
    struct TSheetBefore {
        enum class TChange { Grid, Added, Removed } Change = TChange::Grid;
        int32_t Index = 0;
        std::unique_ptr<TXlsxSheet> Sheet; // the grid before (Grid) or the sheet removed (Removed)
    };

    bool Knows(const std::u16string& partName) const { return FPartNames.count(partName) > 0; }

    std::vector<TPartBefore> FParts; // in the order of their first change
    std::set<std::u16string> FPartNames;
    std::vector<TSheetBefore> FSheets; // in the order they changed
    std::set<std::u16string> FGridParts; // the parts of the sheets whose grids are kept
};

} // namespace tabulix
