#pragma once

#include <pugixml.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// A visible sheet as the workbook part lists it: its name, and the part its relationship targets.
struct TListedSheet {
    std::u16string Name;
    std::u16string PartName;
};

// The visible sheets of the workbook part (null when the package has none), in tab order: hidden and
// very hidden sheets are left out, a sheet without a name is "Sheet" and its position, and a sheet whose
// relationship targets no part is left out. The workbook's relationships are read by readRels, once,
// when the first visible sheet needs them (null when the package has none). Throws TTabulixError when
// there is no workbook part, no root element, no sheets element, or no sheet left.
std::vector<TListedSheet> ListVisibleSheets(const pugi::xml_document* workbook,
                                            const std::function<const pugi::xml_document*()>& readRels);

// The part that the relationship of that id targets, as an entry name without a leading "/"; empty when
// rels is null or has no such relationship.
std::u16string RelationshipTarget(const pugi::xml_document* rels, std::u16string_view relId);

// The names of the visible sheets of a workbook file, as loading it lists them, read from its workbook
// part and that part's relationships alone: no other part is inflated or checked, so a workbook whose
// worksheets are damaged still lists them. Throws TTabulixError with the loader's message when those
// parts, or the archive itself, cannot be read.
std::vector<std::u16string> ReadVisibleSheetNames(const std::u16string& fileName);

} // namespace tabulix
