#pragma once

#include <string>
#include <string_view>

namespace tabulix::parts {

// The entries of a package that the workbook reads or changes by name.
inline const std::u16string Workbook = u"xl/workbook.xml";
inline const std::u16string WorkbookRels = u"xl/_rels/workbook.xml.rels";
inline const std::u16string SharedStrings = u"xl/sharedStrings.xml";
inline const std::u16string Styles = u"xl/styles.xml";
inline const std::u16string ContentTypes = u"[Content_Types].xml";
inline const std::u16string CalcChain = u"xl/calcChain.xml";
inline const std::u16string Theme = u"xl/theme/theme1.xml";

} // namespace tabulix::parts

namespace tabulix {

// The relationships part of a part: xl/worksheets/sheet1.xml has xl/worksheets/_rels/sheet1.xml.rels.
std::u16string RelationshipsPartOf(const std::u16string& partName);
// The part that a relationship of sourcePart leads to: a target beginning with "/" from the package's
// root, any other from sourcePart's folder, "." and ".." resolved; empty when it leaves the package.
std::u16string ResolvePartTarget(const std::u16string& sourcePart, std::u16string_view target);

} // namespace tabulix
