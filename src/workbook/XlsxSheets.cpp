// Adding and deleting worksheets, and saving the package.
#include "workbook/XlsxWorkbook.h"

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/PackageParts.h"
#include "workbook/SheetList.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XmlHelpers.h"
#include "workbook/ZipPackage.h"

#include <algorithm>
#include <climits>

namespace tabulix {

namespace {

constexpr const char* RelationshipsNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* WorksheetRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char* WorksheetContentType = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* NewWorksheetContent =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData/></worksheet>";

const std::u16string NotLoaded = u"No workbook is currently loaded.";

pugi::xml_node AppendChild(pugi::xml_node parent, std::string_view localName) {
    return parent.append_child(ChildName(parent, localName).c_str());
}

std::string Utf8(const std::u16string& text) { return Utf16ToUtf8(text); }

int64_t ReadIntegerAttribute(const pugi::xml_node& element, const char* name, int64_t fallback) {
    return ReadDecimalIntegerOr(Utf8ToUtf16(element.attribute(name).value()), fallback);
}

std::u16string SheetRelId(const pugi::xml_node& sheet) {
    std::u16string relId = AttrOrDefault(sheet, "r:id", u"");
    if (relId.empty()) relId = AttrOrDefault(sheet, "id", u"");
    return relId;
}

// The last child element whose attribute equals value ignoring ASCII case, searched from the end.
pugi::xml_node LastChildWith(const pugi::xml_node& parent, const char* attribute, std::u16string_view value) {
    for (pugi::xml_node child = parent.last_child(); child; child = child.previous_sibling()) {
        if (child.type() == pugi::node_element && SameTextAscii(AttrOrDefault(child, attribute, u""), value)) return child;
    }
    return {};
}

// Removes the child elements of parent that match; whether there was one.
template <typename TMatches>
bool RemoveChildrenWhere(pugi::xml_node parent, TMatches&& matches) {
    bool removed = false;
    for (pugi::xml_node child = FirstElement(parent); child;) {
        const pugi::xml_node next = NextElement(child);
        if (matches(child)) {
            parent.remove_child(child);
            removed = true;
        }
        child = next;
    }
    return removed;
}

bool IsHiddenSheet(const pugi::xml_node& sheet) {
    const std::u16string state = AttrOrDefault(sheet, "state", u"visible");
    return SameTextAscii(state, u"hidden") || SameTextAscii(state, u"veryHidden");
}

// Among the sheet elements, the visible one nearest to position: itself, else the first visible one
// after it, else the last one before it.
int64_t NearestVisibleSheet(const pugi::xml_node& sheets, int64_t position) {
    int64_t before = -1;
    int64_t at = 0;
    for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet), ++at) {
        if (IsHiddenSheet(sheet)) continue;
        if (at >= position) return at;
        before = at;
    }
    return before >= 0 ? before : position;
}

// Keeps the defined names and the workbook view pointing at the same sheets once the sheet element
// at position has gone. The view's active and first tabs stay on visible sheets: spreadsheet
// applications repair a file whose active tab is hidden.
void AdjustSheetPositions(const pugi::xml_node& root, const pugi::xml_node& sheets, int64_t position) {
    pugi::xml_node definedNames = FirstChildNamed(root, "definedNames");
    for (pugi::xml_node name = FirstElement(definedNames); name;) {
        const pugi::xml_node next = NextElement(name);
        const int64_t local = ReadIntegerAttribute(name, "localSheetId", -1);
        if (local == position) {
            definedNames.remove_child(name);
        } else if (local > position) {
            name.attribute("localSheetId").set_value(std::to_string(local - 1).c_str());
        }
        name = next;
    }
    int64_t remaining = 0;
    for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet)) ++remaining;
    const pugi::xml_node bookViews = FirstChildNamed(root, "bookViews");
    for (pugi::xml_node view = FirstElement(bookViews); view; view = NextElement(view)) {
        for (const char* attribute : {"activeTab", "firstSheet"}) {
            int64_t index = ReadIntegerAttribute(view, attribute, 0); // 0 when absent
            if (index > position) --index;
            index = std::clamp<int64_t>(index, 0, std::max<int64_t>(remaining - 1, 0));
            index = NearestVisibleSheet(sheets, index);
            if (!view.attribute(attribute) && index == 0) continue;
            (view.attribute(attribute) ? view.attribute(attribute) : view.append_attribute(attribute))
                .set_value(std::to_string(index).c_str());
        }
    }
}

} // namespace

