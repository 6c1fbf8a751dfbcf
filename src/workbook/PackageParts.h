#pragma once

#include <string>

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
