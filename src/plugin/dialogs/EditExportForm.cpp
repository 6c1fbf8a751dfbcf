#include "plugin/dialogs/EditExportForm.h"

#include "base/Text.h"
#include "plugin/dialogs/DialogFilters.h"

namespace tabulix {

TExportForm::TExportForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixExport Properties");
    AddRectangleField(u"&Rectangle hosting the Excel viewer to export:");
    AddFileField(u"&Export to file:", ExportFilter);
    Add(TControlKind::Label, u"LblFormat", u"F&ormat:");
    TDialogControl& format = Add(TControlKind::ComboList, u"ComboFormat");
    format.Items = {u"CSV", u"Text", u"HTML", u"XMLSpreadsheet", u"Word", u"PDF"};
    format.Text = u"CSV";
    Add(TControlKind::CheckBox, u"CheckAllSheets", u"Include &all worksheets (default: current sheet only)");
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"CSV and Text only ever hold one table, so with \"all worksheets\" checked they are written as one file per "
        u"sheet instead (<file>_<SheetName>). HTML, XML Spreadsheet, Word and PDF can each hold every sheet in a "
        u"single file.");
    Bind(2, u"ComboFormat");
    // The scope is compared as stored: " AllSheets" with its blank is not all sheets.
    BindCheck(3, u"CheckAllSheets", [](const std::u16string& scope) { return SameTextAscii(scope, u"AllSheets"); },
              u"AllSheets", u"CurrentSheet");
}

} // namespace tabulix