std::u16string TXlsxWorkbook::NextWorksheetPartName() const {
    for (int64_t n = 1;; ++n) {
        const std::u16string name = u"xl/worksheets/sheet" + IntToText(n) + u".xml";
        if (!FOriginalEntries.FindIgnoringCase(name)) return name; // every opened part is an entry too
    }
}

std::u16string TXlsxWorkbook::NextRelationshipId(const pugi::xml_document& rels) const {
    int64_t max = 0;
    for (pugi::xml_node child = FirstElement(RootElement(rels)); child; child = NextElement(child)) {
        const std::u16string id = AttrOrDefault(child, "Id", u"");
        const int64_t number = id.size() > 3 ? ReadDecimalIntegerOr(std::u16string_view(id).substr(3), 0) : 0;
        if (number > max && number < INT32_MAX) max = number;
    }
    return u"rId" + IntToText(max + 1);
}

int64_t TXlsxWorkbook::NextSheetId(const pugi::xml_document& workbook) const {
    int64_t max = 0;
    const pugi::xml_node sheets = FirstChildNamed(RootElement(workbook), "sheets");
    for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet)) {
        const int64_t id = ReadIntegerAttribute(sheet, "sheetId", 0);
        if (id > max && id < INT32_MAX) max = id;
    }
    return max + 1;
}

std::u16string TXlsxWorkbook::UniqueSheetName(const std::u16string& base, const pugi::xml_document& workbook) const {
    // Every sheet element's name, hidden sheets and sheets that were not loaded included, and every
    // loaded sheet's (which may be a name given for want of one).
    std::vector<std::u16string> taken;
    for (const TXlsxSheet& sheet : FSheets) taken.push_back(sheet.Name);
    const pugi::xml_node sheets = FirstChildNamed(RootElement(workbook), "sheets");
    for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet)) {
        if (sheet.attribute("name")) taken.push_back(AttrOrDefault(sheet, "name", u""));
    }
    std::u16string candidate = base;
    for (int64_t counter = 1;;) {
        const bool used = std::any_of(taken.begin(), taken.end(), [&](const std::u16string& name) { return SameTextAscii(name, candidate); });
        if (!used) return candidate;
        candidate = base + IntToText(++counter);
    }
}

