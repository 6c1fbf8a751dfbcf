#include "workbook/XlsxBlankTemplate.h"

#include "workbook/XlsxBlankTemplateParts.h"
#include "workbook/ZipPackage.h"

namespace tabulix {

namespace {

// The package is built from its parts once, on first use.
const std::string& BlankPackage() {
    static const std::string package = [] {
        TZipWriter writer;
        for (const TTemplatePart& part : BlankTemplateParts()) writer.Add(part.Name, part.Content);
        return writer.Finish();
    }();
    return package;
}

} // namespace

std::string BlankWorkbookBytes() { return BlankPackage(); }

} // namespace tabulix
