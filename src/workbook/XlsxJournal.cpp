// The journal of edits: each part and grid kept before its first change, and put back.
#include "workbook/WorkbookJournal.h"

#include "base/Text.h"
#include "workbook/PackageParts.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XmlHelpers.h"
#include "workbook/ZipPackage.h"

namespace tabulix {

size_t TWorkbookJournal::Bytes() const {
    size_t bytes = sizeof(*this);
    for (const TPartBefore& part : FParts) {
        bytes += sizeof(part) + part.Name.size() * sizeof(char16_t);
        if (part.Stored) bytes += part.Stored->Data.capacity() + part.Stored->StoredName.size() + part.Stored->Name.size() * 2;
    }
    for (const TSheetBefore& sheet : FSheets) bytes += sizeof(sheet) + (sheet.Sheet ? sheet.Sheet->Bytes() : 0);
    return bytes;
}

void TXlsxWorkbook::JournalPart(std::u16string_view entryName, bool withGrid) {
    if (!FJournal) return;
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(entryName);
    if (!entry) return;
    const std::u16string name = entry->Name;
    if (withGrid && !FJournal->FGridParts.count(name)) {
        for (size_t i = 0; i < FSheets.size(); ++i) {
            if (FSheets[i].PartName != name) continue;
            FJournal->FGridParts.insert(name);
            FJournal->FSheets.push_back({TWorkbookJournal::TSheetBefore::TChange::Grid, int32_t(i),
                                         std::make_unique<TXlsxSheet>(FSheets[i])});
            break;
        }
    }
    if (FJournal->Knows(name)) return;
    TPackageEntry stored = *entry;
    const auto open = FSheetDocs.find(name);
    if (open != FSheetDocs.end()) {
        // What the document holds now, written as saving writes it, with the references that moves of
        // whole rows left for later.
        if (FEditIndex && FEditIndex->SheetData.root() == open->second->root()) WriteDeferredReferences(*FEditIndex);
        TEntryDeflater deflater(entry->Data.size() + entry->Data.size() / 4 + 4096, true);
        TDeflatingWriter writer(deflater);
        WriteXmlPart(*open->second, writer);
        deflater.FinishInto(stored);
    }
    FJournal->FPartNames.insert(name);
    FJournal->FParts.push_back({name, std::move(stored)});
}

void TXlsxWorkbook::JournalAddedPart(const std::u16string& entryName) {
    if (!FJournal || FJournal->Knows(entryName)) return;
    FJournal->FPartNames.insert(entryName);
    FJournal->FParts.push_back({entryName, std::nullopt});
}

void TXlsxWorkbook::JournalSheet(int32_t sheetIndex, bool added) {
    if (!FJournal) return;
    using TChange = TWorkbookJournal::TSheetBefore::TChange;
    if (added) {
        FJournal->FSheets.push_back({TChange::Added, sheetIndex, nullptr});
    } else {
        FJournal->FSheets.push_back({TChange::Removed, sheetIndex, std::make_unique<TXlsxSheet>(FSheets[size_t(sheetIndex)])});
    }
}

void TXlsxWorkbook::RestoreJournal(const TWorkbookJournal& journal) {
    ForgetEditIndex();
    FPackageMap.reset(); // the sheets and the parts may be others again
    // Newest first, so that each part and sheet ends as it was before the first change.
    bool stylesBack = false;
    for (auto part = journal.FParts.rbegin(); part != journal.FParts.rend(); ++part) {
        stylesBack = stylesBack || SameTextAscii(part->Name, parts::Styles);
        FSheetDocs.erase(part->Name);
        if (part->Stored) {
            FOriginalEntries.Add(*part->Stored);
        } else {
            FOriginalEntries.Remove(part->Name);
        }
    }
    for (auto sheet = journal.FSheets.rbegin(); sheet != journal.FSheets.rend(); ++sheet) {
        using TChange = TWorkbookJournal::TSheetBefore::TChange;
        const auto at = FSheets.begin() + sheet->Index;
        if (sheet->Change == TChange::Grid) {
            *at = *sheet->Sheet;
        } else if (sheet->Change == TChange::Added) {
            FSheets.erase(at);
        } else {
            FSheets.insert(at, *sheet->Sheet);
        }
    }
    // A calculation chain dropped by a save since leaves no reference behind in the parts put back.
    if (!FOriginalEntries.FindIgnoringCase(parts::CalcChain)) DropCalculationChain();
    // The styles the cells' indexes name, as the part put back gives them.
    if (stylesBack) LoadStyles();
}

} // namespace tabulix
