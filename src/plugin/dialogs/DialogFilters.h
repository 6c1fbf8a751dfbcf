#pragma once

// The file-type filters of the property dialogs ("Name|pattern|Name|pattern", as the file dialogs take
// them), and the text of the host's file picker request.

#include <string>

namespace tabulix {

inline const std::u16string WorkbookFilter = u"Excel Workbook|*.xlsx;*.xlsm|All Files|*.*";            // A
inline const std::u16string NewWorkbookFilter = u"Excel Workbook|*.xlsx";                               // B
inline const std::u16string ExportFilter = u"CSV|*.csv|Text (Tab delimited)|*.txt|Web Page|*.htm;*.html|"
                                           u"XML Spreadsheet|*.xml|Word Document|*.docx|PDF|*.pdf|All Files|*.*"; // C
inline const std::u16string PublicationFilter = u"VisualNEO Publication|*.pub|All Files|*.*";          // D

// Request 16's text: the typed file name, an empty field, the filter, "False" and "True", joined by CR.
inline std::u16string HostFileRequest(const std::u16string& typed, const std::u16string& filter) {
    return typed + u"\r\r" + filter + u"\rFalse\rTrue";
}

} // namespace tabulix
