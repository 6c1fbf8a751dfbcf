#include "plugin/dialogs/EditExportForm.h"

#include "base/Text.h"
#include "plugin/dialogs/DialogFilters.h"

namespace tabulix {

TExportForm::TExportForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixExport Properties");
    AddRectangleField(u"&Rectangle hosting the Excel viewer to export:");
    AddFileField(u"&Export to file:");
    Add(TControlKind::Label, u"LblFormat", u"F&ormat:");
    TDialogControl& format = Add(TControlKind::ComboList, u"ComboFormat");
    format.Items = {u"CSV", u"Text", u"HTML", u"XMLSpreadsheet", u"Word", u"PDF"};
    format.Text = u"CSV";
    Add(TControlKind::CheckBox, u"CheckAllSheets", u"Include &all worksheets (default: current sheet only)");
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"CSV and Text only ever hold one table, so with \"all worksheets\" checked they are written as one file per "
        u"sheet instead (<file>_<SheetName>). HTML, XML Spreadsheet, Word and PDF can each hold every sheet in a "
        u"single file.");
}

void TExportForm::Load(const TParameterSlots& slots) {
    Control(u"EditRect").Text = slots.Read(0);
    Control(u"EditFile").Text = slots.Read(1);
    SelectItem(u"ComboFormat", slots.Read(2));
    Control(u"CheckAllSheets").Checked = SameTextAscii(slots.Read(3), u"AllSheets"); // not trimmed
}

bool TExportForm::Save(TParameterSlots& slots) {
    slots.Write(0, Control(u"EditRect").Text);
    slots.Write(1, Control(u"EditFile").Text);
    slots.Write(2, Control(u"ComboFormat").Text);
    slots.Write(3, Control(u"CheckAllSheets").Checked ? u"AllSheets" : u"CurrentSheet");
    return true;
}

void TExportForm::OnClick(const std::u16string& name) { HandleRecurringButton(name, ExportFilter); }

} // namespace tabulix