int32_t TXlsxWorkbook::AddSheet(const std::u16string& sheetName) {
    if (!IsLoaded()) throw TTabulixError(NotLoaded);
    // The three structural parts are opened for change only once all of them can take the new sheet.
    std::unique_ptr<pugi::xml_document> parsedWorkbook, parsedRels, parsedTypes;
    pugi::xml_document* workbook = PartForChange(parts::Workbook, parsedWorkbook);
    pugi::xml_document* rels = PartForChange(parts::WorkbookRels, parsedRels);
    pugi::xml_document* types = PartForChange(parts::ContentTypes, parsedTypes);
    if (!workbook || !rels || !types || !RootElement(*workbook) || !RootElement(*rels) || !RootElement(*types)) {
        throw TTabulixError(u"Could not read this workbook's internal structure to add a sheet.");
    }
    KeepOpened(parts::Workbook, parsedWorkbook);
    KeepOpened(parts::WorkbookRels, parsedRels);
    KeepOpened(parts::ContentTypes, parsedTypes);
    const pugi::xml_node workbookRoot = RootElement(*workbook);
    pugi::xml_node sheets = FirstChildNamed(workbookRoot, "sheets");
    if (!sheets) sheets = AppendChild(workbookRoot, "sheets");

    const std::u16string partName = NextWorksheetPartName();
    const std::u16string relId = NextRelationshipId(*rels);
    const int64_t sheetId = NextSheetId(*workbook);
    const std::u16string name = UniqueSheetName(TrimView(sheetName).empty() ? u"Sheet1" : Trim(sheetName), *workbook);

    pugi::xml_node sheet = AppendChild(sheets, "sheet");
    sheet.append_attribute("name").set_value(Utf8(name).c_str());
    sheet.append_attribute("sheetId").set_value(std::to_string(sheetId).c_str());
    sheet.append_attribute("xmlns:r").set_value(RelationshipsNamespace);
    sheet.append_attribute("r:id").set_value(Utf8(relId).c_str());

    pugi::xml_node relationship = AppendChild(RootElement(*rels), "Relationship");
    relationship.append_attribute("Id").set_value(Utf8(relId).c_str());
    relationship.append_attribute("Type").set_value(WorksheetRelationship);
    relationship.append_attribute("Target").set_value(Utf8(u"worksheets/" + partName.substr(partName.rfind(u'/') + 1)).c_str());

    pugi::xml_node override = AppendChild(RootElement(*types), "Override");
    override.append_attribute("PartName").set_value(Utf8(u"/" + partName).c_str());
    override.append_attribute("ContentType").set_value(WorksheetContentType);

    // The new part is an entry at once, so that every opened part is found among the entries.
    JournalAddedPart(partName);
    FOriginalEntries.Put(partName, NewWorksheetContent);
    GetPartDocument(partName);

    TXlsxSheet record;
    record.Name = name;
    record.PartName = partName;
    record.Reset(100, 26);
    FSheets.push_back(std::move(record));
    JournalSheet(SheetCount() - 1, true);
    FPackageMap.reset();
    return SheetCount() - 1;
}

void TXlsxWorkbook::DeleteSheet(int32_t sheetIndex) {
    if (!IsSheetIndex(sheetIndex)) return;
    if (SheetCount() <= 1) throw TTabulixError(u"A workbook needs at least one worksheet - this is the only one left.");
    const std::u16string partName = FSheets[size_t(sheetIndex)].PartName;
    // The calculation chain lists the formula cells of every sheet; one of a sheet that is gone makes
    // spreadsheet applications report the file as damaged.
    if (!partName.empty() && WorkbookHasFormulas()) FCalcChainStale = true;
    // Each structural part is opened for change only when it refers to the sheet.
    std::unique_ptr<pugi::xml_document> parsedWorkbook, parsedRels, parsedTypes;
    pugi::xml_document* workbook = PartForChange(parts::Workbook, parsedWorkbook);
    pugi::xml_document* rels = PartForChange(parts::WorkbookRels, parsedRels);
    pugi::xml_document* types = PartForChange(parts::ContentTypes, parsedTypes);

    std::u16string relId;
    const pugi::xml_node workbookRoot = workbook ? RootElement(*workbook) : pugi::xml_node();
    pugi::xml_node sheets = FirstChildNamed(workbookRoot, "sheets");
    if (sheets) {
        int64_t position = 0;
        for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet)) ++position;
        for (pugi::xml_node sheet = sheets.last_child(); sheet; sheet = sheet.previous_sibling()) {
            if (sheet.type() != pugi::node_element) continue;
            --position;
            const std::u16string rid = SheetRelId(sheet);
            if (!SameTextAscii(RelationshipTarget(rels, rid), partName)) continue;
            relId = rid;
            sheets.remove_child(sheet);
            AdjustSheetPositions(workbookRoot, sheets, position);
            KeepOpened(parts::Workbook, parsedWorkbook);
            break;
        }
    }
    if (rels && !relId.empty()) {
        const pugi::xml_node relationship = LastChildWith(RootElement(*rels), "Id", relId);
        if (relationship) {
            RootElement(*rels).remove_child(relationship);
            KeepOpened(parts::WorkbookRels, parsedRels);
        }
    }
    if (types) {
        const pugi::xml_node override = LastChildWith(RootElement(*types), "PartName", u"/" + partName);
        if (override) {
            RootElement(*types).remove_child(override);
            KeepOpened(parts::ContentTypes, parsedTypes);
        }
    }
    // The part goes, and with it its own relationships, which a sheet added later under the same
    // part name must not inherit.
    RemovePart(partName);
    RemovePart(RelationshipsPartOf(partName));
    JournalSheet(sheetIndex, false);
    FSheets.erase(FSheets.begin() + sheetIndex);
    FPackageMap.reset();
}

