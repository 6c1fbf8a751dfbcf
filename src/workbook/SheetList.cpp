// The sheets a workbook lists: shared by loading and by the look at a workbook's sheet names alone.
#include "workbook/SheetList.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/PackageEntries.h"
#include "workbook/PackageParts.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/XmlHelpers.h"

#include <unordered_map>

namespace tabulix {

std::vector<TListedSheet> ListVisibleSheets(const pugi::xml_document* workbook,
                                            const std::function<const pugi::xml_document*()>& readRels) {
    if (!workbook) throw TTabulixError(u"This does not look like a valid .xlsx workbook (xl/workbook.xml missing).");
    const pugi::xml_node root = RootElement(*workbook);
    if (!root) throw TTabulixError(u"Could not parse xl/workbook.xml.");
    const pugi::xml_node sheets = FirstChildNamed(root, "sheets");
    if (!sheets) throw TTabulixError(u"Workbook contains no worksheets.");
    std::vector<TListedSheet> listed;
    const pugi::xml_document* rels = nullptr;
    bool relsRead = false;
    int position = 0;
    for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet)) {
        ++position;
        const std::u16string state = AttrOrDefault(sheet, "state", u"visible");
        if (SameTextAscii(state, u"hidden") || SameTextAscii(state, u"veryHidden")) continue;
        std::u16string name = AttrOrDefault(sheet, "name", u"Sheet" + IntToText(position));
        std::u16string relId = AttrOrDefault(sheet, "r:id", u"");
        if (relId.empty()) relId = AttrOrDefault(sheet, "id", u"");
        if (!relsRead) {
            relsRead = true;
            rels = readRels();
        }
        std::u16string partName = RelationshipTarget(rels, relId);
        if (partName.empty()) continue;
        listed.push_back({std::move(name), std::move(partName)});
    }
    if (listed.empty()) throw TTabulixError(u"No visible worksheets were found in this workbook.");
    return listed;
}

std::u16string RelationshipTarget(const pugi::xml_document* rels, std::u16string_view relId) {
    if (!rels) return u"";
    const pugi::xml_node root = RootElement(*rels);
    for (pugi::xml_node relationship = FirstElement(root); relationship; relationship = NextElement(relationship)) {
        if (!SameTextAscii(AttrOrDefault(relationship, "Id", u""), relId)) continue;
        const std::u16string target = AttrOrDefault(relationship, "Target", u"");
        if (!target.empty() && target[0] == u'/') return target.substr(1);
        return u"xl/" + target;
    }
    return u"";
}

namespace {

bool IsSheetListPart(std::u16string_view name) {
    return SameTextAscii(name, parts::Workbook) || SameTextAscii(name, parts::WorkbookRels);
}

} // namespace

std::vector<std::u16string> ReadVisibleSheetNames(const std::u16string& fileName) {
    const std::string package = ReadPackageFile(fileName);
    std::vector<std::string> inflated;
    std::vector<TPackageEntry> entries = ReadZipPackage(package, {}, &inflated, IsSheetListPart);
    // A part is found as loading finds it: the first entry whose name matches ignoring case, holding
    // the bytes of the last entry stored under that entry's name.
    TPackageEntries listed;
    std::unordered_map<std::string, std::string> bytes; // by stored name
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!inflated[i].empty()) bytes[entries[i].StoredName] = std::move(inflated[i]);
        listed.Add(std::move(entries[i]));
    }
    const auto parse = [&](const std::u16string& partName, pugi::xml_document& document) {
        const TPackageEntry* entry = listed.FindIgnoringCase(partName);
        if (!entry) return false;
        std::string& part = bytes[entry->StoredName];
        const size_t mark = ByteOrderMarkLength(part);
        ParseXmlPart(part.data() + mark, part.size() - mark, partName, document);
        return true;
    };
    pugi::xml_document workbook;
    pugi::xml_document rels;
    const bool hasWorkbook = parse(parts::Workbook, workbook);
    std::vector<std::u16string> names;
    for (TListedSheet& sheet : ListVisibleSheets(hasWorkbook ? &workbook : nullptr, [&]() -> const pugi::xml_document* {
             return parse(parts::WorkbookRels, rels) ? &rels : nullptr;
         })) {
        names.push_back(std::move(sheet.Name));
    }
    return names;
}

} // namespace tabulix