void TXlsxWorkbook::RemovePart(std::u16string_view entryName) {
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(entryName);
    if (!entry) return;
    const std::u16string name = entry->Name;
    JournalPart(name, false);
    const auto open = FSheetDocs.find(name);
    if (FEditIndex && open != FSheetDocs.end() && FEditIndex->SheetData.root() == open->second->root()) {
        FEditIndex.reset(); // nothing left to write into
    }
    ForgetEditIndex();
    FSheetDocs.erase(name);
    FParsedToEdit.erase(name);
    FOriginalEntries.Remove(name);
}

void TXlsxWorkbook::DropCalculationChain() {
    // Spreadsheet applications rebuild the chain; a stale one makes them report the file as damaged.
    RemovePart(parts::CalcChain);
    // The references to it go too; a part without any stays as it was read.
    std::unique_ptr<pugi::xml_document> parsedRels, parsedTypes;
    if (pugi::xml_document* rels = PartForChange(parts::WorkbookRels, parsedRels)) {
        const bool removed = RemoveChildrenWhere(RootElement(*rels), [](const pugi::xml_node& relationship) {
            return EndsWithTextAscii(AttrOrDefault(relationship, "Type", u""), u"/calcChain");
        });
        if (removed) KeepOpened(parts::WorkbookRels, parsedRels);
    }
    if (pugi::xml_document* types = PartForChange(parts::ContentTypes, parsedTypes)) {
        const bool removed = RemoveChildrenWhere(RootElement(*types), [](const pugi::xml_node& entry) {
            return SameTextAscii(AttrOrDefault(entry, "PartName", u""), u"/" + parts::CalcChain);
        });
        if (removed) KeepOpened(parts::ContentTypes, parsedTypes);
    }
}

std::string TXlsxWorkbook::SaveToBytes() {
    if (!IsLoaded()) throw TTabulixError(NotLoaded);
    if (FValuesChanged) {
        if (WorkbookHasFormulas()) RequestFullCalculation();
        FValuesChanged = false;
    }
    if (FCalcChainStale) {
        DropCalculationChain();
        FCalcChainStale = false;
    }
    // Every opened part is deflated as the serialiser writes it; every other entry is copied as stored.
    if (FEditIndex) WriteDeferredReferences(*FEditIndex);
    for (auto& [name, document] : FSheetDocs) {
        TPackageEntry& entry = FOriginalEntries.ForName(name);
        // About as large as the part was: what it held before, deflated, and a little more.
        TEntryDeflater deflater(entry.Data.size() + entry.Data.size() / 8 + 4096);
        TDeflatingWriter writer(deflater);
        WriteXmlPart(*document, writer);
        deflater.FinishInto(entry);
    }
    TZipWriter writer;
    size_t size = 0;
    for (const TPackageEntry& entry : FOriginalEntries.InOrder()) size += entry.Data.size() + 2 * entry.StoredName.size() + 128;
    writer.Reserve(size);
    for (const TPackageEntry& entry : FOriginalEntries.InOrder()) writer.AddEntry(entry);
    return writer.Finish();
}

void TXlsxWorkbook::SaveToFile(const std::u16string& outputFileName) {
    const std::string package = SaveToBytes();
    WriteFileAtomically(TextToPath(outputFileName), package);
}

} // namespace tabulix
